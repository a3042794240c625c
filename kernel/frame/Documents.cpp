// Module loading with the module's folder on the search path, and documents through the host's
// document manager and automation objects.
#include "frame/Documents.h"

#include <cstdlib>
#include <optional>
#include <string>

#include "ZQSoft/ZQSoft.h"
#include "acad/AcEd.h"

namespace NUV {
namespace {

// The variable the host's loader reads, saved whole (however long) and put back as it was,
// unset included.
class SavedSearchPath {
public:
    SavedSearchPath() {
        if (const char* now = std::getenv(ZQ::kSearchPathVariable)) saved_ = now;
    }
    ~SavedSearchPath() {
        if (saved_)
            ::setenv(ZQ::kSearchPathVariable, saved_->c_str(), 1);
        else
            ::unsetenv(ZQ::kSearchPathVariable);
    }
    SavedSearchPath(const SavedSearchPath&) = delete;
    SavedSearchPath& operator=(const SavedSearchPath&) = delete;

private:
    std::optional<std::string> saved_;
};

IAcadDocumentsPtr Documents() {
    IAcadApplicationPtr app = IDispatchPtr(acedGetIDispatch(false));
    return app->GetDocuments();
}

// Makes the document the active one under the automation lock. False when the lock is refused.
bool Activate(AcApDocument* doc) {
    if (!doc) return false;
    AcAxDocLock lock(doc->database());
    if (lock.lockStatus() != Acad::eOk) return false;
    return acDocManager->activateDocument(doc) == Acad::eOk;
}

}  // namespace

int ARXLoadEx(const char* path) {
    if (!path || !*path) return 0;
    int status;
    {
        SavedSearchPath saved;
        ZQ::AddPathEnvironmentVariable(ZQ::GetFilePath(path));
        status = acedArxLoad(path);
    }
    return status == RTNORM ? 1 : 0;
}

AcApDocument* FindDwgDocument(const char* path) {
    AcApDocManager* manager = acDocManager;
    if (!manager || !path) return nullptr;
    AcApDocument* found = nullptr;
    AcApDocumentIterator* it = manager->newAcApDocumentIterator();
    for (; it && !it->done() && !found; it->step()) {
        const char* name = it->document()->fileName();
        if (name && CString(name).CompareNoCase(path) == 0) found = it->document();
    }
    delete it;
    return found;
}

int OpenDwg(const char* path, int activate) {
    if (!acDocManager) return 0;
    if (!path || !*path || !ZQ::IsExist(path)) return 0;
    if (AcApDocument* open = FindDwgDocument(path)) {
        if (activate) acDocManager->activateDocument(open);
        return 1;
    }
    try {
        IAcadDocumentPtr doc = Documents()->Open(_bstr_t(path));
        if (activate && !Activate(doc->document())) return 0;
        return 1;
    } catch (const _com_error&) {
        return 0;
    }
}

int CreateDwgByDwt(const char* templatePath, CString& name, int activate) {
    if (!templatePath || !*templatePath || !ZQ::IsExist(templatePath)) return 0;
    try {
        IAcadDocumentPtr doc = Documents()->Add(_variant_t(templatePath));
        name = static_cast<const char*>(doc->GetName());
        if (activate && !Activate(doc->document())) return 0;
        return 1;
    } catch (const _com_error&) {
        return 0;
    }
}

}  // namespace NUV
