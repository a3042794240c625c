// Drawing files for the host tests, written by the database itself.
#pragma once

#include <string>

#include "acad/AcDb.h"

// Writes a DXF drawing with `lines` lines in model space (line i from (i,0) to (i,1)).
inline void WriteDrawing(const std::string& path, int lines) {
    AcDbDatabase db;
    AcDbBlockTableRecord* ms = nullptr;
    acdbOpenObject(ms, db.modelSpaceId(), AcDb::kForWrite);
    for (int i = 0; i < lines; ++i) {
        auto* line = new AcDbLine(AcGePoint3d(i, 0, 0), AcGePoint3d(i, 1, 0));
        ms->appendAcDbEntity(line);
        line->close();
    }
    ms->close();
    db.saveAs(path.c_str());
}

inline int LineCount(AcDbDatabase* db) {
    AcDbBlockTableRecord* ms = nullptr;
    if (acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForRead) != Acad::eOk) return -1;
    int n = static_cast<int>(ms->entityIds().size());
    ms->close();
    return n;
}
