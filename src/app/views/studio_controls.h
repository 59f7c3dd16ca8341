#pragma once
// The panels' controls, drawn in the app's colours: a segmented control, a
// switch and a slider.

#include <vector>

#include <QSlider>
#include <QStringList>
#include <QWidget>

#include "app/views/keyboard_button.h"
#include "app/views/studio_palette.h"

namespace knockbox {

// One segment of a SegmentedControl.
class SegmentButton : public KeyboardButton {
    Q_OBJECT

public:
    SegmentButton(const QString& text, QWidget* parent);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A row of exclusive segments on a rounded track.
class SegmentedControl : public QWidget {
    Q_OBJECT

public:
    SegmentedControl(const QStringList& labels, QWidget* parent = nullptr);

    int selected() const;
    // Shows a choice without reporting it.
    void setSelected(int index);
    SegmentButton* segment(int index) const { return segments_[static_cast<std::size_t>(index)]; }

signals:
    // The user chose the segment.
    void activated(int index);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<SegmentButton*> segments_;
};

// An on/off switch: a capsule with a sliding knob, mint when on.
class ToggleSwitch : public KeyboardButton {
    Q_OBJECT

public:
    explicit ToggleSwitch(const QString& accessibleName, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {40, 24}; }

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A horizontal slider over percentages: a thin track filled in the tint up
// to a round knob. A press anywhere on it moves the knob there; the arrow
// keys move it by 5, Page Up and Page Down by 20.
class StudioSlider : public QSlider {
    Q_OBJECT

public:
    StudioSlider(studio::Rgb tint, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {200, 24}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int valueAt(double x) const;
    QRectF track() const;

    studio::Rgb tint_;
};

}  // namespace knockbox
