// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/WindowEntry.h"

#include "app/Application.h"
#include "app/MainForm.h"
#include "app/Program.h"
#include "forms/DialogQuestions.h"
#include "forms/QuitWhenPainted.h"
#include "settings/SettingsLocation.h"

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace {

// Qt's messages while it connects to the display, held back until it has: a display it cannot open is a fatal
// message, after which Qt would abort with advice to reinstall the program.
std::vector<std::pair<QtMsgType, QString>>& HeldMessages() {
    static std::vector<std::pair<QtMsgType, QString>> held;
    return held;
}

// The display variables that are set, as "DISPLAY=:1".
std::string DisplayVariables() {
    std::string named;
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (!qEnvironmentVariableIsEmpty(variable))
            named += (named.empty() ? "" : ", ") + std::string(variable) + "=" + qgetenv(variable).toStdString();
    return named;
}

void HoldOrRefuse(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtFatalMsg) {
        HeldMessages().emplace_back(type, message);
        return;
    }
    std::cerr << "quendry: the main window cannot open the display (" << DisplayVariables() << ").\n"
              << "  Check that the display runs and that this user may use it, or start the window under a virtual "
                 "display:  xvfb-run quendry\n"
              << "  The commands work without a window:  quendry --help\n";
    for (const auto& [heldType, held] : HeldMessages())
        if (heldType != QtDebugMsg && heldType != QtInfoMsg)
            std::cerr << "  " << held.toStdString() << '\n';
    std::cerr << std::flush;
    std::_Exit(2);
}

} // namespace

// Everything else in the library stays hidden, as it carries its own copy of the program's code: only the entry
// point that the program looks up by name is exported.
extern "C" __attribute__((visibility("default"))) int QuendryOpenMainWindow(int argc, char** argv,
                                                                            const char* instanceName) {
    // The program checked the name: only a valid one reaches the window.
    ChooseWindowInstance(Instance::Named(instanceName).value_or(Instance()));
    const QtMessageHandler previous = qInstallMessageHandler(HoldOrRefuse);
    TApplication application(argc, argv);
    qInstallMessageHandler(previous);
    for (const auto& [type, message] : HeldMessages())
        qt_message_output(type, {}, message);
    HeldMessages().clear();
    DialogQuestions questions;
    const QuestionsInstalled installed(questions);
    TProgram program;
    // Start-up measurements end the program at its first shown window.
    if (qEnvironmentVariableIsSet("QUENDRY_QUIT_WHEN_SHOWN"))
        new TQuitWhenPainted(program.MainForm());
    program.MainForm().show();
    return application.exec();
}
