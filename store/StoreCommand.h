// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ostream>
#include <string>
#include <vector>

// The resource store's operations for a command line; each throws the store's errors (EResourcesMaker, FileError).
// List and extract only read the archive, which must exist and hold a store; create and add make a missing
// archive an empty store, as the program does.

// Makes ARCHIVE an empty store unless it holds one (adds one behind other bytes).
void StoreCreate(const std::string& archive);
// One member a line: stored name, real size, packed size, ratio, attributes.
void StoreList(const std::string& archive, std::ostream& out);
// Packs FILE as NAME (FILE itself when empty), replacing a member of that name.
void StoreAdd(const std::string& archive, const std::string& file, const std::string& name);
// Unpacks the member NAME directly into FOLDER, replacing a file there.
void StoreExtract(const std::string& archive, const std::string& name, const std::string& folder);
// Removes the member NAME.
void StoreDelete(const std::string& archive, const std::string& name);

// The command line of the store tool that packs the side archives during the build, before the program exists;
// `args` are its words: create ARCHIVE, list ARCHIVE, add ARCHIVE FILE [NAME], extract ARCHIVE NAME FOLDER or
// delete ARCHIVE NAME. Returns 0 on success; errors go to `err` with a non-zero result (2 for a wrong command line).
int RunStoreCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
