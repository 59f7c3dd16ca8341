#pragma once
// The app's small symbols, drawn as vectors so they stay crisp at any scale.

#include <QColor>
#include <QRectF>

class QPainter;

namespace knockbox {

enum class StudioIcon {
    waveform,          // the wordmark's sound wave
    musicNoteList,     // "Sounds"
    sliderHorizontal,  // "Settings": three sliders
    playFill,
    stopFill,
    arrowRight,
    checkmark,
    xmark,             // closing
    target,            // "Calibration": a ring round the spot to tap
};

// Draws the icon centred in `box` (its larger side is the icon's size).
void paintIcon(QPainter& painter, StudioIcon icon, const QRectF& box, const QColor& color);

}  // namespace knockbox
