#include "app/views/drum_kit_canvas.h"

#include <cmath>
#include <numbers>

#include <QPainter>
#include <QPainterPath>

#include "app/views/drum_kit_layout.h"
#include "app/views/speckle.h"
#include "app/views/studio_icons.h"
#include "app/views/studio_palette.h"

namespace knockbox {
namespace {

using studio::color;
using studio::Rgb;

constexpr double degrees = 180.0 / std::numbers::pi;

// Finishes: a deep wine lacquer for the shells, coated heads, brass.
constexpr Rgb lacquerLight{0.64, 0.15, 0.2};
constexpr Rgb lacquerMid{0.42, 0.07, 0.12};
constexpr Rgb lacquerDark{0.17, 0.02, 0.05};
constexpr Rgb headLight{0.92, 0.9, 0.85};
constexpr Rgb headShade{0.68, 0.65, 0.6};
constexpr Rgb brassLight{0.99, 0.88, 0.62};
constexpr Rgb brassMid{0.8, 0.62, 0.34};
constexpr Rgb brassDark{0.47, 0.33, 0.16};

// A drum head: its ellipse and how much it gives under a hit.
struct Head {
    QPointF centre;
    double width, height;
    double flex;
    QRectF rect() const { return {centre.x() - width / 2, centre.y() - height / 2, width, height}; }
};
constexpr double kickRadius = 95;  // the shell; the head lies inside the lacquered hoop
const Head kickHead{{270, 248}, 160, 160, 0.85};
const Head tomHead{{172, 108}, 118, 36, 1.0};
const Head snareHead{{480, 210}, 124, 34, 1.0};
constexpr double tomDepth = 70;
constexpr double snareDepth = 36;
// Fixed seeds: every frame shows the same sparkle.
constexpr std::uint32_t kickSpeckleSeed = 1;
constexpr std::uint32_t tomSpeckleSeed = 4;

QRectF ellipseAround(QPointF centre, double width, double height) {
    return {centre.x() - width / 2, centre.y() - height / 2, width, height};
}

// Polished metal across a line from `from` to `to`: bright and dark bands.
QLinearGradient chrome(QPointF from, QPointF to, double opacity = 1) {
    QLinearGradient gradient(from, to);
    gradient.setColorAt(0.0, color({0.42, 0.44, 0.48}, opacity));
    gradient.setColorAt(0.25, color({0.97, 0.98, 0.99}, opacity));
    gradient.setColorAt(0.5, color({0.6, 0.62, 0.66}, opacity));
    gradient.setColorAt(0.75, color({0.88, 0.89, 0.92}, opacity));
    gradient.setColorAt(1.0, color({0.36, 0.38, 0.42}, opacity));
    return gradient;
}

// A chrome tube from a to b, shaded across its width.
void chromeTube(QPainter& painter, QPointF a, QPointF b, double width) {
    const QPointF along = b - a;
    const double length = std::hypot(along.x(), along.y());
    if (length <= 0) return;
    const QPointF normal(-along.y() / length * width / 2, along.x() / length * width / 2);
    const QPointF middle = (a + b) / 2;
    QPen pen(QBrush(chrome(middle - normal, middle + normal)), width);
    pen.setCapStyle(Qt::RoundCap);
    painter.setPen(pen);
    painter.drawLine(a, b);
}

// The side of a drum seen a little from above: the top ellipse, the shell
// down to the bottom ellipse's lower half.
QPainterPath cylinder(const Head& head, double depth) {
    const QRectF top = head.rect();
    const QRectF bottom = top.translated(0, depth);
    QPainterPath path(QPointF(top.left(), head.centre.y()));
    path.lineTo(bottom.left(), head.centre.y() + depth);
    path.arcTo(bottom, 180, 180);
    path.lineTo(top.right(), head.centre.y());
    path.arcTo(top, 0, 180);
    path.closeSubpath();
    return path;
}

// Round lacquer catching the light a third of the way across.
QLinearGradient lacquerAcross(double left, double right) {
    QLinearGradient gradient(left, 0, right, 0);
    gradient.setColorAt(0.0, color(lacquerDark));
    gradient.setColorAt(0.2, color(lacquerMid));
    gradient.setColorAt(0.36, color(lacquerLight));
    gradient.setColorAt(0.52, color(lacquerMid));
    gradient.setColorAt(0.85, color(lacquerDark));
    gradient.setColorAt(1.0, color({0.1, 0.01, 0.03}));
    return gradient;
}

void paintSpeckles(QPainter& painter, std::uint32_t seed, const QRectF& shell, const QPainterPath& clip) {
    painter.save();
    painter.setClipPath(clip, Qt::IntersectClip);
    painter.setPen(Qt::NoPen);
    for (const SpeckleDot& dot : speckleDots(seed, shell)) {
        painter.setBrush(studio::white(dot.opacity));
        painter.drawEllipse(dot.center, dot.diameter / 2, dot.diameter / 2);
    }
    painter.restore();
}

// A coated head: warm white, brightest toward the back, shaded at the rim.
void paintCoatedHead(QPainter& painter, const Head& head) {
    const QRectF rect = head.rect();
    QRadialGradient coat(QPointF(head.centre.x() - head.width * 0.12, head.centre.y() - head.height * 0.18),
                         head.width * 0.62);
    coat.setColorAt(0.0, color(headLight));
    coat.setColorAt(0.7, color({0.83, 0.81, 0.76}));
    coat.setColorAt(1.0, color(headShade));
    painter.setPen(Qt::NoPen);
    painter.setBrush(coat);
    painter.drawEllipse(rect);
    // The bearing edge's shadow just inside the hoop.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(color({0.3, 0.27, 0.22}, 0.25), 1.2));
    painter.drawEllipse(rect.adjusted(1.5, 1.2, -1.5, -1.2));
}

// A hoop: a chrome ring round the head.
void paintHoop(QPainter& painter, const QRectF& rect, double width) {
    QPen pen(QBrush(chrome(rect.topLeft(), rect.bottomRight())), width);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(rect);
}

// What a hit does to a head: a dent and rings (unless motion is reduced),
// and an additive glow.
void paintHeadHit(QPainter& painter, const Head& head, std::optional<double> age, double strength, bool reduceMotion) {
    if (!age) return;
    const double a = *age;
    painter.save();
    QPainterPath clip;
    clip.addEllipse(head.rect());
    painter.setClipPath(clip, Qt::IntersectClip);
    painter.setPen(Qt::NoPen);
    if (!reduceMotion) {
        QRadialGradient dent(head.centre, 0.4 * head.width);
        dent.setColorAt(0, color({0, 0, 0}, dentOpacity(a, strength, head.flex)));
        dent.setColorAt(1, color({0, 0, 0}, 0));
        painter.setBrush(dent);
        painter.drawEllipse(head.rect());
        painter.setBrush(Qt::NoBrush);
        for (const auto& ring : headRings(a, strength)) {
            if (!ring) continue;
            painter.setPen(QPen(color(studio::kitMint, ring->opacity), ring->lineWidth));
            painter.drawEllipse(ellipseAround(head.centre, head.width * ring->scale, head.height * ring->scale));
        }
        painter.setPen(Qt::NoPen);
    }
    painter.setCompositionMode(QPainter::CompositionMode_Plus);
    QRadialGradient glow(head.centre, 0.6 * head.width);
    glow.setColorAt(0, color(studio::kitMint, headGlowOpacity(a, strength)));
    glow.setColorAt(1, color(studio::kitMint, 0));
    painter.setBrush(glow);
    painter.drawEllipse(head.rect());
    painter.restore();
}

void paintStage(QPainter& painter) {
    painter.save();
    painter.setPen(Qt::NoPen);
    // A warm spot from above, brightest behind the kick.
    QRadialGradient spot(QPointF(330, 200), 300);
    spot.setColorAt(0, studio::white(0.045));
    spot.setColorAt(1, studio::white(0));
    painter.setBrush(spot);
    painter.drawEllipse(QPointF(330, 200), 300, 190);
    // The rug the kit stands on, flattened by perspective.
    painter.translate(335, 342);
    painter.scale(1, 0.075);
    QRadialGradient rug(QPointF(0, 0), 300);
    rug.setColorAt(0.0, color({0.2, 0.15, 0.16}));
    rug.setColorAt(0.8, color({0.13, 0.1, 0.11}));
    rug.setColorAt(1.0, color({0.09, 0.08, 0.09}));
    painter.setBrush(rug);
    painter.drawEllipse(QPointF(0, 0), 300, 300);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(studio::white(0.06), 12));
    painter.drawEllipse(QPointF(0, 0), 294, 294);
    painter.restore();
}

// A soft contact shadow on the rug.
void paintFootShadow(QPainter& painter, QPointF centre, double width) {
    QRadialGradient shadow(centre, width / 2);
    shadow.setColorAt(0, color({0, 0, 0}, 0.5));
    shadow.setColorAt(1, color({0, 0, 0}, 0));
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(shadow);
    painter.translate(centre);
    painter.scale(1, 0.22);
    painter.translate(-centre);
    painter.drawEllipse(centre, width / 2, width / 2);
    painter.restore();
}

// A cymbal of radius 66 around the painter's origin, flattened by k; the
// lathe's sheen turned by `angle` radians.
void paintCymbal(QPainter& painter, double k, double angle, double brightness) {
    painter.save();
    painter.scale(1, k);
    QConicalGradient sheen(QPointF(0, 0), angle * degrees);
    const QColor light = color(brassLight, 1).darker(static_cast<int>(100 / brightness));
    const QColor mid = color(brassMid).darker(static_cast<int>(100 / brightness));
    const QColor dark = color(brassDark).darker(static_cast<int>(100 / brightness));
    for (int quarter = 0; quarter < 4; ++quarter) {
        const double at = quarter / 4.0;
        sheen.setColorAt(at, quarter % 2 ? dark : light);
        sheen.setColorAt(at + 0.125, mid);
    }
    sheen.setColorAt(1.0, light);
    painter.setPen(QPen(color(brassDark, 0.9), 1.2 / std::max(k, 0.05)));
    painter.setBrush(sheen);
    painter.drawEllipse(QPointF(0, 0), 66, 66);
    // Lathe grooves and the bell.
    painter.setBrush(Qt::NoBrush);
    for (int groove = 1; groove <= 5; ++groove) {
        painter.setPen(QPen(color({0.3, 0.2, 0.08}, 0.12), 0.7));
        painter.drawEllipse(QPointF(0, 0), 14.0 + groove * 9.5, 14.0 + groove * 9.5);
    }
    QRadialGradient bell(QPointF(-3, -4), 16);
    bell.setColorAt(0, color(brassLight));
    bell.setColorAt(1, color(brassMid));
    painter.setPen(QPen(color(brassDark, 0.7), 0.8));
    painter.setBrush(bell);
    painter.drawEllipse(QPointF(0, 0), 15, 15);
    painter.restore();
}

void paintHiHat(QPainter& painter, const DrumKitCanvas& canvas) {
    const auto age = canvas.age(Drum::hihat);
    const double strength = canvas.strength(Drum::hihat);
    const HiHatPose pose = hiHatPose(age, strength, canvas.reduceMotion);

    // The stand: tripod, pedal, outer tube and the rod through the cymbals.
    paintFootShadow(painter, {588, 342}, 110);
    chromeTube(painter, {588, 292}, {548, 341}, 2.6);
    chromeTube(painter, {588, 292}, {628, 341}, 2.6);
    chromeTube(painter, {588, 300}, {588, 338}, 2.2);
    painter.setPen(QPen(color({0.05, 0.05, 0.06}), 1));
    painter.setBrush(color({0.14, 0.14, 0.16}));
    painter.drawRoundedRect(QRectF(575, 334, 26, 9), 2.5, 2.5);
    chromeTube(painter, {588, 128}, {588, 300}, 4.2);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color({0.1, 0.1, 0.11}));
    painter.drawRoundedRect(QRectF(584, 286, 8, 12), 2, 2);  // the tube's joint
    chromeTube(painter, {588, pose.centerY - 16}, {588, 130}, 1.8);

