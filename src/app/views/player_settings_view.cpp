#include "app/views/player_settings_view.h"

#include <algorithm>
#include <cmath>

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/views/sensitivity.h"
#include "app/views/studio_button.h"
#include "app/views/studio_controls.h"
#include "app/views/studio_label.h"
#include "app/views/studio_palette.h"
#include "midi/midi_mapping.h"
#include "platform/keyboard_activity.h"

namespace knockbox {
namespace {

constexpr int arrowHeight = 9;
constexpr int inset = 24;
constexpr int margin = 8;  // between the panel and the window's edges

// The switches, each with its one-line explanation (tool-tip and accessible
// description) and, where the user needs it in sight, a caption under it
// ("%1" is the MIDI port's name). A switch the platform cannot honour is shown
// as unavailable, with the reason, instead of a switch that does nothing.
struct SwitchRow {
    const char* name;
    bool UISettings::*field;
    const char* explanation;
    bool available = true;
    const char* unavailable = nullptr;  // the reason, when not available
    const char* caption = nullptr;
};
constexpr SwitchRow switchRows[] = {
    {"Swap sides", &UISettings::invertSides, "Swap left and right, for when taps land on the wrong side."},
    {"Ignore typing", &UISettings::typingGuard, "Taps right after a key press play nothing, so typing makes no drums.",
     keyDownsVisible, "This computer doesn't tell apps when a key goes down, so typing can't be told from taps."},
    {"Mute", &UISettings::muted, "Detect taps and show them without playing a sound."},
    {"Fast response", &UISettings::fastTrigger,
     "Taps sound sooner; very rarely the drum you hear differs from the one the kit lights up."},
    {"Send MIDI", &UISettings::sendMidi,
     "Send each drum as a General MIDI drum note, for music software to play or record.", true, nullptr,
     "MIDI port: %1"},
};

// A slider with its title above and two small captions under its ends.
QVBoxLayout* sliderBlock(const QString& title, StudioSlider* slider, const QString& low, const QString& high,
                         QWidget* parent) {
    auto* block = new QVBoxLayout;
    block->setSpacing(4);
    block->addWidget(studioLabel(title, 13, QFont::DemiBold, studio::inkColor(studio::textInk), parent));
    block->addWidget(slider);
    auto* captions = new QHBoxLayout;
    const QColor caption = studio::inkColor(studio::secondaryInk);
    captions->addWidget(studioLabel(low, captionPoints, QFont::Normal, caption, parent));
    captions->addStretch();
    captions->addWidget(studioLabel(high, captionPoints, QFont::Normal, caption, parent));
    block->addLayout(captions);
    return block;
}

}  // namespace

PlayerSettingsView::PlayerSettingsView(ConfigurationModel& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    setAccessibleName(QStringLiteral("Settings"));
    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setWidgetResizable(true);
    scroll_->viewport()->setAutoFillBackground(false);
    content_ = new QWidget;
    auto* column = new QVBoxLayout(content_);
    column->setContentsMargins(inset, inset, inset, inset);
    column->setSpacing(18);
    column->addWidget(studioHeading(QStringLiteral("Settings"), 21, QFont::DemiBold, studio::inkColor(studio::titleInk),
                                    content_));

    volume_ = new StudioSlider(studio::mint, content_);
    volume_->setRange(0, 150);  // percent: the master volume goes up to 1.5
    volume_->setAccessibleName(QStringLiteral("Volume"));
    column->addLayout(sliderBlock(QStringLiteral("Volume"), volume_, QStringLiteral("Quieter"),
                                  QStringLiteral("Louder"), content_));
    connect(volume_, &QSlider::valueChanged, this, [this](int percent) {
        edit([percent](UISettings& settings) { settings.volume = percent / 100.0; });
    });

    sensitivity_ = new StudioSlider(studio::mint, content_);
    sensitivity_->setAccessibleName(QStringLiteral("Sensitivity"));
    column->addLayout(sliderBlock(QStringLiteral("Sensitivity"), sensitivity_, QStringLiteral("Lower"),
                                  QStringLiteral("Higher"), content_));
    connect(sensitivity_, &QSlider::valueChanged, this, [this](int percent) {
        edit([percent](UISettings& settings) { settings = withSensitivity(settings, percent / 100.0); });
    });

    auto* rows = new QVBoxLayout;
    rows->setSpacing(10);
    for (const SwitchRow& row : switchRows) {
        const QString name = QString::fromUtf8(row.name);
        auto* line = new QHBoxLayout;
        QLabel* label = studioLabel(name, 13, QFont::Normal, studio::inkColor(studio::textInk), content_);
        line->addWidget(label);
        line->addStretch();
        rows->addLayout(line);
        if (!row.available) {
            QLabel* absent = studioLabel(QStringLiteral("Not available on this computer."), captionPoints,
                                         QFont::Normal, studio::inkColor(studio::secondaryInk), content_);
            label->setAccessibleName(name + QStringLiteral(": not available on this computer"));
            label->setToolTip(QString::fromUtf8(row.unavailable));
            absent->setAccessibleName(label->toolTip());
            rows->addWidget(absent);
            continue;
        }
        auto* toggle = new ToggleSwitch(name, content_);
        toggle->setToolTip(QString::fromUtf8(row.explanation));
        toggle->setAccessibleDescription(toggle->toolTip());
        line->addWidget(toggle);
        if (row.caption) {
            const QString port = QString::fromUtf8(midiPortName.data(), static_cast<qsizetype>(midiPortName.size()));
            QLabel* caption = studioLabel(QString::fromUtf8(row.caption).arg(port), captionPoints, QFont::Normal,
                                          studio::inkColor(studio::secondaryInk), content_);
            caption->setWordWrap(true);  // the panel keeps its width
            rows->addWidget(caption);
        }
        switches_.emplace_back(toggle, row.field);
        connect(toggle, &QAbstractButton::toggled, this, [this, field = row.field](bool on) {
            edit([field, on](UISettings& settings) { settings.*field = on; });
        });
    }
    column->addLayout(rows);

    // One line for what the user should know: the panel keeps its height
    // whatever it says.
    message_ = studioLabel({}, captionPoints, QFont::Normal, studio::inkColor(studio::warningInk), content_);
    message_->setWordWrap(true);
    message_->setFixedHeight(2 * message_->fontMetrics().lineSpacing());
    message_->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    column->addWidget(message_);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(10);
    auto* defaults = new StudioButton(QStringLiteral("Defaults"), true, content_);
    auto* save = new StudioButton(QStringLiteral("Save"), false, content_);
    defaults->setCapsuleHeight(34);
    save->setCapsuleHeight(34);
    defaults->setToolTip(QStringLiteral("Put every setting back to its default (Save keeps them)"));
    save->setToolTip(QStringLiteral("Keep these settings for the next start (Return)"));
    for (StudioButton* button : {defaults, save}) button->setAccessibleDescription(button->toolTip());
    buttons->addWidget(defaults);
    buttons->addStretch();
    buttons->addWidget(save);
    column->addLayout(buttons);
    connect(defaults, &QAbstractButton::clicked, this, [this] { model_.setSettings(UISettings{}); });
    connect(save, &QAbstractButton::clicked, this, [this] { model_.save(); });

    connect(&model_, &ConfigurationModel::settingsChanged, this, &PlayerSettingsView::refresh);
    connect(&model_, &ConfigurationModel::activeChanged, this, &PlayerSettingsView::refresh);
    connect(&model_, &ConfigurationModel::noticeChanged, this, &PlayerSettingsView::refresh);
    refresh();

    scroll_->setWidget(content_);
    content_->setAutoFillBackground(false);
    height_ = content_->sizeHint().height();
    body_ = QRect(0, arrowHeight, panelWidth, height_);
    scroll_->setGeometry(body_);
    if (!parent) resize(panelWidth, height_ + 2 * arrowHeight);
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
    volume_->setValue(static_cast<int>(std::lround(settings.volume * 100)));
    sensitivity_->setValue(static_cast<int>(std::lround(sensitivity(settings) * 100)));
    for (const auto& [toggle, field] : switches_) toggle->setChecked(settings.*field);
    refreshing_ = false;

    const bool active = model_.active();
    for (QWidget* control : content_->findChildren<QWidget*>())
        if (control->focusPolicy() != Qt::NoFocus) control->setEnabled(!active);
    const bool saved = !active && !model_.unsavedChanges() && model_.notice();
    message_->setText(active ? QStringLiteral("Stop playing to change settings.") : model_.settingsNote());
    QPalette colours = message_->palette();
    colours.setColor(QPalette::WindowText, studio::inkColor(saved ? studio::noticeInk : studio::warningInk));
    message_->setPalette(colours);
}

void PlayerSettingsView::showAnchoredTo(QWidget* button) {
    anchor_ = button;
    if (parentWidget()) parentWidget()->installEventFilter(this);
    place();
    show();
    raise();
    volume_->setFocus(Qt::PopupFocusReason);
}

void PlayerSettingsView::place() {
    QWidget* area = parentWidget();
    if (!anchor_ || !area) return;
    setGeometry(area->rect());
    const QRect anchor(anchor_->mapTo(area, QPoint(0, 0)), anchor_->size());
    const int height = std::min(height_, this->height() - 2 * margin);
    int top = margin;
    if (anchor.top() - arrowHeight - height >= margin) {
        arrow_ = Arrow::down;
        top = anchor.top() - arrowHeight - height;
    } else if (anchor.bottom() + arrowHeight + height <= this->height() - margin) {
        arrow_ = Arrow::up;
        top = anchor.bottom() + arrowHeight;
    } else {
        arrow_ = Arrow::none;
    }
    // Kept inside the window; the left edge wins in a window narrower than the panel.
    const int left = std::max(margin, std::min(anchor.center().x() - panelWidth / 2, width() - panelWidth - margin));
    body_ = QRect(left, top, panelWidth, height);
    scroll_->setVerticalScrollBarPolicy(height < height_ ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    scroll_->setGeometry(body_);
    arrowX_ = anchor.center().x() - left;
    update();
}

bool PlayerSettingsView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) place();
    return QWidget::eventFilter(watched, event);
}

