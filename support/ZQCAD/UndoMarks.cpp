// Undo marks on the host's undo record of the current drawing.
#include "ZQCAD/UndoMarks.h"

#include "ZQCAD/CurrentDrawing.h"
#include "acad/UndoLog.h"

namespace ZQ {

bool UndoM() {
    AcDbDatabase* db = GetCurDWGPtr();
    if (!db) return false;
    NUVAcad::undoLogOf(db).mark();
    return true;
}

bool UndoB() {
    AcDbDatabase* db = GetCurDWGPtr();
    return db && NUVAcad::undoLogOf(db).back() == Acad::eOk;
}

}  // namespace ZQ
