#include "midi/backends/rtmidi/RtMidiPorts.h"

#include "midi/backends/rtmidi/MidiSystems.h"
#include "midi/backends/rtmidi/RtMidiOutput.h"

#include <RtMidi.h>

namespace {

// How a port is shown to the user and kept in the settings.
struct PortEntry {
    QString name;
    MidiSystem system;
    std::string portName;
    bool virtualPort;
};

std::vector<PortEntry> entries() {
    std::vector<PortEntry> list;
    for (MidiSystem system : builtInMidiSystems()) {
        std::unique_ptr<RtMidiOut> out = makeRtMidiOut(system);
        if (!out)
            continue;
        const unsigned count = out->getPortCount();
        for (unsigned i = 0; i < count; ++i) {
            const std::string portName = out->getPortName(i);
            if (portName.empty())
                continue;
            QString name = QString::fromStdString(portName);
            if (system == MidiSystem::Jack)
                name += QStringLiteral(" (JACK)");
            list.push_back({name, system, portName, false});
        }
        if (system == MidiSystem::Alsa)
            list.push_back({QStringLiteral("%1:%2 (for other MIDI programs)")
                                .arg(QLatin1String(OwnClientName), QLatin1String(OwnPortName)),
                            system, std::string(), true});
    }
    return list;
}

} // namespace

QStringList RtMidiPorts::portNames() {
    QStringList names;
    for (const PortEntry& entry : entries())
        names << entry.name;
    return names;
}

std::unique_ptr<MidiOutDevice> RtMidiPorts::makePort(const QString& name) {
    for (PortEntry& entry : entries())
        if (entry.name == name)
            return std::make_unique<RtMidiOutput>(entry.system, std::move(entry.portName),
                                                  entry.virtualPort);
    return nullptr;
}
