#pragma once
// Where the drum kit lies in a view: the kit is drawn in a design space of
// 670 × 380 points, scaled to fit and centred. Painting and clicking both use
// these positions.

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include "core/drum.h"

namespace knockbox {

struct DrumKitLayout {
    static constexpr double designWidth = 670;
    static constexpr double designHeight = 380;

    double scale = 1;
    QPointF origin;

    // The largest kit that fits `size`, centred in it.
    static DrumKitLayout fitting(const QSizeF& size);

    QPointF point(double x, double y) const { return {origin.x() + x * scale, origin.y() + y * scale}; }
    QPointF hitCenter(Drum drum) const;
    QSizeF hitArea(Drum drum) const;
    QRectF hitRect(Drum drum) const;  // the area around its centre: the drum's click target
    QPointF labelCenter(Drum drum) const;
};

// The same positions in design points.
QPointF designHitCenter(Drum drum);
QSizeF designHitArea(Drum drum);
QPointF designLabelCenter(Drum drum);

}  // namespace knockbox
