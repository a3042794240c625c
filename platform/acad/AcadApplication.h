// The host's automation object model, as a module reaches it from the host's dispatch interface
// (acedGetIDispatch): the application, its collection of documents and each document. Objects
// are component objects held by _com_ptr_t smart pointers. Failures raise _com_error with the
// component runtime's result codes: E_INVALIDARG for a missing or empty name, E_FAIL (with the
// reason as description) for a file that cannot be opened, DISP_E_BADINDEX for an index out of
// range, DISP_E_TYPEMISMATCH for an argument of the wrong kind, RPC_E_CALL_REJECTED when a
// drawing is opened or created from inside a command or an AutoLISP evaluation (only the
// application context may do that), and RPC_E_DISCONNECTED for a closed document's object.
#pragma once

#include "com/Com.h"

class AcApDocument;


struct IAcadDocument;
struct IAcadDocuments;
struct IAcadApplication;
using IAcadDocumentPtr = _com_ptr_t<IAcadDocument>;
using IAcadDocumentsPtr = _com_ptr_t<IAcadDocuments>;
using IAcadApplicationPtr = _com_ptr_t<IAcadApplication>;
using IDispatchPtr = _com_ptr_t<IDispatch>;

struct IAcadDocument : IDispatch {
    // The file name without its folder ("Drawing1.dwg" for a drawing never saved).
    virtual _bstr_t GetName() = 0;
    // The full path; empty for a drawing never saved.
    virtual _bstr_t GetFullName() = 0;
    // The folder, without a trailing separator; empty for a drawing never saved.
    virtual _bstr_t GetPath() = 0;
    virtual VARIANT_BOOL GetReadOnly() = 0;
    virtual VARIANT_BOOL GetActive() = 0;
    // Makes the document the active one (deferred until the host is idle inside a command).
    virtual void Activate() = 0;
    // Closes the document without saving.
    virtual void Close(const _variant_t& SaveChanges = vtMissing, const _variant_t& FileName = vtMissing) = 0;
    virtual IAcadApplicationPtr GetApplication() = 0;
    // The host's document behind the object (null once it is closed).
    virtual AcApDocument* document() = 0;
};

struct IAcadDocuments : IDispatch {
    virtual long GetCount() = 0;
    // By 0-based position or by name (case-insensitive).
    virtual IAcadDocumentPtr Item(const _variant_t& Index) = 0;
    // A new drawing from a template drawing (or the default drawing when none is given), named
    // Drawing1.dwg, Drawing2.dwg, ... It is not activated.
    virtual IAcadDocumentPtr Add(const _variant_t& TemplateName = vtMissing) = 0;
    // Opens a drawing, or returns the open document of the same file. It is not activated.
    virtual IAcadDocumentPtr Open(_bstr_t Name, const _variant_t& ReadOnly = vtMissing,
                                  const _variant_t& Password = vtMissing) = 0;
    // Closes every document.
    virtual void Close() = 0;
    virtual IAcadApplicationPtr GetApplication() = 0;
};

struct IAcadApplication : IDispatch {
    virtual IAcadDocumentsPtr GetDocuments() = 0;
    // Raises E_FAIL when no document is open.
    virtual IAcadDocumentPtr GetActiveDocument() = 0;
    virtual void PutActiveDocument(IAcadDocument* doc) = 0;
    virtual _bstr_t GetName() = 0;
    virtual _bstr_t GetVersion() = 0;
    virtual _bstr_t GetFullName() = 0;
};

// The application object's dispatch interface (query it for IAcadApplication). With addRef the
// caller holds a reference it must release.
IDispatch* acedGetIDispatch(bool addRef);
