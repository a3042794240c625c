// Highlighting and flushing on the host's display.
#include "ZQCAD/Display.h"

#include "acad/AcEdDisplay.h"

namespace ZQ {
namespace {

Acad::ErrorStatus Show(AcDbObjectId id, const AcDbFullSubentPath& path, int all, bool on) {
    AcDbEntity* e = nullptr;
    if (Acad::ErrorStatus es = acdbOpenObject(e, id, AcDb::kForRead); es != Acad::eOk) return es;
    Acad::ErrorStatus es = on ? e->highlight(path, all != 0) : e->unhighlight(path, all != 0);
    e->close();
    return es;
}

}  // namespace

Acad::ErrorStatus Highlight(AcDbObjectId id, const AcDbFullSubentPath& path, int all) { return Show(id, path, all, true); }
Acad::ErrorStatus Unhighlight(AcDbObjectId id, const AcDbFullSubentPath& path, int all) { return Show(id, path, all, false); }

void FlushAcadGraphicsQueue() { acedUpdateDisplay(); }

}  // namespace ZQ
