#pragma once

#include <string>
#include <vector>

// Where a General MIDI soundfont is looked for, in order: the synthesiser's own
// default (may be empty), then the places Debian's GM soundfont packages use.
std::vector<std::string> generalMidiSoundfontCandidates(const std::string& synthDefault);

// The first candidate that is a readable regular file, or an empty string.
std::string firstReadableFile(const std::vector<std::string>& candidates);
