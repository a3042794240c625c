// The table of AutoLISP functions and its definition, removal and dispatch.
#include "frame/LispFunctionTable.h"

#include "acad/AcEd.h"
#include "frame/LispFunctions.h"

namespace NUV {
namespace {

const LispFunctionRow kRows[kLispFunctionCount] = {
    {"shownuvaboutdlg", LispShowNUVAboutDlg, 0, 0},
    {"ShowTORVAboutDlg", LispShowTORVAboutDlg, 0, 0},
    {"shownuvaboutstr", LispShowNUVAboutStr, 0, 0},
    {"getwcsptofblock", LispGetWcsPtOfBlock, 0, 0},
    {"HasInstallNUVGroup", LispHasInstallNUVGroup, 0, 0},
    {"GetNUVGroupValue", LispGetNUVGroupValue, 0, 0},
    {"IsLoadedArx", LispIsLoadedArx, 0, 0},
    {"NUV_GetWorkPath", LispGetWorkPath, 0, 0},
    {"NUV_ExcuteStr", LispExcuteStr, 0, 0},
    {"GetVCVer", LispGetVCVer, 0, 0},
    {"ARXLoadEx", LispARXLoadEx, 0, 0},
    {"NUVTwinkle", LispTwinkle, 0, 0},
    {"NUVStopTwinkle", LispStopTwinkle, 0, 0},
    {"NUVGetTwinkleFreQ", LispGetTwinkleFreQ, 0, 0},
    {"NUVSetTwinkleFreQ", LispSetTwinkleFreQ, 0, 0},
    {"NUVSetTwinkleMode", LispSetTwinkleMode, 0, 0},
    {"CreateDwgByDwt", LispCreateDwgByDwt, 0, 0},
    {"OpenDwg", LispOpenDwg, 0, 0},
    {"InsertBlock", LispInsertBlock, 0, 0},
};

}  // namespace

const LispFunctionRow* LispFunction(int code) {
    return code >= 1 && code <= kLispFunctionCount ? &kRows[code - 1] : nullptr;
}

int DefineLispFunctions() {
    for (int code = 1; code <= kLispFunctionCount; ++code) {
        const LispFunctionRow& row = kRows[code - 1];
        if (acedDefun(row.name, code) != RTNORM) return RTERROR;
        if (row.registerFunc) acedRegFunc(row.handler, code);
    }
    return RTNORM;
}

void UndefineLispFunctions() {
    for (int code = 1; code <= kLispFunctionCount; ++code) acedUndef(kRows[code - 1].name, code);
}

int DispatchLispFunction() {
    acedRetVoid();
    const LispFunctionRow* row = LispFunction(acedGetFunCode());
    if (!row) return RSERR;
    return row->handler() == RTNORM ? RSRSLT : RSERR;
}

}  // namespace NUV
