#include "pages/DocumentPages.h"

namespace zavro {

void PlaceVisibleControls(IWindow* window, std::span<const Placement> placements,
                          const std::function<void(int, const Rect&)>& move) {
    if (window == nullptr) return;
    for (const auto& p : placements)
        if (p.pixels && window->IsControlVisible(p.id)) move(p.id, *p.pixels);
}

}  // namespace zavro
