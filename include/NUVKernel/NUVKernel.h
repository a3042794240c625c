// NUVKernel SDK: the whole exported API of the kernel and its platform layers.
// Each subsystem adds its public headers here.
#pragma once

#include "win/CString.h"
#include "settings/AppName.h"
