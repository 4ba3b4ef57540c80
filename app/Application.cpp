#include "app/Application.h"

#include "forms/Guard.h"

#include <QFont>

void SetUpApplication(QApplication& application) {
    // Only the name: a display name would make the window system add " — Brisela Quendry" to every caption.
    application.setApplicationName(ApplicationTitle);
    application.setDesktopFileName(QStringLiteral("quendry")); // the menu entry, whose icon the desktop shows
    QFont font = QApplication::font();
    font.setPointSize(8);
    QApplication::setFont(font);
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    SetUpApplication(*this);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    RunGuarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
