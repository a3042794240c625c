// The automation objects over the document manager.
#include "acad/AcadApplication.h"

#include <climits>
#include <strings.h>
#include <unistd.h>

#include "acad/AcApDocument.h"
#include "acad/HostInternal.h"
#include "acad/MessageLoop.h"
#include "win/Encoding.h"

namespace NUVAcad {
namespace {

const char* const kSource = "NUVCAD.Application";

[[noreturn]] void Raise(HRESULT hr, const std::string& description) {
    _com_issue_errorex(hr, kSource, description.c_str());
}

void RequireApplicationContext(const char* what) {
    if (!IsApplicationContext())
        Raise(RPC_E_CALL_REJECTED, std::string(what) + " is possible only between commands, not inside a command or an AutoLISP evaluation");
}

bool IsMissing(const _variant_t& v) { return v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND; }

IAcadApplication* Application();

class Document : public NUVCom::Object<IAcadDocument> {
public:
    explicit Document(AcApDocument* doc) : doc_(doc) {}
    void disconnect() { doc_ = nullptr; }

    _bstr_t GetName() override { return _bstr_t(live()->docTitle()); }
    _bstr_t GetFullName() override {
        AcApDocument* d = live();
        return _bstr_t(d->isUntitled() ? "" : d->fileName());
    }
    _bstr_t GetPath() override {
        AcApDocument* d = live();
        if (d->isUntitled()) return _bstr_t("");
        std::string f = d->fileName();
        std::size_t slash = f.find_last_of("/\\");
        return _bstr_t(slash == std::string::npos ? std::string() : f.substr(0, slash == 0 ? 1 : slash));
    }
    VARIANT_BOOL GetReadOnly() override { return live()->isReadOnly() ? VARIANT_TRUE : VARIANT_FALSE; }
    VARIANT_BOOL GetActive() override {
        return live() == acDocManager->mdiActiveDocument() ? VARIANT_TRUE : VARIANT_FALSE;
    }
    void Activate() override {
        if (acDocManager->activateDocument(live()) != Acad::eOk) Raise(E_FAIL, "the document cannot be activated");
    }
    void Close(const _variant_t& saveChanges, const _variant_t& fileName) override {
        AcApDocument* d = live();
        bool save = !IsMissing(saveChanges) && static_cast<bool>(saveChanges);
        if (save) {
            std::string target;
            if (!IsMissing(fileName)) target = static_cast<const char*>(static_cast<_bstr_t>(fileName));
            else if (!d->isUntitled()) target = d->fileName();
            if (target.empty()) Raise(E_INVALIDARG, "a drawing never saved needs a file name to be saved");
            if (d->database()->saveAs(target.c_str()) != Acad::eOk)
                Raise(E_FAIL, std::string("cannot save \"") + target + "\": " + d->database()->lastErrorMessage());
        }
        acDocManager->closeDocument(d);
    }
    IAcadApplicationPtr GetApplication() override { return IAcadApplicationPtr(Application()); }
    AcApDocument* document() override { return doc_; }

private:
    AcApDocument* live() {
        if (!doc_ || !DocumentRegistry::isOpen(doc_)) Raise(RPC_E_DISCONNECTED, "the document has been closed");
        return doc_;
    }
    AcApDocument* doc_;
};

IAcadDocumentPtr ObjectOf(AcApDocument* doc) {
    IDispatch* d = doc->GetIDispatch(false);
    return IAcadDocumentPtr(dynamic_cast<IAcadDocument*>(d));
}

class Documents : public NUVCom::Object<IAcadDocuments> {
public:
    long GetCount() override { return static_cast<long>(DocumentRegistry::all().size()); }

