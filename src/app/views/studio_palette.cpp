#include "app/views/studio_palette.h"

namespace knockbox::studio {

QColor over(const QColor& top, const QColor& bottom) {
    const float a = top.alphaF();
    const auto mix = [a](float upper, float lower) { return upper * a + lower * (1 - a); };
    return QColor::fromRgbF(mix(top.redF(), bottom.redF()), mix(top.greenF(), bottom.greenF()),
                            mix(top.blueF(), bottom.blueF()));
}

QColor litWindow() { return over(color(windowLight, windowLightOpacity), color(windowBackground)); }
QColor panelTop() { return color(panel).lighter(118); }
QColor chosenCard() { return over(color(pickerAccent, 0.16), color(sheetBackground)); }

std::vector<TextOnSurface> textsOnSurfaces() {
    const QColor window = litWindow();
    const QColor sheet = color(sheetBackground);
    return {
        {"window title", inkColor(titleInk), window},
        {"window text", inkColor(textInk), window},
        {"status", inkColor(statusInk), window},
        {"window caption", inkColor(secondaryInk), window},
        {"window warning", inkColor(warningInk), window},
        {"current step", color(mint), window},
        {"tap count of the other side", inkColor(dimmedInk), window},
        {"panel title", inkColor(titleInk), panelTop()},
        {"panel text", inkColor(textInk), panelTop()},
        {"panel caption", inkColor(secondaryInk), panelTop()},
        {"panel warning", inkColor(warningInk), panelTop()},
        {"panel notice", inkColor(noticeInk), panelTop()},
        {"sheet title", inkColor(titleInk), sheet},
        {"sheet caption", inkColor(pickerSecondaryInk), sheet},
        {"chosen card's name", inkColor(textInk), chosenCard()},
        {"chosen card's subtitle", inkColor(pickerSecondaryInk), chosenCard()},
        {"segment", inkColor(pickerSecondaryInk), color(segmentTrack)},
        {"chosen segment", inkColor(titleInk), color(segmentChosen)},
        {"primary button", color(background), color(mint).lighter(112)},
        {"secondary button", white(), color(panel).lighter(135)},
    };
}

}  // namespace knockbox::studio
