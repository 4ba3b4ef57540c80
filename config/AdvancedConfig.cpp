#include "config/AdvancedConfig.h"

#include "platform/Paths.h"
#include "config/CfgFile.h"

void WriteAdvancedConfig(const std::vector<std::string>& lines, const std::string& gameFolder,
                         const std::string& modFolder, const LogSink& log) {
    std::vector<CfgFileLine> file;
    for (std::size_t i = 0; i < lines.size(); ++i)
        file.push_back({"advanced.cfg line " + std::to_string(i + 1), lines[i]});
    SaveCfgFile(JoinPath(JoinPath(gameFolder, modFolder), "advanced.cfg"), file, log);
    log("Adavanced cfg : saved");
}
