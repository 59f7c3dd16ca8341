#include "app/views/drum_kit_layout.h"

#include <algorithm>
#include <array>

namespace knockbox {
namespace {

struct DrumPlace {
    QPointF hitCenter;
    QSizeF hitArea;
    QPointF labelCenter;
};

// Per drum, in the order kick, snare, hi-hat, tom.
constexpr std::array<DrumPlace, 4> places{{
    {{270, 248}, {190, 190}, {270, 362}},
    {{480, 226}, {135, 80}, {480, 362}},
    {{588, 118}, {140, 60}, {588, 52}},
    {{172, 140}, {125, 110}, {172, 62}},
}};

}  // namespace

QPointF designHitCenter(Drum drum) { return places[index(drum)].hitCenter; }
QSizeF designHitArea(Drum drum) { return places[index(drum)].hitArea; }
QPointF designLabelCenter(Drum drum) { return places[index(drum)].labelCenter; }

DrumKitLayout DrumKitLayout::fitting(const QSizeF& size) {
    const double scale = std::min(size.width() / designWidth, size.height() / designHeight);
    return {scale, {(size.width() - designWidth * scale) / 2, (size.height() - designHeight * scale) / 2}};
}

QPointF DrumKitLayout::hitCenter(Drum drum) const {
    const QPointF centre = designHitCenter(drum);
    return point(centre.x(), centre.y());
}

QSizeF DrumKitLayout::hitArea(Drum drum) const { return designHitArea(drum) * scale; }

QRectF DrumKitLayout::hitRect(Drum drum) const {
    const QSizeF area = hitArea(drum);
    const QPointF centre = hitCenter(drum);
    return {centre.x() - area.width() / 2, centre.y() - area.height() / 2, area.width(), area.height()};
}

QPointF DrumKitLayout::labelCenter(Drum drum) const {
    const QPointF centre = designLabelCenter(drum);
    return point(centre.x(), centre.y());
}

}  // namespace knockbox
