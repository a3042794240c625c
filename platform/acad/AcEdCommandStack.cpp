// The modules' command stack.
#include "acad/AcEdCommandStack.h"

#include <algorithm>
#include <dlfcn.h>
#include <strings.h>

#include "acad/HostInternal.h"

struct AcEdCommandStack::Group {
    std::string name;
    std::vector<AcEdCommand*> commands;  // in the order added
    ~Group() {
        for (AcEdCommand* c : commands) delete c;
    }
};

namespace {

bool SameName(const std::string& a, const char* b) { return b && ::strcasecmp(a.c_str(), b) == 0; }

bool ValidName(const char* name) {
    if (!name || !*name) return false;
    for (const char* p = name; *p; ++p)
        if (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r') return false;
    return true;
}

}  // namespace

AcEdCommandStack::~AcEdCommandStack() {
    for (Group* g : groups_) delete g;
}

AcEdCommandStack::Group* AcEdCommandStack::find(const char* name) {
    for (Group* g : groups_)
        if (SameName(g->name, name)) return g;
    return nullptr;
}

Acad::ErrorStatus AcEdCommandStack::addCommand(const char* cmdGroupName, const char* cmdGlobalName,
                                               const char* cmdLocalName, int commandFlags, AcRxFunctionPtr functionAddr,
                                               AcEdUIContext* UIContext, int fcode, HINSTANCE hResourceHandle,
                                               AcEdCommand** cmdPtrRet) {
    if (cmdPtrRet) *cmdPtrRet = nullptr;
    if (!ValidName(cmdGroupName) || !ValidName(cmdGlobalName) || !ValidName(cmdLocalName) || !functionAddr)
        return Acad::eInvalidInput;
    Group* g = find(cmdGroupName);
    if (g) {
        for (AcEdCommand* c : g->commands)
            if (SameName(c->global_, cmdGlobalName) || SameName(c->local_, cmdLocalName)) return Acad::eDuplicateKey;
    } else {
        g = new Group{cmdGroupName, {}};
        groups_.push_back(g);
    }
    auto* c = new AcEdCommand();
    c->group_ = g->name;
    c->global_ = cmdGlobalName;
    c->local_ = cmdLocalName;
    c->flags_ = commandFlags;
    c->function_ = functionAddr;
    c->context_ = UIContext;
    c->code_ = fcode;
    c->resource_ = hResourceHandle;
    // The module is the one whose code the handler is; failing that, the one the host is calling.
    NUVAcad::Module* m = NUVAcad::ModuleOfCode(reinterpret_cast<const void*>(functionAddr));
    c->app_ = m ? m : NUVAcad::CurrentModule();
    g->commands.push_back(c);
    if (cmdPtrRet) *cmdPtrRet = c;
    return Acad::eOk;
}

AcEdCommand* AcEdCommandStack::lookupCmd(const char* cmdStr, bool globalFlag, bool, bool) {
    for (auto g = groups_.rbegin(); g != groups_.rend(); ++g)
        for (AcEdCommand* c : (*g)->commands)
            if (SameName(globalFlag ? c->global_ : c->local_, cmdStr)) return c;
    return nullptr;
}

AcEdCommand* AcEdCommandStack::lookupGlobalCmd(const char* globalName) { return lookupCmd(globalName, true); }
AcEdCommand* AcEdCommandStack::lookupLocalCmd(const char* localName) { return lookupCmd(localName, false); }

Acad::ErrorStatus AcEdCommandStack::removeCmd(const char* cmdGroupName, const char* cmdGlobalName) {
    Group* g = find(cmdGroupName);
    if (!g) return Acad::eKeyNotFound;
    auto it = std::find_if(g->commands.begin(), g->commands.end(),
                           [&](AcEdCommand* c) { return SameName(c->global_, cmdGlobalName); });
    if (it == g->commands.end()) return Acad::eKeyNotFound;
    delete *it;
    g->commands.erase(it);
    if (g->commands.empty()) {
        std::erase(groups_, g);
        delete g;
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcEdCommandStack::removeGroup(const char* groupName) {
    Group* g = find(groupName);
    if (!g) return Acad::eKeyNotFound;
    std::erase(groups_, g);
    delete g;
    return Acad::eOk;
}

Acad::ErrorStatus AcEdCommandStack::popGroupToTop(const char* groupName) {
    Group* g = find(groupName);
    if (!g) return Acad::eKeyNotFound;
    std::erase(groups_, g);
    groups_.push_back(g);
    return Acad::eOk;
}

AcEdCommandIterator* AcEdCommandStack::iterator() {
    auto* it = new AcEdCommandIterator();
    for (auto g = groups_.rbegin(); g != groups_.rend(); ++g)
        for (AcEdCommand* c : (*g)->commands) it->commands_.push_back(c);
    return it;
}

int AcEdCommandStack::removeCommandsOfApp(void* appId) {
    int removed = 0;
    for (Group* g : groups_) {
        removed += static_cast<int>(std::erase_if(g->commands, [&](AcEdCommand* c) {
            if (c->app_ != appId) return false;
            delete c;
            return true;
        }));
    }
    std::erase_if(groups_, [](Group* g) {
        if (!g->commands.empty()) return false;
        delete g;
        return true;
    });
    return removed;
}

bool AcEdCommandIterator::done() const { return i_ >= commands_.size(); }
bool AcEdCommandIterator::next() {
    if (i_ < commands_.size()) ++i_;
    return !done();
}
const AcEdCommand* AcEdCommandIterator::command() const { return done() ? nullptr : commands_[i_]; }
const char* AcEdCommandIterator::commandGroup() const { return done() ? nullptr : commands_[i_]->groupName(); }
