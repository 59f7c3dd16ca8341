#include "app/views/macbook_illustration.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include <QPainter>
#include <QPainterPath>

#include "app/views/macbook_motion.h"
#include "app/views/studio_icons.h"
#include "app/views/studio_palette.h"

namespace knockbox {
namespace {

using studio::color;
using studio::Rgb;

constexpr int illustrationFrameMs = 1000 / 30;

// The case, in design points.
const QRectF deck(36, 124, 528, 190);
const QRectF keyboardWell(98, 136, 404, 102);
const QRectF trackpad(222, 246, 156, 60);
const QRectF leftRest(50, 246, 160, 60);
const QRectF rightRest(390, 246, 160, 60);
constexpr double lidBottom = 122, lidTop = 8;
constexpr double lidBottomLeft = 92, lidBottomRight = 508, lidTopLeft = 110, lidTopRight = 490;

constexpr Rgb aluminiumLight{0.84, 0.85, 0.87};
constexpr Rgb aluminiumShade{0.69, 0.7, 0.73};
constexpr Rgb keyCap{0.09, 0.09, 0.1};
constexpr Rgb skinLight{0.98, 0.84, 0.72};
constexpr Rgb skinShade{0.87, 0.68, 0.55};

QRectF restRect(Side side) { return side == Side::left ? leftRest : rightRest; }
QPointF contactPoint(Side side) { return restRect(side).center(); }

QPolygonF trapezoid(double top, double bottom, double topLeft, double topRight, double bottomLeft,
                    double bottomRight) {
    return QPolygonF({QPointF(topLeft, top), QPointF(topRight, top), QPointF(bottomRight, bottom),
                      QPointF(bottomLeft, bottom)});
}

// A trapezoid with rounded corners.
QPainterPath roundedPolygon(const QPolygonF& polygon, double radius) {
    QPainterPath path;
    const auto count = polygon.size();
    for (qsizetype i = 0; i < count; ++i) {
        const QPointF previous = polygon[(i + count - 1) % count];
        const QPointF corner = polygon[i];
        const QPointF next = polygon[(i + 1) % count];
        const auto toward = [&](QPointF target) {
            const QPointF d = target - corner;
            const double length = std::hypot(d.x(), d.y());
            return corner + d * (radius / length);
        };
        if (i == 0) path.moveTo(toward(previous));
        else path.lineTo(toward(previous));
        path.quadTo(corner, toward(next));
    }
    path.closeSubpath();
    return path;
}

void paintLid(QPainter& painter, const MacBookScene& scene, double energy, const QColor& accent) {
    const QPolygonF outer = trapezoid(lidTop, lidBottom, lidTopLeft, lidTopRight, lidBottomLeft, lidBottomRight);
    const QPainterPath lid = roundedPolygon(outer, 10);
    // The lid's aluminium rim, then the black glass.
    painter.setPen(QPen(color({0, 0, 0}, 0.5), 1));
    QLinearGradient rim(0, lidTop, 0, lidBottom);
    rim.setColorAt(0, color({0.62, 0.63, 0.66}));
    rim.setColorAt(1, color({0.45, 0.46, 0.49}));
    painter.setBrush(rim);
    painter.drawPath(lid);
    const QPainterPath glass =
        roundedPolygon(trapezoid(lidTop + 2.5, lidBottom - 2, lidTopLeft + 3, lidTopRight - 3, lidBottomLeft + 2.5,
                                 lidBottomRight - 2.5),
                       8);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color({0.03, 0.03, 0.04}));
    painter.drawPath(glass);
    // The display inside the bezel, with the camera's notch at its top.
    const QPainterPath display = roundedPolygon(
        trapezoid(lidTop + 9, lidBottom - 12, lidTopLeft + 12, lidTopRight - 12, lidBottomLeft + 12,
                  lidBottomRight - 12),
        4);
    QLinearGradient screen(0, lidTop + 9, 0, lidBottom - 12);
    screen.setColorAt(0, color({0.07, 0.09, 0.14}));
    screen.setColorAt(1, color({0.04, 0.05, 0.08}));
    painter.setBrush(screen);
    painter.drawPath(display);
    painter.save();
    painter.setClipPath(display);
    QRadialGradient wash(QPointF(300, 40), 220);
    wash.setColorAt(0, color(scene.complete ? studio::macAccent : Rgb{0.3, 0.4, 0.6}, 0.16));
    wash.setColorAt(1, color({0, 0, 0}, 0));
    painter.setBrush(wash);
    painter.drawPath(display);
    if (energy > 0) {
        painter.setCompositionMode(QPainter::CompositionMode_Plus);
        QRadialGradient glow(QPointF(300, 70), 200);
        glow.setColorAt(0, QColor(accent.red(), accent.green(), accent.blue(), static_cast<int>(90 * energy)));
        glow.setColorAt(1, QColor(accent.red(), accent.green(), accent.blue(), 0));
        painter.setBrush(glow);
        painter.drawPath(display);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    painter.restore();
    painter.setBrush(color({0.03, 0.03, 0.04}));
    painter.drawRoundedRect(QRectF(286, lidTop + 8, 28, 7), 3, 3);
    painter.setBrush(color({0.12, 0.14, 0.2}));
    painter.drawEllipse(QPointF(300, lidTop + 11), 1.6, 1.6);

    // The app on the screen: its wordmark and a "ready" badge.
    QFont font = painter.font();
    font.setPixelSize(19);
    font.setWeight(QFont::DemiBold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, -0.3);
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    const QString word = QStringLiteral("knockbox");
    const double wordWidth = metrics.horizontalAdvance(word);
    const double iconSize = 17;
    const double left = 300 - (wordWidth + iconSize + 7) / 2;
    paintIcon(painter, StudioIcon::waveform, QRectF(left, 44, iconSize, iconSize), color(studio::macAccent));
    painter.setPen(studio::white(0.94));
    painter.drawText(QRectF(left + iconSize + 7, 40, wordWidth + 4, 26), Qt::AlignLeft | Qt::AlignVCenter, word);

    font.setPixelSize(10);
    font.setWeight(QFont::DemiBold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.6);
    painter.setFont(font);
    const QRectF badge(272, 74, 56, 17);
    painter.setPen(QPen(color(studio::macAccent, 0.55), 1));
    painter.setBrush(color(studio::macAccent, scene.complete ? 0.3 : 0.12));
    painter.drawRoundedRect(badge, 8.5, 8.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color(studio::macAccent));
    painter.drawEllipse(QPointF(badge.left() + 10, badge.center().y()), 2.6, 2.6);
    painter.setPen(color(studio::macAccent));
    painter.drawText(badge.adjusted(16, 0, -4, 0), Qt::AlignCenter, QStringLiteral("ready"));
}

void paintDeck(QPainter& painter) {
    // The case's shadow on the table, then the aluminium.
    painter.setPen(Qt::NoPen);
    for (int layer = 0; layer < 6; ++layer) {
        painter.setBrush(color({0, 0, 0}, 0.07));
        const double grow = 2.0 + layer * 2.5;
        painter.drawRoundedRect(deck.adjusted(-grow, -grow + 6, grow, grow + 4), 18 + grow, 18 + grow);
    }
    QLinearGradient metal(0, deck.top(), 0, deck.bottom());
    metal.setColorAt(0, color(aluminiumLight));
    metal.setColorAt(0.55, color({0.78, 0.79, 0.81}));
    metal.setColorAt(1, color(aluminiumShade));
    painter.setPen(QPen(color({0.2, 0.21, 0.23}, 0.8), 1));
    painter.setBrush(metal);
    painter.drawRoundedRect(deck, 16, 16);
    // The bevel catching light all round, the front lip in shade.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(studio::white(0.6), 1.2));
    painter.drawRoundedRect(deck.adjusted(1.5, 1.5, -1.5, -1.5), 14.5, 14.5);
    QLinearGradient lip(0, deck.bottom() - 8, 0, deck.bottom());
    lip.setColorAt(0, color({0, 0, 0}, 0));
    lip.setColorAt(1, color({0, 0, 0}, 0.18));
    painter.setPen(Qt::NoPen);
    painter.setBrush(lip);
    painter.drawRoundedRect(deck, 16, 16);
    // The hinge under the lid.
    QLinearGradient hinge(0, deck.top(), 0, deck.top() + 8);
    hinge.setColorAt(0, color({0.16, 0.16, 0.18}));
    hinge.setColorAt(1, color({0.4, 0.41, 0.44}));
    painter.setBrush(hinge);
    painter.drawRoundedRect(QRectF(lidBottomLeft + 4, deck.top() - 2, lidBottomRight - lidBottomLeft - 8, 8), 3, 3);
}

void paintSpeakers(QPainter& painter) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(color({0.22, 0.23, 0.25}, 0.75));
    for (double x0 : {52.0, 512.0}) {
        for (double y = 141; y <= 234; y += 4.2) {
            for (double x = x0; x <= x0 + 34; x += 4.2) painter.drawEllipse(QPointF(x, y), 0.85, 0.85);
        }
    }
}

// One row of keys: relative widths, labels where the key shows one.
struct KeyRow {
    double height;
    std::vector<double> widths;
    std::vector<QString> labels;
};

void paintKeyboard(QPainter& painter) {
    painter.setPen(QPen(color({0, 0, 0}, 0.35), 1));
    painter.setBrush(color({0.16, 0.16, 0.18}));
    painter.drawRoundedRect(keyboardWell, 6, 6);

    const auto letters = [](const char* text) {
        std::vector<QString> labels;
        for (const char* c = text; *c; ++c) labels.push_back(QString(QChar::fromLatin1(*c)));
        return labels;
    };
    std::vector<QString> numberLabels = letters("`1234567890-=");
    numberLabels.push_back({});
    std::vector<QString> topLabels{{}};
    for (const QString& label : letters("QWERTYUIOP[]\\")) topLabels.push_back(label);
    std::vector<QString> homeLabels{{}};
    for (const QString& label : letters("ASDFGHJKL;'")) homeLabels.push_back(label);
    homeLabels.push_back({});
    std::vector<QString> bottomLabels{{}};
    for (const QString& label : letters("ZXCVBNM,./")) bottomLabels.push_back(label);
    bottomLabels.push_back({});

    std::vector<double> functionRow(14, 1.0);
    functionRow.front() = 1.45;
    std::vector<double> numberRow(13, 1.0);
    numberRow.push_back(1.5);
    std::vector<double> topRow{1.5};
    topRow.insert(topRow.end(), 13, 1.0);
    std::vector<double> homeRow{1.8};
    homeRow.insert(homeRow.end(), 11, 1.0);
    homeRow.push_back(1.7);
    std::vector<double> bottomRow{2.3};
    bottomRow.insert(bottomRow.end(), 10, 1.0);
    bottomRow.push_back(2.2);
    // fn, control, option, command, space, command, option, the arrows.
    const std::vector<double> spaceRow{1.0, 1.0, 1.0, 1.25, 5.0, 1.25, 1.0, 3.0};
    const std::vector<KeyRow> rows{
        {8, functionRow, {}},      {14.4, numberRow, numberLabels}, {14.4, topRow, topLabels},
        {14.4, homeRow, homeLabels}, {14.4, bottomRow, bottomLabels}, {14.4, spaceRow, {QStringLiteral("fn")}},
    };

    constexpr double gap = 2.6;
    const QRectF inner = keyboardWell.adjusted(4, 4, -4, -4);
    QFont font = painter.font();
    font.setPixelSize(6);
    painter.setFont(font);
    double y = inner.top();
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const KeyRow& row = rows[r];
        double units = 0;
        for (double width : row.widths) units += width;
        const double unit = (inner.width() - gap * static_cast<double>(row.widths.size() - 1)) / units;
        double x = inner.left();
        for (std::size_t k = 0; k < row.widths.size(); ++k) {
            const double width = row.widths[k] * unit;
            const bool arrows = r + 1 == rows.size() && k + 1 == row.widths.size();
            const auto paintKey = [&](const QRectF& key, const QString& label) {
                QLinearGradient cap(0, key.top(), 0, key.bottom());
                cap.setColorAt(0, color({0.17, 0.17, 0.19}));
                cap.setColorAt(1, color(keyCap));
                painter.setPen(QPen(color({0, 0, 0}, 0.6), 0.6));
                painter.setBrush(cap);
                painter.drawRoundedRect(key, 2.2, 2.2);
                if (label.isEmpty()) return;
                painter.setPen(studio::white(0.62));
                painter.drawText(key.adjusted(1, 0, -1, 0),
                                 label.size() > 1 ? Qt::AlignLeft | Qt::AlignBottom : Qt::AlignCenter,
                                 label.size() > 1 ? QStringLiteral(" ") + label : label);
            };
            if (arrows) {
                // The inverted T: left and right full height, up and down halves.
                const double third = (width - 2 * gap) / 3;
                const double half = (row.height - 1) / 2;
                paintKey(QRectF(x, y + half + 1, third, half), {});
                paintKey(QRectF(x + third + gap, y, third, half), {});
                paintKey(QRectF(x + third + gap, y + half + 1, third, half), {});
                paintKey(QRectF(x + 2 * (third + gap), y + half + 1, third, half), {});
            } else {
                paintKey(QRectF(x, y, width, row.height), k < row.labels.size() ? row.labels[k] : QString());
            }
            x += width + gap;
        }
        y += row.height + gap;
    }
}

