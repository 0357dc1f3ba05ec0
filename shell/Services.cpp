#include "shell/Services.h"

#include "midi/MidiOutDevice.h"
#include "midi/MidiPortCatalogue.h"
#include "shell/Clock.h"
#include "shell/ErrorReport.h"
#include "shell/SettingsStore.h"

Services::Services() = default;
Services::Services(Services&&) noexcept = default;
Services& Services::operator=(Services&&) noexcept = default;
Services::~Services() = default;
