#pragma once
// Cross-fades: a label whose text changes with a short ease-in-out fade, and
// a snapshot of a page fading out over the page that replaced it. Their
// timers run only while they fade.

#include <QElapsedTimer>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

namespace knockbox {

class FadingLabel : public QWidget {
    Q_OBJECT

public:
    FadingLabel(double seconds, bool reduceMotion, QWidget* parent = nullptr);

    // The new text fades in over the old one (at once with reduced motion or
    // while hidden).
    void setText(const QString& text);
    const QString& text() const { return text_; }
    bool fading() const { return timer_.isActive(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double seconds_;
    bool reduceMotion_;
    QString text_;
    QString previous_;
    QElapsedTimer elapsed_;
    QTimer timer_;
};

// Shows `snapshot` over its parent and fades it out, then deletes itself.
class PageFade : public QWidget {
    Q_OBJECT

public:
    PageFade(const QPixmap& snapshot, double seconds, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap snapshot_;
    double seconds_;
    QElapsedTimer elapsed_;
    QTimer timer_;
};

}  // namespace knockbox
