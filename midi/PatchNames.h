#pragma once

#include <QString>

#include <functional>

class ErrorReporter;
struct MidiState;

// Looks up the name of the current channel's instrument in "PATCH.INI" beside
// the program and shows it. The file is read afresh on every call.
class PatchNames {
public:
    using ShowName = std::function<void(const QString&)>;

    PatchNames(const MidiState& state, ErrorReporter& reporter, QString programFolder,
               ShowName show)
        : state_(state), reporter_(reporter), programFolder_(std::move(programFolder)),
          show_(std::move(show)) {}

    void ReadPatch();

private:
    const MidiState& state_;
    ErrorReporter& reporter_;
    QString programFolder_;
    ShowName show_;
};
