#include "app/views/configuration_view.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QShortcut>
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

QFont wordmarkFont(const QFont& base) {
    QFont font = studioFont(base, 12, QFont::Bold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, -0.2);
    return font;
}

// Play and Stop, from anywhere on the main screen.
const QKeySequence playShortcut(Qt::CTRL | Qt::Key_P);

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
    painter.setPen(studio::inkColor(studio::textInk));
    painter.drawText(QRectF(x + icon + 8, 0, width, height()), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("knockbox"));
}

ConfigurationView::ConfigurationView(ConfigurationModel& model, bool reduceMotion, AnimationClock clock,
                                     QWidget* parent)
    : QWidget(parent), model_(model), reduceMotion_(reduceMotion) {
    // Its least size is the window's (at least 820 × 650 where the screen has room).
    setAutoFillBackground(false);
    // Keys no control takes land here: Space plays and stops.
    setFocusPolicy(Qt::ClickFocus);
    pages_ = new QStackedLayout(this);

    main_ = new QWidget(this);
    auto* column = new QVBoxLayout(main_);
    column->setContentsMargins(30, 22, 30, 26);
    column->setSpacing(0);
    column->addWidget(new Wordmark(main_), 0, Qt::AlignHCenter);
    column->addSpacing(10);
    Heading* title = studioHeading(QStringLiteral("Drums on your MacBook"), 35, QFont::Bold,
                                   studio::inkColor(studio::titleInk), main_, Qt::AlignCenter);
    QFont titleFont = title->font();
    titleFont.setLetterSpacing(QFont::AbsoluteSpacing, -0.8);
    title->setFont(titleFont);
    column->addWidget(title);
    column->addSpacing(4);
    column->addWidget(studioLabel(QStringLiteral("Two sides of your MacBook. Four drums."), 14, QFont::Normal,
                                  studio::inkColor(studio::secondaryInk), main_, Qt::AlignCenter));
    column->addSpacing(6);
    // The kit takes whatever room the window has.
    drumKit_ = new DrumKitView(model_, reduceMotion, clock, main_);
    column->addWidget(drumKit_, 1);
    column->addSpacing(6);
    caption_ = studioLabel({}, captionPoints, QFont::Normal, studio::inkColor(studio::secondaryInk), main_,
                           Qt::AlignCenter);
    column->addWidget(caption_);
    column->addSpacing(10);
    // Read by its text, which assistive technology hears again at every change.
    status_ = studioLabel(model_.status(), 13, QFont::Medium, studio::inkColor(studio::statusInk), main_,
                          Qt::AlignCenter);
    status_->setAccessibleDescription(QStringLiteral("Status"));
    column->addWidget(status_);
    column->addSpacing(14);

    auto* bar = new QHBoxLayout;
    bar->setSpacing(10);
    bar->addStretch();
    sounds_ = new StudioButton(QStringLiteral("Sounds"), true, main_);
    sounds_->setSymbol(StudioIcon::musicNoteList);
    sounds_->setToolTip(QStringLiteral("Choose drum sounds"));
    calibration_ = new StudioButton(QStringLiteral("Calibration"), true, main_);
    calibration_->setSymbol(StudioIcon::target);
    calibration_->setToolTip(QStringLiteral("Redo the firm or light taps that teach Knockbox your MacBook's sides"));
    settings_ = new StudioButton(QStringLiteral("Settings"), true, main_);
    settings_->setSymbol(StudioIcon::sliderHorizontal);
    settings_->setToolTip(QStringLiteral("Volume, sensitivity, swap sides and mute"));
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
    connect(play_, &QAbstractButton::clicked, this, &ConfigurationView::togglePlay);
    auto* shortcut = new QShortcut(playShortcut, main_);
    connect(shortcut, &QShortcut::activated, this, &ConfigurationView::togglePlay);

    onboarding_ = new OnboardingView(model_, reduceMotion, std::move(clock), this);
    pages_->addWidget(main_);
    pages_->addWidget(onboarding_);

    connect(&model_, &ConfigurationModel::statusChanged, this, [this] { status_->setText(model_.status()); });
    connect(&model_, &ConfigurationModel::settingsChanged, this, &ConfigurationView::refreshCaption);
    connect(&model_, &ConfigurationModel::activeChanged, this, &ConfigurationView::refreshPlay);
    connect(&model_, &ConfigurationModel::stoppingChanged, this, &ConfigurationView::refreshPlay);
    connect(&model_, &ConfigurationModel::showOnboardingChanged, this, [this] { showPage(true); });
    refreshPlay();
    refreshCaption();
    showPage(false);
}

