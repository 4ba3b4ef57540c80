#pragma once

#include <string>

// "Version " followed by the four-part version, or "Unknown version" when the build carries none.
std::string VersionText(const std::string& version);

// The version text of this build of the program.
std::string GetVersionText();
