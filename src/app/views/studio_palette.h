#pragma once
// The colours of the configuration app, in one place. Values are red, green,
// blue from 0 to 1, as the designs give them.

#include <QColor>

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

// The main window's background.
inline constexpr Rgb windowBackground{0.055, 0.065, 0.085};
// The sound picker's sheet and its accents.
inline constexpr Rgb sheetBackground{0.065, 0.074, 0.091};
inline constexpr Rgb pickerAccent{0.47, 0.93, 0.77};
inline constexpr Rgb pickerSecondary{0.58, 0.61, 0.65};
// The drum kit's accents: the glow and rings, the hi-hat's shine.
inline constexpr Rgb kitMint{0.62, 0.8, 0.71};
inline constexpr Rgb kitGold{0.86, 0.69, 0.43};
// The MacBook drawing's accents: firm taps, gentle taps.
inline constexpr Rgb macAccent{0.62, 0.8, 0.71};
inline constexpr Rgb macWarmAccent{0.82, 0.66, 0.45};

inline const QColor white(double opacity = 1.0) { return color({1, 1, 1}, opacity); }

}  // namespace knockbox::studio
