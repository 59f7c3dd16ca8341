#include "app/views/sound_signature.h"

#include <cmath>

namespace knockbox {

double soundSignatureHeight(DrumKit kit, double t) {
    double wave = 0, envelope = 1;
    switch (kit) {
    case DrumKit::studio:
        wave = std::sin(69 * t) + 0.3 * std::sin(131 * t);
        envelope = std::exp(-3.2 * t);
        break;
    case DrumKit::live:
        wave = std::sin(58 * t) + 0.45 * std::sin(167 * t + 1) + 0.2 * std::sin(311 * t);
        envelope = std::exp(-2.6 * t);
        break;
    case DrumKit::electronic:
        // The 808's falling pitch.
        wave = std::sin(31 * t + 8 * (1 - std::exp(-8 * t)));
        envelope = std::exp(-1.9 * t);
        break;
    case DrumKit::lofi:
        wave = std::sin(47 * t) + 0.22 * std::sin(173 * t);
        envelope = std::exp(-5.4 * t);
        break;
    }
    return 0.35 * envelope * wave;
}

QPainterPath soundSignaturePath(DrumKit kit, const QSizeF& size) {
    QPainterPath path;
    for (int i = 0; i <= soundSignatureSteps; ++i) {
        const double t = static_cast<double>(i) / soundSignatureSteps;
        const QPointF point(size.width() * t, size.height() / 2 - size.height() * soundSignatureHeight(kit, t));
        if (i == 0) path.moveTo(point);
        else path.lineTo(point);
    }
    return path;
}

}  // namespace knockbox
