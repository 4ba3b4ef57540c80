// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/WindowEntry.h"

#include "app/Application.h"
#include "app/MainForm.h"
#include "app/Program.h"
#include "forms/DialogQuestions.h"
#include "forms/QuitWhenPainted.h"
#include "settings/SettingsLocation.h"

// Everything else in the library stays hidden, as it carries its own copy of the program's code: only the entry
// point that the program looks up by name is exported.
extern "C" __attribute__((visibility("default"))) int QuendryOpenMainWindow(int argc, char** argv,
                                                                            const char* instanceName) {
    // The program checked the name: only a valid one reaches the window.
    ChooseWindowInstance(Instance::Named(instanceName).value_or(Instance()));
    TApplication application(argc, argv);
    DialogQuestions questions;
    SetQuestions(&questions);
    TProgram program;
    // Start-up measurements end the program at its first shown window.
    if (qEnvironmentVariableIsSet("QUENDRY_QUIT_WHEN_SHOWN"))
        new TQuitWhenPainted(program.MainForm());
    program.MainForm().show();
    const int result = application.exec();
    SetQuestions(nullptr);
    return result;
}
