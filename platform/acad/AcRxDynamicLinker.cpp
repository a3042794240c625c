// Loading and unloading modules, the system registry and the dynamic linker service.
//
// A module is opened with dlopen (RTLD_NOW, so a missing symbol fails the load rather than a
// later call). When the loader cannot open it because a library it needs is missing, the
// module's DT_NEEDED entries are read with libelf and each one the process does not hold yet is
// looked for in the "Path" folders and opened from there first (its own needs resolved the same
// way); then the module is opened again. Those libraries are released after the module.
//
// Unloading removes whatever the module left behind in the host that points into its code:
// commands, AutoLISP functions, timers and document reactors.
#include "acad/AcRxDynamicLinker.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <gelf.h>
#include <libelf.h>
#include <map>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include "acad/AcApDocument.h"
#include "acad/AcEdCommandStack.h"
#include "acad/AcEdOutput.h"
#include "acad/FindFile.h"
#include "acad/HostInternal.h"
#include "acad/HostLisp.h"
#include "acad/MessageLoop.h"
#include "acad/ResBuf.h"
#include "win/Encoding.h"
#include "win/FileSystem.h"
#include "win/Timer.h"

namespace NUVAcad {
namespace {

std::vector<Module*> modules;
std::vector<Module*> moduleScopes;

std::string FileNameOf(const std::string& path) {
    std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string WithoutExtension(const std::string& name) {
    std::size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

bool IsRegular(const std::string& native) {
    struct stat st;
    return ::stat(native.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The DT_NEEDED names of an ELF file; false (with the reason) when it is not one.
bool ReadNeeded(const std::string& native, std::vector<std::string>& needed, std::string& error) {
    if (::elf_version(EV_CURRENT) == EV_NONE) {
        error = "the ELF library cannot be initialised";
        return false;
    }
    int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    Elf* e = ::elf_begin(fd, ELF_C_READ, nullptr);
    bool ok = e && ::elf_kind(e) == ELF_K_ELF;
    if (!ok) error = "not an ELF shared object";
    Elf_Scn* scn = nullptr;
    while (ok && (scn = ::elf_nextscn(e, scn)) != nullptr) {
        GElf_Shdr sh;
        if (!::gelf_getshdr(scn, &sh) || sh.sh_type != SHT_DYNAMIC || sh.sh_entsize == 0) continue;
        Elf_Data* data = ::elf_getdata(scn, nullptr);
        if (!data) continue;
        std::size_t count = sh.sh_size / sh.sh_entsize;
        for (std::size_t i = 0; i < count; ++i) {
            GElf_Dyn dyn;
            if (!::gelf_getdyn(data, static_cast<int>(i), &dyn)) break;
            if (dyn.d_tag != DT_NEEDED) continue;
            if (const char* name = ::elf_strptr(e, sh.sh_link, dyn.d_un.d_val)) needed.emplace_back(name);
        }
    }
    if (e) ::elf_end(e);
    ::close(fd);
    return ok;
}

// The folders of "Path" now (the kernel's search path; ";" as on the host, ":" as here).
std::vector<std::string> PathFolders() {
    const char* env = std::getenv("Path");
    if (!env) env = std::getenv("PATH");
    std::vector<std::string> out;
    if (!env) return out;
    std::string all = env;
    std::size_t start = 0;
    while (start <= all.size()) {
        std::size_t sep = all.find_first_of(";:", start);
        if (sep == std::string::npos) sep = all.size();
        if (sep > start) out.push_back(all.substr(start, sep - start));
        start = sep + 1;
    }
    return out;
}

std::string FindInPath(const std::string& library) {
    for (const std::string& folder : PathFolders()) {
        std::string native = NUVWin::NativePath(NUVWin::AppendSeparator(CString(folder)) + CString(library));
        if (IsRegular(native)) return native;
    }
    return std::string();
}

// Opens a shared object, resolving missing needs from "Path". `opened` receives the libraries
// opened for it (released by the caller after the object).
void* OpenResolving(const std::string& native, int flags, std::vector<void*>& opened, std::string& error, int depth) {
    if (void* h = ::dlopen(native.c_str(), flags)) return h;
    const char* first = ::dlerror();
    error = first ? first : "cannot be opened";
    if (depth > 16) return nullptr;
    std::vector<std::string> needed;
    std::string why;
    if (!ReadNeeded(native, needed, why)) {
        error = why;
        return nullptr;
    }
    bool found = false;
    for (const std::string& need : needed) {
        if (void* held = ::dlopen(need.c_str(), RTLD_LAZY | RTLD_NOLOAD)) {
            ::dlclose(held);
            continue;
        }
        std::string lib = FindInPath(need);
        if (lib.empty()) continue;
        std::string inner;
        if (void* h = OpenResolving(lib, RTLD_NOW | RTLD_LOCAL, opened, inner, depth + 1)) {
            opened.push_back(h);
            found = true;
        }
    }
    if (!found) return nullptr;
    if (void* h = ::dlopen(native.c_str(), flags)) return h;
    const char* again = ::dlerror();
    error = again ? again : "cannot be opened";
    return nullptr;
}

void CloseAll(std::vector<void*>& libs) {
    for (auto it = libs.rbegin(); it != libs.rend(); ++it) ::dlclose(*it);
    libs.clear();
}

bool CodeInModule(const void* address, const Module* m) {
    Dl_info info;
    return address && ::dladdr(address, &info) && info.dli_fbase == m->base;
}

// Forgets everything of the module that the host would otherwise call into after the unload.
void ForgetModule(Module* m) {
    if (AcEdCommandStack* stack = acedRegCmds) stack->removeCommandsOfApp(m);
    LispModuleUnloaded(m);
    NUVWin::KillTimersMatching([](TIMERPROC proc, void* ctx) {
        return CodeInModule(reinterpret_cast<const void*>(proc), static_cast<Module*>(ctx));
    }, m);
    ForgetReactorsOfModule(m);
    ForgetRegisteredFunctions(m);
}

void Release(Module* m) {
    ::dlclose(m->handle);
    CloseAll(m->libraries);
    delete m;
}

std::string* failureReason = nullptr;

void Fail(bool print, const std::string& spec, const std::string& reason) {
    if (failureReason) *failureReason = reason;
    if (print) acutPrintf("\nCannot load \"%s\": %s.\n", spec.c_str(), reason.c_str());
}

// The file a load request names, or empty.
std::string LocateModule(const std::string& spec) {
    auto locate = [](const std::string& name) -> std::string {
        if (name.find_first_of("/\\") != std::string::npos) return RealFilePath(name);
        std::string found;
        if (FindFile(name, found)) return RealFilePath(found);
        return std::string();
    };
    std::string real = locate(spec);
    if (real.empty() && FileNameOf(spec).find('.') == std::string::npos) real = locate(spec + ".arx");
    return real;
}

}  // namespace

const std::vector<Module*>& Modules() { return modules; }

Module* ModuleOfCode(const void* address) {
    Dl_info info;
    if (!address || !::dladdr(address, &info)) return nullptr;
    for (Module* m : modules)
        if (m->base == info.dli_fbase) return m;
    return nullptr;
}

Module* ModuleById(const void* appId) {
    for (Module* m : modules)
        if (m == appId) return m;
    return nullptr;
}

Module* CurrentModule() { return moduleScopes.empty() ? nullptr : moduleScopes.back(); }

ModuleScope::ModuleScope(Module* m) { moduleScopes.push_back(m); }
ModuleScope::~ModuleScope() { moduleScopes.pop_back(); }

Module* FindModule(const char* name) {
    if (!name || !*name) return nullptr;
    std::string wanted = FileNameOf(name);
    for (Module* m : modules)
        if (::strcasecmp(m->name.c_str(), wanted.c_str()) == 0) return m;
    for (Module* m : modules)
        if (::strcasecmp(WithoutExtension(m->name).c_str(), wanted.c_str()) == 0) return m;
    return nullptr;
}

AcRx::AppRetCode SendModuleMessage(Module* m, AcRx::AppMsgCode msg, AcApDocument* doc) {
    AcApDocument* previous = DocumentRegistry::current();
    if (doc) DocumentRegistry::setCurrent(doc);
    AcRx::AppRetCode result = AcRx::kRetError;
    {
        DocumentContextScope busy;
        ModuleScope scope(m);
        if (doc) ++doc->state().busy;
        try {
            result = m->entry(msg, m);
        } catch (...) {
            acutPrintf("\n\"%s\" failed on message %d: an exception escaped its entry point.\n", m->name.c_str(),
                       static_cast<int>(msg));
            result = AcRx::kRetError;
        }
        if (doc && DocumentRegistry::isOpen(doc)) --doc->state().busy;
    }
    if (doc && DocumentRegistry::current() == doc && DocumentRegistry::isOpen(previous)) DocumentRegistry::setCurrent(previous);
    return result;
}

void ModulesDocumentCreated(AcApDocument* doc) {
    std::vector<Module*> copy = modules;
    for (Module* m : copy)
        if (ModuleById(m) && DocumentRegistry::isOpen(doc)) SendModuleMessage(m, AcRx::kLoadDwgMsg, doc);
}

void ModulesDocumentClosing(AcApDocument* doc) {
    std::vector<Module*> copy = modules;
    for (Module* m : copy)
        if (ModuleById(m)) SendModuleMessage(m, AcRx::kUnloadDwgMsg, doc);
}

bool LoadModule(const std::string& spec, bool print, std::string* reason) {
    // Nested loads (a module loading another in its initialisation) report their own reasons.
    std::string* outer = std::exchange(failureReason, reason);
    struct Restore {
        std::string*& slot;
        std::string* value;
        ~Restore() { slot = value; }
    } restore{failureReason, outer};
    std::string real = LocateModule(spec);
    if (real.empty()) {
        Fail(print, spec, "no such file");
        return false;
    }
    std::string name = NUVWin::Utf8ToGbk(FileNameOf(real));
    if (Module* loaded = FindModule(name.c_str()); loaded && ::strcasecmp(loaded->name.c_str(), name.c_str()) == 0) {
        if (failureReason) *failureReason = "already loaded";
        if (print) acutPrintf("\n\"%s\" is already loaded.\n", loaded->name.c_str());
        return false;
    }
    auto* m = new Module();
    m->name = name;
    m->path = real;
    std::string error;
    m->handle = OpenResolving(real, RTLD_NOW | RTLD_LOCAL, m->libraries, error, 0);
    if (!m->handle) {
        CloseAll(m->libraries);
        delete m;
        Fail(print, spec, error);
        return false;
    }
    ::dlerror();
    m->entry = reinterpret_cast<AcRxEntryPointFunction>(::dlsym(m->handle, "acrxEntryPoint"));
    Dl_info info;
    if (!m->entry || !::dladdr(reinterpret_cast<const void*>(m->entry), &info) || info.dli_fbase == nullptr) {
        Release(m);
        Fail(print, spec, "not a module (it has no acrxEntryPoint)");
        return false;
    }
    m->base = info.dli_fbase;
    modules.push_back(m);
    if (SendModuleMessage(m, AcRx::kInitAppMsg, nullptr) != AcRx::kRetOK) {
        std::erase(modules, m);
        ForgetModule(m);
        Release(m);
        Fail(print, spec, "its initialisation failed");
        return false;
    }
    std::vector<AcApDocument*> docs = DocumentRegistry::all();
    for (AcApDocument* doc : docs)
        if (ModuleById(m) && DocumentRegistry::isOpen(doc)) SendModuleMessage(m, AcRx::kLoadDwgMsg, doc);
    return ModuleById(m) != nullptr;
}

bool UnloadModule(Module* m) {
    SendModuleMessage(m, AcRx::kUnloadAppMsg, nullptr);
    std::erase(modules, m);
    ForgetModule(m);
    Release(m);
    return true;
}

void UnloadAllModules() {
    while (!modules.empty()) UnloadModule(modules.back());
}

}  // namespace NUVAcad

using NUVAcad::FindModule;
using NUVAcad::Module;
using NUVAcad::ModuleById;

// ---- The system registry ----

AcRxObject* AcRxDictionary::at(const char* key) const {
    if (!key) return nullptr;
    auto it = entries_.find(key);
    return it == entries_.end() ? nullptr : it->second;
}

AcRxObject* AcRxDictionary::atPut(const char* key, AcRxObject* object) {
    if (!key) return nullptr;
    AcRxObject*& slot = entries_[key];
    return std::exchange(slot, object);
}

int AcRxDictionary::numEntries() const { return static_cast<int>(entries_.size()); }

AcRxDictionary* acrxSysRegistry() {
    static AcRxDictionary registry;
    static AcRxDynamicLinker linker;
    static AcEdCommandStack commands;
    static bool filled = false;
    if (!filled) {
        filled = true;
        registry.atPut(ACRX_DYNAMIC_LINKER, &linker);
        registry.atPut(ACRX_COMMAND_DOCK, &commands);
    }
    return &registry;
}

// ---- The dynamic linker ----

bool AcRxDynamicLinker::lockApplication(void* appId) const {
    Module* m = ModuleById(appId);
    if (m) m->locked = true;
    return m != nullptr;
}

bool AcRxDynamicLinker::unlockApplication(void* appId) const {
    Module* m = ModuleById(appId);
    if (m) m->locked = false;
    return m != nullptr;
}

bool AcRxDynamicLinker::isApplicationLocked(const char* appName) const {
    Module* m = FindModule(appName);
    return m && m->locked;
}

bool AcRxDynamicLinker::registerAppMDIAware(void* appId) const {
    Module* m = ModuleById(appId);
    if (m) m->mdiAware = true;
    return m != nullptr;
}

bool AcRxDynamicLinker::registerAppNotMDIAware(void* appId) const {
    Module* m = ModuleById(appId);
    if (m) m->mdiAware = false;
    return m != nullptr;
}

bool AcRxDynamicLinker::isAppMDIAware(const char* appName) const {
    Module* m = FindModule(appName);
    return m && m->mdiAware;
}

bool AcRxDynamicLinker::loadModule(const char* fileName, bool printit, bool) {
    return fileName && NUVAcad::LoadModule(fileName, printit);
}

bool AcRxDynamicLinker::unloadModule(const char* fileName, bool) { return acedArxUnload(fileName) == RTNORM; }

const char* AcRxDynamicLinker::appName(void* appId) const {
    Module* m = ModuleById(appId);
    return m ? m->name.c_str() : nullptr;
}

// ---- The C functions ----

int acedArxLoad(const char* app) {
    if (!app || !*app) {
        acutPrintf("\nCannot load a module without a name.\n");
        return RTERROR;
    }
    return NUVAcad::LoadModule(app, true) ? RTNORM : RTERROR;
}

int acedArxUnload(const char* app) {
    Module* m = FindModule(app);
    if (!m) {
        acutPrintf("\n\"%s\" is not loaded.\n", app ? app : "");
        return RTERROR;
    }
    if (m->locked) {
        acutPrintf("\n\"%s\" is locked and cannot be unloaded.\n", m->name.c_str());
        return RTERROR;
    }
    NUVAcad::UnloadModule(m);
    return RTNORM;
}

resbuf* acedArxLoaded() {
    resbuf* head = nullptr;
    resbuf** tail = &head;
    for (Module* m : NUVAcad::Modules()) {
        resbuf* rb = acutNewRb(RTSTR);
        rb->resval.rstring = acutNewString(m->name.c_str());
        *tail = rb;
        tail = &rb->rbnext;
    }
    return head;
}
