// The editor's built-in commands: drawing (LINE, CIRCLE), changing (ERASE, MOVE, COPY), the user
// coordinate system (UCS), the view (ZOOM, REDRAW, REGEN), slides (MSLIDE, VSLIDE) and undo
// (U, UNDO, REDO). They read their answers with the editor's prompts, so scripts, acedCommand and
// the terminal drive them alike. Each command is one undo step, made by the command loop.
#include "acad/EditorCommands.h"

#include <cmath>
#include <string>
#include <vector>

#include "acad/AcApDocument.h"
#include "acad/AcDbCurve.h"
#include "acad/AcDbDatabase.h"
#include "acad/AcDbSymbolTable.h"
#include "acad/AcEdOutput.h"
#include "acad/AcEdPrompts.h"
#include "acad/AcEdSelectionSet.h"
#include "acad/AdsName.h"
#include "acad/AcEdCommandStack.h"
#include "acad/BuiltinCommands.h"
#include "acad/CommandSupport.h"
#include "acad/Display.h"
#include "acad/EditorState.h"
#include "acad/HostInternal.h"
#include "acad/SlideMaker.h"
#include "acad/UndoLog.h"

namespace NUVAcad {

namespace {

int Line() {
    ads_point first, from, to;
    int st = acedGetPoint(nullptr, "\nSpecify first point: ", first);
    if (st != RTNORM) return EndedStatus(st);
    std::vector<AcDbObjectId> segments;
    std::vector<AcGePoint3d> points{AcGePoint3d(first[0], first[1], first[2])};
    for (;;) {
        const AcGePoint3d& last = points.back();
        from[0] = last.x, from[1] = last.y, from[2] = last.z;
        acedInitGet(0, segments.size() >= 2 ? "Close Undo" : "Undo");
        st = acedGetPoint(from, segments.size() >= 2 ? "\nSpecify next point or [Close/Undo]: " : "\nSpecify next point or [Undo]: ", to);
        if (st == RTKWORD) {
            std::string kw;
            GetLastKeyword(kw);
            if (kw == "Undo") {
                if (segments.empty()) {
                    PromptMessage("All segments already undone.");
                    continue;
                }
                EraseObject(segments.back());
                segments.pop_back();
                points.pop_back();
                continue;
            }
            // Close: back to the first point, and the command ends.
            AppendToModelSpace(new AcDbLine(UcsToWorld(points.back()), UcsToWorld(points.front())));
            return RTNORM;
        }
        if (st != RTNORM) return EndedStatus(st);
        AcDbObjectId id = AppendToModelSpace(new AcDbLine(UcsPointToWorld(from), UcsPointToWorld(to)));
        if (id.isNull()) return RTERROR;
        segments.push_back(id);
        points.emplace_back(to[0], to[1], to[2]);
    }
}

int Circle() {
    ads_point c;
    int st = acedGetPoint(nullptr, "\nSpecify center point for circle: ", c);
    if (st != RTNORM) return EndedStatus(st);
    ads_real r = 0;
    acedInitGet(RSG_NONULL | RSG_NOZERO | RSG_NONEG, nullptr);
    st = acedGetDist(c, "\nSpecify radius of circle: ", &r);
    if (st != RTNORM) return EndedStatus(st);
    AcGeMatrix3d ucs;
    acedGetCurrentUCS(ucs);
    AcGeVector3d normal = ucs * AcGeVector3d(0, 0, 1);
    return AppendToModelSpace(new AcDbCircle(UcsPointToWorld(c), normal, r)).isNull() ? RTERROR : RTNORM;
}

int Erase() {
    std::vector<AcDbObjectId> ids;
    int st = SelectObjects(ids);
    if (st != RTNORM) return EndedStatus(st);
    for (AcDbObjectId id : ids) EraseObject(id);
    return RTNORM;
}

// MOVE and COPY: a base point and a second point (Enter at the second: the first is the offset).
int Displace(bool copy) {
    std::vector<AcDbObjectId> ids;
    int st = SelectObjects(ids);
    if (st != RTNORM) return EndedStatus(st);
    ads_point base, second;
    st = acedGetPoint(nullptr, "\nSpecify base point or displacement: ", base);
    if (st != RTNORM) return EndedStatus(st);
    AcGeVector3d offset;
    st = acedGetPoint(base, "\nSpecify second point or <use first point as displacement>: ", second);
    if (st == RTNORM) offset = UcsPointToWorld(second) - UcsPointToWorld(base);
    else if (st == RTNONE) offset = UcsPointToWorld(base) - UcsToWorld(AcGePoint3d());
    else return st;
    AcGeMatrix3d m = AcGeMatrix3d::translation(offset);
    for (AcDbObjectId id : ids) {
        AcDbEntity* e = nullptr;
        if (acdbOpenObject(e, id, copy ? AcDb::kForRead : AcDb::kForWrite) != Acad::eOk) continue;
        if (copy) {
            AcDbEntity* c = nullptr;
            Acad::ErrorStatus es = e->getTransformedCopy(m, c);
            e->close();
            if (es == Acad::eOk && c) AppendToModelSpace(c);
        } else {
            e->transformBy(m);
            e->close();
        }
    }
    return RTNORM;
}

int Ucs() {
    char kw[133];
    acedInitGet(0, "World Origin Z 3point");
    int st = acedGetKword("\nEnter an option [World/Origin/Z/3point] <World>: ", kw);
    if (st == RTCAN) return RTCAN;
    std::string opt = st == RTNORM ? kw : "World";
    AcGeMatrix3d cur;
    acedGetCurrentUCS(cur);
    AcGePoint3d org;
    AcGeVector3d x, y, z;
    cur.getCoordSystem(org, x, y, z);
    if (opt == "World") return acedSetCurrentUCS(AcGeMatrix3d()) == Acad::eOk ? RTNORM : RTERROR;
    if (opt == "Origin") {
        ads_point p;
        st = acedGetPoint(nullptr, "\nSpecify new origin point <0,0,0>: ", p);
        if (st == RTCAN) return st;
        AcGePoint3d o = st == RTNORM ? UcsPointToWorld(p) : UcsToWorld(AcGePoint3d());
        AcGeMatrix3d m;
        m.setCoordSystem(o, x, y, z);
        return acedSetCurrentUCS(m) == Acad::eOk ? RTNORM : RTERROR;
    }
    if (opt == "Z") {
        ads_real a = M_PI / 2;
        st = acedGetOrient(nullptr, "\nSpecify rotation angle about Z axis <90>: ", &a);
        if (st == RTCAN) return st;
        if (st == RTNONE) a = M_PI / 2;
        AcGeVector3d nx = x * std::cos(a) + y * std::sin(a), ny = z.crossProduct(nx);
        AcGeMatrix3d m;
        m.setCoordSystem(org, nx, ny, z);
        return acedSetCurrentUCS(m) == Acad::eOk ? RTNORM : RTERROR;
    }
    // 3point: origin, a point on the positive X axis, a point on the positive-Y side.
    ads_point p0, px, py;
    st = acedGetPoint(nullptr, "\nSpecify new origin point <0,0,0>: ", p0);
    if (st == RTCAN) return st;
    if (st != RTNORM) p0[0] = p0[1] = p0[2] = 0;
    acedInitGet(RSG_NONULL, nullptr);
    if ((st = acedGetPoint(p0, "\nSpecify point on positive portion of X-axis: ", px)) != RTNORM) return st;
    acedInitGet(RSG_NONULL, nullptr);
    if ((st = acedGetPoint(p0, "\nSpecify point on positive-Y portion of the UCS XY plane: ", py)) != RTNORM) return st;
    AcGePoint3d o = UcsPointToWorld(p0);
    AcGeVector3d nx = UcsPointToWorld(px) - o, v = UcsPointToWorld(py) - o;
    AcGeVector3d nz = nx.crossProduct(v);
    if (nx.isZeroLength() || nz.isZeroLength()) {
        PromptMessage("Points are collinear.");
        return RTERROR;
    }
    AcGeMatrix3d m;
    m.setCoordSystem(o, nx.normal(), nz.crossProduct(nx).normal(), nz.normal());
    return acedSetCurrentUCS(m) == Acad::eOk ? RTNORM : RTERROR;
}

int Zoom() {
    Display& d = displayOf(CommandDb());
    char kw[133];
    ads_point p;
    acedInitGet(0, "All Center Extents Previous Window");
    int st = acedGetPoint(nullptr, "\nSpecify corner of window, enter a scale factor (nX), or\n[All/Center/Extents/Previous/Window]: ", p);
    std::string opt;
    if (st == RTKWORD) {
        acedGetInput(kw);
        opt = kw;
    } else if (st == RTNORM) {
        opt = "Corner";
    } else {
        return EndedStatus(st);
    }
    (void)kw;
    Acad::ErrorStatus es = Acad::eOk;
    if (opt == "All" || opt == "Extents") {
        es = d.zoomExtents();
    } else if (opt == "Previous") {
        es = d.zoomPrevious();
        if (es != Acad::eOk) {
            PromptMessage("No previous view saved.");
            return RTNORM;
        }
    } else if (opt == "Center") {
        ads_point c;
        if ((st = acedGetPoint(nullptr, "\nSpecify center point: ", c)) != RTNORM) return EndedStatus(st);
        ads_real h = d.view().height;
        acedInitGet(RSG_NOZERO | RSG_NONEG, nullptr);
        st = acedGetDist(nullptr, "\nEnter magnification or height: ", &h);
        if (st == RTCAN) return st;
        if (st == RTNONE) h = d.view().height;
        es = d.zoomCenter(UcsPointToWorld(c), h);
    } else {
        ads_point a, b;
        if (opt == "Window") {
            if ((st = acedGetPoint(nullptr, "\nSpecify first corner: ", a)) != RTNORM) return EndedStatus(st);
        } else {
            a[0] = p[0], a[1] = p[1], a[2] = p[2];
        }
        if ((st = acedGetCorner(a, "\nSpecify opposite corner: ", b)) != RTNORM) return EndedStatus(st);
        es = d.zoomWindow(UcsPointToWorld(a), UcsPointToWorld(b));
    }
    if (es != Acad::eOk) {
        PromptMessage("The two corners do not make a window.");
        return RTERROR;
    }
    return RTNORM;
}

std::string DefaultSlideName() {
    AcApDocument* doc = acDocManager->curDocument();
    std::string name = doc ? doc->fileName() : "Drawing1.dwg";
    size_t dot = name.find_last_of('.');
    size_t slash = name.find_last_of("/\\");
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) name.resize(dot);
    return name + ".sld";
}

std::string WithSlideExtension(std::string name) {
    size_t dot = name.find_last_of('.');
    size_t slash = name.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) name += ".sld";
    return name;
}