void PlayerSettingsView::mousePressEvent(QMouseEvent* event) {
    // A click beside the panel closes it, and does nothing else.
    event->accept();
    close();
}

void PlayerSettingsView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape: close(); break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!model_.active()) model_.save();  // Save is the panel's default button
        break;
    default: break;
    }
    // Nothing typed here reaches the window underneath (Space plays there).
    event->accept();
}

void PlayerSettingsView::closeEvent(QCloseEvent* event) {
    if (anchor_) anchor_->setFocus(Qt::PopupFocusReason);
    QWidget::closeEvent(event);
}

// Tab and Shift+Tab go round the panel's controls.
bool PlayerSettingsView::focusNextPrevChild(bool next) {
    QList<QWidget*> chain;
    for (QWidget* control : content_->findChildren<QWidget*>())
        if ((control->focusPolicy() & Qt::TabFocus) && control->isEnabled() && control->isVisibleTo(this))
            chain << control;
    if (chain.isEmpty()) return true;
    const qsizetype at = chain.indexOf(focusWidget());
    const qsizetype count = chain.size();
    const qsizetype to = at < 0 ? (next ? 0 : count - 1) : (at + (next ? 1 : count - 1)) % count;
    chain[to]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    scroll_->ensureWidgetVisible(chain[to]);  // in a window too short for the panel
    return true;
}

