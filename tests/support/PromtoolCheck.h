// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <string>

// Checks of a text of metrics in Prometheus' text format, by Prometheus' own tool (promtool, from Debian's
// prometheus package) and by what promtool lets pass.

// Expects promtool check metrics to take `text` without a complaint, and every sample to come after the help and
// type lines of its family.
void ExpectValidMetrics(const std::string& text);

// The samples of `text`: "name{labels}" (as written) and the value.
std::map<std::string, double> MetricSamples(const std::string& text);

// The exit code of `promtool ARGUMENTS...` on `file`, with its output after it on `output`.
int Promtool(const std::string& command, const std::string& file, std::string& output);
