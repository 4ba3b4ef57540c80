// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Application.h"

#include "app/Launchers.h"
#include "forms/Guard.h"

#include <QFont>
#include <QIcon>

void SetUpApplication(QApplication& application) {
    // Only the name: a display name would make the window system add " — Brisela Quendry" to every caption.
    application.setApplicationName(ApplicationTitle);
    application.setDesktopFileName(
        QString::fromLatin1(ProgramIconName)); // the menu entry, whose icon the desktop shows
    // Title bars and task switchers show it even where no menu entry is installed.
    application.setWindowIcon(QIcon(QStringLiteral(":/icons/org.quendry.Quendry-48.png")));
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
