// Built-in commands that turn and size objects: ROTATE (an angle, or a Reference angle and the
// new one; Copy keeps the originals) and SCALE (a factor, or a Reference length and the new one;
// Copy). Both work about a base point in the current UCS, rotating about its Z axis.
#include <cmath>
#include <string>
#include <vector>

#include "acad/AcDbEntity.h"
#include "acad/AcEdPrompts.h"
#include "acad/AcGeMatrix3d.h"
#include "acad/BuiltinCommands.h"
#include "acad/CommandSupport.h"
#include "acad/EditorCommands.h"
#include "acad/EditorState.h"

namespace NUVAcad {

namespace {

// Applies `m` to the objects, or to copies of them appended to model space.
int Transform(const std::vector<AcDbObjectId>& ids, const AcGeMatrix3d& m, bool copy) {
    int failed = 0;
    for (AcDbObjectId id : ids) {
        AcDbEntity* e = nullptr;
        if (acdbOpenObject(e, id, copy ? AcDb::kForRead : AcDb::kForWrite) != Acad::eOk) {
            ++failed;
            continue;
        }
        if (copy) {
            AcDbEntity* c = nullptr;
            Acad::ErrorStatus es = e->getTransformedCopy(m, c);
            e->close();
            if (es != Acad::eOk || !c || AppendToModelSpace(c).isNull()) ++failed;
        } else {
            if (e->transformBy(m) != Acad::eOk) ++failed;
            e->close();
        }
    }
    if (failed) PromptMessage((std::to_string(failed) + " object(s) could not be changed.").c_str());
    return RTNORM;
}

// Objects and base point, the start of both commands.
int ObjectsAndBase(std::vector<AcDbObjectId>& ids, ads_point base) {
    int st = SelectObjects(ids);
    if (st != RTNORM) return st;
    acedInitGet(RSG_NONULL, nullptr);
    return acedGetPoint(nullptr, "\nSpecify base point: ", base);
}

int Rotate() {
    const EditorState& ed = CurrentEditor();
    PromptMessage(("Current positive angle in UCS:  ANGDIR=" + std::string(ed.angdirClockwise ? "clockwise" : "counterclockwise") +
                   "  ANGBASE=" + FormatAngle(ed.angbase))
                      .c_str());
    std::vector<AcDbObjectId> ids;
    ads_point base;
    int st = ObjectsAndBase(ids, base);
    if (st != RTNORM) return EndedStatus(st);
    bool copy = false;
    ads_real angle = 0;
    for (;;) {
        acedInitGet(0, "Copy Reference");
        st = acedGetAngle(base, "\nSpecify rotation angle or [Copy/Reference] <0>: ", &angle);
        if (st != RTKWORD) break;
        std::string kw;
        GetLastKeyword(kw);
        if (kw == "Copy") {
            copy = true;
            PromptMessage("Rotating a copy of the selected objects.");
            continue;
        }
        // Reference: the angle the objects have now, and the one they should have.
        ads_real from = 0, to = 0;
        st = acedGetAngle(base, "\nSpecify the reference angle <0>: ", &from);
        if (st == RTCAN) return st;
        if (st == RTNONE) from = 0;
        st = acedGetAngle(base, "\nSpecify the new angle <0>: ", &to);
        if (st == RTCAN) return st;
        if (st == RTNONE) to = 0;
        angle = to - from;
        st = RTNORM;
        break;
    }
    if (st == RTCAN) return st;
    if (st == RTNONE) angle = 0;
    AcGeMatrix3d m = AcGeMatrix3d::rotation(angle, UcsNormal(), UcsPointToWorld(base));
    return Transform(ids, m, copy);
}

int Scale() {
    std::vector<AcDbObjectId> ids;
    ads_point base;
    int st = ObjectsAndBase(ids, base);
    if (st != RTNORM) return EndedStatus(st);
    bool copy = false;
    ads_real factor = 1;
    for (;;) {
        acedInitGet(RSG_NOZERO | RSG_NONEG, "Copy Reference");
        st = acedGetDist(base, "\nSpecify scale factor or [Copy/Reference] <1.0000>: ", &factor);
        if (st != RTKWORD) break;
        std::string kw;
        GetLastKeyword(kw);
        if (kw == "Copy") {
            copy = true;
            PromptMessage("Scaling a copy of the selected objects.");
            continue;
        }
        // Reference: a length as it is now, and the length it should become.
        ads_real from = 1, to = 1;
        acedInitGet(RSG_NOZERO | RSG_NONEG, nullptr);
        st = acedGetDist(base, "\nSpecify reference length <1.0000>: ", &from);
        if (st == RTCAN) return st;
        if (st == RTNONE) from = 1;
        acedInitGet(RSG_NOZERO | RSG_NONEG, nullptr);
        st = acedGetDist(base, "\nSpecify new length <1.0000>: ", &to);
        if (st == RTCAN) return st;
        if (st == RTNONE) to = 1;
        factor = to / from;
        st = RTNORM;
        break;
    }
    if (st == RTCAN) return st;
    if (st == RTNONE) factor = 1;
    AcGeMatrix3d m = AcGeMatrix3d::scaling(factor, UcsPointToWorld(base));
    return Transform(ids, m, copy);
}

}  // namespace

void RegisterModifyCommands() {
    RegisterBuiltinCommand({"ROTATE", 0, [] { return CommandDb() ? Rotate() : RTERROR; },
                            "rotates objects about a base point (angle, Reference, Copy)"});
    RegisterBuiltinCommand({"SCALE", 0, [] { return CommandDb() ? Scale() : RTERROR; },
                            "scales objects about a base point (factor, Reference, Copy)"});
}

}  // namespace NUVAcad
