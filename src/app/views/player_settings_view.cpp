#include "app/views/player_settings_view.h"

#include <algorithm>
#include <cmath>

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QVBoxLayout>

#include "app/views/sensitivity.h"
#include "app/views/studio_button.h"
#include "app/views/studio_controls.h"
#include "app/views/studio_label.h"
#include "app/views/studio_palette.h"

namespace knockbox {
namespace {

constexpr int arrowHeight = 9;
constexpr int inset = 24;

// A slider with its title above and two small captions under its ends.
QVBoxLayout* sliderBlock(const QString& title, StudioSlider* slider, const QString& low, const QString& high,
                         QWidget* parent) {
    auto* block = new QVBoxLayout;
    block->setSpacing(4);
    block->addWidget(studioLabel(title, 13, QFont::DemiBold, studio::white(0.92), parent));
    block->addWidget(slider);
    auto* captions = new QHBoxLayout;
    captions->addWidget(studioLabel(low, 10, QFont::Normal, studio::color(studio::muted), parent));
    captions->addStretch();
    captions->addWidget(studioLabel(high, 10, QFont::Normal, studio::color(studio::muted), parent));
    block->addLayout(captions);
    return block;
}

}  // namespace

PlayerSettingsView::PlayerSettingsView(ConfigurationModel& model, QWidget* parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint), model_(model) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAccessibleName(QStringLiteral("Settings"));
    setFixedWidth(panelWidth);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, arrowHeight, 0, arrowHeight);
    content_ = new QWidget(this);
    outer->addWidget(content_);

    auto* column = new QVBoxLayout(content_);
    column->setContentsMargins(inset, inset, inset, inset);
    column->setSpacing(18);
    QLabel* title = studioLabel(QStringLiteral("Settings"), 21, QFont::DemiBold, studio::white(0.96), content_);
    column->addWidget(title);

    volume_ = new StudioSlider(studio::mint, content_);
    volume_->setRange(0, volumeSteps);
    volume_->setAccessibleName(QStringLiteral("Volume"));
    column->addLayout(sliderBlock(QStringLiteral("Volume"), volume_, QStringLiteral("Quieter"),
                                  QStringLiteral("Louder"), content_));
    connect(volume_, &QSlider::valueChanged, this, [this](int value) {
        edit([value](UISettings& settings) { settings.volume = value / 1000.0; });
    });

    sensitivity_ = new StudioSlider(studio::mint, content_);
    sensitivity_->setRange(0, sensitivitySteps);
    sensitivity_->setAccessibleName(QStringLiteral("Sensitivity"));
    column->addLayout(sliderBlock(QStringLiteral("Sensitivity"), sensitivity_, QStringLiteral("Lower"),
                                  QStringLiteral("Higher"), content_));
    connect(sensitivity_, &QSlider::valueChanged, this, [this](int value) {
        edit([value](UISettings& settings) {
            settings = withSensitivity(settings, static_cast<double>(value) / sensitivitySteps);
        });
    });

    auto* switches = new QVBoxLayout;
    switches->setSpacing(10);
    const auto addSwitch = [&](const QString& name, bool UISettings::*field) {
        auto* row = new QHBoxLayout;
        row->addWidget(studioLabel(name, 13, QFont::Normal, studio::white(0.9), content_));
        row->addStretch();
        auto* toggle = new ToggleSwitch(name, content_);
        row->addWidget(toggle);
        switches->addLayout(row);
        connect(toggle, &QAbstractButton::toggled, this,
                [this, field](bool on) { edit([field, on](UISettings& settings) { settings.*field = on; }); });
        return toggle;
    };
    swapSides_ = addSwitch(QStringLiteral("Swap sides"), &UISettings::invertSides);
    ignoreTyping_ = addSwitch(QStringLiteral("Ignore typing"), &UISettings::typingGuard);
    mute_ = addSwitch(QStringLiteral("Mute"), &UISettings::muted);
    column->addLayout(switches);

    activeCaption_ = studioLabel(QStringLiteral("Stop playing to change settings."), 11, QFont::Normal,
                                 studio::color(studio::gold), content_);
    column->addWidget(activeCaption_);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(10);
    auto* defaults = new StudioButton(QStringLiteral("Defaults"), true, content_);
    auto* save = new StudioButton(QStringLiteral("Save"), false, content_);
    defaults->setCapsuleHeight(34);
    save->setCapsuleHeight(34);
    buttons->addWidget(defaults);
    buttons->addStretch();
    buttons->addWidget(save);
    column->addLayout(buttons);
    connect(defaults, &QAbstractButton::clicked, this, [this] { model_.setSettings(UISettings{}); });
    connect(save, &QAbstractButton::clicked, this, [this] { model_.save(); });

    notice_ = studioLabel({}, 11, QFont::Normal, studio::color(studio::mint), content_);
    notice_->setWordWrap(true);
    column->addWidget(notice_);

    connect(&model_, &ConfigurationModel::settingsChanged, this, &PlayerSettingsView::refresh);
    connect(&model_, &ConfigurationModel::activeChanged, this, &PlayerSettingsView::refresh);
    connect(&model_, &ConfigurationModel::noticeChanged, this, &PlayerSettingsView::refresh);
    refresh();
}

