// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/LogSink.h"
#include "server/Metrics.h"
#include "server/SupervisionReport.h"

#include <string>

// The metrics file of a server in the foreground, for the node exporter's textfile collector: written whole
// (atomically) at each status query, at a hang and at the server's end, with the supervisor's counts, which go on
// from those of the file it finds.
class MetricsFile {
public:
    // Writes to `path`; a file that cannot be written is logged on `log` (once until it can be again).
    MetricsFile(std::string path, LogSink log);

    // Counts what `report` tells and writes the file when it is a status query, the start of a server that answers
    // no query, a hang or the end.
    void Take(const SupervisionReport& report);

private:
    void Write(const ServerMetrics& metrics);

    std::string path_;
    LogSink log_;
    SupervisorCounts counts_;
    std::string lastError_;
};
