#pragma once
// The colours of the configuration app, in one place. Values are red, green,
// blue from 0 to 1, as the designs give them.

#include <vector>

#include <QColor>
#include <QString>

namespace knockbox::studio {

struct Rgb {
    double red, green, blue;
};

inline QColor color(Rgb rgb, double opacity = 1.0) {
    return QColor::fromRgbF(static_cast<float>(rgb.red), static_cast<float>(rgb.green), static_cast<float>(rgb.blue),
                            static_cast<float>(opacity));
}

// The shared palette of buttons and panels.
inline constexpr Rgb background{0.065, 0.063, 0.061};
inline constexpr Rgb panel{0.1, 0.097, 0.092};
inline constexpr Rgb mint{0.62, 0.8, 0.71};
inline constexpr Rgb gold{0.82, 0.66, 0.45};
inline constexpr Rgb muted{0.58, 0.57, 0.55};

// The main window's background, and the soft light from above the kit that
// brightens it towards the middle.
inline constexpr Rgb windowBackground{0.055, 0.065, 0.085};
inline constexpr Rgb windowLight{0.16, 0.22, 0.28};
inline constexpr double windowLightOpacity = 0.55;
// The sound picker's sheet and its accents.
inline constexpr Rgb sheetBackground{0.065, 0.074, 0.091};
inline constexpr Rgb pickerAccent{0.47, 0.93, 0.77};
inline constexpr Rgb pickerSecondary{0.58, 0.61, 0.65};
// A segmented control's track and its chosen segment.
inline constexpr Rgb segmentTrack{0.1, 0.11, 0.135};
inline constexpr Rgb segmentChosen{0.27, 0.29, 0.33};
// The drum kit's accents: the glow and rings, the hi-hat's shine.
inline constexpr Rgb kitMint{0.62, 0.8, 0.71};
inline constexpr Rgb kitGold{0.86, 0.69, 0.43};
// The MacBook drawing's accents: firm taps, gentle taps.
inline constexpr Rgb macAccent{0.62, 0.8, 0.71};
inline constexpr Rgb macWarmAccent{0.82, 0.66, 0.45};

inline const QColor white(double opacity = 1.0) { return color({1, 1, 1}, opacity); }

// Text colours: an ink and how opaque it is drawn.
struct Ink {
    Rgb rgb;
    double opacity = 1.0;
};
inline QColor inkColor(Ink ink) { return color(ink.rgb, ink.opacity); }

inline constexpr Ink titleInk{{1, 1, 1}, 0.97};
inline constexpr Ink textInk{{1, 1, 1}, 0.9};
inline constexpr Ink statusInk{{1, 1, 1}, 0.82};
inline constexpr Ink secondaryInk{muted};         // subtitles, captions, what is not chosen
inline constexpr Ink warningInk{gold};            // what the user should know now (Mute is on, …)
inline constexpr Ink noticeInk{mint};
inline constexpr Ink pickerSecondaryInk{pickerSecondary};
inline constexpr Ink dimmedInk{{1, 1, 1}, 0.55};  // the tap counts of the side not asked for

// `top` drawn over `bottom`.
QColor over(const QColor& top, const QColor& bottom);

// Surfaces made of the colours above, as the views paint them: the window
// where its light is brightest, the top of the settings panel's gradient and
// a kit card while it is chosen.
QColor litWindow();
QColor panelTop();
QColor chosenCard();

// Every text colour of the app with the brightest surface it is read on,
// for checking that each stays readable.
struct TextOnSurface {
    QString use;
    QColor ink;
    QColor surface;
};
std::vector<TextOnSurface> textsOnSurfaces();

}  // namespace knockbox::studio