void PlayerSettingsView::edit(const std::function<void(UISettings&)>& change) {
    if (refreshing_) return;
    UISettings settings = model_.settings();
    change(settings);
    model_.setSettings(settings);
}

// The controls show the model's settings; nothing they do meanwhile is an edit.
void PlayerSettingsView::refresh() {
    refreshing_ = true;
    const UISettings& settings = model_.settings();
    volume_->setValue(static_cast<int>(std::lround(settings.volume * 1000)));
    sensitivity_->setValue(static_cast<int>(std::lround(sensitivity(settings) * sensitivitySteps)));
    swapSides_->setChecked(settings.invertSides);
    ignoreTyping_->setChecked(settings.typingGuard);
    mute_->setChecked(settings.muted);
    refreshing_ = false;

    const bool active = model_.active();
    for (QWidget* control : std::initializer_list<QWidget*>{volume_, sensitivity_, swapSides_, ignoreTyping_, mute_})
        control->setEnabled(!active);
    for (auto* button : content_->findChildren<StudioButton*>()) button->setEnabled(!active);
    activeCaption_->setVisible(active);
    notice_->setText(model_.notice().value_or(QString()));
    notice_->setVisible(model_.notice().has_value());
    adjustSize();
    if (isVisible()) place();
}

void PlayerSettingsView::showAnchoredTo(QWidget* button) {
    anchor_ = button;
    refresh();
    place();
    show();
    update();
}

void PlayerSettingsView::place() {
    if (!anchor_) return;
    QWidget* button = anchor_;
    const QRect anchor(button->mapToGlobal(QPoint(0, 0)), button->size());
    const QScreen* display = button->screen() ? button->screen() : QGuiApplication::primaryScreen();
    const QRect screen = display ? display->availableGeometry() : anchor.adjusted(-4000, -4000, 4000, 4000);
    arrowBelow_ = anchor.top() - height() >= screen.top();
    const int y = arrowBelow_ ? anchor.top() - height() + 2 : anchor.bottom() - 2;
    // Kept on the screen; the left edge wins on a screen narrower than the panel.
    const int x = std::max(screen.left() + 4, std::min(anchor.center().x() - width() / 2, screen.right() - width() - 4));
    arrowX_ = anchor.center().x() - x;
    move(x, y);
    update();
}

void PlayerSettingsView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PlayerSettingsView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF body = QRectF(rect()).adjusted(1, arrowHeight, -1, -arrowHeight);
    QPainterPath panel;
    panel.addRoundedRect(body, 14, 14);
    QPainterPath arrow;
    const double tipY = arrowBelow_ ? rect().bottom() : rect().top();
    const double baseY = arrowBelow_ ? body.bottom() - 1 : body.top() + 1;
    arrow.moveTo(arrowX_ - arrowHeight - 2, baseY);
    arrow.lineTo(arrowX_, tipY);
    arrow.lineTo(arrowX_ + arrowHeight + 2, baseY);
    arrow.closeSubpath();
    panel = panel.united(arrow);
    painter.setPen(QPen(studio::white(0.1), 1));
    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0, studio::color(studio::panel).lighter(118));
    fill.setColorAt(1, studio::color(studio::panel));
    painter.setBrush(fill);
    painter.drawPath(panel);
}

}  // namespace knockbox