    // The lower cymbal stays still.
    painter.save();
    painter.translate(588, 127);
    painter.rotate(0.02 * degrees);
    paintCymbal(painter, 0.26, 0.4, 0.82);
    painter.restore();

    // The upper one drops, tilts and rings.
    painter.save();
    painter.translate(588, pose.centerY);
    painter.rotate(pose.rotation * degrees);
    paintCymbal(painter, pose.k, pose.gradientAngle, 1.0);
    // The clutch holding it to the rod.
    painter.setPen(QPen(color({0.2, 0.2, 0.22}), 0.6));
    painter.setBrush(chrome({-5, 0}, {5, 0}));
    painter.drawRoundedRect(QRectF(-5, -9, 10, 6), 1.5, 1.5);
    painter.restore();

    if (pose.glowOpacity > 0) {
        painter.save();
        painter.setCompositionMode(QPainter::CompositionMode_Plus);
        painter.setPen(Qt::NoPen);
        QRadialGradient glow(QPointF(588, 118), 79.2);
        glow.setColorAt(0, color(studio::kitGold, pose.glowOpacity));
        glow.setColorAt(1, color(studio::kitGold, 0));
        painter.setBrush(glow);
        painter.drawEllipse(QRectF(508.8, 85, 158.4, 66));
        painter.restore();
    }
}