void paintTrackpad(QPainter& painter) {
    QLinearGradient glass(0, trackpad.top(), 0, trackpad.bottom());
    glass.setColorAt(0, color({0.77, 0.78, 0.8}));
    glass.setColorAt(1, color({0.72, 0.73, 0.76}));
    painter.setPen(QPen(color({0.35, 0.36, 0.39}, 0.6), 1));
    painter.setBrush(glass);
    painter.drawRoundedRect(trackpad, 7, 7);
    painter.setPen(QPen(studio::white(0.5), 0.8));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(trackpad.adjusted(1.2, 1.2, -1.2, -1.2), 6, 6);
}

// The palm rest to tap: tinted, outlined and glowing with the energy.
void paintHighlight(QPainter& painter, Side side, const QColor& accent, double energy) {
    const QRectF rest = restRect(side);
    painter.save();
    QLinearGradient tint(rest.topLeft(), rest.bottomRight());
    QColor strong = accent, weak = accent;
    strong.setAlphaF(static_cast<float>(0.34 + 0.3 * energy));
    weak.setAlphaF(static_cast<float>(0.14 + 0.2 * energy));
    tint.setColorAt(0, strong);
    tint.setColorAt(1, weak);
    QColor edge = accent;
    edge.setAlphaF(0.95f);
    painter.setPen(QPen(edge, 1.6));
    painter.setBrush(tint);
    painter.drawRoundedRect(rest, 10, 10);
    // Corner marks: the spot to tap, like a viewfinder.
    QPen marks(edge, 2);
    marks.setCapStyle(Qt::RoundCap);
    painter.setPen(marks);
    const QPointF centre = rest.center();
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, 13, 13);
    QColor dot = accent;
    dot.setAlphaF(0.8f);
    painter.setPen(Qt::NoPen);
    painter.setBrush(dot);
    painter.drawEllipse(centre, 3, 3);
    if (energy > 0) {
        painter.setCompositionMode(QPainter::CompositionMode_Plus);
        QRadialGradient glow(centre, 110);
        QColor inner = accent;
        inner.setAlphaF(static_cast<float>(0.55 * energy));
        QColor outer = accent;
        outer.setAlphaF(0);
        glow.setColorAt(0, inner);
        glow.setColorAt(1, outer);
        painter.setBrush(glow);
        painter.drawRoundedRect(deck, 16, 16);
    }
    painter.restore();
}

