#include "app/views/onboarding_view.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "app/views/macbook_illustration.h"
#include "app/views/onboarding_texts.h"
#include "app/views/studio_button.h"
#include "app/views/studio_controls.h"
#include "app/views/studio_label.h"
#include "app/views/studio_palette.h"
#include "app/views/transitions.h"

namespace knockbox {
namespace {

constexpr double titleFadeSeconds = 0.25;

// The choices of which calibrations to redo, in the order of CalibrationSteps.
const QStringList stepChoices{QStringLiteral("Firm and light"), QStringLiteral("Firm only"),
                              QStringLiteral("Light only")};

}  // namespace

StepGuide::StepGuide(QWidget* parent) : QWidget(parent) { setStage(OnboardingStage::welcome, steps_); }

QStringList StepGuide::names() const {
    switch (steps_) {
    case CalibrationSteps::firm: return {QStringLiteral("Firm"), QStringLiteral("Play")};
    case CalibrationSteps::light: return {QStringLiteral("Light"), QStringLiteral("Play")};
    case CalibrationSteps::firmAndLight: break;
    }
    return {QStringLiteral("Firm"), QStringLiteral("Light"), QStringLiteral("Play")};
}

int StepGuide::current() const {
    switch (stage_) {
    case OnboardingStage::welcome:
    case OnboardingStage::strong: return 0;
    case OnboardingStage::between:
    case OnboardingStage::light: return steps_ == CalibrationSteps::firmAndLight ? 1 : 0;
    case OnboardingStage::done: return static_cast<int>(names().size()) - 1;
    }
    return 0;
}

void StepGuide::setStage(OnboardingStage stage, CalibrationSteps steps) {
    stage_ = stage;
    steps_ = steps;
    const QStringList all = names();
    setAccessibleName(QStringLiteral("Step %1 of %2: %3").arg(current() + 1).arg(all.size()).arg(all[current()]));
    update();
}

void StepGuide::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QStringList all = names();
    const int count = static_cast<int>(all.size());
    const int now = current();
    const QFont font = studioFont(this->font(), captionPoints + 1, QFont::DemiBold);
    const QFont number = studioFont(this->font(), captionPoints, QFont::DemiBold);
    const QFontMetricsF metrics(font);
    const double circle = std::max(23.0, QFontMetricsF(number).height() + 6), gap = 8, connector = 34;
    double width = 0;
    for (const QString& name : all) width += circle + gap + metrics.horizontalAdvance(name);
    width += (count - 1) * (connector + 2 * gap);
    double x = (this->width() - width) / 2;
    const double midY = height() / 2.0;
    for (int step = 0; step < count; ++step) {
        const bool done = step < now;
        const bool isCurrent = step == now;
        const QColor ink = isCurrent ? studio::color(studio::mint) : studio::inkColor(studio::secondaryInk);
        const QRectF disc(x, midY - circle / 2, circle, circle);
        painter.setPen(QPen(ink, 1.4));
        painter.setBrush(isCurrent ? studio::color(studio::mint, 0.16) : done ? studio::white(0.06) : Qt::NoBrush);
        painter.drawEllipse(disc.adjusted(0.7, 0.7, -0.7, -0.7));
        if (done) {
            paintIcon(painter, StudioIcon::checkmark, disc.adjusted(6.5, 6.5, -6.5, -6.5), ink);
        } else {
            painter.setFont(number);
            painter.setPen(ink);
            painter.drawText(disc, Qt::AlignCenter, QString::number(step + 1));
        }
        x += circle + gap;
        painter.setFont(font);
        painter.setPen(isCurrent ? studio::inkColor(studio::titleInk) : studio::inkColor(studio::secondaryInk));
        const double nameWidth = metrics.horizontalAdvance(all[step]);
        painter.drawText(QRectF(x, 0, nameWidth + 2, height()), Qt::AlignVCenter | Qt::AlignLeft, all[step]);
        x += nameWidth + gap;
        if (step < count - 1) {
            painter.setPen(QPen(done ? studio::color(studio::mint, 0.5) : studio::white(0.14), 1.4));
            painter.drawLine(QPointF(x + gap, midY), QPointF(x + gap + connector, midY));
            x += connector + 2 * gap;
        }
    }
}

TapProgress::TapProgress(QWidget* parent) : QWidget(parent) {}

void TapProgress::show(int left, int right, int total, std::optional<Side> target, bool light) {
    left_ = left;
    right_ = right;
    total_ = total;
    target_ = target;
    light_ = light;
    setAccessibleName(QStringLiteral("Left %1/%2, right %3/%2").arg(left).arg(total).arg(right));
    update();
}