    IAcadDocumentPtr Item(const _variant_t& index) override {
        const auto& docs = DocumentRegistry::all();
        if (index.vt == VT_BSTR) {
            std::string name = static_cast<const char*>(static_cast<_bstr_t>(index));
            for (AcApDocument* d : docs)
                if (::strcasecmp(d->docTitle(), name.c_str()) == 0) return ObjectOf(d);
            Raise(DISP_E_BADINDEX, "no open document is named \"" + name + "\"");
        }
        long i = static_cast<long>(index);  // raises DISP_E_TYPEMISMATCH for other kinds
        if (i < 0 || i >= static_cast<long>(docs.size()))
            Raise(DISP_E_BADINDEX, "document index " + std::to_string(i) + " is out of range");
        return ObjectOf(docs[static_cast<std::size_t>(i)]);
    }

    IAcadDocumentPtr Add(const _variant_t& templateName) override {
        RequireApplicationContext("creating a drawing");
        std::string templ;
        if (!IsMissing(templateName)) {
            if (templateName.vt != VT_BSTR) Raise(DISP_E_TYPEMISMATCH, "the template name must be a string");
            templ = static_cast<const char*>(static_cast<_bstr_t>(templateName));
        }
        AcApDocument* doc = nullptr;
        std::string error;
        if (NewDrawing(templ.c_str(), doc, error) != Acad::eOk) Raise(E_FAIL, error);
        return ObjectOf(doc);
    }

    IAcadDocumentPtr Open(_bstr_t name, const _variant_t& readOnly, const _variant_t& password) override {
        const char* path = static_cast<const char*>(name);
        if (!path || !*path) Raise(E_INVALIDARG, "no drawing name");
        RequireApplicationContext("opening a drawing");
        bool ro = !IsMissing(readOnly) && static_cast<bool>(readOnly);
        if (!IsMissing(password) && password.vt != VT_BSTR) Raise(DISP_E_TYPEMISMATCH, "the password must be a string");
        AcApDocument* doc = nullptr;
        std::string error;
        if (OpenDrawing(path, ro, doc, error) != Acad::eOk) Raise(E_FAIL, error);
        return ObjectOf(doc);
    }

    void Close() override {
        RequireApplicationContext("closing every drawing");
        CloseAllDocuments();
    }

    IAcadApplicationPtr GetApplication() override { return IAcadApplicationPtr(Application()); }
};

class ApplicationObject : public NUVCom::Object<IAcadApplication> {
public:
    IAcadDocumentsPtr GetDocuments() override {
        if (!documents_) documents_ = new Documents();
        return documents_;
    }
    IAcadDocumentPtr GetActiveDocument() override {
        AcApDocument* d = acDocManager->mdiActiveDocument();
        if (!d) Raise(E_FAIL, "no document is open");
        return ObjectOf(d);
    }
    void PutActiveDocument(IAcadDocument* doc) override {
        if (!doc) Raise(E_POINTER, "no document");
        AcApDocument* d = doc->document();
        if (!d || !DocumentRegistry::isOpen(d)) Raise(RPC_E_DISCONNECTED, "the document has been closed");
        acDocManager->activateDocument(d);
    }
    _bstr_t GetName() override { return _bstr_t("nuvcad"); }
    _bstr_t GetVersion() override { return _bstr_t("16.2"); }
    _bstr_t GetFullName() override {
        char buf[PATH_MAX];
        ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
        return _bstr_t(NUVWin::Utf8ToGbk(n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string()));
    }

private:
    IAcadDocumentsPtr documents_;
};

IAcadApplication* Application() {
    // One application object for the process; the reference held here keeps it alive.
    static IAcadApplicationPtr app(new ApplicationObject());
    return app.GetInterfacePtr();
}

}  // namespace

IDispatch* MakeDocumentAutomation(AcApDocument* doc) {
    auto* d = new Document(doc);
    d->AddRef();  // the document's own reference, released when it closes
    return d;
}

void DisconnectDocumentAutomation(IDispatch* object) {
    if (auto* d = dynamic_cast<Document*>(object)) {
        d->disconnect();
        d->Release();
    }
}

void AddRefAutomation(IDispatch* object) {
    if (object) object->AddRef();
}

}  // namespace NUVAcad

IDispatch* acedGetIDispatch(bool addRef) {
    IAcadApplication* app = NUVAcad::Application();
    if (addRef) app->AddRef();
    return app;
}
