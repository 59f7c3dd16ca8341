// The configuration app's tests need a Qt event loop (the player's output and
// exit arrive through it) and the process-wide values the app reads.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "player/process_values.h"

int main(int argc, char** argv) {
    knockbox::installProcessValues(knockbox::makeProcessValues(argc > 0 ? argv[0] : nullptr));
    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
