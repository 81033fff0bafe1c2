// Pictures port on stb_image (JPEG, PNG, BMP, GIF first frame).
#pragma once

#include "platform/Pictures.h"

namespace zavro {

class StbPictures final : public IPictures {
public:
    std::optional<Image> Decode(const std::uint8_t* data, std::size_t size) override;
};

}  // namespace zavro
