// Hotspot control: an invisible button that shows the piece of page picture under it,
// a raised frame while hovered, a sunken one while pressed; the check form also shows
// an icon for its state.
#pragma once

#include <optional>

#include "platform/Ui.h"

namespace zavro {

constexpr std::uint32_t kColorBtnHighlight = 0xFFFFFFFFu;
constexpr std::uint32_t kColorBtnShadow = 0xFFA0A0A0u;
constexpr std::uint32_t kColorBtnFace = 0xFFF0F0F0u;
constexpr std::uint32_t kColorFocusOuter = 0xFF000000u;
constexpr std::uint32_t kColorFocusInner = 0xFFFFD400u;

class CButtonST {
public:
    CButtonST(int id, bool checkBox) : m_nId(id), m_bCheckBox(checkBox) {}

    int Id() const { return m_nId; }
    bool IsCheckBox() const { return m_bCheckBox; }
    void SetIcon(int checkedIcon, int uncheckedIcon);
    int GetCheck() const { return m_nCheck; }
    // The check form toggles on every click.
    void OnClicked() {
        if (m_bCheckBox) m_nCheck = m_nCheck ? 0 : 1;
    }
    void SetCheck(int state) { m_nCheck = state ? 1 : 0; }
    void SetHotState(HotState s) { m_state = s; }
    HotState GetHotState() const { return m_state; }
    // The keyboard focus frame: drawn over any hover frame, in two colours so that it shows
    // on dark and light pictures alike.
    void SetFocusFrame(bool shown) { m_bFocusFrame = shown; }
    bool HasFocusFrame() const { return m_bFocusFrame; }
    // Drops the kept copy of the picture, so the next render copies it anew.
    void DrawTransparent() { m_background.reset(); }
    // The face for rect r of the page picture.
    Image Render(const Image& page, const Rect& r);
    // Icon id shown now (0 when none).
    int CurrentIcon() const;

private:
    int m_nId;
    bool m_bCheckBox;
    int m_nCheck = 0;
    int m_nIconChecked = 0;
    int m_nIconUnchecked = 0;
    HotState m_state = HotState::Normal;
    bool m_bFocusFrame = false;
    std::optional<Image> m_background;
};

// Icon resources 128 (program), 165 (unchecked box) and 166 (checked box).
const Image& LoadIconResource(int id);

}  // namespace zavro
