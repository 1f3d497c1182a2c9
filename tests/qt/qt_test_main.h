#pragma once
#include <QtWidgets>
#include <gtest/gtest.h>

int main(int argc, char** argv) { // offscreen even when the build lists the tests without their environment
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
