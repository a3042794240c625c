// Loaded modules and queued command text.
#include "ZQCAD/HostModules.h"

#include "ZQSoft/ZQSoft.h"
#include "acad/AcEd.h"

namespace ZQ {

bool IsLoadedArx(const char* name) {
    if (!name || !*name) return false;
    CString want = GetFileTitle(name), wantExt = GetFileExt(name);
    bool found = false;
    resbuf* loaded = acedArxLoaded();
    for (resbuf* rb = loaded; rb && !found; rb = rb->rbnext) {
        if (rb->restype != RTSTR || !rb->resval.rstring) continue;
        const char* have = rb->resval.rstring;
        found = GetFileTitle(have).CompareNoCase(want) == 0 &&
                (wantExt.IsEmpty() || GetFileExt(have).CompareNoCase(wantExt) == 0);
    }
    acutRelRb(loaded);
    return found;
}

bool SendStringToExecute(const char* text, bool activate) {
    AcApDocument* doc = acDocManager ? acDocManager->curDocument() : nullptr;
    if (!doc || !text) return false;
    return acDocManager->sendStringToExecute(doc, text, activate) == Acad::eOk;
}

}  // namespace ZQ
