// The wait cursor for as long as a blocking action runs.
#pragma once

#include "platform/Platform.h"

namespace zavro {

class WaitCursor {
public:
    WaitCursor() {
        if (Ports().ui) Ports().ui->BeginWaitCursor();
    }
    ~WaitCursor() {
        if (Ports().ui) Ports().ui->EndWaitCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace zavro
