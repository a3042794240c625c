// NUVKernel.arx as a host module: its handle (for its own resources) and the entry point the
// host sends its messages to (acrxEntryPoint, exported from the module).
#pragma once

#include "win/WinTypes.h"

namespace NUV {

// The module's instance handle, kept when the host maps the module; null before.
HINSTANCE ModuleInstance();

}  // namespace NUV
