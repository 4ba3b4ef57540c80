// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/OwnProcesses.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    LeaveTheRunnersGroup();
    // Window tests never need a screen; plain `ctest` and a test run by hand behave the same.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
