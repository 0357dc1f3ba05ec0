#include "midi/backends/alsa/AlsaDefault.h"

#include <alsa/asoundlib.h>

#include <cstring>

bool alsaDefaultIsPulseAudio() {
    if (snd_config_update() < 0 || snd_config == nullptr)
        return false;
    // The definition as a client opening "default" gets it, hooks evaluated:
    // PulseAudio's plugin makes itself the default while a server takes
    // connections.
    snd_config_t* device = nullptr;
    if (snd_config_search_definition(snd_config, "pcm", "default", &device) < 0 ||
        device == nullptr)
        return false;
    snd_config_t* type = nullptr;
    const char* name = nullptr;
    const bool pulse = snd_config_search(device, "type", &type) == 0 &&
                       snd_config_get_string(type, &name) == 0 && std::strcmp(name, "pulse") == 0;
    snd_config_delete(device);
    return pulse;
}
