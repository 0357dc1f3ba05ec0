#pragma once

#include "shell/Services.h"

// The services of the real desktop program.
Services desktopServices();
