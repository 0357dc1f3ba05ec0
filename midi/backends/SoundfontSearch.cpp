#include "midi/backends/SoundfontSearch.h"

#include "shell/RegularFile.h"

#include <QFile>

std::vector<std::string> generalMidiSoundfontCandidates(const std::string& synthDefault) {
    std::vector<std::string> candidates;
    if (!synthDefault.empty())
        candidates.push_back(synthDefault);
    candidates.emplace_back("/usr/share/sounds/sf2/default-GM.sf2");
    candidates.emplace_back("/usr/share/soundfonts/default.sf2");
    return candidates;
}

std::string firstReadableFile(const std::vector<std::string>& candidates) {
    // Opened as every outside file is: an ordinary file only, never waited on.
    for (const auto& path : candidates)
        if (!path.empty() &&
            checkRegularFile(QFile::decodeName(path.c_str())) == FileOpening::Opened)
            return path;
    return {};
}
