// The command group "NUV": NUVKERNEL (the banner), ClearDwg (the suite's records out of the
// drawing) and MSld (a slide of the drawing under its own name).
#pragma once

#include "win/CString.h"

class AcDbDatabase;

namespace NUV {

inline constexpr const char* kCommandGroup = "NUV";

// Adds the three commands to the host's command stack; removes the whole group.
void RegisterKernelCommands();
void RemoveKernelCommands();

// What ClearDwg does to a drawing: erases the extended records kept in its named-objects
// dictionary, directly or one level down in dictionaries that are not the host's own (names
// beginning with ACAD or ACDB, any case). The drawing then reads every setting from the user's
// defaults again. Returns how many records were erased; -1 when the dictionary cannot be opened.
int ClearDrawingRecords(AcDbDatabase* db);

}  // namespace NUV
