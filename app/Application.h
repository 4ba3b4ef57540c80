// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>

// The application object: titled "Brisela Quendry", and the last line of defence that keeps an error
// from leaving an event handler: it is shown in the default error box and the program goes on.
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

// Names the application "Brisela Quendry", gives every window its icon and its 8 point font; the captions stay
// the windows' own.
void SetUpApplication(QApplication& application);
