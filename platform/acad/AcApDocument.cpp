// Documents and the document manager.
#include "acad/AcApDocument.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <dlfcn.h>
#include <strings.h>
#include <sys/stat.h>

#include "acad/Display.h"
#include "acad/HostInternal.h"
#include "acad/HostLisp.h"
#include "acad/MessageLoop.h"
#include "win/Encoding.h"
#include "win/FileSystem.h"

namespace NUVAcad {
namespace {

std::vector<AcApDocument*> documents;
std::vector<AcApDocument*> activationOrder;  // most recently activated last
std::vector<AcApDocManagerReactor*> reactors;
AcApDocument* currentDoc = nullptr;
AcApDocument* activeDoc = nullptr;
int nextDrawingNumber = 1;

void SetWorking(AcApDocument* doc) {
    acdbHostApplicationServices()->setWorkingDatabase(doc ? doc->database() : nullptr);
}

// The real path of an existing file (native), or empty.
std::string RealFile(const std::string& gbkPath) {
    std::string native = NUVWin::NativePath(CString(gbkPath));
    struct stat st;
    if (::stat(native.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::string();
    char* real = ::realpath(native.c_str(), nullptr);
    if (!real) return std::string();
    std::string out(real);
    std::free(real);
    return out;
}

std::string TitleOf(const std::string& fileName) {
    std::size_t slash = fileName.find_last_of("/\\");
    return slash == std::string::npos ? fileName : fileName.substr(slash + 1);
}

}  // namespace

// ---- Registry ----

AcApDocument* DocumentRegistry::create(std::unique_ptr<AcDbDatabase> db, std::string fileName, bool untitled,
                                       bool readOnly) {
    auto* doc = new AcApDocument();
    DocumentState& s = doc->state();
    s.doc = doc;
    s.database = std::move(db);
    s.fileName = std::move(fileName);
    s.title = TitleOf(s.fileName);
    s.untitled = untitled;
    s.readOnly = readOnly;
    s.database->markSaved();
    // A document's drawing records undo from here on and opens showing what it holds.
    s.database->disableUndoRecording(false);
    NUVAcad::displayOf(s.database.get()).resetView();
    forEachReactor([&](AcApDocManagerReactor* r) { r->documentCreateStarted(doc); });
    documents.push_back(doc);
    if (!activeDoc) activate(doc);
    LispDocumentCreated(doc);
    forEachReactor([&](AcApDocManagerReactor* r) { r->documentCreated(doc); });
    ModulesDocumentCreated(doc);
    return doc;
}

void DocumentRegistry::destroy(AcApDocument* doc) {
    if (!isOpen(doc)) return;
    DocumentState& s = doc->state();
    forEachReactor([&](AcApDocManagerReactor* r) { r->documentToBeDestroyed(doc); });
    ModulesDocumentClosing(doc);
    LispDocumentClosing(doc);
    std::string name = s.fileName;
    documents.erase(std::find(documents.begin(), documents.end(), doc));
    std::erase(activationOrder, doc);
    if (s.automation) {
        DisconnectDocumentAutomation(s.automation);
        s.automation = nullptr;
    }
    s.data.clear();
    if (activeDoc == doc) {
        activeDoc = nullptr;
        currentDoc = nullptr;
        SetWorking(nullptr);
        if (!activationOrder.empty()) activate(activationOrder.back());
        else if (!documents.empty()) activate(documents.back());
    } else if (currentDoc == doc) {
        setCurrent(activeDoc);
    }
    delete doc;
    forEachReactor([&](AcApDocManagerReactor* r) { r->documentDestroyed(name.c_str()); });
}

const std::vector<AcApDocument*>& DocumentRegistry::all() { return documents; }
AcApDocument* DocumentRegistry::current() { return currentDoc; }
AcApDocument* DocumentRegistry::active() { return activeDoc; }

bool DocumentRegistry::isOpen(const AcApDocument* doc) {
    return doc && std::find(documents.begin(), documents.end(), doc) != documents.end();
}

void DocumentRegistry::setCurrent(AcApDocument* doc) {
    if (doc == currentDoc) {
        SetWorking(doc);
        return;
    }
    currentDoc = doc;
    SetWorking(doc);
    if (doc) forEachReactor([&](AcApDocManagerReactor* r) { r->documentBecameCurrent(doc); });
}

void DocumentRegistry::activate(AcApDocument* doc) {
    if (!isOpen(doc)) return;
    if (doc == activeDoc) {
        setCurrent(doc);
        return;
    }
    if (activeDoc) {
        AcApDocument* old = activeDoc;
        forEachReactor([&](AcApDocManagerReactor* r) { r->documentToBeDeactivated(old); });
    }
    forEachReactor([&](AcApDocManagerReactor* r) { r->documentToBeActivated(doc); });
    activeDoc = doc;
    std::erase(activationOrder, doc);
    activationOrder.push_back(doc);
    setCurrent(doc);
    forEachReactor([&](AcApDocManagerReactor* r) { r->documentActivated(doc); });
}

void DocumentRegistry::forEachReactor(const std::function<void(AcApDocManagerReactor*)>& f) {
    // A reactor may remove itself (or another) while it is told.
    std::vector<AcApDocManagerReactor*> copy = reactors;
    for (AcApDocManagerReactor* r : copy)
        if (std::find(reactors.begin(), reactors.end(), r) != reactors.end()) f(r);
}

// ---- Opening and creating ----

AcApDocument* FindDocumentByPath(const std::string& gbkPath) {
    std::string real = RealFile(gbkPath);
    if (real.empty()) return nullptr;
    for (AcApDocument* d : documents) {
        const DocumentState& s = d->state();
        if (!s.untitled && ::strcasecmp(NUVWin::NativePath(CString(s.fileName)).c_str(), real.c_str()) == 0) return d;
    }
    return nullptr;
}

Acad::ErrorStatus OpenDrawing(const std::string& gbkPath, bool readOnly, AcApDocument*& doc, std::string& error) {
    doc = nullptr;
    if (gbkPath.empty()) {
        error = "no drawing name";
        return Acad::eInvalidInput;
    }
    std::string real = RealFile(gbkPath);
    if (real.empty()) {
        error = "\"" + gbkPath + "\": no such drawing file";
        return Acad::eFileNotFound;
    }
    if ((doc = FindDocumentByPath(gbkPath))) return Acad::eOk;
    auto db = std::make_unique<AcDbDatabase>(false, true);
    std::string gbkReal = NUVWin::Utf8ToGbk(real);
    Acad::ErrorStatus es = db->readDwgFile(gbkReal.c_str());
    if (es != Acad::eOk) {
        error = "\"" + gbkPath + "\": " + db->lastErrorMessage();
        return es;
    }
    doc = DocumentRegistry::create(std::move(db), gbkReal, false, readOnly);
    return Acad::eOk;
}

Acad::ErrorStatus NewDrawing(const char* templatePath, AcApDocument*& doc, std::string& error) {
    doc = nullptr;
    std::unique_ptr<AcDbDatabase> db;
    if (templatePath && *templatePath) {
        std::string real = RealFile(templatePath);
        std::string bytes;
        if (real.empty() || !NUVWin::ReadNativeFile(real, bytes)) {
            error = std::string("\"") + templatePath + "\": no such template file";
            return Acad::eFileNotFound;
        }
        db = std::make_unique<AcDbDatabase>(false, true);
        // Read from the bytes, so the new drawing has no file name: it is a new, unsaved drawing.
        Acad::ErrorStatus es = db->readDxf(bytes);
        if (es != Acad::eOk) {
            error = std::string("\"") + templatePath + "\": " + db->lastErrorMessage();
            return es;
        }
    } else {
        db = std::make_unique<AcDbDatabase>(true, true);
    }
    std::string name = "Drawing" + std::to_string(nextDrawingNumber++) + ".dwg";
    doc = DocumentRegistry::create(std::move(db), name, true, false);
    return Acad::eOk;
}

void CloseAllDocuments() {
    while (!documents.empty()) DocumentRegistry::destroy(documents.back());
}

void ResetDocumentNumbering() { nextDrawingNumber = 1; }

void ForgetReactorsOfModule(const Module* m) {
    // A reactor's virtual table lies in the code that defined its class.
    std::erase_if(reactors, [m](AcApDocManagerReactor* r) {
        const void* vtable = *reinterpret_cast<void* const*>(r);
        Dl_info info;
        return ::dladdr(vtable, &info) && info.dli_fbase == m->base;
    });
}

bool DocumentsIdle() {
    bool ran = false;
    // Between commands the document commands work in is the one the user sees.
    if (currentDoc != activeDoc) DocumentRegistry::setCurrent(activeDoc);
    std::vector<AcApDocument*> closing;
    for (AcApDocument* d : documents)
        if (d->state().closeRequested && d->state().busy == 0) closing.push_back(d);
    for (AcApDocument* d : closing) {
        DocumentRegistry::destroy(d);
        ran = true;
    }
    AcApDocument* doc = activeDoc;
    if (!doc) return ran;
    if (LispRunQueued(doc)) ran = true;
    DocumentState& s = doc->state();
    while (!s.pendingInput.empty()) {
        QueueInput(std::move(s.pendingInput.front()));
        s.pendingInput.pop_front();
        ran = true;
    }
    return ran;
}

void SetDocumentData(AcApDocument* doc, const void* key, std::shared_ptr<void> data) {
    if (!DocumentRegistry::isOpen(doc)) return;
    if (data) doc->state().data[key] = std::move(data);
    else doc->state().data.erase(key);
}

void* DocumentData(AcApDocument* doc, const void* key) {
    if (!DocumentRegistry::isOpen(doc)) return nullptr;
    auto& m = doc->state().data;
    auto it = m.find(key);
    return it == m.end() ? nullptr : it->second.get();
}

}  // namespace NUVAcad

using NUVAcad::DocumentRegistry;

// ---- AcApDocument ----

AcApDocument::AcApDocument() : state_(std::make_unique<NUVAcad::DocumentState>()) {}
AcApDocument::~AcApDocument() = default;

const char* AcApDocument::fileName() const { return state_->fileName.c_str(); }
const char* AcApDocument::docTitle() const { return state_->title.c_str(); }
AcDbDatabase* AcApDocument::database() const { return state_->database.get(); }
bool AcApDocument::isReadOnly() const { return state_->readOnly; }
bool AcApDocument::isUntitled() const { return state_->untitled; }
bool AcApDocument::isQuiescent() const { return state_->busy == 0; }

AcAp::DocLockMode AcApDocument::myLockMode() const {
    return state_->locks.empty() ? AcAp::kNotLocked : state_->locks.back();
}

AcAp::DocLockMode AcApDocument::lockMode(bool) const { return myLockMode(); }

IDispatch* AcApDocument::GetIDispatch(bool addRef) {
    if (!state_->automation) state_->automation = NUVAcad::MakeDocumentAutomation(this);
    if (addRef) NUVAcad::AddRefAutomation(state_->automation);
    return state_->automation;
}

// ---- AcApDocumentIterator ----

bool AcApDocumentIterator::done() const { return i_ >= docs_.size(); }
void AcApDocumentIterator::step() {
    if (i_ < docs_.size()) ++i_;
}
AcApDocument* AcApDocumentIterator::document() { return done() ? nullptr : docs_[i_]; }

// ---- AcApDocManager ----

AcApDocManager* acDocManagerPtr() {
    static AcApDocManager manager;
    return &manager;
}

AcApDocument* AcApDocManager::curDocument() const { return DocumentRegistry::current(); }
AcApDocument* AcApDocManager::mdiActiveDocument() const { return DocumentRegistry::active(); }
bool AcApDocManager::isApplicationContext() const { return NUVAcad::IsApplicationContext(); }
int AcApDocManager::documentCount() const { return static_cast<int>(DocumentRegistry::all().size()); }

AcApDocument* AcApDocManager::document(const AcDbDatabase* db) const {
    for (AcApDocument* d : DocumentRegistry::all())
        if (db && d->database() == db) return d;
    return nullptr;
}

AcApDocumentIterator* AcApDocManager::newAcApDocumentIterator() {
    return new AcApDocumentIterator(DocumentRegistry::all());
}

Acad::ErrorStatus AcApDocManager::lockDocument(AcApDocument* doc, AcAp::DocLockMode mode, const char* globalCmdName,
                                               const char*, bool) {
    if (!DocumentRegistry::isOpen(doc)) return Acad::eInvalidInput;
    NUVAcad::DocumentState& s = doc->state();
    if (s.closeRequested) return Acad::eInvalidOpenState;
    // An exclusive lock excludes every other.
    bool exclusiveHeld = std::find(s.locks.begin(), s.locks.end(), AcAp::kXWrite) != s.locks.end();
    if (exclusiveHeld || (mode == AcAp::kXWrite && !s.locks.empty())) return Acad::eInvalidOpenState;
    AcAp::DocLockMode before = doc->myLockMode();
    s.locks.push_back(mode == AcAp::kNone ? AcAp::kWrite : mode);
    DocumentRegistry::forEachReactor([&](AcApDocManagerReactor* r) {
        r->documentLockModeChanged(doc, before, doc->myLockMode(), doc->myLockMode(), globalCmdName ? globalCmdName : "");
    });
    return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::unlockDocument(AcApDocument* doc) {
    if (!DocumentRegistry::isOpen(doc)) return Acad::eInvalidInput;
    NUVAcad::DocumentState& s = doc->state();
    if (s.locks.empty()) return Acad::eNotApplicable;
    AcAp::DocLockMode before = doc->myLockMode();
    s.locks.pop_back();
    DocumentRegistry::forEachReactor([&](AcApDocManagerReactor* r) {
        r->documentLockModeChanged(doc, before, doc->myLockMode(), doc->myLockMode(), "");
    });
    return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::activateDocument(AcApDocument* doc, bool) {
    if (!DocumentRegistry::isOpen(doc)) return Acad::eInvalidInput;
    if (NUVAcad::IsApplicationContext()) {
        DocumentRegistry::activate(doc);
    } else {
        NUVAcad::PostToApplicationContext([doc] {
            if (DocumentRegistry::isOpen(doc)) DocumentRegistry::activate(doc);
        });
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::setCurDocument(AcApDocument* doc, AcAp::DocLockMode mode, bool activate) {
    if (!DocumentRegistry::isOpen(doc)) return Acad::eInvalidInput;
    DocumentRegistry::setCurrent(doc);
    if (mode != AcAp::kNone) {
        Acad::ErrorStatus es = lockDocument(doc, mode);
        if (es != Acad::eOk) return es;
    }
    return activate ? activateDocument(doc) : Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::sendStringToExecute(AcApDocument* doc, const char* text, bool activate, bool,
                                                      bool echoString) {
    if (!DocumentRegistry::isOpen(doc) || !text) return Acad::eInvalidInput;
    doc->state().pendingInput.push_back(std::make_unique<NUVAcad::ScriptInput>(text, echoString));
    if (activate && doc != DocumentRegistry::active()) return activateDocument(doc);
    return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::appContextOpenDocument(const char* drawingName) {
    if (!NUVAcad::IsApplicationContext()) return Acad::eNotApplicable;
    AcApDocument* doc = nullptr;
    std::string error;
    Acad::ErrorStatus es = NUVAcad::OpenDrawing(drawingName ? drawingName : "", false, doc, error);
    if (es != Acad::eOk) return es;
    DocumentRegistry::activate(doc);
    return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::appContextNewDocument(const char* templateName) {
    if (!NUVAcad::IsApplicationContext()) return Acad::eNotApplicable;
    AcApDocument* doc = nullptr;
    std::string error;
    Acad::ErrorStatus es = NUVAcad::NewDrawing(templateName, doc, error);
    if (es != Acad::eOk) return es;
    DocumentRegistry::activate(doc);
    return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::executeInApplicationContext(void (*function)(void*), void* data) {
    if (!function) return Acad::eInvalidInput;
    NUVAcad::PostToApplicationContext([function, data] { function(data); });
    return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::closeDocument(AcApDocument* doc) {
    if (!DocumentRegistry::isOpen(doc)) return Acad::eInvalidInput;
    if (doc->state().busy > 0 || !NUVAcad::IsApplicationContext()) {
        doc->state().closeRequested = true;
        return Acad::eOk;
    }
    DocumentRegistry::destroy(doc);
    return Acad::eOk;
}

void AcApDocManager::addReactor(AcApDocManagerReactor* reactor) {
    if (reactor && std::find(NUVAcad::reactors.begin(), NUVAcad::reactors.end(), reactor) == NUVAcad::reactors.end())
        NUVAcad::reactors.push_back(reactor);
}

void AcApDocManager::removeReactor(AcApDocManagerReactor* reactor) { std::erase(NUVAcad::reactors, reactor); }

// ---- AcAxDocLock ----

AcAxDocLock::AcAxDocLock() { lock(curDoc(), kNormal); }

AcAxDocLock::AcAxDocLock(AcDbDatabase* db, DocLockType type) { lock(acDocManager->document(db), type); }

AcAxDocLock::AcAxDocLock(const AcDbObjectId& objectId, DocLockType type) {
    lock(acDocManager->document(objectId.database()), type);
}

void AcAxDocLock::lock(AcApDocument* doc, DocLockType type) {
    doc_ = doc;
    if (!doc) {
        status_ = Acad::eNoDatabase;
        return;
    }
    activeAtLock_ = acDocManager->mdiActiveDocument();
    if (type == kCurDocSwitch && doc != curDoc()) {
        previousCurrent_ = curDoc();
        DocumentRegistry::setCurrent(doc);
        switched_ = true;
    }
    status_ = acDocManager->lockDocument(doc, AcAp::kWrite);
}

AcAxDocLock::~AcAxDocLock() {
    if (status_ == Acad::eOk) acDocManager->unlockDocument(doc_);
    if (!switched_) return;
    // A document activated under the lock stays current; otherwise the previous one comes back.
    AcApDocument* active = DocumentRegistry::active();
    if (active != activeAtLock_) DocumentRegistry::setCurrent(active);
    else if (DocumentRegistry::isOpen(previousCurrent_)) DocumentRegistry::setCurrent(previousCurrent_);
}
