// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/MetricsFile.h"

#include "platform/AtomicFile.h"
#include "server/ServerFiles.h"

#include <filesystem>
#include <utility>

namespace {

// The metrics of the supervised server, without its answer.
ServerMetrics MetricsOf(const StartedServer& server) {
    ServerMetrics metrics;
    metrics.server = server.launch.instance.Label();
    metrics.game = std::filesystem::path(server.launch.modPath).parent_path().string();
    const auto address = StatusAddressOf(server.launch.parameters);
    metrics.address = address ? ServerAddress(address->host, address->port) : std::string();
    metrics.queried = address.has_value();
    metrics.running = true;
    metrics.startedAt = ProcessStartedAt(server.process.Id());
    return metrics;
}

} // namespace

MetricsFile::MetricsFile(std::string path, LogSink log) : path_(std::move(path)), log_(std::move(log)) {
    try {
        counts_ = SupervisorCountsIn(ReadWholeFile(path_));
    } catch (const FileError&) {
        // No file yet (or none that can be read): the counts begin at zero.
    }
}

void MetricsFile::Take(const SupervisionReport& report) {
    ServerMetrics metrics = MetricsOf(report.server);
    switch (report.kind) {
    case SupervisionReport::StatusQueried:
        counts_.unansweredQueries += report.answer->status ? 0 : 1;
        metrics.status = report.answer->status;
        metrics.roundTrip = report.answer->roundTrip;
        Write(metrics);
        return;
    case SupervisionReport::Ready:
        if (!metrics.queried)
            Write(metrics);
        return;
    case SupervisionReport::StopAsked:
        ++counts_.stopsRequested;
        return;
    case SupervisionReport::Hung:
        // The supervisor stops the server now and ends: this is the file's last word.
        ++counts_.hangs;
        [[fallthrough]];
    case SupervisionReport::Ended:
        metrics.running = false;
        metrics.startedAt.reset();
        Write(metrics);
        return;
    case SupervisionReport::NotAnswering:
    case SupervisionReport::AnsweringAgain:
        return;
    }
}

void MetricsFile::Write(const ServerMetrics& metrics) {
    try {
        WriteFileAtomically(path_, PrometheusText({metrics}, &counts_), 0644);
        if (!lastError_.empty())
            log_("Metrics file " + path_ + " written again");
        lastError_.clear();
    } catch (const FileError& error) {
        if (error.Reason() != lastError_)
            log_("Metrics file " + path_ + " cannot be written: " + error.Reason());
        lastError_ = error.Reason();
    }
}
