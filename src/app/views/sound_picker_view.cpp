#include "app/views/sound_picker_view.h"

#include "app/views/focus_ring.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include "app/views/drum_kit_canvas.h"
#include "app/views/sound_signature.h"
#include "app/views/studio_button.h"
#include "app/views/studio_label.h"
#include "app/views/studio_palette.h"

namespace knockbox {
namespace {

QString qtext(std::string_view value) { return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())); }

// A kit card reads as a button named after the kit whose value says whether
// it is the selected one.
class KitCardAccessible : public QAccessibleWidget {
public:
    explicit KitCardAccessible(KitCard* card) : QAccessibleWidget(card, QAccessible::Button) {}

    QString text(QAccessible::Text kind) const override {
        const auto* card = static_cast<const KitCard*>(widget());
        if (kind == QAccessible::Value) return card->isChecked() ? QStringLiteral("Selected") : QString();
        return QAccessibleWidget::text(kind);
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction()) static_cast<KitCard*>(widget())->click();
    }
};

QAccessibleInterface* kitCardAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("knockbox::KitCard") && object && object->isWidgetType())
        return new KitCardAccessible(static_cast<KitCard*>(object));
    return nullptr;
}

}  // namespace

KitCard::KitCard(DrumKit kit, QWidget* parent) : QAbstractButton(parent), kit_(kit) {
    static const bool accessible = (QAccessible::installFactory(kitCardAccessible), true);
    (void)accessible;
    setCheckable(true);
    setAccessibleName(qtext(displayName(kit)) + QStringLiteral(" kit"));
    setToolTip(qtext(subtitle(kit)));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(136);
}

void KitCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) painter.setOpacity(0.45);
    const QRectF card = QRectF(rect()).adjusted(1, 1, -1, -1);
    const QColor accent = studio::color(studio::pickerAccent);
    const bool hovered = underMouse() && isEnabled();
    QLinearGradient fill(card.topLeft(), card.bottomLeft());
    fill.setColorAt(0, isChecked() ? studio::color(studio::pickerAccent, 0.16) : studio::white(hovered ? 0.08 : 0.05));
    fill.setColorAt(1, isChecked() ? studio::color(studio::pickerAccent, 0.07) : studio::white(0.025));
    painter.setPen(QPen(isChecked() ? accent : studio::white(hovered ? 0.16 : 0.09), isChecked() ? 1.6 : 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(card, 12, 12);

    const QRectF content = card.adjusted(12, 10, -12, -10);
    QFont name = font();
    name.setPixelSize(14);
    name.setWeight(QFont::DemiBold);
    painter.setFont(name);
    painter.setPen(studio::white(0.95));
    painter.drawText(QRectF(content.left(), content.top(), content.width(), 20), Qt::AlignLeft | Qt::AlignVCenter,
                     qtext(displayName(kit_)));
    if (isChecked()) {
        // A small check in the corner.
        const QRectF badge(content.right() - 16, content.top() + 2, 16, 16);
        painter.setPen(Qt::NoPen);
        painter.setBrush(accent);
        painter.drawEllipse(badge);
        QPen tick(studio::color(studio::sheetBackground), 1.8);
        tick.setCapStyle(Qt::RoundCap);
        tick.setJoinStyle(Qt::RoundJoin);
        painter.setPen(tick);
        painter.drawPolyline(std::array{badge.center() + QPointF(-4, 0.3), badge.center() + QPointF(-1.2, 3),
                                        badge.center() + QPointF(4, -2.8)}
                                 .data(),
                             3);
    }
    QFont small = font();
    small.setPixelSize(11);
    painter.setFont(small);
    painter.setPen(studio::color(studio::pickerSecondary));
    painter.drawText(QRectF(content.left(), content.top() + 24, content.width(), 48),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, qtext(subtitle(kit_)));

    const QRectF wave(content.left(), content.bottom() - 30, content.width(), 30);
    painter.save();
    painter.translate(wave.topLeft());
    QPen stroke(isChecked() ? accent : studio::color(studio::pickerAccent, 0.7), 1.3);
    stroke.setJoinStyle(Qt::RoundJoin);
    painter.setPen(stroke);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(soundSignaturePath(kit_, wave.size()));
    painter.restore();
    if (showsFocusRing(*this)) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(studio::color(studio::mint, 0.85), 1.5));
        painter.drawRoundedRect(card.adjusted(-0.5, -0.5, 0.5, 0.5), 12.5, 12.5);
    }
}

