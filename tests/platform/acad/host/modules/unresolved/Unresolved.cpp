// A module that refers to a function no library defines: loading it must fail, not crash later.
#include "acad/AcEd.h"

extern "C" int function_nobody_defines();

extern "C" AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void*) {
    if (msg == AcRx::kInitAppMsg) acutPrintf("[unresolved] %d\n", function_nobody_defines());
    return AcRx::kRetOK;
}