// Rings spreading from the point of contact; `progress` 0 to 1.
void paintContactMark(QPainter& painter, QPointF point, double progress, const QColor& accent) {
    painter.save();
    painter.setBrush(Qt::NoBrush);
    for (int ring = 0; ring < 2; ++ring) {
        const double q = progress - 0.18 * ring;
        if (q <= 0 || q >= 1) continue;
        QColor ink = accent;
        ink.setAlphaF(static_cast<float>((1 - q) * 0.9));
        painter.setPen(QPen(ink, 2.2 - 1.2 * q));
        painter.drawEllipse(point, 10 + 34 * q, (10 + 34 * q) * 0.55);
    }
    QColor core = accent;
    core.setAlphaF(static_cast<float>(std::max(0.0, 1 - progress)));
    painter.setPen(Qt::NoPen);
    painter.setBrush(core);
    painter.drawEllipse(point, 5 * (1 - 0.5 * progress), 5 * (1 - 0.5 * progress) * 0.6);
    painter.restore();
}

// A right hand, palm down, fingers toward the screen, around the origin; the
// forearm below it fades out. `fingers` receives the four fingers' outlines.
QPainterPath handOutline(std::vector<QPainterPath>& fingers) {
    const auto capsule = [](QPointF from, QPointF to, double width) {
        const QPointF d = to - from;
        const double length = std::hypot(d.x(), d.y());
        QPainterPath local;
        local.addRoundedRect(QRectF(-width / 2, -width / 2, length + width, width), width / 2, width / 2);
        QTransform turn;
        turn.translate(from.x(), from.y());
        turn.rotate(std::atan2(d.y(), d.x()) * 180 / 3.141592653589793);
        return turn.map(local);
    };
    fingers = {
        capsule({-9.2, 2}, {-10.8, -18.5}, 6.2),  // index
        capsule({-3, 1}, {-3.3, -22}, 6.4),       // middle
        capsule({3.3, 1}, {4.1, -20}, 6.2),       // ring
        capsule({9.4, 3}, {11.2, -14}, 5.6),      // little
    };
    // Palm and wrist in one smooth outline, the thumb's root bulging left.
    QPainterPath palm(QPointF(-13, 0));
    palm.cubicTo(QPointF(-13.5, -4), QPointF(13.5, -4), QPointF(13, 2));
    palm.cubicTo(QPointF(13.2, 10), QPointF(11.5, 16), QPointF(9, 20));
    palm.cubicTo(QPointF(8.6, 28), QPointF(8.8, 38), QPointF(9, 48));
    palm.lineTo(-9, 48);
    palm.cubicTo(QPointF(-9, 38), QPointF(-9.4, 28), QPointF(-10, 21));
    palm.cubicTo(QPointF(-14.5, 17), QPointF(-14.5, 6), QPointF(-13, 0));
    palm.closeSubpath();
    const QPainterPath thumb = capsule({-10.5, 13}, {-19.5, 1.5}, 7.4);
    QPainterPath hand = palm.united(thumb);
    for (const QPainterPath& finger : fingers) hand = hand.united(finger);
    return hand;
}

