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
