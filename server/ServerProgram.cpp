// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/ServerProgram.h"

#include "platform/Paths.h"
#include "platform/Process.h"

#include <filesystem>

#include <unistd.h>

namespace {

std::string FileName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

} // namespace

bool HasNativeServer(const std::string& gameFolder) {
    const std::string path = JoinPath(gameFolder, NativeServerName);
    return !gameFolder.empty() && std::filesystem::is_regular_file(path) && ::access(path.c_str(), X_OK) == 0;
}

bool HasServerProgram(const std::string& gameFolder) {
    return HasNativeServer(gameFolder) ||
           (!gameFolder.empty() && std::filesystem::is_regular_file(JoinPath(gameFolder, WindowsServerName)));
}

std::string ServerExecutable(const std::string& gameFolder) {
    return JoinPath(gameFolder, HasNativeServer(gameFolder) ? NativeServerName : WindowsServerName);
}

ServerCommand MakeServerCommand(const std::string& executable, const std::string& parameters,
                                const std::string& runner) {
    ServerCommand command;
    command.workingFolder = ShellWorkingFolder(executable);
    command.arguments = SplitCommandLine(parameters);
    if (IsWindowsProgram(executable)) {
        command.program = runner;
        command.arguments.insert(command.arguments.begin(), executable);
    } else {
        command.program = executable;
    }
    return command;
}

std::string ServerProgramText(const std::string& executable, const std::string& runner) {
    std::string text = FileName(executable);
    if (IsWindowsProgram(executable))
        text.append(" (through ").append(FileName(runner)).append(")");
    else
        text.append(" (native)");
    return text;
}
