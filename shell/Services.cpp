#include "shell/Services.h"

#include "shell/Clock.h"
#include "shell/ErrorReport.h"
#include "shell/MidiOutDevice.h"
#include "shell/MidiPortCatalogue.h"
#include "shell/SettingsStore.h"

Services::Services() = default;
Services::Services(Services&&) noexcept = default;
Services& Services::operator=(Services&&) noexcept = default;
Services::~Services() = default;
