// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick of the start-up benchmark: a bare Qt main window, shown and ended at its first paint the same
// way as the program's own start-up measurement.
#include "forms/QuitWhenPainted.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QMainWindow window;
    new TQuitWhenPainted(window);
    window.show();
    return application.exec();
}
