#include "app/Application.h"

#include "forms/Guard.h"

#include <QFont>

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(ApplicationTitle);
    setApplicationDisplayName(ApplicationTitle);
    setDesktopFileName(QStringLiteral("quendry")); // the menu entry, whose icon the desktop shows for the window
    QFont font = QApplication::font();
    font.setPointSize(8);
    setFont(font);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    RunGuarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