SoundPickerView* ConfigurationView::soundPicker() const { return soundPicker_; }
PlayerSettingsView* ConfigurationView::settingsPanel() const { return settingsPanel_; }

QString ConfigurationView::playTitle(const ConfigurationModel& model) {
    if (model.stopping()) return QStringLiteral("Stopping");
    return model.active() ? QStringLiteral("Stop") : QStringLiteral("Play");
}

void ConfigurationView::togglePlay() {
    if (model_.stopping() || model_.showOnboarding()) return;
    if (model_.active()) model_.stop();
    else model_.start();
}

void ConfigurationView::refreshPlay() {
    play_->setText(playTitle(model_));
    play_->setAccessibleName(play_->text());
    const QString shortcut = playShortcut.toString(QKeySequence::NativeText);
    play_->setToolTip(model_.active() ? QStringLiteral("Stop playing (%1)").arg(shortcut)
                                      : QStringLiteral("Play the drums on your MacBook's case (%1)").arg(shortcut));
    play_->setSymbol(model_.stopping() ? std::nullopt
                     : model_.active() ? std::optional(StudioIcon::stopFill)
                                       : std::optional(StudioIcon::playFill));
    play_->setEnabled(!model_.stopping());
}

void ConfigurationView::refreshCaption() {
    const bool muted = model_.settings().muted;
    caption_->setText(model_.kitCaption());
    QPalette colours = caption_->palette();
    colours.setColor(QPalette::WindowText, studio::inkColor(muted ? studio::warningInk : studio::secondaryInk));
    caption_->setPalette(colours);
}

void ConfigurationView::showPage(bool animate) {
    QWidget* next = model_.showOnboarding() ? static_cast<QWidget*>(onboarding_) : main_;
    if (pages_->currentWidget() == next) return;
    // The page that goes fades out over the one that comes.
    if (animate && !reduceMotion_ && isVisible()) new PageFade(grab(), pageFadeSeconds, this);
    if (settingsPanel_) settingsPanel_->close();
    pages_->setCurrentWidget(next);
    // The keyboard goes on where the new page begins: onboarding at its next
    // step, the main screen at Play once onboarding closes; a window that
    // opens on the main screen keeps the focus itself, where Space plays.
    if (next == onboarding_) onboarding_->focusAction();
    else if (animate) play_->setFocus(Qt::OtherFocusReason);
}

void ConfigurationView::showEvent(QShowEvent*) {
    // The first focus is the page's own, not the first control in the chain.
    if (!focusWidget() || !focusWidget()->isVisible()) {
        if (model_.showOnboarding()) onboarding_->focusAction();
        else setFocus(Qt::OtherFocusReason);
    }
}

void ConfigurationView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier && !model_.showOnboarding()) {
        togglePlay();
        return;
    }
    QWidget::keyPressEvent(event);
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
    if (settingsPanel_) {  // a second click on Settings closes it
        settingsPanel_->close();
        return;
    }
    settingsPanel_ = new PlayerSettingsView(model_, this);
    settingsPanel_->setAttribute(Qt::WA_DeleteOnClose);
    settingsPanel_->showAnchoredTo(settings_);
}

void ConfigurationView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), studio::color(studio::windowBackground));
    // A soft light from above the kit.
    QRadialGradient light(QPointF(width() / 2.0, height() * 0.36), std::max(width(), height()) * 0.62);
    light.setColorAt(0, studio::color(studio::windowLight, studio::windowLightOpacity));
    light.setColorAt(0.55, studio::color({0.1, 0.13, 0.17}, 0.25));
    light.setColorAt(1, studio::color(studio::windowBackground, 0));
    painter.fillRect(rect(), light);
}

}  // namespace knockbox
