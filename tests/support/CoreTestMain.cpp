// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/OwnProcesses.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    LeaveTheRunnersGroup();
    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
