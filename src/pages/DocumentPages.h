// What the contact, manual list and model list pages share: buttons made at their
// template rectangles and moved to their pixels on each paint while visible.
#pragma once

#include <functional>
#include <optional>
#include <span>

#include "ui/Page.h"

namespace zavro {

struct Placement {
    int id;
    Rect dialogUnits;           // template rectangle
    std::optional<Rect> pixels;  // where each paint puts it; none: never moved
};

// Moves every visible control of the list to its pixels.
void PlaceVisibleControls(IWindow* window, std::span<const Placement> placements,
                          const std::function<void(int, const Rect&)>& move);

}  // namespace zavro
