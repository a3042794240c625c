// Loading modules and handling documents for the suite: a module loaded with its own folder on
// the search path, the open document of a file, opening a drawing and creating one from a
// template through the host's automation objects.
#pragma once

#include "win/CString.h"

class AcApDocument;

namespace NUV {

// Loads a module with its folder added to "Path" for the load, so that the libraries lying
// beside it are found; "Path" is restored exactly afterwards, whatever the load gave. 1 when the
// host loaded it, else 0 (also for a null or empty path).
int ARXLoadEx(const char* path);

// The open document whose file name equals `path` ignoring case (double-byte aware); null when
// none or when there is no document manager.
AcApDocument* FindDwgDocument(const char* path);

// Opens a drawing unless it is open already; with `activate` nonzero it becomes the active
// document. 1 when the drawing is open afterwards; 0 for a missing file, no document manager, or
// a failure of the host. Must run in the application context (not inside a command).
int OpenDwg(const char* path, int activate);

// Creates a drawing from a template and puts the new document's name in `name`; with `activate`
// nonzero it becomes the active document. 1 on success; 0 for a missing template or a failure of
// the host (a drawing created before an activation failed stays open, `name` set). Must run in
// the application context.
int CreateDwgByDwt(const char* templatePath, CString& name, int activate);

}  // namespace NUV
