#include "app/views/configuration_view.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include "app/views/drum_kit_view.h"
#include "app/views/onboarding_view.h"
#include "app/views/player_settings_view.h"
#include "app/views/sound_picker_view.h"
#include "app/views/studio_button.h"
#include "app/views/studio_label.h"
#include "app/views/studio_icons.h"
#include "app/views/studio_palette.h"
#include "app/views/transitions.h"

namespace knockbox {
namespace {

QFont wordmarkFont(QFont font) {
    font.setPixelSize(15);
    font.setWeight(QFont::Bold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, -0.2);
    return font;
}

}  // namespace

Wordmark::Wordmark(QWidget* parent) : QWidget(parent) {
    setFont(wordmarkFont(font()));
    setAccessibleName(QStringLiteral("knockbox"));
}

QSize Wordmark::sizeHint() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(QStringLiteral("knockbox")) + metrics.height() + 10, metrics.height() + 4};
}

void Wordmark::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetricsF metrics(font());
    const double icon = metrics.height() * 0.95;
    const double width = icon + 8 + metrics.horizontalAdvance(QStringLiteral("knockbox"));
    const double x = (this->width() - width) / 2;
    paintIcon(painter, StudioIcon::waveform, QRectF(x, (height() - icon) / 2, icon, icon), studio::color(studio::mint));
    painter.setPen(studio::white(0.92));
    painter.drawText(QRectF(x + icon + 8, 0, width, height()), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("knockbox"));
}

ConfigurationView::ConfigurationView(ConfigurationModel& model, bool reduceMotion, AnimationClock clock,
                                     QWidget* parent)
    : QWidget(parent), model_(model), reduceMotion_(reduceMotion) {
    setMinimumSize(800, 625);
    setAutoFillBackground(false);
    pages_ = new QStackedLayout(this);

    main_ = new QWidget(this);
    auto* column = new QVBoxLayout(main_);
    column->setContentsMargins(30, 22, 30, 26);
    column->setSpacing(0);
    column->addWidget(new Wordmark(main_), 0, Qt::AlignHCenter);
    column->addStretch(1);
    QLabel* title = studioLabel(QStringLiteral("Drums on your MacBook"), 35, QFont::Bold, studio::white(0.97), main_,
                                Qt::AlignCenter);
    QFont titleFont = title->font();
    titleFont.setLetterSpacing(QFont::AbsoluteSpacing, -0.8);
    title->setFont(titleFont);
    column->addWidget(title);
    column->addSpacing(4);
    column->addWidget(studioLabel(QStringLiteral("Two sides of your MacBook. Four drums."), 14, QFont::Normal,
                                  studio::color(studio::muted), main_, Qt::AlignCenter));
    column->addSpacing(6);
    drumKit_ = new DrumKitView(model_, reduceMotion, clock, main_);
    drumKit_->setFixedSize(700, 380);
    column->addWidget(drumKit_, 0, Qt::AlignHCenter);
    column->addSpacing(6);
    column->addWidget(studioLabel(QStringLiteral("Click a drum to hear it"), 11, QFont::Normal,
                                  studio::color(studio::muted, 0.8), main_, Qt::AlignCenter));
    column->addStretch(1);
    status_ = studioLabel(model_.status(), 13, QFont::Medium, studio::white(0.82), main_, Qt::AlignCenter);
    status_->setAccessibleName(QStringLiteral("Status"));
    column->addWidget(status_);
    column->addSpacing(14);

    auto* bar = new QHBoxLayout;
    bar->setSpacing(10);
    bar->addStretch();
    sounds_ = new StudioButton(QStringLiteral("Sounds"), true, main_);
    sounds_->setSymbol(StudioIcon::musicNoteList);
    sounds_->setToolTip(QStringLiteral("Choose drum sounds"));
    calibration_ = new StudioButton(QStringLiteral("Calibration"), true, main_);
    calibration_->setToolTip(QStringLiteral("Calibration"));
    settings_ = new StudioButton(QStringLiteral("Settings"), true, main_);
    settings_->setSymbol(StudioIcon::sliderHorizontal);
    settings_->setToolTip(QStringLiteral("Settings"));
    play_ = new StudioButton(QStringLiteral("Play"), false, main_);
    play_->setMinimumWidth(124);
    for (StudioButton* button : {sounds_, calibration_, settings_, play_}) {
        button->setCapsuleHeight(38);
        bar->addWidget(button);
    }
    bar->addStretch();
    column->addLayout(bar);
    connect(sounds_, &QAbstractButton::clicked, this, &ConfigurationView::openSounds);
    connect(calibration_, &QAbstractButton::clicked, this, [this] { model_.openOnboarding(); });
    connect(settings_, &QAbstractButton::clicked, this, &ConfigurationView::openSettings);
    connect(play_, &QAbstractButton::clicked, this, [this] {
        if (model_.active()) model_.stop();
        else model_.start();
    });

    onboarding_ = new OnboardingView(model_, reduceMotion, std::move(clock), this);
    pages_->addWidget(main_);
    pages_->addWidget(onboarding_);

    connect(&model_, &ConfigurationModel::statusChanged, this, [this] { status_->setText(model_.status()); });
    connect(&model_, &ConfigurationModel::activeChanged, this, &ConfigurationView::refreshPlay);
    connect(&model_, &ConfigurationModel::stoppingChanged, this, &ConfigurationView::refreshPlay);
    connect(&model_, &ConfigurationModel::showOnboardingChanged, this, [this] { showPage(true); });
    refreshPlay();
    showPage(false);
}

