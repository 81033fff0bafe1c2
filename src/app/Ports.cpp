#include "platform/Platform.h"

namespace zavro {

Platform& Ports() {
    static Platform platform;
    return platform;
}

}  // namespace zavro
