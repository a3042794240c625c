// The temporary folder and temporary file names, with the platform's naming rules.
#pragma once

#include "win/WinTypes.h"

// Copies the temporary folder ($TMPDIR, else /tmp), ending with a separator, into buffer.
// Returns its length without the terminator; when the buffer (of bufferLength characters) is too
// small nothing is written and the length needed, terminator included, is returned.
DWORD GetTempPathA(DWORD bufferLength, LPSTR buffer);

// Forms "<path><sep><prefix (first 3 characters)><hex>.TMP" in tempFileName (MAX_PATH characters).
// The hex part is the low 16 bits of the unique number in upper case without leading zeros.
// With unique 0 the numbers are tried from a time-based start and the first name that can be
// created as a new, empty file is taken (the file is left on disk); otherwise the name is only
// formed. Returns the number used (unique itself when nonzero), or 0 on failure: a null argument,
// a path longer than MAX_PATH - 14, a name too long, or a file that cannot be created.
UINT GetTempFileNameA(LPCSTR path, LPCSTR prefix, UINT unique, LPSTR tempFileName);
