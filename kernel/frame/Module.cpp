// The entry point: what the module does on each of the host's messages, in the order the suite
// relies on (commands before any document, functions and listed modules per document).
#include "frame/Module.h"

#include "acad/AcEd.h"
#include "com/Com.h"
#include "frame/Commands.h"
#include "frame/LispFunctionTable.h"
#include "frame/LispFunctions.h"
#include "frame/ModuleList.h"
#include "win/Resource.h"

namespace NUV {
namespace {

HINSTANCE instance = nullptr;

__attribute__((constructor)) void OnMap() { instance = NUVWin::ModuleHandleFromAddress(reinterpret_cast<const void*>(&OnMap)); }
__attribute__((destructor)) void OnUnmap() { instance = nullptr; }

}  // namespace

HINSTANCE ModuleInstance() { return instance; }

}  // namespace NUV

extern "C" AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* appId) {
    switch (msg) {
    case AcRx::kInitAppMsg:
        acrxDynamicLinker->unlockApplication(appId);
        acrxDynamicLinker->registerAppMDIAware(appId);
        NUV::RegisterKernelCommands();
        CoInitialize(nullptr);
        break;
    case AcRx::kUnloadAppMsg:
        NUV::RemoveKernelCommands();
        NUV::CancelDeferredDocumentRequests();
        CoUninitialize();
        break;
    case AcRx::kLoadDwgMsg:
        // A definition the host refuses leaves the document without the listed modules too.
        if (NUV::DefineLispFunctions() == RTNORM) NUV::LoadListedModules();
        break;
    case AcRx::kUnloadDwgMsg: NUV::UndefineLispFunctions(); break;
    case AcRx::kInvkSubrMsg: NUV::DispatchLispFunction(); break;
    default: break;
    }
    // The dispatcher's own result never turns into an AutoLISP error.
    return AcRx::kRetOK;
}