QString SoundPickerView::caption(bool active) {
    return active ? QStringLiteral("Stop playing to change sounds.")
                  : QStringLiteral("Changes save automatically. Press play to listen.");
}

SoundPickerView::SoundPickerView(ConfigurationModel& model, QWidget* parent) : QDialog(parent), model_(model) {
    setWindowTitle(QStringLiteral("Sounds"));
    setAccessibleName(QStringLiteral("Sounds"));
    // A sheet on macOS; a dialog over the window elsewhere. Either way the
    // window waits for it.
    setWindowFlag(Qt::Sheet);
    setWindowModality(Qt::WindowModal);
    setFixedWidth(sheetWidth);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, studio::color(studio::sheetBackground));
    colours.setColor(QPalette::WindowText, studio::white(0.95));
    setPalette(colours);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(26, 26, 26, 26);
    column->setSpacing(22);

    auto* heading = new QVBoxLayout;
    heading->setSpacing(4);
    heading->addWidget(studioLabel(QStringLiteral("Sounds"), 22, QFont::DemiBold, studio::white(0.96), this));
    heading->addWidget(studioLabel(QStringLiteral("Pick a kit or mix sounds your way."), 13, QFont::Normal,
                                   studio::color(studio::pickerSecondary), this));
    column->addLayout(heading);

    auto* cardRow = new QHBoxLayout;
    cardRow->setSpacing(10);
    for (DrumKit kit : allKits) {
        auto* card = new KitCard(kit, this);
        connect(card, &QAbstractButton::clicked, this, [this, kit] {
            model_.selectKit(kit);
            refresh();  // the card stays as the selection says, even when the click changed nothing
        });
        cardRow->addWidget(card);
        cards_[index(kit)] = card;
    }
    column->addLayout(cardRow);

    QStringList names;
    for (DrumKit kit : allKits) names << qtext(displayName(kit));
    auto* drumRows = new QVBoxLayout;
    drumRows->setSpacing(10);
    for (Drum drum : allDrums) {
        auto* row = new QHBoxLayout;
        row->setSpacing(12);
        QLabel* title = studioLabel(DrumKitCanvas::name(drum), 13, QFont::DemiBold, studio::white(0.9), this);
        title->setFixedWidth(94);
        row->addWidget(title);
        auto* segments = new SegmentedControl(names, this);
        segments->setAccessibleName(DrumKitCanvas::name(drum) + QStringLiteral(" sound"));
        connect(segments, &SegmentedControl::activated, this, [this, drum](int choice) {
            model_.selectSound(allKits[static_cast<std::size_t>(choice)], drum);
            refresh();
        });
        row->addWidget(segments, 1);
        auto* preview = new SymbolButton(StudioIcon::playFill, QStringLiteral("Preview ") + DrumKitCanvas::name(drum) +
                                                                   QStringLiteral(" sound"),
                                         30, this);
        connect(preview, &QAbstractButton::clicked, this, [this, drum] { model_.preview(drum); });
        row->addWidget(preview);
        drumRows->addLayout(row);
        rows_[index(drum)] = segments;
        previews_[index(drum)] = preview;
    }
    column->addLayout(drumRows);

    auto* footer = new QHBoxLayout;
    caption_ = studioLabel({}, 11, QFont::Normal, studio::color(studio::pickerSecondary), this);
    footer->addWidget(caption_, 1);
    auto* done = new StudioButton(QStringLiteral("Done"), true, this);
    done->setCapsuleHeight(32);
    connect(done, &QAbstractButton::clicked, this, &QDialog::accept);
    footer->addWidget(done);
    column->addLayout(footer);

    connect(&model_, &ConfigurationModel::settingsChanged, this, &SoundPickerView::refresh);
    connect(&model_, &ConfigurationModel::activeChanged, this, &SoundPickerView::refresh);
    refresh();
}

void SoundPickerView::refresh() {
    const SoundSelection& sounds = model_.settings().sounds;
    const bool active = model_.active();
    for (KitCard* card : cards_) {
        card->setChecked(sounds == SoundSelection::all(card->kit()));
        card->setEnabled(!active);
    }
    for (Drum drum : allDrums) {
        rows_[index(drum)]->setSelected(static_cast<int>(index(sounds.kit(drum))));
        rows_[index(drum)]->setEnabled(!active);
        previews_[index(drum)]->setEnabled(!active);
    }
    caption_->setText(caption(active));
}

void SoundPickerView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), studio::color(studio::sheetBackground));
}

}  // namespace knockbox
