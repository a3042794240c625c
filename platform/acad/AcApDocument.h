// Documents: every open drawing is an AcApDocument with its own database, AutoLISP interpreter,
// queued input and lock state; AcApDocManager (acDocManager) holds them, knows the current and
// the active one, and opens, creates, activates and closes them. The working database follows the
// current document.
//
// What a reader must not break: documents are switched only in the application context. A switch
// requested from inside a command or an evaluation is deferred until the host is idle, and
// opening or creating a drawing there is refused (the automation interface raises, the
// appContext functions answer eNotApplicable), so callers that must do it post it to the
// application context (a timer on the document window, executeInApplicationContext).
// Closing a document sends every module kUnloadDwgMsg while the document is still current.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "acad/AcDbCore.h"
#include "acad/AcDbObjectId.h"
#include "acad/AcRxObject.h"

class AcDbDatabase;
struct IDispatch;

namespace NUVAcad {
struct DocumentState;
class DocumentRegistry;
}  // namespace NUVAcad

namespace AcAp {
// Lock modes, as the host numbers them.
enum DocLockMode {
    kNone = 0x00,
    kAutoWrite = 0x01,
    kNotLocked = 0x02,
    kWrite = 0x04,
    kProtectedAutoWrite = 0x14,
    kRead = 0x20,
    kXWrite = 0x40,
};
}  // namespace AcAp

class AcApDocument : public AcRxObject {
    NUV_ACRX_DECLARE(AcApDocument, AcRxObject, nullptr)
public:
    // The drawing's full path, or for a drawing never saved its name ("Drawing1.dwg").
    const char* fileName() const;
    // The name shown for the document: the file name without its folder.
    const char* docTitle() const;
    AcDbDatabase* database() const;
    AcAp::DocLockMode lockMode(bool includeMyLocks = false) const;
    AcAp::DocLockMode myLockMode() const;
    // No command and no evaluation is running in it.
    bool isQuiescent() const;
    bool isReadOnly() const;
    // Never saved: fileName() is a made-up name, the database has no file.
    bool isUntitled() const;
    // The document's automation object (IAcadDocument).
    IDispatch* GetIDispatch(bool addRef);

    // The host's own per-document state (interpreter, queued input, locks, extensions).
    NUVAcad::DocumentState& state() const { return *state_; }

private:
    friend class NUVAcad::DocumentRegistry;
    AcApDocument();
    ~AcApDocument() override;
    std::unique_ptr<NUVAcad::DocumentState> state_;
};

class AcApDocumentIterator {
public:
    bool done() const;
    void step();
    AcApDocument* document();

private:
    friend class AcApDocManager;
    explicit AcApDocumentIterator(std::vector<AcApDocument*> docs) : docs_(std::move(docs)) {}
    std::vector<AcApDocument*> docs_;
    std::size_t i_ = 0;
};

// Notifications of document events. Override what you need; add with acDocManager->addReactor.
class AcApDocManagerReactor : public AcRxObject {
    NUV_ACRX_DECLARE(AcApDocManagerReactor, AcRxObject, nullptr)
public:
    virtual void documentCreateStarted(AcApDocument*) {}
    virtual void documentCreated(AcApDocument*) {}
    virtual void documentToBeDestroyed(AcApDocument*) {}
    // After the document is gone; its file name is all that is left.
    virtual void documentDestroyed(const char*) {}
    virtual void documentBecameCurrent(AcApDocument*) {}
    virtual void documentToBeActivated(AcApDocument*) {}
    virtual void documentActivated(AcApDocument*) {}
    virtual void documentToBeDeactivated(AcApDocument*) {}
    // Arguments: the document, my previous mode, my current mode, the current mode, the command.
    virtual void documentLockModeChanged(AcApDocument*, AcAp::DocLockMode, AcAp::DocLockMode, AcAp::DocLockMode,
                                         const char*) {}
};