void TapProgress::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor accent = studio::color(light_ ? studio::macWarmAccent : studio::macAccent);
    const double rowHeight = height() / 2.0;
    for (Side side : {Side::left, Side::right}) {
        const double top = side == Side::left ? 0 : rowHeight;
        const int count = side == Side::left ? left_ : right_;
        const bool highlighted = target_ == side;
        painter.setFont(studioFont(font(), captionPoints + 1, highlighted ? QFont::DemiBold : QFont::Normal));
        // The side not asked for is dimmed, never below readable contrast.
        painter.setPen(studio::inkColor(target_ && !highlighted ? studio::dimmedInk : studio::textInk));
        painter.drawText(QRectF(0, top, 60, rowHeight), Qt::AlignVCenter | Qt::AlignLeft,
                         side == Side::left ? QStringLiteral("Left") : QStringLiteral("Right"));
        const QString counted = QStringLiteral("%1/%2").arg(count).arg(total_);
        painter.drawText(QRectF(width() - 52, top, 52, rowHeight), Qt::AlignVCenter | Qt::AlignRight, counted);
        const QRectF bar(64, top + rowHeight / 2 - 3.5, width() - 64 - 62, 7);
        painter.setPen(Qt::NoPen);
        painter.setBrush(studio::white(0.1));
        painter.drawRoundedRect(bar, 3.5, 3.5);
        const double fraction = total_ > 0 ? std::clamp(static_cast<double>(count) / total_, 0.0, 1.0) : 0.0;
        if (fraction > 0) {
            painter.setBrush(highlighted || !target_ ? accent : studio::color(studio::muted, 0.6));
            painter.drawRoundedRect(QRectF(bar.left(), bar.top(), std::max(bar.height(), bar.width() * fraction),
                                           bar.height()),
                                    3.5, 3.5);
        }
    }
}

OnboardingView::OnboardingView(ConfigurationModel& model, bool reduceMotion, AnimationClock clock, QWidget* parent)
    : QWidget(parent), model_(model) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(24, 14, 24, 22);
    column->setSpacing(0);

    auto* top = new QHBoxLayout;
    top->addSpacing(30);
    steps_ = new StepGuide(this);
    top->addWidget(steps_, 1);
    close_ = new SymbolButton(StudioIcon::xmark, QStringLiteral("Close calibration"), 30, this);
    close_->setToolTip(QStringLiteral("Close calibration (Esc)"));
    connect(close_, &QAbstractButton::clicked, this, [this] { model_.closeOnboarding(false); });
    top->addWidget(close_, 0, Qt::AlignTop);
    column->addLayout(top);
    column->addStretch(1);

    title_ = new FadingLabel(titleFadeSeconds, reduceMotion, this);
    QFont titleFont = studioFont(title_->font(), 28, QFont::DemiBold);
    titleFont.setLetterSpacing(QFont::AbsoluteSpacing, -0.5);
    title_->setFont(titleFont);
    QPalette titleColours = title_->palette();
    titleColours.setColor(QPalette::WindowText, studio::inkColor(studio::titleInk));
    title_->setPalette(titleColours);
    column->addWidget(title_);
    column->addSpacing(6);

    explanation_ = studioLabel({}, 13, QFont::Normal, studio::inkColor(studio::secondaryInk), this, Qt::AlignCenter);
    explanation_->setWordWrap(true);
    explanation_->setFixedWidth(540);
    explanation_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    column->addWidget(explanation_, 0, Qt::AlignHCenter);
    column->addSpacing(8);

    // The drawing takes whatever room the window has.
    illustration_ = new MacBookIllustration(reduceMotion, std::move(clock), this);
    column->addWidget(illustration_, 4);
    column->addSpacing(10);

    progress_ = new TapProgress(this);
    progress_->setFixedSize(380, 48);
    column->addWidget(progress_, 0, Qt::AlignHCenter);
    spacingCaption_ = studioLabel(QStringLiteral("Leave about half a second between taps."), captionPoints,
                                  QFont::Normal, studio::inkColor(studio::secondaryInk), this, Qt::AlignCenter);
    column->addWidget(spacingCaption_);
    hint_ = studioLabel({}, 12.5, QFont::Medium, studio::inkColor(studio::textInk), this, Qt::AlignCenter);
    hint_->setWordWrap(true);
    hint_->setFixedWidth(540);
    column->addWidget(hint_, 0, Qt::AlignHCenter);

    column->addSpacing(14);
    stepChoice_ = new SegmentedControl(stepChoices, this);
    stepChoice_->setAccessibleName(QStringLiteral("Calibrations to redo"));
    stepChoice_->setSelected(0);
    connect(stepChoice_, &SegmentedControl::activated, this, [this](int choice) {
        steps_->setStage(OnboardingStage::welcome, static_cast<CalibrationSteps>(choice));
        action_->setFocus(Qt::OtherFocusReason);
    });
    column->addWidget(stepChoice_, 0, Qt::AlignHCenter);
    column->addSpacing(12);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(16);
    buttons->addStretch();
    action_ = new StudioButton(QString(), false, this);
    action_->setCapsuleHeight(44);
    connect(action_, &QAbstractButton::clicked, this, &OnboardingView::act);
    buttons->addWidget(action_);
    skip_ = new PlainButton(QStringLiteral("Skip for now"), this);
    connect(skip_, &QAbstractButton::clicked, this, [this] { model_.closeOnboarding(false); });
    buttons->addWidget(skip_);
    buttons->addStretch();
    column->addLayout(buttons);
    column->addStretch(1);

    for (auto signal : {&ConfigurationModel::stageChanged, &ConfigurationModel::failedChanged,
                        &ConfigurationModel::targetSideChanged, &ConfigurationModel::leftCountChanged,
                        &ConfigurationModel::rightCountChanged, &ConfigurationModel::blockTargetChanged,
                        &ConfigurationModel::calibrationTotalChanged, &ConfigurationModel::calibrationPhaseChanged,
                        &ConfigurationModel::calibrationHintChanged, &ConfigurationModel::stoppingChanged,
                        &ConfigurationModel::stepsChanged, &ConfigurationModel::showOnboardingChanged})
        connect(&model_, signal, this, &OnboardingView::refresh);
    refresh();
}

