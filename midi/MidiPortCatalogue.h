#pragma once

#include <QStringList>

#include <memory>

class MidiOutDevice;

// The MIDI outputs the system offers besides the default output, named as the
// user sees them.
class MidiPortCatalogue {
public:
    virtual ~MidiPortCatalogue() = default;

    // The names of the output ports there are now, in the order to show them.
    virtual QStringList portNames() = 0;
    // An output for the port of that name, not yet opened; empty when there is
    // no such port (any more).
    virtual std::unique_ptr<MidiOutDevice> makePort(const QString& name) = 0;
};
