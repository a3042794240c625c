// Internal plumbing of the host runtime shared by its source files and the host program: the
// loaded modules, the per-document state and the registry of documents. Not an API for modules.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "acad/AcApDocument.h"
#include "acad/AcDbDatabase.h"
#include "acad/AcRxDynamicLinker.h"
#include "acad/InputSource.h"

struct IDispatch;

namespace NUVAcad {

// ---- Modules ----

struct Module {
    std::string name;   // file name as loaded (GBK), what acedArxLoaded lists
    std::string path;   // real path on disk (native)
    void* handle = nullptr;
    const void* base = nullptr;  // load address, to tell which module a code address belongs to
    AcRxEntryPointFunction entry = nullptr;
    std::vector<void*> libraries;  // libraries found along "Path" for it, released after it
    bool locked = true;
    bool mdiAware = false;
};

// Loaded modules in load order.
const std::vector<Module*>& Modules();
Module* ModuleOfCode(const void* address);
Module* ModuleById(const void* appId);
// The innermost module the host is calling (entry point, command, function); else null.
Module* CurrentModule();
// Sends a message; while it runs the module is current and so is `doc` (when given).
AcRx::AppRetCode SendModuleMessage(Module* m, AcRx::AppMsgCode msg, AcApDocument* doc);
// Makes the module current for the scope (its commands and timer callbacks).
class ModuleScope {
public:
    explicit ModuleScope(Module* m);
    ~ModuleScope();
    ModuleScope(const ModuleScope&) = delete;
    ModuleScope& operator=(const ModuleScope&) = delete;
};
void ModulesDocumentCreated(AcApDocument* doc);
void ModulesDocumentClosing(AcApDocument* doc);
// acedArxLoad / acedArxUnload without the checks of the C functions.
// `reason` receives why a load failed.
bool LoadModule(const std::string& spec, bool print, std::string* reason = nullptr);
bool UnloadModule(Module* m);
// kUnloadAppMsg to every module, last loaded first, and unloads them whether locked or not.
void UnloadAllModules();
// Drops document reactors whose code is in the module (it is being unloaded).
void ForgetReactorsOfModule(const Module* m);
// Drops the module's acedRegFunc handlers.
void ForgetRegisteredFunctions(const Module* m);
// Finds a module by file name, with or without folder and extension, case-insensitively.
Module* FindModule(const char* name);

// ---- Documents ----

struct DocumentState {
    AcApDocument* doc = nullptr;
    std::unique_ptr<AcDbDatabase> database;
    std::string fileName;  // full path (GBK), or "DrawingN.dwg" for a drawing never saved
    std::string title;
    bool untitled = true;
    bool readOnly = false;
    std::vector<AcAp::DocLockMode> locks;  // innermost last
    int busy = 0;                          // commands and evaluations running in it
    bool closeRequested = false;
    std::deque<std::unique_ptr<ScriptInput>> pendingInput;  // sendStringToExecute
    std::map<const void*, std::shared_ptr<void>> data;
    IDispatch* automation = nullptr;  // holds one reference while the document lives
    // Variables kept per document.
    int lwdisplay = 0;
    int useri[5] = {0, 0, 0, 0, 0};
    double userr[5] = {0, 0, 0, 0, 0};
    std::string users[5];
};

class DocumentRegistry {
public:
    static AcApDocument* create(std::unique_ptr<AcDbDatabase> db, std::string fileName, bool untitled, bool readOnly);
    // Closes at once: modules' kUnloadDwgMsg, reactors, the document's data, its database.
    static void destroy(AcApDocument* doc);
    static const std::vector<AcApDocument*>& all();
    static AcApDocument* current();
    static AcApDocument* active();
    // Makes the document current (the working database follows) without activating it.
    static void setCurrent(AcApDocument* doc);
    // Activates and makes current, telling reactors.
    static void activate(AcApDocument* doc);
    static bool isOpen(const AcApDocument* doc);
    static void forEachReactor(const std::function<void(AcApDocManagerReactor*)>& f);
};

// Opens a drawing file as a new document (or finds it open already: same real path, letter case
// ignored). eOk, or an error with the reason in `error`. Does not activate.
Acad::ErrorStatus OpenDrawing(const std::string& gbkPath, bool readOnly, AcApDocument*& doc, std::string& error);
// A new untitled document, from a template drawing (null or empty: the default drawing).
Acad::ErrorStatus NewDrawing(const char* templatePath, AcApDocument*& doc, std::string& error);
// The open document for a path, or null.
AcApDocument* FindDocumentByPath(const std::string& gbkPath);
void CloseAllDocuments();
// Work the documents have for the idle host: deferred closes, queued expressions and input.
bool DocumentsIdle();
// Forgets document names handed out (Drawing1.dwg is next again): a new session.
void ResetDocumentNumbering();

// ---- Automation ----

// A document's automation object with one reference, which the document holds.
IDispatch* MakeDocumentAutomation(AcApDocument* doc);
// The document has closed: the object answers RPC_E_DISCONNECTED from now on.
void DisconnectDocumentAutomation(IDispatch* object);
void AddRefAutomation(IDispatch* object);

// ---- Message loop ----

// Drops calls posted to the application context that have not run (the session ends).
void ForgetApplicationContextCalls();

}  // namespace NUVAcad
