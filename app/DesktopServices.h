#pragma once

#include "app/Services.h"

// The services of the real desktop program.
Services desktopServices();
