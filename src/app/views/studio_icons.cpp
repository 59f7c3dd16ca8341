#include "app/views/studio_icons.h"

#include <algorithm>
#include <array>

#include <QPainter>
#include <QPainterPath>

namespace knockbox {
namespace {

// Pen for stroked symbols: its width follows the icon's size.
QPen strokePen(const QColor& color, double size, double weight) {
    QPen pen(color, size * weight);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

}  // namespace

void paintIcon(QPainter& painter, StudioIcon icon, const QRectF& box, const QColor& color) {
    const double size = std::min(box.width(), box.height());
    // A unit square centred in the box: every symbol is drawn in it.
    const QRectF unit(box.center().x() - size / 2, box.center().y() - size / 2, size, size);
    const auto at = [&](double x, double y) { return QPointF(unit.left() + x * size, unit.top() + y * size); };

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    switch (icon) {
    case StudioIcon::waveform: {
        // Seven rounded bars, tallest in the middle.
        constexpr std::array<double, 7> heights{0.28, 0.55, 0.82, 1.0, 0.7, 0.46, 0.24};
        painter.setPen(strokePen(color, size, 0.095));
        for (std::size_t i = 0; i < heights.size(); ++i) {
            const double x = 0.1 + 0.8 * static_cast<double>(i) / 6.0;
            const double half = 0.42 * heights[i];
            painter.drawLine(at(x, 0.5 - half), at(x, 0.5 + half));
        }
        break;
    }
    case StudioIcon::musicNoteList: {
        painter.setPen(strokePen(color, size, 0.085));
        painter.drawLine(at(0.06, 0.22), at(0.5, 0.22));
        painter.drawLine(at(0.06, 0.46), at(0.5, 0.46));
        painter.drawLine(at(0.06, 0.7), at(0.36, 0.7));
        // A note: stem, flag and a filled head.
        painter.drawLine(at(0.78, 0.72), at(0.78, 0.1));
        QPainterPath flag(at(0.78, 0.1));
        flag.cubicTo(at(0.86, 0.2), at(0.98, 0.22), at(0.94, 0.38));
        painter.drawPath(flag);
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.translate(at(0.66, 0.76));
        painter.rotate(-20);
        painter.drawEllipse(QPointF(0, 0), 0.15 * size, 0.11 * size);
        break;
    }
    case StudioIcon::sliderHorizontal: {
        painter.setPen(strokePen(color, size, 0.08));
        constexpr std::array<double, 3> knobs{0.68, 0.3, 0.56};
        for (int row = 0; row < 3; ++row) {
            const double y = 0.2 + 0.3 * row;
            painter.drawLine(at(0.06, y), at(0.94, y));
        }
        painter.setBrush(color);
        for (int row = 0; row < 3; ++row) {
            const double y = 0.2 + 0.3 * row;
            painter.drawEllipse(at(knobs[static_cast<std::size_t>(row)], y), 0.1 * size, 0.1 * size);
        }
        break;
    }
    case StudioIcon::playFill: {
        // A triangle with rounded corners: the outline stroked in the fill colour.
        QPainterPath triangle(at(0.24, 0.12));
        triangle.lineTo(at(0.86, 0.5));
        triangle.lineTo(at(0.24, 0.88));
        triangle.closeSubpath();
        painter.setPen(strokePen(color, size, 0.12));
        painter.setBrush(color);
        painter.drawPath(triangle);
        break;
    }
    case StudioIcon::stopFill:
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawRoundedRect(QRectF(at(0.16, 0.16), at(0.84, 0.84)), 0.14 * size, 0.14 * size);
        break;
    case StudioIcon::arrowRight:
        painter.setPen(strokePen(color, size, 0.11));
        painter.drawLine(at(0.1, 0.5), at(0.88, 0.5));
        painter.drawPolyline(std::array{at(0.56, 0.18), at(0.88, 0.5), at(0.56, 0.82)}.data(), 3);
        break;
    case StudioIcon::checkmark:
        painter.setPen(strokePen(color, size, 0.13));
        painter.drawPolyline(std::array{at(0.14, 0.54), at(0.4, 0.8), at(0.88, 0.2)}.data(), 3);
        break;
    case StudioIcon::target:
        painter.setPen(strokePen(color, size, 0.09));
        painter.drawEllipse(at(0.5, 0.5), 0.38 * size, 0.38 * size);
        painter.drawLine(at(0.5, 0.02), at(0.5, 0.16));
        painter.drawLine(at(0.5, 0.84), at(0.5, 0.98));
        painter.drawLine(at(0.02, 0.5), at(0.16, 0.5));
        painter.drawLine(at(0.84, 0.5), at(0.98, 0.5));
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawEllipse(at(0.5, 0.5), 0.13 * size, 0.13 * size);
        break;
    case StudioIcon::xmark:
        painter.setPen(strokePen(color, size, 0.11));
        painter.drawLine(at(0.2, 0.2), at(0.8, 0.8));
        painter.drawLine(at(0.8, 0.2), at(0.2, 0.8));
        break;
    }
    painter.restore();
}

}  // namespace knockbox
