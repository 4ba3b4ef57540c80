// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandsEntry.h"

#include "app/CommandLine.h"

#include <QCoreApplication>

#include <iostream>
#include <string>
#include <type_traits>
#include <vector>

namespace {

// Standard error carries the program's own messages and Qt's critical and fatal ones (a fatal one comes right
// before Qt aborts); Qt's warnings and notes about the desktop session (no runtime folder on a server box, say)
// would read like failures of a command.
void DropQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::cerr << message.toStdString() << std::endl;
}

} // namespace

// Everything else in the library stays hidden, as it carries its own copy of the program's code: only the entry
// point that the program looks up by name is exported.
extern "C" __attribute__((visibility("default"))) int QuendryRunCommandLine(int argc, char** argv) {
    static_assert(std::is_same_v<decltype(&QuendryRunCommandLine), RunCommandLineFunction>);
    qInstallMessageHandler(DropQtMessages);
    const QCoreApplication application(argc, argv);
    return RunCommandLine(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
