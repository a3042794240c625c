// A module for the kernel's tests: it prints "[tag] load <drawing>" each time a document reaches
// it, and "[tag] init" once.
#include "acad/AcEd.h"

#ifndef LISTED_TAG
#define LISTED_TAG "listed"
#endif

#ifdef LISTED_NEEDS_DEP
extern "C" int BesideDepAnswer();
#endif

extern "C" AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* appId) {
    switch (msg) {
    case AcRx::kInitAppMsg:
        acrxDynamicLinker->unlockApplication(appId);
        acrxDynamicLinker->registerAppMDIAware(appId);
#ifdef LISTED_NEEDS_DEP
        acutPrintf("[" LISTED_TAG "] init %d\n", BesideDepAnswer());
#else
        acutPrintf("[" LISTED_TAG "] init\n");
#endif
        break;
    case AcRx::kLoadDwgMsg: acutPrintf("[" LISTED_TAG "] load %s\n", curDoc() ? curDoc()->docTitle() : "-"); break;
    default: break;
    }
    return AcRx::kRetOK;
}