void paintKick(QPainter& painter, const DrumKitCanvas& canvas) {
    const QPointF centre = kickHead.centre;
    // Spurs, behind the shell, and the pedal in front.
    paintFootShadow(painter, {270, 344}, 230);
    chromeTube(painter, {196, 296}, {166, 342}, 3.4);
    chromeTube(painter, {344, 296}, {374, 342}, 3.4);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color({0.08, 0.08, 0.09}));
    painter.drawEllipse(QPointF(166, 342), 4.5, 2.5);
    painter.drawEllipse(QPointF(374, 342), 4.5, 2.5);

    // The shell's lacquered hoop with its sparkle.
    QPainterPath shell;
    shell.addEllipse(centre, kickRadius, kickRadius);
    QRadialGradient lacquer(QPointF(centre.x() - 30, centre.y() - 40), kickRadius * 1.5);
    lacquer.setColorAt(0.0, color(lacquerLight));
    lacquer.setColorAt(0.55, color(lacquerMid));
    lacquer.setColorAt(1.0, color(lacquerDark));
    painter.setPen(QPen(color({0.08, 0.01, 0.02}), 1.2));
    painter.setBrush(lacquer);
    painter.drawPath(shell);
    QPainterPath ring = shell;
    QPainterPath inner;
    inner.addEllipse(centre, kickHead.width / 2 + 2, kickHead.height / 2 + 2);
    ring = ring.subtracted(inner);
    paintSpeckles(painter, kickSpeckleSeed, shell.boundingRect(), ring);
    // A gloss band along the top of the hoop.
    painter.save();
    painter.setClipPath(ring);
    QLinearGradient gloss(0, centre.y() - kickRadius, 0, centre.y());
    gloss.setColorAt(0, studio::white(0.22));
    gloss.setColorAt(0.4, studio::white(0.0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(gloss);
    painter.drawPath(shell);
    painter.restore();

    // Claws and tension rods round the hoop.
    for (int claw = 0; claw < 10; ++claw) {
        const double angle = (claw * 36.0 + 18.0);
        painter.save();
        painter.translate(centre);
        painter.rotate(angle);
        painter.translate(kickRadius - 8.5, 0);
        painter.setPen(QPen(color({0.25, 0.26, 0.28}), 0.5));
        painter.setBrush(chrome({0, -2.5}, {0, 2.5}));
        painter.drawRoundedRect(QRectF(-6, -2.4, 13, 4.8), 1.6, 1.6);
        painter.restore();
    }
    paintHoop(painter, ellipseAround(centre, kickHead.width + 4, kickHead.height + 4), 3.2);
    paintCoatedHead(painter, kickHead);

    // The badge on the front head, carrying the kit's name.
    painter.save();
    painter.setPen(QPen(color(studio::kitGold, 0.55), 1.1));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, 56, 56);
    QRadialGradient badge(QPointF(centre.x() - 8, centre.y() - 10), 48);
    badge.setColorAt(0, color({0.16, 0.17, 0.2}));
    badge.setColorAt(1, color({0.07, 0.07, 0.09}));
    painter.setPen(QPen(color(studio::kitGold, 0.8), 1.4));
    painter.setBrush(badge);
    painter.drawEllipse(centre, 45, 45);
    paintIcon(painter, StudioIcon::waveform, ellipseAround({centre.x(), centre.y() - 12}, 22, 16),
              color(studio::kitMint));
    QFont font = painter.font();
    font.setPixelSize(8);
    font.setWeight(QFont::Bold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.9);
    painter.setFont(font);
    painter.setPen(studio::white(0.92));
    painter.drawText(QRectF(centre.x() - 42, centre.y() + 2, 84, 16), Qt::AlignCenter, canvas.kickLabel);
    painter.restore();

    paintHeadHit(painter, kickHead, canvas.age(Drum::kick), canvas.strength(Drum::kick), canvas.reduceMotion);
}

