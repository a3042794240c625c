// New identifiers from the operating system's random source.
#pragma once

#include "win/WinTypes.h"

// Fills *guid with a random (version 4, RFC 4122 variant) identifier. Returns 0 (S_OK) on
// success, or a negative status when the argument is null or the system has no randomness.
std::int32_t CoCreateGuid(GUID* guid);
