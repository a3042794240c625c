// Loadable modules: ELF shared objects (any file name: .arx, .so) that export
//     extern "C" AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* appId);
// The host sends kInitAppMsg, then kLoadDwgMsg for every open document and every one opened
// later, kUnloadDwgMsg when a document closes, kInvkSubrMsg for its AutoLISP functions and
// kUnloadAppMsg before it is unloaded. appId identifies the module to the dynamic linker.
//
// Libraries a module needs (its DT_NEEDED entries) that the dynamic loader cannot find are looked
// for in the folders of the process variable "Path" as it is at the moment of the load (so a
// caller can add the module's folder just for the load). The loader reads LD_LIBRARY_PATH only
// at start-up; this is the host's own search.
#pragma once

#include <map>
#include <string>

#include "acad/AcRxObject.h"

struct resbuf;

namespace AcRx {
enum AppMsgCode {
    kNullMsg = 0,
    kInitAppMsg = 1,
    kUnloadAppMsg = 2,
    kLoadDwgMsg = 3,
    kUnloadDwgMsg = 4,
    kInvkSubrMsg = 5,
    kCfgMsg = 6,
    kEndMsg = 7,
    kQuitMsg = 8,
    kSaveMsg = 9,
    kDependencyMsg = 10,
    kNoDependencyMsg = 11,
    kOleUnloadAppMsg = 12,
    kPreQuitMsg = 13,
    kInitDialogMsg = 14,
    kEndDialogMsg = 15,
    kSuspendMsg = 16,
};
enum AppRetCode { kRetOK = 0, kRetError = 3 };
}  // namespace AcRx

extern "C" {
typedef AcRx::AppRetCode (*AcRxEntryPointFunction)(AcRx::AppMsgCode msg, void* appId);
}

// The system registry's keys for the two services modules look up.
#define ACRX_DYNAMIC_LINKER "DynamicLinker"
#define ACRX_COMMAND_DOCK "ACAD_REGISTERED_COMMANDS"

// A dictionary of named services.
class AcRxDictionary : public AcRxObject {
    NUV_ACRX_DECLARE(AcRxDictionary, AcRxObject, nullptr)
public:
    // Null when nothing is registered under the key (case-sensitive).
    virtual AcRxObject* at(const char* key) const;
    // Registers an object and returns the one it replaces (null for a new key). The dictionary
    // does not own its objects.
    virtual AcRxObject* atPut(const char* key, AcRxObject* object);
    virtual bool has(const char* key) const { return at(key) != nullptr; }
    virtual int numEntries() const;

private:
    std::map<std::string, AcRxObject*> entries_;
};

AcRxDictionary* acrxSysRegistry();

class AcRxDynamicLinker : public AcRxObject {
    NUV_ACRX_DECLARE(AcRxDynamicLinker, AcRxObject, nullptr)
public:
    // A loaded module stays until it unlocks itself; acedArxUnload refuses a locked module.
    bool lockApplication(void* appId) const;
    bool unlockApplication(void* appId) const;
    // appName: the module's file name, with or without folder and extension.
    bool isApplicationLocked(const char* appName) const;
    // Declares that the module works with several open documents (recorded and reported).
    bool registerAppMDIAware(void* appId) const;
    bool registerAppNotMDIAware(void* appId) const;
    bool isAppMDIAware(const char* appName) const;
    // Loads / unloads a module as acedArxLoad / acedArxUnload do; printit: print failures.
    bool loadModule(const char* fileName, bool printit, bool asCmd = false);
    bool unloadModule(const char* fileName, bool asCmd = false);
    // The loaded module's file name for an appId, or null.
    const char* appName(void* appId) const;
};

#define acrxDynamicLinker AcRxDynamicLinker::cast(acrxSysRegistry()->at(ACRX_DYNAMIC_LINKER))

// Loads a module: a path (either separator, components matched case-insensitively) or a bare
// name found along the host's search order (acedFindFile; ".arx" is tried when the name has no
// extension). RTNORM, or RTERROR with the reason printed on the command line: not found, not a
// module, a library it needs is missing, already loaded, or its initialisation failed (the module
// is unloaded again).
int acedArxLoad(const char* app);
// Unloads a module by file name (with or without folder and extension). RTNORM, or RTERROR
// (printed) when it is not loaded or still locked.
int acedArxUnload(const char* app);
// The file names of the loaded modules in load order, as a chain of RTSTR (null when none).
// Release with acutRelRb.
resbuf* acedArxLoaded();