// Lugs on a drum's side: small chrome blocks on a line across the shell.
void paintLugs(QPainter& painter, const Head& head, double y, double height, int count, double spread) {
    for (int lug = 0; lug < count; ++lug) {
        const double t = count == 1 ? 0.5 : static_cast<double>(lug) / (count - 1);
        // Lugs toward the sides are seen edge-on: narrower.
        const double offset = (t - 0.5) * spread;
        const double x = head.centre.x() + offset * head.width / 2;
        const double width = 5.5 * std::sqrt(std::max(0.2, 1 - offset * offset));
        painter.setPen(QPen(color({0.2, 0.21, 0.23}), 0.5));
        painter.setBrush(chrome({x - width / 2, 0}, {x + width / 2, 0}));
        painter.drawRoundedRect(QRectF(x - width / 2, y - height / 2, width, height), 2, 2);
    }
}

void paintTom(QPainter& painter, const DrumKitCanvas& canvas) {
    // Mounted on the kick: a post from the kick's shell and an arm into the tom.
    chromeTube(painter, {262, 160}, {262, 134}, 4);
    chromeTube(painter, {262, 136}, {226, 136}, 4);
    painter.setPen(QPen(color({0.05, 0.05, 0.06}), 0.8));
    painter.setBrush(color({0.16, 0.16, 0.18}));
    painter.drawRoundedRect(QRectF(255, 152, 14, 10), 2, 2);

    const QPainterPath side = cylinder(tomHead, tomDepth);
    painter.setPen(QPen(color({0.08, 0.01, 0.02}), 1));
    painter.setBrush(lacquerAcross(tomHead.centre.x() - tomHead.width / 2, tomHead.centre.x() + tomHead.width / 2));
    painter.drawPath(side);
    paintSpeckles(painter, tomSpeckleSeed, side.boundingRect(), side);
    paintLugs(painter, tomHead, tomHead.centre.y() + tomDepth / 2 + 4, 18, 5, 1.6);
    // The bottom hoop's visible half.
    const QRectF bottom = tomHead.rect().translated(0, tomDepth);
    QPen hoop(QBrush(chrome(bottom.topLeft(), bottom.topRight())), 3);
    painter.setPen(hoop);
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(bottom, 180 * 16, 180 * 16);
    paintHoop(painter, tomHead.rect().adjusted(-2, -1.5, 2, 1.5), 3.4);
    paintCoatedHead(painter, tomHead);
    paintHeadHit(painter, tomHead, canvas.age(Drum::tom), canvas.strength(Drum::tom), canvas.reduceMotion);
}

