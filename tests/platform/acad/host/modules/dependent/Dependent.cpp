// A module whose library lies only in a folder of "Path".
#include "acad/AcEd.h"

extern "C" int probe_dep_value();

extern "C" AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* appId) {
    if (msg == AcRx::kInitAppMsg) {
        acrxDynamicLinker->unlockApplication(appId);
        acutPrintf("[dependent] init %d\n", probe_dep_value());
    }
    return AcRx::kRetOK;
}