int SlideCommand(bool make) {
    std::string def = DefaultSlideName();
    std::string prompt = std::string(make ? "\nEnter name of slide file to create <" : "\nEnter name of slide file to view <") + def + ">: ";
    std::string name;
    int st = GetStringPrompt(true, prompt.c_str(), name);
    if (st != RTNORM) return st;
    name = WithSlideExtension(name.empty() ? def : name);
    std::string error;
    Acad::ErrorStatus es = make ? SaveSlide(CommandDb(), name.c_str(), error) : ShowSlide(CommandDb(), name.c_str(), error);
    if (es != Acad::eOk) {
        PromptMessage((name + ": " + error).c_str());
        return RTERROR;
    }
    return RTNORM;
}

void PrintUndone(const std::vector<std::string>& names, int undone) {
    if (undone == 0) {
        PromptMessage("Everything has been undone");
        return;
    }
    std::string line;
    for (const std::string& n : names) line += (line.empty() ? "" : " ") + (n.empty() ? std::string("Changes") : n);
    PromptMessage(line.c_str());
}

int U() {
    int undone = 0;
    std::vector<std::string> names;
    undoLogOf(CommandDb()).undo(1, &undone, &names);
    PrintUndone(names, undone);
    return RTNORM;
}

int Undo() {
    UndoLog& log = undoLogOf(CommandDb());
    acedInitGet(RSG_NOZERO | RSG_NONEG, "BEgin End Mark Back");
    int n = 1;
    int st = acedGetInt("\nEnter the number of operations to undo or [BEgin/End/Mark/Back] <1>: ", &n);
    if (st == RTCAN) return st;
    if (st == RTKWORD) {
        char kw[133];
        acedGetInput(kw);
        std::string opt = kw;
        if (opt == "BEgin") log.beginGroup();
        else if (opt == "End") log.endGroup();
        else if (opt == "Mark") log.mark();
        else {
            bool hadMark = log.hasMark();
            std::vector<std::string> names;
            log.back(&names);
            if (!hadMark) PromptMessage("Everything has been undone");
            else PromptMessage("Mark encountered");
        }
        return RTNORM;
    }
    if (st == RTNONE) n = 1;
    int undone = 0;
    std::vector<std::string> names;
    log.undo(n, &undone, &names);
    PrintUndone(names, undone);
    return RTNORM;
}