SoundPickerView* ConfigurationView::soundPicker() const { return soundPicker_; }
PlayerSettingsView* ConfigurationView::settingsPanel() const { return settingsPanel_; }

QString ConfigurationView::playTitle(const ConfigurationModel& model) {
    if (model.stopping()) return QStringLiteral("Stopping");
    return model.active() ? QStringLiteral("Stop") : QStringLiteral("Play");
}

void ConfigurationView::refreshPlay() {
    play_->setText(playTitle(model_));
    play_->setAccessibleName(play_->text());
    play_->setSymbol(model_.stopping() ? std::nullopt
                     : model_.active() ? std::optional(StudioIcon::stopFill)
                                       : std::optional(StudioIcon::playFill));
    play_->setEnabled(!model_.stopping());
}

void ConfigurationView::showPage(bool animate) {
    QWidget* next = model_.showOnboarding() ? static_cast<QWidget*>(onboarding_) : main_;
    if (pages_->currentWidget() == next) return;
    // The page that goes fades out over the one that comes.
    if (animate && !reduceMotion_ && isVisible()) new PageFade(grab(), pageFadeSeconds, this);
    pages_->setCurrentWidget(next);
}

void ConfigurationView::openSounds() {
    if (!soundPicker_) {
        soundPicker_ = new SoundPickerView(model_, this);
        soundPicker_->setAttribute(Qt::WA_DeleteOnClose);
    }
    soundPicker_->show();
    soundPicker_->raise();
}

void ConfigurationView::openSettings() {
    if (!settingsPanel_) {
        settingsPanel_ = new PlayerSettingsView(model_, this);
        settingsPanel_->setAttribute(Qt::WA_DeleteOnClose);
    }
    settingsPanel_->showAnchoredTo(settings_);
}

void ConfigurationView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), studio::color(studio::windowBackground));
    // A soft light from above the kit.
    QRadialGradient light(QPointF(width() / 2.0, height() * 0.36), std::max(width(), height()) * 0.62);
    light.setColorAt(0, studio::color({0.16, 0.22, 0.28}, 0.55));
    light.setColorAt(0.55, studio::color({0.1, 0.13, 0.17}, 0.25));
    light.setColorAt(1, studio::color(studio::windowBackground, 0));
    painter.fillRect(rect(), light);
}

}  // namespace knockbox
