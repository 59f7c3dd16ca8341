#pragma once
// The drawing of the four-piece kit at one instant: the stage, the hi-hat,
// the kick, the tom, the snare and the sticks, in a design space of 670 × 380
// points (DrumKitLayout). The time is a field, so any instant can be drawn.

#include <optional>

#include <QSizeF>
#include <QString>

#include "app/views/drum_kit_motion.h"
#include "core/drum.h"

class QPainter;

namespace knockbox {

struct DrumKitCanvas {
    DrumHits hits;
    QString kickLabel = QStringLiteral("LIVE KIT");  // printed on the kick's front head
    double now = 0;                                  // seconds, on the hits' clock
    bool reduceMotion = false;                       // no dents, rings, sticks or cymbal motion

    std::optional<double> age(Drum drum) const { return hitAge(hits, drum, now); }
    double strength(Drum drum) const { return hitStrength(hits, drum); }

    // Draws the kit scaled to fit `size` and centred, from the painter's origin.
    void paint(QPainter& painter, const QSizeF& size) const;
};

// The sticks: where each tip rests on its drum and the stick's resting angle.
struct StickPlace {
    Drum drum;
    double tipX, tipY;
    double restingAngle;  // radians
};
inline constexpr StickPlace stickPlaces[] = {
    {Drum::tom, 160, 122, -2.25},
    {Drum::snare, 470, 212, -0.85},
    {Drum::hihat, 565, 112, -1.05},
};

}  // namespace knockbox
