// The pictures port (stb) on page-picture bytes: JPEG, PNG, BMP and GIF, whatever they hold.
#include "FuzzInput.h"
#include "platform/posix/StbPictures.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zavro::StbPictures pictures;
    const auto image = pictures.Decode(data, size);
    if (!image) return 0;
    ZAVRO_FUZZ_CHECK(image->width > 0 && image->height > 0);
    ZAVRO_FUZZ_CHECK(image->width <= 8192 && image->height <= 8192);
    ZAVRO_FUZZ_CHECK(static_cast<std::size_t>(image->width) * image->height <= (1u << 24));
    ZAVRO_FUZZ_CHECK(image->pixels.size() == static_cast<std::size_t>(image->width) *
                                                 static_cast<std::size_t>(image->height));
    return 0;
}
