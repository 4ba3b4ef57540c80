// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FakePrograms.h"

#include <QElapsedTimer>
#include <QThread>

#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

std::string RecordingScript(const std::string& tag, const std::string& records) {
    return "#!/bin/sh\nf=\"" + records + "/$$\"\n{ echo " + tag +
           "; pwd; for a in \"$@\"; do echo \"[$a]\"; done; } > \"$f.part\"\nmv \"$f.part\" \"$f.rec\"\n";
}

} // namespace

FakePrograms::FakePrograms() : records_(folder_.File("records")) {
    fs::create_directories(records_);
    const std::string runner = folder_.Write("runner", RecordingScript("runner", records_));
    const std::string opener = folder_.Write("bin/xdg-open", RecordingScript("opener", records_));
    for (const std::string& script : {runner, opener})
        fs::permissions(script, fs::perms::owner_all);
    const char* path = std::getenv("PATH");
    savedPath_ = path ? path : "";
    setenv("PATH", (folder_.File("bin") + ":" + savedPath_).c_str(), 1);
    setenv("QUENDRY_EXE_RUNNER", runner.c_str(), 1);
}

FakePrograms::~FakePrograms() {
    setenv("PATH", savedPath_.c_str(), 1);
    unsetenv("QUENDRY_EXE_RUNNER");
}

std::string FakePrograms::FirstRecord() const {
    for (const auto& entry : fs::directory_iterator(records_))
        if (entry.path().extension() == ".rec")
            return entry.path().string();
    return {};
}

std::string FakePrograms::Next() {
    QElapsedTimer timer;
    timer.start();
    std::string record = FirstRecord();
    while (record.empty() && timer.elapsed() < 10000) {
        QThread::msleep(10);
        record = FirstRecord();
    }
    if (record.empty())
        return {};
    const std::string text = folder_.Read(record);
    fs::remove(record);
    return text;
}

bool FakePrograms::NoneWithin(int milliseconds) {
    QThread::msleep(static_cast<unsigned long>(milliseconds));
    return FirstRecord().empty() && fs::is_empty(records_);
}
