// The command stack modules register their commands on (acedRegCmds, the service under
// "ACAD_REGISTERED_COMMANDS"): groups of commands, each with a global name (typed with a "_"
// prefix in any language) and a local name, flags and a handler. Names compare
// case-insensitively. Within a group a global or a local name may be registered once; the same
// name in another group is allowed, and the group added (or popped to the top) last wins.
#pragma once

#include <string>
#include <vector>

#include "acad/AcDbCore.h"
#include "acad/AcRxDynamicLinker.h"
#include "win/WinTypes.h"

typedef void (*AcRxFunctionPtr)();

// Command flags, as the host numbers them.
#define ACRX_CMD_MODAL 0x00000000
#define ACRX_CMD_TRANSPARENT 0x00000001
#define ACRX_CMD_USEPICKSET 0x00000002
#define ACRX_CMD_REDRAW 0x00000004

class AcEdUIContext;

class AcEdCommand : public AcRxObject {
    NUV_ACRX_DECLARE(AcEdCommand, AcRxObject, nullptr)
public:
    AcRxFunctionPtr functionAddr() const { return function_; }
    int functionCode() const { return code_; }
    int commandFlags() const { return flags_; }
    const char* globalName() const { return global_.c_str(); }
    const char* localName() const { return local_.c_str(); }
    const char* groupName() const { return group_.c_str(); }
    AcEdUIContext* UIContext() const { return context_; }
    HINSTANCE resourceHandle() const { return resource_; }
    // The module whose code the handler is (its appId), or null for the host's own.
    void* commandApp() const { return app_; }

private:
    friend class AcEdCommandStack;
    std::string group_, global_, local_;
    int flags_ = 0;
    AcRxFunctionPtr function_ = nullptr;
    AcEdUIContext* context_ = nullptr;
    int code_ = -1;
    HINSTANCE resource_ = nullptr;
    void* app_ = nullptr;
};

// Walks every command of every group, top group first. Delete it when done.
class AcEdCommandIterator {
public:
    bool done() const;
    bool next();
    const AcEdCommand* command() const;
    const char* commandGroup() const;

private:
    friend class AcEdCommandStack;
    std::vector<const AcEdCommand*> commands_;
    std::size_t i_ = 0;
};

class AcEdCommandStack : public AcRxObject {
    NUV_ACRX_DECLARE(AcEdCommandStack, AcRxObject, nullptr)
public:
    // eOk; eDuplicateKey when the group already holds the global or the local name;
    // eInvalidInput for a missing handler or an empty or blank name.
    Acad::ErrorStatus addCommand(const char* cmdGroupName, const char* cmdGlobalName, const char* cmdLocalName,
                                 int commandFlags, AcRxFunctionPtr functionAddr, AcEdUIContext* UIContext = nullptr,
                                 int fcode = -1, HINSTANCE hResourceHandle = nullptr, AcEdCommand** cmdPtrRet = nullptr);
    AcEdCommand* lookupGlobalCmd(const char* globalName);
    AcEdCommand* lookupLocalCmd(const char* localName);
    // globalFlag: look the name up among global names (else local ones); allGroups is accepted
    // for the host's signature (every group is always searched, top first).
    AcEdCommand* lookupCmd(const char* cmdStr, bool globalFlag, bool allGroups = true, bool skipUndefed = false);
    // eOk, or eKeyNotFound.
    Acad::ErrorStatus removeCmd(const char* cmdGroupName, const char* cmdGlobalName);
    Acad::ErrorStatus removeGroup(const char* groupName);
    Acad::ErrorStatus popGroupToTop(const char* groupName);
    AcEdCommandIterator* iterator();

    // The host's own bookkeeping: removes every command whose handler is in the module.
    int removeCommandsOfApp(void* appId);
    ~AcEdCommandStack() override;

private:
    struct Group;
    std::vector<Group*> groups_;  // bottom first
    Group* find(const char* name);
};

#define acedRegCmds AcEdCommandStack::cast(acrxSysRegistry()->at(ACRX_COMMAND_DOCK))
