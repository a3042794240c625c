// Loading line types from .lin files into a drawing: AcDbDatabase::loadLineTypeFile as the host
// offers it, and the fuller form the -LINETYPE command uses (reloading, and a report of what
// happened to each name).
#pragma once

#include <string>
#include <vector>

#include "acad/AcDbCore.h"

class AcDbDatabase;

namespace NUVAcad {

struct LinetypeLoadReport {
    std::vector<std::string> loaded;         // new in the drawing
    std::vector<std::string> reloaded;       // redefined (reload asked for)
    std::vector<std::string> alreadyLoaded;  // left as they were
    std::vector<std::string> errors;         // the file's and the refused definitions'
};

// Loads the definitions of `file` whose names match `pattern` (a wildcard list, case ignored;
// "*" for all). Every definition is checked before the drawing changes: one that names a text
// style the drawing lacks is refused. Shapes take a style record for their shape file (made when
// missing, named as the file) and shape number 0, as no compiled shape file is read.
//   eOk                   something was loaded or reloaded, or every match was already there
//   eFileNotFound         the file cannot be read
//   eKeyNotFound          no definition in the file matches
//   eDuplicateRecordName  one name without wildcards, already in the drawing, reload not asked
//   eInvalidInput         every match was refused (see the report's errors)
Acad::ErrorStatus LoadLinetypes(AcDbDatabase* db, const char* pattern, const char* file, bool reload,
                                LinetypeLoadReport& report);

}  // namespace NUVAcad
