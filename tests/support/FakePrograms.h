// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/TestFolder.h"

#include <string>

// A fake Windows program runner ($QUENDRY_EXE_RUNNER) and a fake desktop opener (an xdg-open first on PATH),
// installed while the object lives. Each start leaves one record: "runner" or "opener", the working folder, then
// every argument in brackets, one a line. Every program started while the object lives inherits a marker in its
// environment, so that the test can tell when all of them have ended, detached ones included.
class FakePrograms {
public:
    FakePrograms();
    ~FakePrograms();
    FakePrograms(const FakePrograms&) = delete;
    FakePrograms& operator=(const FakePrograms&) = delete;

    // The record of the next start, waiting for it up to ten seconds; empty when none came.
    std::string Next();
    // True when no program left a record: waits until every program started so far (a child of the test, or
    // one that carries the marker) has ended, a minute at most, as each leaves its record before it ends.
    bool NoneStarted() const;

private:
    std::string FirstRecord() const;

    TestFolder folder_;
    std::string records_;
    std::string savedPath_;
};
