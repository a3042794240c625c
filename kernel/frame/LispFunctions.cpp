// The rows of the AutoLISP function table: each checks its arguments, calls the exported
// function behind it and hands the result back. Types are checked exactly (an integer row takes
// no real, a point row no 2D point): a program that passes the wrong thing gets nil, never an error.
#include "frame/LispFunctions.h"

#include "ZQCAD/ZQCAD.h"
#include "acad/AcEd.h"
#include "frame/Documents.h"
#include "frame/LispFunctionTable.h"
#include "settings/Folders.h"
#include "draw/Coordinates.h"
#include "insert/InsertRotateBlock.h"
#include "settings/About.h"
#include "settings/Installation.h"
#include "twinkle/Twinkle.h"

namespace NUV {
namespace {

// The index-th argument of the call, or null.
const resbuf* Arg(int index) {
    const resbuf* rb = acedGetArgs();
    for (int i = 0; rb && i < index; ++i) rb = rb->rbnext;
    return rb;
}

bool IsInteger(const resbuf* rb) { return rb && (rb->restype == RTSHORT || rb->restype == RTLONG); }
long IntegerOf(const resbuf* rb) { return rb->restype == RTSHORT ? rb->resval.rint : rb->resval.rlong; }
bool IsString(const resbuf* rb) { return rb && rb->restype == RTSTR && rb->resval.rstring; }
bool IsReal(const resbuf* rb) { return rb && rb->restype == RTREAL; }
bool Is(const resbuf* rb, short type) { return rb && rb->restype == type; }

int Help(const char* text) {
    acedPrompt(CString("\n") + text);
    return RTNORM;
}

// Rows whose work this build does not hold yet (the about dialogs) say so on
// the command line and return nothing, so a program calling them goes on.
int NotAvailable() {
    const LispFunctionRow* row = LispFunction(acedGetFunCode());
    acedPrompt(CString("\n") + (row ? row->name : "?") + NUV_GBK("：此版本的内核尚未提供该函数。"));
    return RTNORM;
}

// Deferred document requests: a drawing cannot be opened or created inside an AutoLISP call,
// so the path waits for a one-shot timer on the document window, which fires between commands.
// A second request of the same kind before it fires replaces the path.
enum { kCreateTimer = 1, kOpenTimer = 2 };
CString pendingTemplate, pendingDrawing;

void CreateTimer(HWND hwnd, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(hwnd, id);
    CString name;
    CreateDwgByDwt(pendingTemplate, name, 1);
}

void OpenTimer(HWND hwnd, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(hwnd, id);
    OpenDwg(pendingDrawing, 1);
}

}  // namespace

int LispShowNUVAboutDlg() { return NotAvailable(); }
int LispShowTORVAboutDlg() { return NotAvailable(); }
int LispShowNUVAboutStr() {
    ShowNUVAboutStr();
    return RTNORM;
}

int LispGetWcsPtOfBlock() {
    const resbuf* name = Arg(0);
    if (!name) return Help(NUV_GBK("GetWcsPtOfBlock：得到块中MCS点的WCS坐标。(GetWcsPtOfBlock ENAME pt3dMcs)"));
    const resbuf* point = Arg(1);
    if (!Is(name, RTENAME) || !Is(point, RT3DPOINT)) return acedRetNil();
    AcDbObjectId id;
    if (acdbGetObjectId(id, name->resval.rlname) != Acad::eOk) return acedRetNil();
    AcGePoint3d out;
    const ads_real* p = point->resval.rpoint;
    if (!GetWcsPtOfBlock(id, AcGePoint3d(p[0], p[1], p[2]), out)) return acedRetNil();
    const ads_point result = {out.x, out.y, out.z};
    return acedRetPoint(result);
}

int LispHasInstallNUVGroup() {
    const resbuf* mask = Arg(0);
    if (!mask) {
        Help(NUV_GBK("HasInstallNUVGroup：判断是否安装此软件部分(HasInstallNUVGroup ENUVSOFTGROUP)"));
        return acedRetNil();
    }
    if (IsInteger(mask) && HasInstallNUVGroup(static_cast<ENUVSOFTGROUP>(IntegerOf(mask)))) return acedRetT();
    return acedRetNil();
}

int LispGetNUVGroupValue() { return acedRetInt(static_cast<int>(GetNUVGroupValue())); }

int LispIsLoadedArx() {
    const resbuf* name = Arg(0);
    if (!name) {
        Help(NUV_GBK("IsLoadedArx：判断arx是否已经加载(IsLoadedArx filename)"));
        return acedRetNil();
    }
    return IsString(name) && ZQ::IsLoadedArx(name->resval.rstring) ? acedRetT() : acedRetNil();
}

int LispGetWorkPath() {
    CString path;
    return GetNUVWorkPath(path) ? acedRetStr(path) : acedRetNil();
}

int LispExcuteStr() {
    const resbuf* text = Arg(0);
    if (!IsString(text)) return Help(NUV_GBK("函数 NUV_ExcuteStr 错误：应为(NUV_ExcuteStr str)"));
    ZQ::SendStringToExecute(text->resval.rstring, true);
    return RTNORM;
}

// The compiler release the suite's modules were built with, as they compare it.
int LispGetVCVer() { return acedRetInt(1300); }

int LispARXLoadEx() {
    const resbuf* path = Arg(0);
    if (!IsString(path)) return Help(NUV_GBK("ARXLoadEx：ARX加载。(ARXLoadEx FilePath)"));
    CString copy = path->resval.rstring;  // the arguments may not outlive the load
    return ARXLoadEx(copy) ? acedRetStr(copy) : acedRetNil();
}

int LispTwinkle() {
    const resbuf* name = Arg(0);
    if (!name) {
        Help(NUV_GBK("NUVTwinkle：闪烁实体或者选择集"));
        return acedRetInt(-1);
    }
    if (!Is(name, RTENAME) && !Is(name, RTPICKS)) return acedRetInt(-1);
    ads_name copy = {name->resval.rlname[0], name->resval.rlname[1]};
    return acedRetInt(ZQTwinkle(copy, name->restype == RTPICKS ? 1 : 0, -1, nullptr, -1.0, kTwinkleForever));
}

int LispStopTwinkle() {
    const resbuf* id = Arg(0);
    if (!id) {
        ZQStopAllTwinkle(nullptr);
        return acedRetNil();
    }
    return IsInteger(id) && ZQStopTwinkle(static_cast<int>(IntegerOf(id)), nullptr) ? acedRetT() : acedRetNil();
}

int LispGetTwinkleFreQ() { return acedRetReal(ZQGetTwinkleFreQuency()); }

int LispSetTwinkleFreQ() {
    const resbuf* f = Arg(0);
    if (!f) {
        Help(NUV_GBK("NUVSetTwinkleFreQ：设置闪烁频率"));
        return acedRetNil();
    }
    if (!IsReal(f) && !IsInteger(f)) return acedRetNil();
    const double value = IsReal(f) ? f->resval.rreal : static_cast<double>(IntegerOf(f));
    return ZQSetTwinkleFreQuency(value) ? acedRetT() : acedRetNil();
}

int LispSetTwinkleMode() {
    const resbuf *first = Arg(0), *second = Arg(1);
    if (!first || !second) {
        Help(NUV_GBK("NUVSetTwinkleMode：设置闪烁模式"));
        return acedRetNil();
    }
    if (!IsInteger(first) || !IsInteger(second)) return acedRetNil();
    return ZQSetTwinkleMode(static_cast<int>(IntegerOf(first)), static_cast<int>(IntegerOf(second))) ? acedRetT()
                                                                                                    : acedRetNil();
}

int LispCreateDwgByDwt() {
    const resbuf* path = Arg(0);
    if (!IsString(path)) return Help(NUV_GBK("CreateDwgByDwt：根据dwt文件创建dwg文件。(CreateDwgByDwt DwtFilePath)"));
    pendingTemplate = path->resval.rstring;
    ::SetTimer(adsw_acadDocWnd(), kCreateTimer, 100, CreateTimer);
    return RTNORM;
}

int LispOpenDwg() {
    const resbuf* path = Arg(0);
    if (!IsString(path)) return Help(NUV_GBK("OpenDwg：打开Dwg文件。(OpenDwg DwgFilePath)"));
    pendingDrawing = path->resval.rstring;
    ::SetTimer(adsw_acadDocWnd(), kOpenTimer, 100, OpenTimer);
    return RTNORM;
}

// The second argument counts only as an integer (another type is skipped, and the third is still
// read); the third as a real or an integer.
int LispInsertBlock() {
    const resbuf* path = Arg(0);
    if (!IsString(path)) return Help(NUV_GBK("InsertBlock：插入图块文件。(InsertBlock DwgFilePath bRotation dScale)"));
    const CString file = path->resval.rstring;  // the arguments may not outlive the jig's prompts
    int rotate = 1;
    double scale = 1.0;
    if (const resbuf* flag = Arg(1); IsInteger(flag)) rotate = static_cast<int>(IntegerOf(flag));
    if (const resbuf* s = Arg(2); IsReal(s)) scale = s->resval.rreal;
    else if (IsInteger(s)) scale = static_cast<double>(IntegerOf(s));
    AcDbObjectId placed;
    InsertRotateBlock(file, nullptr, placed, rotate, scale, scale, 1.0);
    return RTNORM;
}

void CancelDeferredDocumentRequests() {
    ::KillTimer(adsw_acadDocWnd(), kCreateTimer);
    ::KillTimer(adsw_acadDocWnd(), kOpenTimer);
    pendingTemplate.Empty();
    pendingDrawing.Empty();
}

}  // namespace NUV