// REDO: what the last U or UNDO took back, when nothing was done since.
int Redo() {
    std::vector<std::string> names;
    Acad::ErrorStatus es = undoLogOf(CommandDb()).redo(&names);
    if (es == Acad::eNotApplicable) {
        PromptMessage("Nothing to redo: the previous command did not undo anything.");
        return RTNORM;
    }
    if (es != Acad::eOk) return RTERROR;
    std::string line;
    for (const std::string& n : names) line += (line.empty() ? "" : " ") + (n.empty() ? std::string("Changes") : n);
    PromptMessage(("Redone: " + line).c_str());
    return RTNORM;
}

// SAVEAS (the document takes the new name), SAVE (a copy under a name) and QSAVE (under its own
// name; asks like SAVEAS for a drawing never saved).
int SaveCommand(bool rename, bool quick) {
    AcApDocument* doc = DocumentRegistry::current();
    AcDbDatabase* db = CommandDb();
    if (!doc || !db) return RTERROR;
    std::string target;
    if (quick && !doc->isUntitled() && !doc->isReadOnly()) {
        target = doc->fileName();
    } else {
        std::string title = doc->docTitle();
        size_t dot = title.find_last_of('.');
        if (dot != std::string::npos) title.resize(dot);
        std::string fallback = doc->isUntitled() ? title + ".dxf" : std::string(doc->fileName());
        int st = GetStringPrompt(true, ("\nSave drawing as <" + fallback + ">: ").c_str(), target);
        if (st != RTNORM) return st;
        if (target.empty()) target = fallback;
        rename = rename || quick;
    }
    if (db->saveAs(target.c_str()) != Acad::eOk) {
        PromptMessage(("Cannot save \"" + target + "\": " + db->lastErrorMessage()).c_str());
        return RTERROR;
    }
    if (rename) {
        DocumentState& s = doc->state();
        s.fileName = target;
        size_t slash = target.find_last_of("/\\");
        s.title = slash == std::string::npos ? target : target.substr(slash + 1);
        s.untitled = false;
        s.readOnly = false;
    }
    return RTNORM;
}

