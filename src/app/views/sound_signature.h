#pragma once
// A kit's little drawn waveform: a decaying wave that tells the kits apart at
// a glance (its frequencies and decay per kit).

#include <QPainterPath>
#include <QSizeF>

#include "audio/drum_kit.h"

namespace knockbox {

inline constexpr int soundSignatureSteps = 140;

// The wave's height at t in [0, 1], as a fraction of the drawing's height
// (positive is up): 0.35 · e(t) · f(t).
double soundSignatureHeight(DrumKit kit, double t);
// The stroked path across a drawing area of `size`, from its left edge.
QPainterPath soundSignaturePath(DrumKit kit, const QSizeF& size);

}  // namespace knockbox
