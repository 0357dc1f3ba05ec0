#include "midi/backends/SoundfontSearch.h"

#include <filesystem>
#include <fstream>

std::vector<std::string> generalMidiSoundfontCandidates(const std::string& synthDefault) {
    std::vector<std::string> candidates;
    if (!synthDefault.empty())
        candidates.push_back(synthDefault);
    candidates.emplace_back("/usr/share/sounds/sf2/default-GM.sf2");
    candidates.emplace_back("/usr/share/soundfonts/default.sf2");
    return candidates;
}

std::string firstReadableFile(const std::vector<std::string>& candidates) {
    for (const auto& path : candidates) {
        std::error_code error;
        if (path.empty() || !std::filesystem::is_regular_file(path, error))
            continue;
        if (std::ifstream(path, std::ios::binary).good())
            return path;
    }
    return {};
}
