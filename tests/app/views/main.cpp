// The views' tests draw real widgets on Qt's offscreen platform: no display
// is needed. Its one screen is a laptop's, 1280 × 900 (at 144 dpi, with
// QT_FONT_DPI=144, that is 853 × 600 points). The model underneath runs fake
// players, so an event loop turns.
#include <gtest/gtest.h>

#include <QApplication>
#include <QString>

#include "player/process_values.h"

namespace {

QtMessageHandler qtDefault = nullptr;

// The offscreen platform tells about every window feature it lacks; that is
// not news in a test.
void quietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("This plugin does not support"))) return;
    qtDefault(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
    qtDefault = qInstallMessageHandler(quietOffscreen);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" KNOCKBOX_SOURCE_DIR "/tests/app/views/laptop-screen.json");
    knockbox::installProcessValues(knockbox::makeProcessValues(argc > 0 ? argv[0] : nullptr));
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
