// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Application.h"
#include "app/MainForm.h"
#include "app/Program.h"
#include "platform/Paths.h"
#include "support/ScriptedQuestions.h"

#include <iostream>

// Opens the main window as `quendry` does on the desktop, for the program installed in the folder given as the
// only argument, then closes it. Prints every error box to standard error; exits 1 when there was one.
int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "Usage: installed_window_check BIN_FOLDER\n";
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication application(argc, argv);
    SetProgramFolderOverride(std::string(argv[1]));
    ScriptedQuestions questions;
    {
        TProgram program;
        program.MainForm().show();
        QCoreApplication::processEvents();
        program.MainForm().close();
    }
    for (const QString& error : questions.errors)
        std::cerr << error.toStdString() << '\n';
    return questions.errors.isEmpty() ? 0 : 1;
}
