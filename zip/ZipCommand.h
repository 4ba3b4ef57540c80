#pragma once

#include <ostream>
#include <string>
#include <vector>

// The command line of the zip component, `quendry zip ...`; `args` are the words after "zip":
//   list ARCHIVE                    one member a line: name as listed, compressed size, size, method, host
//                                   system, encrypted; then the archive comment
//   extract ARCHIVE FOLDER NAME...  extracts the named members into FOLDER through the unzip library found in
//                                   `libraryFolder`, with the default options; questions go to the questions
//                                   in force
// An archive that does not exist is an error (listing never creates it). Returns 0 on success; errors go to
// `err` with a non-zero result (2 for a wrong command line).
int RunZipCommand(const std::vector<std::string>& args, const std::string& libraryFolder, std::ostream& out,
                  std::ostream& err);
