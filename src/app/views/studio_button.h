#pragma once
// The app's buttons: StudioButton, the capsule of every action (mint, or the
// panel colour when secondary, shrinking a little while pressed);
// PlainButton, a text-only button; SymbolButton, a round icon-only button.
// Return, Enter and Space press each (KeyboardButton).

#include <optional>

#include "app/views/keyboard_button.h"
#include "app/views/studio_icons.h"

namespace knockbox {

class StudioButton : public KeyboardButton {
    Q_OBJECT

public:
    explicit StudioButton(const QString& text, bool secondary = false, QWidget* parent = nullptr);

    // A symbol before the text, or after it (`trailing`, for arrows).
    void setSymbol(std::optional<StudioIcon> symbol, bool trailing = false);
    void setSecondary(bool secondary);
    void setCapsuleHeight(int height);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<StudioIcon> symbol_;
    bool trailing_ = false;
    bool secondary_ = false;
    int height_ = 36;
};

class PlainButton : public KeyboardButton {
    Q_OBJECT

public:
    explicit PlainButton(const QString& text, QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

class SymbolButton : public KeyboardButton {
    Q_OBJECT

public:
    // `name` is what assistive technology reads and the tool-tip shows.
    SymbolButton(StudioIcon symbol, const QString& name, int diameter, QWidget* parent = nullptr);
    void setSymbol(StudioIcon symbol);
    QSize sizeHint() const override { return {diameter_, diameter_}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    StudioIcon symbol_;
    int diameter_;
};

}  // namespace knockbox