void paintHand(QPainter& painter, Side side, const HandPose& pose) {
    const QPointF contact = contactPoint(side);
    // The shadow stays on the case, the hand rises toward the viewer.
    const HandShadow shadow = handShadow(pose.height);
    painter.save();
    painter.translate(contact.x(), contact.y() + 6);
    painter.scale(1, shadow.height / shadow.width);
    const double radius = shadow.width / 2 + shadow.blur;
    QRadialGradient soft(QPointF(0, 0), radius);
    soft.setColorAt(0, color({0, 0, 0}, shadow.opacity));
    soft.setColorAt(std::clamp((shadow.width / 2 - shadow.blur) / radius, 0.0, 0.99), color({0, 0, 0}, shadow.opacity));
    soft.setColorAt(1, color({0, 0, 0}, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(soft);
    painter.drawEllipse(QPointF(0, 0), radius, radius);
    painter.restore();

    painter.save();
    painter.translate(contact.x(), contact.y() - pose.height);
    painter.scale(pose.scaleX, pose.scaleY);
    std::vector<QPainterPath> fingers;
    const QPainterPath hand = handOutline(fingers);
    // Lit from the top left; the forearm fades out toward the viewer.
    QLinearGradient skin(-10, -22, 6, 48);
    skin.setColorAt(0, color(skinLight));
    skin.setColorAt(0.55, color(skinShade));
    skin.setColorAt(0.8, color(skinShade, 0.9));
    skin.setColorAt(1, color(skinShade, 0));
    QLinearGradient edge(0, -22, 0, 48);
    edge.setColorAt(0, color({0.5, 0.33, 0.24}, 0.8));
    edge.setColorAt(0.7, color({0.5, 0.33, 0.24}, 0.6));
    edge.setColorAt(1, color({0.5, 0.33, 0.24}, 0));
    painter.setPen(QPen(QBrush(edge), 0.9));
    painter.setBrush(skin);
    painter.drawPath(hand);
    // The fingers' edges and nails, faintly.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(color({0.55, 0.36, 0.26}, 0.35), 0.6));
    for (const QPainterPath& finger : fingers) painter.drawPath(finger);
    painter.setPen(Qt::NoPen);
    painter.setBrush(studio::white(0.4));
    for (const QPointF nail : {QPointF(-10.7, -17.9), QPointF(-3.3, -21.4), QPointF(4.1, -19.4), QPointF(11.1, -13.6)})
        painter.drawEllipse(nail, 1.8, 2.2);
    painter.restore();
}

}  // namespace

void MacBookScene::paint(QPainter& painter, const QSizeF& size) const {
    const double scale = std::min(size.width() / designWidth, size.height() / designHeight);
    if (scale <= 0) return;
    const QColor accent = color(light ? studio::macWarmAccent : studio::macAccent);
    const bool demonstrating = side && !reduceMotion;
    const std::optional<double> phase = demonstrating ? std::optional(tapPhase(time, light)) : std::nullopt;
    std::optional<double> sinceTap;
    if (countedTapAt) sinceTap = time - *countedTapAt;
    const double energy = tapEnergy(sinceTap, phase, light);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate((size.width() - designWidth * scale) / 2, (size.height() - designHeight * scale) / 2);
    painter.scale(scale, scale);
    // The case gives a little under a firm demonstration tap.
    if (phase) painter.translate(0, caseDip(*phase, light));

    paintDeck(painter);
    paintLid(painter, *this, energy, accent);
    paintSpeakers(painter);
    paintKeyboard(painter);
    paintTrackpad(painter);
    if (complete) {
        // Both palm rests learned: tinted and outlined, each with a check.
        for (Side rest : {Side::left, Side::right}) {
            painter.setPen(QPen(color(studio::macAccent, 0.7), 1.2));
            painter.setBrush(color(studio::macAccent, 0.2));
            painter.drawRoundedRect(restRect(rest), 10, 10);
            const QPointF centre = restRect(rest).center();
            painter.setPen(Qt::NoPen);
            painter.setBrush(color(studio::macAccent, 0.9));
            painter.drawEllipse(centre, 10, 10);
            paintIcon(painter, StudioIcon::checkmark, QRectF(centre.x() - 6, centre.y() - 6, 12, 12),
                      color({0.1, 0.12, 0.12}));
        }
    }
    if (side) paintHighlight(painter, *side, accent, energy);

    if (side) {
        if (phase && demonstrationContact(*phase))
            paintContactMark(painter, contactPoint(*side), (*phase - 0.54) / 0.24, accent);
        else if (sinceTap && *sinceTap >= 0 && *sinceTap < acceptedMarkTime)
            paintContactMark(painter, contactPoint(*side), *sinceTap / acceptedMarkTime, accent);
        paintHand(painter, *side, handPose(phase, light, *side));
    } else if (sinceTap && *sinceTap >= 0 && *sinceTap < acceptedMarkTime) {
        // A counted tap while no side is asked for (the block just ended):
        // the glow over the whole case.
        painter.save();
        painter.setCompositionMode(QPainter::CompositionMode_Plus);
        QRadialGradient glow(deck.center(), 260);
        QColor inner = accent;
        inner.setAlphaF(static_cast<float>(0.3 * energy));
        QColor outer = accent;
        outer.setAlphaF(0);
        glow.setColorAt(0, inner);
        glow.setColorAt(1, outer);
        painter.setPen(Qt::NoPen);
        painter.setBrush(glow);
        painter.drawRoundedRect(deck, 16, 16);
        painter.restore();
    }
    painter.restore();
}

MacBookIllustration::MacBookIllustration(bool reduceMotion, AnimationClock clock, QWidget* parent)
    : QWidget(parent), reduceMotion_(reduceMotion), clockSource_(std::move(clock)) {
    setAccessibleName(accessibilityLabel(std::nullopt, false));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    frames_.setInterval(illustrationFrameMs);
    connect(&frames_, &QTimer::timeout, this, [this] {
        update();
        refresh();
    });
    settle_.setSingleShot(true);
    connect(&settle_, &QTimer::timeout, this, [this] {
        update();
        refresh();
    });
}

QString MacBookIllustration::accessibilityLabel(std::optional<Side> side, bool light) {
    if (!side) return QStringLiteral("MacBook Pro showing the case and palm rests");
    return QStringLiteral("MacBook Pro. Tap the ") + (*side == Side::left ? "left" : "right") +
           QStringLiteral(" aluminum palm rest ") + (light ? "gently." : "firmly.");
}

void MacBookIllustration::setSide(std::optional<Side> side) {
    if (side_ == side) return;
    side_ = side;
    setAccessibleName(accessibilityLabel(side_, light_));
    refresh();
    update();
}

void MacBookIllustration::setLight(bool light) {
    if (light_ == light) return;
    light_ = light;
    setAccessibleName(accessibilityLabel(side_, light_));
    update();
}

void MacBookIllustration::setComplete(bool complete) {
    if (complete_ == complete) return;
    complete_ = complete;
    update();
}

void MacBookIllustration::setHitToken(int token) {
    if (hitToken_ == token) return;
    hitToken_ = token;
    acceptedAt_ = now();
    refresh();
    update();
}

void MacBookIllustration::setClock(std::optional<double> time) {
    clock_ = time;
    refresh();
    update();
}

MacBookScene MacBookIllustration::scene() const {
    return {side_, light_, complete_, reduceMotion_, now(), acceptedAt_};
}

// Frames run while the hand demonstrates or a counted tap glows; with reduced
// motion (or a fixed time) there are only still pictures, and one more once a
// counted tap's glow is over.
void MacBookIllustration::refresh() {
    const double time = now();
    const bool glowing = acceptedAt_ && time - *acceptedAt_ < acceptedGlowTime;
    const bool moving = !reduceMotion_ && !clock_ && isVisible() && (side_ || glowing);
    if (moving && !frames_.isActive()) frames_.start();
    if (!moving) frames_.stop();
    if (!moving && glowing && !clock_ && !settle_.isActive())
        settle_.start(static_cast<int>(std::ceil((*acceptedAt_ + acceptedGlowTime - time) * 1000)));
}

void MacBookIllustration::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    scene().paint(painter, size());
}

void MacBookIllustration::showEvent(QShowEvent*) { refresh(); }
void MacBookIllustration::hideEvent(QHideEvent*) { frames_.stop(); }

}  // namespace knockbox
