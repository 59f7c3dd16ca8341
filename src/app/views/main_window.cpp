#include "app/views/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>

#include "app/views/about_dialog.h"
#include "app/views/configuration_view.h"
#include "app/views/studio_palette.h"

namespace knockbox {
namespace fs = std::filesystem;

MainWindow::MainWindow(ConfigurationModel& model, bool reduceMotion, AnimationClock clock) : model_(model) {
    setWindowTitle(QStringLiteral("Knockbox"));
    QPalette colours = palette();
    colours.setColor(QPalette::Window, studio::color(studio::windowBackground));
    setPalette(colours);
    view_ = new ConfigurationView(model_, reduceMotion, std::move(clock), this);
    setCentralWidget(view_);
    setMinimumSize(minimumWidth, minimumHeight);
    resize(defaultWidth, defaultHeight);

    // One menu: on macOS its two items move into the application menu.
    QMenu* menu = menuBar()->addMenu(QStringLiteral("Knockbox"));
    QAction* licenses = menu->addAction(QStringLiteral("Credits && Licenses"));
    licenses->setMenuRole(QAction::ApplicationSpecificRole);
    connect(licenses, &QAction::triggered, this, &MainWindow::licensesRequested);
    menu->addSeparator();
    QAction* quit = menu->addAction(QStringLiteral("Quit Knockbox"));
    // Qt reads Ctrl as ⌘ on macOS. Spelled out: not every platform theme binds
    // the standard Quit key.
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit->setShortcutContext(Qt::ApplicationShortcut);
    quit->setMenuRole(QAction::QuitRole);
    connect(quit, &QAction::triggered, this, &QWidget::close);
    QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
    QAction* about = help->addAction(QStringLiteral("About Knockbox"));
    about->setMenuRole(QAction::AboutRole);
    connect(about, &QAction::triggered, this, &MainWindow::showAbout);
#ifndef __APPLE__
    // Elsewhere the menu bar is the window's own: dressed like the window.
    menuBar()->setStyleSheet(QStringLiteral(
        "QMenuBar { background: #0e1116; color: #c9ccd1; border-bottom: 1px solid #1c2027; }"
        "QMenuBar::item { padding: 4px 10px; background: transparent; }"
        "QMenuBar::item:selected { background: #1f242c; border-radius: 4px; }"
        "QMenu { background: #191a1c; color: #e6e6e6; border: 1px solid #2b2e33; padding: 4px; }"
        "QMenu::item { padding: 5px 22px 5px 14px; border-radius: 4px; }"
        "QMenu::item:selected { background: #2c3a35; }"
        "QMenu::separator { height: 1px; background: #2b2e33; margin: 4px 6px; }"));
#endif
}

void MainWindow::showAbout() { knockbox::showAbout(AboutFacts::of(model_), this); }

void MainWindow::present() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        // The window frame's own size is not known before it shows: leave it some room.
        const QSize room = screen->availableGeometry().size() - QSize(16, 48);
        setMinimumSize(minimumSize().boundedTo(room));
        resize(size().boundedTo(room));
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
    raise();
    activateWindow();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!model_.active()) {
        event->accept();
        return;
    }
    event->ignore();
    model_.setOnStopped([this] { close(); });
    model_.stop();
}

std::optional<fs::path> noticesFile(const fs::path& executable, const std::optional<fs::path>& bundleResources) {
    const fs::path name = fs::path("Licenses") / "THIRD_PARTY_NOTICES.md";
    std::error_code error;
    if (bundleResources && fs::is_regular_file(*bundleResources / name, error)) return *bundleResources / name;
    const fs::path above = executable.parent_path().parent_path();
    for (const fs::path& file : {above / "share/doc/knockbox/THIRD_PARTY_NOTICES.md", above / name})
        if (fs::is_regular_file(file, error)) return file;
    return std::nullopt;
}

}  // namespace knockbox
