// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/LineList.h"

#include <QString>
#include <QStringList>

#include <string>
#include <string_view>
#include <vector>

// Texts cross between the windows (QString) and the windowless layers (UTF-8 std::string) here.

QString FromUtf8(std::string_view text);
QStringList FromUtf8(const std::vector<std::string_view>& texts);
QStringList FromUtf8(const std::vector<std::string>& texts);
QStringList FromUtf8(const LineList& texts);
std::vector<std::string> Utf8Lines(const QStringList& lines);
// `text` as UTF-8, encoded straight into the string.
std::string ToUtf8(QStringView text);
