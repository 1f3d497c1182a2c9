#pragma once
// main() of the Qt test programs: a QApplication on the offscreen platform, then every test.
// The test list is also read at build time, without the test environment, so the platform is set
// here unless the caller chose one.

#include <QApplication>
#include <gtest/gtest.h>

inline int runQtTests(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
