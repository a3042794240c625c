// ZQCAD.arx as a host module. It stays locked once loaded: the kernel and the suite's modules
// link against it, so it must not go while they are loaded.
#include "acad/AcEd.h"

extern "C" AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* appId) {
    if (msg == AcRx::kInitAppMsg) acrxDynamicLinker->registerAppMDIAware(appId);
    return AcRx::kRetOK;
}
