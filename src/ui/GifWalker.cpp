#include "ui/GifWalker.h"

#include <cstring>

namespace zavro::gif {

namespace {

constexpr std::size_t kHeaderSize = 13;

std::size_t ColourTableSize(std::uint8_t packed) {
    return (packed & 0x80) ? 3u * (2u << (packed & 0x07)) : 0u;
}

bool IsFrameBody(BlockKind k) {
    return k == BlockKind::Image || k == BlockKind::PlainText;
}
bool IsEnd(BlockKind k) {
    return k == BlockKind::Unknown || k == BlockKind::Trailer;
}

}  // namespace

bool HasGifSignature(std::span<const std::uint8_t> data) {
    return data.size() >= 6 && (std::memcmp(data.data(), "GIF87a", 6) == 0 ||
                                std::memcmp(data.data(), "GIF89a", 6) == 0);
}

Walker::Walker(std::span<const std::uint8_t> data) : m_data(data) {
    if (!HasGifSignature(data) || data.size() < kHeaderSize) return;
    m_screenWidth = Word(6);
    m_screenHeight = Word(8);
    m_tableSize = ColourTableSize(Byte(10));
    // The frames copy the header and the table, so both must be there whole.
    if (kHeaderSize + m_tableSize > data.size()) return;
    m_first = kHeaderSize + m_tableSize;
    m_offset = m_first;
    m_headerValid = true;
}

void Walker::Reset() {
    m_offset = m_first;
}

BlockKind Walker::NextBlock() const {
    if (!m_headerValid || m_offset >= m_data.size()) return BlockKind::Unknown;
    switch (m_data[m_offset]) {
        case 0x21:
            if (m_offset + 1 >= m_data.size()) return BlockKind::Unknown;
            switch (m_data[m_offset + 1]) {
                case 0xFF:
                    return BlockKind::Application;
                case 0xFE:
                    return BlockKind::Comment;
                case 0xF9:
                    return BlockKind::GraphicControl;
                case 0x01:
                    return BlockKind::PlainText;
                default:
                    return BlockKind::Unknown;
            }
        case 0x2C:
            return BlockKind::Image;
        case 0x3B:
            return BlockKind::Trailer;
        default:
            return BlockKind::Unknown;
    }
}

std::optional<std::size_t> Walker::ChainLength(std::size_t pos) const {
    std::size_t length = 0;
    for (;;) {
        if (pos >= m_data.size()) return std::nullopt;
        const std::size_t n = m_data[pos];
        if (n == 0) return length + 1;
        length += n + 1;
        pos += n + 1;
    }
}

std::optional<std::size_t> Walker::NextBlockLength() const {
    const std::size_t o = m_offset;
    auto plus = [&](std::size_t head) -> std::optional<std::size_t> {
        auto chain = ChainLength(o + head);
        if (!chain) return std::nullopt;
        return head + *chain;
    };
    switch (NextBlock()) {
        case BlockKind::Application:
            return plus(14);
        case BlockKind::Comment:
            return plus(2);
        case BlockKind::GraphicControl:
            return 8;
        case BlockKind::PlainText:
            return plus(15);
        case BlockKind::Image: {
            if (o + 9 >= m_data.size()) return std::nullopt;
            return plus(11 + ColourTableSize(m_data[o + 9]));
        }
        case BlockKind::Trailer:
            return 1;
        case BlockKind::Unknown:
            break;
    }
    return std::nullopt;
}

bool Walker::SkipBlock() {
    const auto length = NextBlockLength();
    if (!length || *length > m_data.size() || m_offset > m_data.size() - *length) return false;
    m_offset += *length;
    return true;
}

std::optional<Walker::Span> Walker::WalkGraphicBlock() {
    BlockKind kind = NextBlock();
    while (kind == BlockKind::Application || kind == BlockKind::Comment) {
        if (!SkipBlock()) return std::nullopt;
        kind = NextBlock();
    }
    if (IsEnd(kind)) return std::nullopt;

    Span span;
    span.begin = m_offset;
    if (kind == BlockKind::GraphicControl) {
        span.control = m_offset;
        if (!SkipBlock()) return std::nullopt;
        kind = NextBlock();
        while (!IsFrameBody(kind) && !IsEnd(kind)) {
            if (!SkipBlock()) return std::nullopt;
            kind = NextBlock();
        }
        if (IsEnd(kind)) return std::nullopt;
    }
    span.image = m_offset;
    span.kind = kind;
    if (!SkipBlock()) return std::nullopt;
    return span;
}

bool Walker::SkipGraphicBlock() {
    return WalkGraphicBlock().has_value();
}

std::optional<FrameBlock> Walker::NextGraphicBlock() {
    const auto span = WalkGraphicBlock();
    if (!span) return std::nullopt;

    FrameBlock frame;
    if (span->control) {
        frame.delay = Word(*span->control + 4);
        frame.disposal = (Byte(*span->control + 3) >> 2) & 0x07;
    }
    if (span->kind == BlockKind::Image) {
        frame.left = Word(span->image + 1);
        frame.top = Word(span->image + 3);
        frame.width = Word(span->image + 5);
        frame.height = Word(span->image + 7);
    }
    // The walk checked that every byte up to m_offset lies inside the data.
    const std::size_t head = m_first;
    const std::size_t body = m_offset - span->begin;
    frame.gif.reserve(head + body + 1);
    frame.gif.insert(frame.gif.end(), m_data.begin(), m_data.begin() + head);
    frame.gif.insert(frame.gif.end(), m_data.begin() + span->begin, m_data.begin() + m_offset);
    frame.gif.push_back(0x3B);
    return frame;
}

std::size_t Walker::CountFrames() {
    Reset();
    std::size_t count = 0;
    while (SkipGraphicBlock()) ++count;
    Reset();
    return count;
}

}  // namespace zavro::gif
