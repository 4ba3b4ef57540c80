#include "config/CfgFile.h"

#include "platform/AtomicFile.h"
#include "platform/Windows1252.h"

void SaveCfgFile(const std::string& path, const std::vector<CfgFileLine>& lines, const LogSink& log) {
    std::string content;
    for (const auto& line : lines) {
        bool lost = false;
        content += EncodeWindows1252(line.text, &lost) + "\r\n";
        // The game would read a wrong value; the user must learn which setting to retype.
        if (lost)
            log(line.subject + " : character written as ?");
    }
    WriteFileAtomically(path, content);
}