void PlayerSettingsView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF body = QRectF(body_).adjusted(1, 0, -1, 0);
    QPainterPath panel;
    panel.addRoundedRect(body, 14, 14);
    if (arrow_ != Arrow::none) {
        QPainterPath arrow;
        const bool down = arrow_ == Arrow::down;
        const double tipY = down ? body.bottom() + arrowHeight : body.top() - arrowHeight;
        const double baseY = down ? body.bottom() - 1 : body.top() + 1;
        const double x = body.left() + arrowX_;
        arrow.moveTo(x - arrowHeight - 2, baseY);
        arrow.lineTo(x, tipY);
        arrow.lineTo(x + arrowHeight + 2, baseY);
        arrow.closeSubpath();
        panel = panel.united(arrow);
    }
    // A soft shadow under the panel, drawn in the window: no compositor needed.
    for (int ring = 1; ring <= 4; ++ring) {
        painter.setPen(QPen(studio::color({0, 0, 0}, 0.09), 2.0 * ring));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(panel.translated(0, 2));
    }
    painter.setPen(QPen(studio::white(0.1), 1));
    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0, studio::panelTop());
    fill.setColorAt(1, studio::color(studio::panel));
    painter.setBrush(fill);
    painter.drawPath(panel);
}

}  // namespace knockbox
