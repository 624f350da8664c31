// The GUI test program: one QApplication for all tests, and a dialog layer that never waits for a
// user, so that a question nobody answered fails a test instead of hanging the run.
#include "dialogs/dialoglayer.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qv::DialogLayer::setInteractive(false);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
