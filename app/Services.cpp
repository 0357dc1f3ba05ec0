#include "app/Services.h"

#include "midi/MidiOutDevice.h"
#include "midi/MidiPortCatalogue.h"
#include "shell/Clock.h"
#include "shell/ErrorReport.h"
#include "shell/NoticeBox.h"
#include "shell/RandomSource.h"
#include "shell/SettingsStore.h"
#include "shell/UrlOpener.h"

Services::Services() = default;
Services::Services(Services&&) noexcept = default;
Services& Services::operator=(Services&&) noexcept = default;
Services::~Services() = default;
