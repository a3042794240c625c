// The editor's per-drawing state, the current UCS and the variables that show them.
#include "acad/EditorState.h"

#include <cmath>
#include <memory>

#include "acad/AcApDocument.h"
#include "acad/AcDbDatabase.h"
#include "acad/HostInternal.h"
#include "acad/SysVars.h"

namespace NUVAcad {

namespace {
std::unique_ptr<EditorState> sessionEditor;

AcDbDatabase* WorkingDb() { return acdbHostApplicationServices()->workingDatabase(); }

AcGeMatrix3d UcsMatrix() {
    AcDbDatabase* db = WorkingDb();
    return db ? db->ucsMatrix() : AcGeMatrix3d();
}

bool PutPoint(resbuf& out, const AcGePoint3d& p) {
    out.restype = RT3DPOINT;
    out.resval.rpoint[0] = p.x;
    out.resval.rpoint[1] = p.y;
    out.resval.rpoint[2] = p.z;
    return true;
}
}  // namespace

EditorState& CurrentEditor() {
    AcApDocument* doc = DocumentRegistry::current();
    if (doc && DocumentRegistry::isOpen(doc)) return DocumentSlot<EditorState>(doc);
    if (!sessionEditor) sessionEditor = std::make_unique<EditorState>();
    return *sessionEditor;
}

AcGePoint3d UcsToWorld(const AcGePoint3d& p) { return UcsMatrix() * p; }
AcGePoint3d WorldToUcs(const AcGePoint3d& p) { return UcsMatrix().inverse() * p; }

void ResetEditorSession() { sessionEditor.reset(); }

void DefineEditorVariables() {
    DefineSysVar({"LASTPOINT", RT3DPOINT, [](resbuf& out) { return PutPoint(out, WorldToUcs(CurrentEditor().lastPoint)); },
                  [](const resbuf& v) {
                      CurrentEditor().lastPoint =
                          UcsToWorld(AcGePoint3d(v.resval.rpoint[0], v.resval.rpoint[1], v.resval.rpoint[2]));
                      return std::string();
                  }});
    DefineSysVar({"ANGBASE", RTREAL,
                  [](resbuf& out) {
                      out.restype = RTREAL;
                      out.resval.rreal = CurrentEditor().angbase;
                      return true;
                  },
                  [](const resbuf& v) {
                      if (!std::isfinite(v.resval.rreal)) return std::string("not a finite angle");
                      CurrentEditor().angbase = std::remainder(v.resval.rreal, 2 * M_PI);
                      return std::string();
                  }});
    DefineSysVar({"ANGDIR", RTSHORT,
                  [](resbuf& out) {
                      out.restype = RTSHORT;
                      out.resval.rint = CurrentEditor().angdirClockwise ? 1 : 0;
                      return true;
                  },
                  [](const resbuf& v) {
                      if (v.resval.rint != 0 && v.resval.rint != 1) return std::string("must be 0 or 1");
                      CurrentEditor().angdirClockwise = v.resval.rint == 1;
                      return std::string();
                  }});
    DefineSysVar({"ELEVATION", RTREAL,
                  [](resbuf& out) {
                      out.restype = RTREAL;
                      out.resval.rreal = CurrentEditor().elevation;
                      return true;
                  },
                  [](const resbuf& v) {
                      if (!std::isfinite(v.resval.rreal)) return std::string("not a finite number");
                      CurrentEditor().elevation = v.resval.rreal;
                      return std::string();
                  }});
    auto axis = [](const char* name, int which) {
        DefineSysVar({name, RT3DPOINT, [which](resbuf& out) {
                          AcDbDatabase* db = WorkingDb();
                          if (!db) return false;
                          if (which == 0) return PutPoint(out, db->ucsorg());
                          AcGeVector3d v = which == 1 ? db->ucsxdir() : db->ucsydir();
                          return PutPoint(out, AcGePoint3d(v.x, v.y, v.z));
                      },
                      {}});
    };
    axis("UCSORG", 0);
    axis("UCSXDIR", 1);
    axis("UCSYDIR", 2);
    DefineSysVar({"WORLDUCS", RTSHORT, [](resbuf& out) {
                      out.restype = RTSHORT;
                      out.resval.rint = UcsMatrix().isEqualTo(AcGeMatrix3d()) ? 1 : 0;
                      return true;
                  },
                  {}});
}

}  // namespace NUVAcad

Acad::ErrorStatus acedGetCurrentUCS(AcGeMatrix3d& mat) {
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    if (!db) return Acad::eNoDatabase;
    mat = db->ucsMatrix();
    return Acad::eOk;
}

Acad::ErrorStatus acedSetCurrentUCS(const AcGeMatrix3d& mat) {
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    if (!db) return Acad::eNoDatabase;
    AcGePoint3d origin;
    AcGeVector3d x, y, z;
    mat.getCoordSystem(origin, x, y, z);
    if (x.isZeroLength() || y.isZeroLength() || x.isParallelTo(y)) return Acad::eInvalidInput;
    return db->setUcs(origin, x, y);
}
