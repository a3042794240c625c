// The handlers of the AutoLISP function table, one per row. Each reads its arguments with
// acedGetArgs, sets its result (or leaves the void result the dispatcher set) or prints its
// help text, and returns RTNORM: a malformed call never raises an AutoLISP error.
#pragma once

namespace NUV {

int LispShowNUVAboutDlg();
int LispShowTORVAboutDlg();
int LispShowNUVAboutStr();
int LispGetWcsPtOfBlock();
int LispHasInstallNUVGroup();
int LispGetNUVGroupValue();
int LispIsLoadedArx();
int LispGetWorkPath();
int LispExcuteStr();
int LispGetVCVer();
int LispARXLoadEx();
int LispTwinkle();
int LispStopTwinkle();
int LispGetTwinkleFreQ();
int LispSetTwinkleFreQ();
int LispSetTwinkleMode();
int LispCreateDwgByDwt();
int LispOpenDwg();
int LispInsertBlock();

// Drops the deferred document requests and their timers (when the module is unloaded).
void CancelDeferredDocumentRequests();

}  // namespace NUV
