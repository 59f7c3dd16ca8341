#include "app/views/sound_picker_view.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include "app/views/accessibility.h"
#include "app/views/focus_ring.h"

#include "app/drum_names.h"
#include "app/views/sound_signature.h"
#include "app/views/studio_button.h"
#include "app/views/studio_label.h"
#include "app/views/studio_palette.h"

namespace knockbox {
namespace {

QString qtext(std::string_view value) { return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())); }

constexpr double cardNamePoints = 14;
constexpr int cardPadding = 10;
constexpr int waveHeight = 30;
constexpr int subtitleLines = 4;

}  // namespace

KitCard::KitCard(DrumKit kit, QWidget* parent) : KeyboardButton(parent), kit_(kit) {
    installAccessibility();  // checked, and "Selected", while chosen
    setCheckable(true);
    setAccessibleName(qtext(displayName(kit)) + QStringLiteral(" kit"));
    setToolTip(qtext(subtitle(kit)));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(sizeHint().height());
}

// Room for the name, four lines of the subtitle and the waveform.
QSize KitCard::sizeHint() const {
    const double name = QFontMetricsF(studioFont(font(), cardNamePoints)).height();
    const double lines = QFontMetricsF(studioFont(font(), captionPoints)).lineSpacing() * subtitleLines;
    return {127, static_cast<int>(2 * cardPadding + name + 4 + lines + 6 + waveHeight + 2.999)};
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

    const QRectF content = card.adjusted(12, cardPadding, -12, -cardPadding);
    const QFont name = studioFont(font(), cardNamePoints, QFont::DemiBold);
    const double nameHeight = QFontMetricsF(name).height();
    painter.setFont(name);
    painter.setPen(studio::inkColor(studio::titleInk));
    painter.drawText(QRectF(content.left(), content.top(), content.width(), nameHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, qtext(displayName(kit_)));
    if (isChecked()) {
        // A small check in the corner.
        const QRectF badge(content.right() - 16, content.top() + (nameHeight - 16) / 2, 16, 16);
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
    painter.setFont(studioFont(font(), captionPoints));
    painter.setPen(studio::inkColor(studio::pickerSecondaryInk));
    const double subtitleTop = content.top() + nameHeight + 4;
    painter.drawText(QRectF(content.left(), subtitleTop, content.width(), content.bottom() - waveHeight - subtitleTop),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, qtext(subtitle(kit_)));

    const QRectF wave(content.left(), content.bottom() - waveHeight, content.width(), waveHeight);
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

SoundPickerView::SoundPickerView(ConfigurationModel& model, QWidget* parent)
    : Sheet(QStringLiteral("Sounds"), sheetWidth, parent), model_(model) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(26, 26, 26, 26);
    column->setSpacing(22);

    auto* heading = new QVBoxLayout;
    heading->setSpacing(4);
    heading->addWidget(
        studioHeading(QStringLiteral("Sounds"), 22, QFont::DemiBold, studio::inkColor(studio::titleInk), this));
    heading->addWidget(studioLabel(QStringLiteral("Pick a kit or mix sounds your way."), 13, QFont::Normal,
                                   studio::inkColor(studio::pickerSecondaryInk), this));
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
        QLabel* title = studioLabel(drumName(drum), 13, QFont::DemiBold, studio::inkColor(studio::textInk), this);
        title->setFixedWidth(94);
        row->addWidget(title);
        auto* segments = new SegmentedControl(names, this);
        segments->setAccessibleName(drumName(drum) + QStringLiteral(" sound"));
        connect(segments, &SegmentedControl::activated, this, [this, drum](int choice) {
            model_.selectSound(allKits[static_cast<std::size_t>(choice)], drum);
            refresh();
        });
        row->addWidget(segments, 1);
        auto* preview = new SymbolButton(StudioIcon::playFill, QStringLiteral("Preview ") + drumName(drum) +
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
    caption_ = studioLabel({}, captionPoints, QFont::Normal, studio::inkColor(studio::pickerSecondaryInk), this);
    caption_->setWordWrap(true);
    footer->addWidget(caption_, 1);
    auto* done = new StudioButton(QStringLiteral("Done"), false, this);
    done->setToolTip(QStringLiteral("Close the sounds (Return)"));
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

}  // namespace knockbox