void paintSnare(QPainter& painter, const DrumKitCanvas& canvas) {
    // Stand: a tripod and a basket holding the drum.
    paintFootShadow(painter, {480, 345}, 120);
    chromeTube(painter, {480, 300}, {442, 344}, 2.6);
    chromeTube(painter, {480, 300}, {518, 344}, 2.6);
    chromeTube(painter, {480, 262}, {480, 322}, 3.4);
    chromeTube(painter, {480, 262}, {446, 250}, 2);
    chromeTube(painter, {480, 262}, {514, 250}, 2);

    // A brass shell between chrome hoops.
    const QPainterPath side = cylinder(snareHead, snareDepth);
    QLinearGradient brass(snareHead.centre.x() - snareHead.width / 2, 0, snareHead.centre.x() + snareHead.width / 2, 0);
    brass.setColorAt(0.0, color(brassDark));
    brass.setColorAt(0.22, color(brassMid));
    brass.setColorAt(0.36, color(brassLight));
    brass.setColorAt(0.55, color(brassMid));
    brass.setColorAt(0.9, color(brassDark));
    brass.setColorAt(1.0, color({0.3, 0.2, 0.09}));
    painter.setPen(QPen(color({0.25, 0.17, 0.07}), 1));
    painter.setBrush(brass);
    painter.drawPath(side);
    paintLugs(painter, snareHead, snareHead.centre.y() + snareDepth / 2 + 4, 12, 6, 1.7);
    // The strainer on the right.
    painter.setPen(QPen(color({0.2, 0.21, 0.23}), 0.5));
    painter.setBrush(chrome({530, 0}, {538, 0}));
    painter.drawRoundedRect(QRectF(529, 224, 8, 18), 2, 2);
    const QRectF bottom = snareHead.rect().translated(0, snareDepth);
    painter.setPen(QPen(QBrush(chrome(bottom.topLeft(), bottom.topRight())), 3.4));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(bottom, 180 * 16, 180 * 16);
    paintHoop(painter, snareHead.rect().adjusted(-2, -1.5, 2, 1.5), 3.6);
    paintCoatedHead(painter, snareHead);
    paintHeadHit(painter, snareHead, canvas.age(Drum::snare), canvas.strength(Drum::snare), canvas.reduceMotion);
}