class AcApDocManager : public AcRxObject {
    NUV_ACRX_DECLARE(AcApDocManager, AcRxObject, nullptr)
public:
    // The document commands and AutoLISP work in (normally the active one; the document a
    // module message is about while it is delivered).
    AcApDocument* curDocument() const;
    // The document the user sees and types into.
    AcApDocument* mdiActiveDocument() const;
    bool isApplicationContext() const;
    AcApDocument* document(const AcDbDatabase* db) const;
    int documentCount() const;
    // The caller deletes the iterator.
    AcApDocumentIterator* newAcApDocumentIterator();

    Acad::ErrorStatus lockDocument(AcApDocument* doc, AcAp::DocLockMode mode = AcAp::kWrite,
                                   const char* globalCmdName = nullptr, const char* localCmdName = nullptr,
                                   bool prompt = true);
    Acad::ErrorStatus unlockDocument(AcApDocument* doc);

    // Makes the document the active and current one; deferred until the host is idle when asked
    // from inside a command or an evaluation. bPassScript: the running script goes on in it.
    Acad::ErrorStatus activateDocument(AcApDocument* doc, bool bPassScript = false);
    Acad::ErrorStatus setCurDocument(AcApDocument* doc, AcAp::DocLockMode mode = AcAp::kNone, bool activate = false);
    // Queues text as typed input of the document (run when it is active and idle).
    Acad::ErrorStatus sendStringToExecute(AcApDocument* doc, const char* text, bool activate = true,
                                          bool wrapUpInactiveDoc = false, bool echoString = true);
    // Opens a drawing / creates one from a template (null or empty: the default drawing) and
    // makes it active. Only in the application context (eNotApplicable elsewhere).
    Acad::ErrorStatus appContextOpenDocument(const char* drawingName);
    Acad::ErrorStatus appContextNewDocument(const char* templateName);
    // Runs the function in the application context (at once there, else when the host is idle).
    Acad::ErrorStatus executeInApplicationContext(void (*function)(void*), void* data);
    // Closes the document without saving (modules get kUnloadDwgMsg first). In a command of
    // that document the close is deferred until the command ends.
    Acad::ErrorStatus closeDocument(AcApDocument* doc);

    void addReactor(AcApDocManagerReactor* reactor);
    void removeReactor(AcApDocManagerReactor* reactor);
};

AcApDocManager* acDocManagerPtr();

#define acDocManager acDocManagerPtr()
inline AcApDocument* curDoc() { return acDocManager->curDocument(); }

// The automation lock: locks a document for the lifetime of the object (the current one, the one
// holding an object, or the one of a database).
class AcAxDocLock {
public:
    enum DocLockType { kNormal = false, kCurDocSwitch = true };
    AcAxDocLock();
    explicit AcAxDocLock(AcDbDatabase* db, DocLockType type = kNormal);
    explicit AcAxDocLock(const AcDbObjectId& objectId, DocLockType type = kNormal);
    ~AcAxDocLock();
    AcAxDocLock(const AcAxDocLock&) = delete;
    AcAxDocLock& operator=(const AcAxDocLock&) = delete;
    Acad::ErrorStatus lockStatus() const { return status_; }
    AcApDocument* document() const { return doc_; }

private:
    void lock(AcApDocument* doc, DocLockType type);
    AcApDocument* doc_ = nullptr;
    AcApDocument* previousCurrent_ = nullptr;
    AcApDocument* activeAtLock_ = nullptr;
    Acad::ErrorStatus status_ = Acad::eNoDatabase;
    bool switched_ = false;
};

namespace NUVAcad {

// Data another part of the host keeps per document (display, undo, selection sets): one slot per
// key, destroyed with the document, after the modules' kUnloadDwgMsg and before its database.
void SetDocumentData(AcApDocument* doc, const void* key, std::shared_ptr<void> data);
void* DocumentData(AcApDocument* doc, const void* key);
// The slot for T, made on first use with T's default constructor.
template <class T>
T& DocumentSlot(AcApDocument* doc) {
    static const char key = 0;
    if (void* p = DocumentData(doc, &key)) return *static_cast<T*>(p);
    auto made = std::make_shared<T>();
    T& ref = *made;
    SetDocumentData(doc, &key, std::move(made));
    return ref;
}

}  // namespace NUVAcad
