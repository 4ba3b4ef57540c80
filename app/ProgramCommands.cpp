// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ProgramCommands.h"

#include "app/StatusCommand.h"
#include "zip/ZipCommand.h"

namespace {

int ZipListCommand(const CommandArguments& args, std::ostream& out, std::ostream& err) {
    return ZipList(args.Words()[0], out, err);
}

constexpr NamedRun Runs[] = {
    {"status", StatusCommand},
    {"zip list", ZipListCommand},
};

} // namespace

std::span<const NamedRun> ProgramCommandRuns() {
    return Runs;
}
