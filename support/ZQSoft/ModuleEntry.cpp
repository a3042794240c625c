// libZQSoft.so can be loaded by the host like a module (its start-up list names it first, so the
// libraries of the suite are in place before the modules that use them). It has nothing to do
// on the host's messages and stays locked: every module of the suite links against it.
#include "acad/AcRxDynamicLinker.h"

extern "C" AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* appId) {
    if (msg == AcRx::kInitAppMsg) acrxDynamicLinker->registerAppMDIAware(appId);
    return AcRx::kRetOK;
}
