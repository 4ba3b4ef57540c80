// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick of the start-up benchmark: a bare Qt main window with one label, shown and ended at its first paint
// the same way as the program's own start-up measurement. The label makes it load the fonts, as any window with
// text must.
#include "forms/QuitWhenPainted.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QMainWindow window;
    window.setCentralWidget(new QLabel(QStringLiteral("Brisela Quendry"), &window));
    new TQuitWhenPainted(window);
    window.show();
    return application.exec();
}
