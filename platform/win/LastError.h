// The calling thread's last error code, as the platform's functions leave it when they fail.
#pragma once

#include "win/WinTypes.h"

DWORD GetLastError();
void SetLastError(DWORD code);