// A stick with its tip at the origin, pointing along +x.
void paintStick(QPainter& painter, const StickPose& pose, QPointF tip) {
    painter.save();
    painter.setOpacity(painter.opacity() * pose.opacity);
    painter.translate(tip);
    painter.rotate(pose.angle * degrees);
    QPainterPath stick(QPointF(4, -1.6));
    stick.lineTo(118, -3.4);
    stick.quadTo(QPointF(121.5, 0), QPointF(118, 3.4));
    stick.lineTo(4, 1.6);
    stick.closeSubpath();
    QLinearGradient wood(0, -3, 0, 3);
    wood.setColorAt(0, color({0.96, 0.86, 0.66}));
    wood.setColorAt(1, color({0.74, 0.56, 0.33}));
    painter.setPen(QPen(color({0, 0, 0}, 0.25), 0.5));
    painter.setBrush(wood);
    painter.drawPath(stick);
    painter.setBrush(color({0.97, 0.89, 0.72}));
    painter.drawEllipse(QRectF(-1, -2.6, 7, 5.2));
    painter.restore();
}

}  // namespace

void DrumKitCanvas::paint(QPainter& painter, const QSizeF& size) const {
    const DrumKitLayout layout = DrumKitLayout::fitting(size);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(layout.origin);
    painter.scale(layout.scale, layout.scale);
    paintStage(painter);
    paintHiHat(painter, *this);
    paintKick(painter, *this);
    paintTom(painter, *this);
    paintSnare(painter, *this);
    if (!reduceMotion) {
        for (const StickPlace& place : stickPlaces) {
            if (const auto pose = stickPose(place.restingAngle, age(place.drum), strength(place.drum)))
                paintStick(painter, *pose, {place.tipX, place.tipY});
        }
    }
    painter.restore();
}

}  // namespace knockbox
