// The animation control's load path: the walker splits the GIF, every frame goes through
// the pictures port (stb), and the frames are laid on the canvas. Other formats take the
// still-picture path.
#include "FuzzInput.h"
#include "platform/Platform.h"
#include "platform/posix/StbPictures.h"
#include "ui/PictureEx.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static zavro::StbPictures pictures;
    zavro::Ports().pictures = &pictures;

    zavro::CPictureEx picture;
    if (!picture.LoadMemory(data, size)) {
        ZAVRO_FUZZ_CHECK(picture.Canvas().Empty() && picture.Frames().empty());
        return 0;
    }
    const zavro::Image canvas = picture.Canvas();
    ZAVRO_FUZZ_CHECK(!canvas.Empty());
    ZAVRO_FUZZ_CHECK(canvas.pixels.size() == static_cast<std::size_t>(canvas.width) *
                                                 static_cast<std::size_t>(canvas.height));
    for (const auto& frame : picture.Frames()) {
        ZAVRO_FUZZ_CHECK(frame.picture.width == frame.width &&
                         frame.picture.height == frame.height);
        ZAVRO_FUZZ_CHECK(frame.picture.pixels.size() == static_cast<std::size_t>(frame.width) *
                                                            static_cast<std::size_t>(frame.height));
    }
    // A still picture is drawn at once; an animation would start a worker, which the
    // worker tests cover, so only its frames are checked here.
    if (picture.Frames().size() <= 1) ZAVRO_FUZZ_CHECK(picture.Play());
    picture.Clear();
    ZAVRO_FUZZ_CHECK(picture.Canvas().Empty());
    return 0;
}
