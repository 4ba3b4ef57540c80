#pragma once

#include <ostream>
#include <string>
#include <vector>

// The command line of the resource store, `quendry store ...`; `args` are the words after "store":
//   create ARCHIVE                 makes ARCHIVE an empty store unless it holds one (adds one behind other bytes)
//   list ARCHIVE                   one member a line: stored name, real size, packed size, ratio, attributes
//   add ARCHIVE FILE [NAME]        packs FILE as NAME (FILE itself when omitted), replacing a member of that name
//   extract ARCHIVE NAME FOLDER    unpacks the member NAME directly into FOLDER, replacing a file there
//   delete ARCHIVE NAME            removes the member NAME
// List and extract only read the archive, which must exist and hold a store; create and add make a missing
// archive an empty store, as the program does. Returns 0 on success; errors go to `err` with a non-zero result
// (2 for a wrong command line).
int RunStoreCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
