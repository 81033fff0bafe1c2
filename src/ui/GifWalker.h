// Block walker over GIF87a/GIF89a data: counts the graphic blocks and cuts each one out as
// a stand-alone single-frame GIF. It never decodes image data and never reads past the
// bytes it was given: every length is checked against the data size before it is used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zavro::gif {

enum class BlockKind {
    Application,     // 0x21 0xFF
    Comment,         // 0x21 0xFE
    GraphicControl,  // 0x21 0xF9
    PlainText,       // 0x21 0x01
    Image,           // 0x2C
    Trailer,         // 0x3B
    Unknown,         // anything else, or no byte left
};

// Delay of a frame without a graphic control extension: all bits set.
inline constexpr std::uint32_t kNoDelay = 0xFFFFFFFFu;

// One graphic block cut out of the data.
struct FrameBlock {
    std::vector<std::uint8_t> gif;                 // header + global table, the frame's bytes, 0x3B
    std::uint32_t delay = kNoDelay;                // hundredths of a second
    std::uint32_t disposal = 0;                    // bits 2..4 of the graphic control packed byte
    int left = 0, top = 0, width = 0, height = 0;  // image descriptor (0 for plain text)
};

// True when data begins with "GIF87a" or "GIF89a".
bool HasGifSignature(std::span<const std::uint8_t> data);

class Walker {
public:
    // The data is borrowed and must outlive the walker.
    explicit Walker(std::span<const std::uint8_t> data);

    // Signature present and the header and global colour table lie inside the data.
    bool HeaderValid() const { return m_headerValid; }
    int ScreenWidth() const { return m_screenWidth; }
    int ScreenHeight() const { return m_screenHeight; }
    std::size_t TableSize() const { return m_tableSize; }
    std::size_t Offset() const { return m_offset; }
    // Back to the first block after the header.
    void Reset();

    BlockKind NextBlock() const;
    // Length of the block at the parse offset; nullopt when it is invalid.
    std::optional<std::size_t> NextBlockLength() const;
    // Sub-block chain starting at pos, terminator included; nullopt when it runs past the data.
    std::optional<std::size_t> ChainLength(std::size_t pos) const;

    bool SkipBlock();
    // Steps over one frame (optional graphic control, the image or plain text, and the
    // application and comment extensions around them).
    bool SkipGraphicBlock();
    // As SkipGraphicBlock, but returns the frame as a stand-alone GIF.
    std::optional<FrameBlock> NextGraphicBlock();
    // Number of graphic blocks from the first one; 0 when the first cannot be skipped.
    std::size_t CountFrames();

private:
    std::uint8_t Byte(std::size_t pos) const { return pos < m_data.size() ? m_data[pos] : 0; }
    std::uint16_t Word(std::size_t pos) const {
        return static_cast<std::uint16_t>(Byte(pos) | (Byte(pos + 1) << 8));
    }
    // Walks one frame; records where it starts and where its graphic control is.
    struct Span {
        std::size_t begin = 0;
        std::optional<std::size_t> control;
        std::size_t image = 0;
        BlockKind kind = BlockKind::Unknown;
    };
    std::optional<Span> WalkGraphicBlock();

    std::span<const std::uint8_t> m_data;
    bool m_headerValid = false;
    int m_screenWidth = 0;
    int m_screenHeight = 0;
    std::size_t m_tableSize = 0;
    std::size_t m_first = 0;
    std::size_t m_offset = 0;
};

}  // namespace zavro::gif
