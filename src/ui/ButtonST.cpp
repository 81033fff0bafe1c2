#include "ui/ButtonST.h"

#include <map>

namespace zavro {

void CButtonST::SetIcon(int checkedIcon, int uncheckedIcon) {
    m_nIconChecked = checkedIcon;
    m_nIconUnchecked = uncheckedIcon;
}

int CButtonST::CurrentIcon() const {
    if (m_nIconChecked == 0 && m_nIconUnchecked == 0) return 0;
    return m_nCheck ? m_nIconChecked : m_nIconUnchecked;
}

Image CButtonST::Render(const Image& page, const Rect& r) {
    if (!m_background || m_background->width != r.w || m_background->height != r.h)
        m_background = page.Crop(r);
    Image face = *m_background;
    if (const int icon = CurrentIcon()) {
        const Image& img = LoadIconResource(icon);
        face.Draw(img, (face.width - img.width) / 2, (face.height - img.height) / 2);
    }
    if (m_state != HotState::Normal && face.width > 1 && face.height > 1) {
        const bool raised = m_state == HotState::Hover;
        const std::uint32_t topLeft = raised ? kColorBtnHighlight : kColorBtnShadow;
        const std::uint32_t bottomRight = raised ? kColorBtnShadow : kColorBtnHighlight;
        face.Fill({0, 0, face.width, 1}, topLeft);
        face.Fill({0, 0, 1, face.height}, topLeft);
        face.Fill({0, face.height - 1, face.width, 1}, bottomRight);
        face.Fill({face.width - 1, 0, 1, face.height}, bottomRight);
    }
    if (m_bFocusFrame) {
        // Black, two pixels of yellow, black: one of them contrasts with any picture.
        const std::uint32_t rings[] = {kColorFocusOuter, kColorFocusInner, kColorFocusInner,
                                       kColorFocusOuter};
        for (int i = 0; i < 4 && face.width > 2 * i && face.height > 2 * i; ++i) {
            const int w = face.width - 2 * i, h = face.height - 2 * i;
            face.Fill({i, i, w, 1}, rings[i]);
            face.Fill({i, i + h - 1, w, 1}, rings[i]);
            face.Fill({i, i, 1, h}, rings[i]);
            face.Fill({i + w - 1, i, 1, h}, rings[i]);
        }
    }
    return face;
}

static Image MakeBox(bool checked) {
    Image img(16, 16, 0u);
    const std::uint32_t border = 0xFF404850u, fill = 0xFFFFFFFFu, mark = 0xFF1E7A3Cu;
    img.Fill({1, 1, 14, 14}, border);
    img.Fill({2, 2, 12, 12}, fill);
    if (checked) {
        // A tick: short stroke down-right, long stroke up-right.
        for (int i = 0; i < 3; ++i) img.Fill({4 + i, 7 + i, 2, 2}, mark);
        for (int i = 0; i < 6; ++i) img.Fill({7 + i, 8 - i, 2, 2}, mark);
    }
    return img;
}

static Image MakeProgramIcon() {
    Image img(32, 32, 0u);
    img.Fill({2, 2, 28, 28}, 0xFF0B5FA5u);
    img.Fill({8, 8, 16, 3}, 0xFFFFFFFFu);  // a "Z"
    img.Fill({8, 21, 16, 3}, 0xFFFFFFFFu);
    for (int i = 0; i < 10; ++i) img.Fill({20 - i * 13 / 10, 11 + i, 3, 1}, 0xFFFFFFFFu);
    return img;
}

const Image& LoadIconResource(int id) {
    static const std::map<int, Image> icons = {
        {128, MakeProgramIcon()}, {165, MakeBox(false)}, {166, MakeBox(true)}};
    static const Image none;
    const auto it = icons.find(id);
    return it == icons.end() ? none : it->second;
}

}  // namespace zavro
