// Linetype and text-style records of the working database, got or made by name. A record handed
// back is open for write and the caller closes it; a new one carries nothing but its name (no
// dashes, no font), for the caller to fill.
#pragma once

#include "acad/AcDb.h"

namespace NUV {

// The existing record with existed = 1, or a new one with existed = 0. Null (existed
// untouched) for an empty name, no working database, a table that cannot be opened for write
// or a name the table refuses.
AcDbLinetypeTableRecord* CreateLineType(const char* name, int& existed);
AcDbTextStyleTableRecord* CreateTextStyle(const char* name, int& existed);

}  // namespace NUV