// The one button's action at this stage.
void OnboardingView::act() {
    switch (model_.stage()) {
    case OnboardingStage::welcome: {
        const int choice = stepChoice_->isVisibleTo(this) ? std::max(stepChoice_->selected(), 0) : 0;
        return model_.beginCalibrations(static_cast<CalibrationSteps>(choice));
    }
    case OnboardingStage::strong:
    case OnboardingStage::light: return model_.beginCalibration(model_.stage() == OnboardingStage::light);
    case OnboardingStage::between: return model_.beginCalibration(true);
    case OnboardingStage::done:
        model_.closeOnboarding(true);
        model_.start();
        return;
    }
}

void OnboardingView::focusAction() {
    if (action_->isVisibleTo(this) && action_->isEnabled()) action_->setFocus(Qt::OtherFocusReason);
    else close_->setFocus(Qt::OtherFocusReason);
}

void OnboardingView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        model_.closeOnboarding(false);
        return;
    }
    QWidget::keyPressEvent(event);
}

void OnboardingView::refresh() {
    const OnboardingFacts facts = OnboardingFacts::of(model_);
    const OnboardingStage stage = facts.stage;
    const bool light = stage == OnboardingStage::light;
    const bool choosing = stage == OnboardingStage::welcome && facts.returning;
    if (choosing && !stepChoice_->isVisibleTo(this)) stepChoice_->setSelected(0);
    steps_->setStage(stage, choosing ? static_cast<CalibrationSteps>(stepChoice_->selected()) : facts.steps);
    title_->setText(onboardingTitle(facts));
    setWrappedText(*explanation_, onboardingExplanation(facts));

    illustration_->setSide(facts.calibrating() ? facts.targetSide : std::nullopt);
    illustration_->setLight(light);
    illustration_->setComplete(stage == OnboardingStage::done);
    illustration_->setHitToken(model_.leftCount() + model_.rightCount());

    progress_->setVisible(facts.calibrating());
    progress_->show(model_.leftCount(), model_.rightCount(), model_.tapTotal(), facts.targetSide, light);
    const bool guiding = facts.calibrating() && !facts.failed;
    spacingCaption_->setVisible(guiding);
    hint_->setVisible(guiding);
    setWrappedText(*hint_, model_.calibrationHint());
    stepChoice_->setVisible(choosing);

    QString action;
    std::optional<StudioIcon> symbol;
    bool trailing = false;
    switch (stage) {
    case OnboardingStage::welcome:
        action = QStringLiteral("Let's go");
        symbol = StudioIcon::arrowRight;
        trailing = true;
        break;
    case OnboardingStage::strong:
    case OnboardingStage::light:
        if (facts.failed) action = QStringLiteral("Try again");
        break;
    case OnboardingStage::between:
        action = QStringLiteral("On to light taps");
        symbol = StudioIcon::arrowRight;
        trailing = true;
        break;
    case OnboardingStage::done:
        action = QStringLiteral("Play");
        symbol = StudioIcon::playFill;
        break;
    }
    // The button that moves on keeps the keyboard focus from step to step.
    const bool hadFocus = hasFocus() || (focusWidget() && isAncestorOf(focusWidget()) && !focusWidget()->isVisible());
    action_->setText(action);
    action_->setAccessibleName(action);
    action_->setSymbol(symbol, trailing);
    action_->setVisible(!action.isEmpty());
    skip_->setVisible(stage == OnboardingStage::welcome);
    action_->setEnabled(!model_.stopping());
    skip_->setEnabled(!model_.stopping());
    if (hadFocus && isVisible()) focusAction();
}

}  // namespace knockbox