// The command loop makes each command one undo step (UndoLog.h: CommandStarted).
std::function<int()> Plain(int (*fn)()) {
    return [fn]() { return CommandDb() ? fn() : RTERROR; };
}

}  // namespace

void RegisterEditorCommands() {
    RegisterBuiltinCommand({"LINE", 0, Plain(Line), "draws straight line segments"});
    RegisterBuiltinCommand({"CIRCLE", 0, Plain(Circle), "draws a circle by centre and radius"});
    RegisterBuiltinCommand({"ERASE", 0, Plain(Erase), "erases selected objects"});
    RegisterBuiltinCommand({"MOVE", 0, Plain([] { return Displace(false); }), "moves selected objects"});
    RegisterBuiltinCommand({"COPY", 0, Plain([] { return Displace(true); }), "copies selected objects"});
    RegisterBuiltinCommand({"UCS", 0, Plain(Ucs), "sets the user coordinate system (World, Origin, Z, 3point)"});
    RegisterBuiltinCommand({"ZOOM", ACRX_CMD_TRANSPARENT, Plain(Zoom), "changes the view (Window, Extents, Previous, Center)"});
    RegisterBuiltinCommand({"REDRAW", ACRX_CMD_TRANSPARENT, Plain([] {
                                displayOf(CommandDb()).redrawAll();
                                return RTNORM;
                            }),
                            "redraws the view"});
    RegisterBuiltinCommand({"REGEN", 0, Plain([] {
                                displayOf(CommandDb()).regenAll();
                                return RTNORM;
                            }),
                            "regenerates the drawing"});
    RegisterBuiltinCommand({"MSLIDE", 0, Plain([] { return SlideCommand(true); }), "writes a slide file of the current view"});
    RegisterBuiltinCommand({"VSLIDE", 0, Plain([] { return SlideCommand(false); }), "shows a slide file"});
    RegisterBuiltinCommand({"U", 0, Plain(U), "undoes the last operation"});
    RegisterBuiltinCommand({"SAVEAS", 0, [] { return SaveCommand(true, false); }, "saves the drawing under a new name"});
    RegisterBuiltinCommand({"SAVE", 0, [] { return SaveCommand(false, false); }, "saves a copy of the drawing"});
    RegisterBuiltinCommand({"QSAVE", 0, [] { return SaveCommand(false, true); }, "saves the drawing under its name"});
    RegisterBuiltinCommand({"UNDO", 0, Plain(Undo), "undoes operations, with marks and groups"});
    RegisterBuiltinCommand({"REDO", 0, Plain(Redo), "does again what the last U or UNDO undid"});
    RegisterDrawCommands();
    RegisterModifyCommands();
    RegisterBlockCommands();
    RegisterTableCommands();
}

}  // namespace NUVAcad
