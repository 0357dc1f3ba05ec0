#include "midi/backends/alsa/AlsaMessages.h"

#include <alsa/asoundlib.h>

namespace {

void dropAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

} // namespace

void routeAlsaMessages(bool show) {
    if (!show)
        snd_lib_error_set_handler(&dropAlsaMessage);
}
