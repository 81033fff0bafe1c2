// Pictures port: decode JPEG, GIF (first frame), PNG and BMP bytes into RGBA pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/Image.h"

namespace zavro {

class IPictures {
public:
    virtual ~IPictures() = default;
    // nullopt when the bytes are not a picture this decoder reads. Must never read past
    // size, whatever the bytes.
    virtual std::optional<Image> Decode(const std::uint8_t* data, std::size_t size) = 0;
};

}  // namespace zavro
