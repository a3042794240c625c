// One AutoLISP interpreter per document, and the host behind it (LispHost): output, modules'
// functions, commands, system variables and files. Every evaluation runs with its document
// current and the host busy, so nothing switches documents under it.
#include "acad/HostLisp.h"

#include <atomic>
#include <cstring>

#include "acad/AcApDocument.h"
#include "acad/AcEdDisplay.h"
#include "acad/AcEdOutput.h"
#include "acad/AcEdPrompts.h"
#include "acad/EntityPicking.h"
#include "acad/AcEdSelectionSet.h"
#include "acad/AdsFunctions.h"
#include "acad/CommandProcessor.h"
#include "acad/FindFile.h"
#include "acad/HostInternal.h"
#include "acad/LispHost.h"
#include "acad/LispInterpreter.h"
#include "acad/MessageLoop.h"
#include "acad/SysVars.h"
#include "acad/UndoLog.h"

namespace NUVAcad {
namespace {

// The owner tag of the host's own AutoLISP functions.
const char kHostFunctions = 0;
enum HostFunction { kArxLoad = 1, kArxUnload, kArx };

bool acadLspQueued = false;

class DocumentLispHost : public LispHost {
public:
    explicit DocumentLispHost(AcApDocument* doc) : doc_(doc) {}

    void print(const CString& text) override { WriteOutput(text.str()); }
    void alert(const CString& text) override { acedAlert(text); }

    int callExternal(const LispExternalFunction& fn, const resbuf* args, resbuf** result, CString& error) override {
        *result = nullptr;
        if (fn.owner == &kHostFunctions) return callHost(fn.code, args, result, error);
        Module* m = ModuleById(fn.owner);
        if (!m) {
            error = CString("the module that defined ") + fn.name + " is no longer loaded";
            return RSERR;
        }
        return CallModuleFunction(m, fn.code, args, result);
    }

    int command(const resbuf* args) override { return args ? acedCmd(args) : RTNORM; }

    int getVar(const char* name, resbuf** value) override { return GetSysVar(name, value); }

    int setVar(const char* name, const resbuf* value, CString& error) override {
        std::string why;
        int status = SetSysVar(name, value, why);
        if (status != RTNORM) error = CString(why);
        return status;
    }

    bool findFile(const CString& name, CString& found) override {
        std::string path;
        if (!FindFile(name.str(), path)) return false;
        found = CString(path);
        return true;
    }

    AcDbDatabase* database() override { return doc_->database(); }

    int initGet(int bits, const char* keywords) override { return acedInitGet(bits, keywords); }
    int getPoint(const ads_real* base, const char* prompt, ads_point result) override {
        return acedGetPoint(base, prompt, result);
    }
    int getCorner(const ads_real* base, const char* prompt, ads_point result) override {
        return acedGetCorner(base, prompt, result);
    }
    int getDist(const ads_real* base, const char* prompt, ads_real* result) override {
        return acedGetDist(base, prompt, result);
    }
    int getAngle(const ads_real* base, const char* prompt, ads_real* result) override {
        return acedGetAngle(base, prompt, result);
    }
    int getReal(const char* prompt, ads_real* result) override { return acedGetReal(prompt, result); }
    int getInt(const char* prompt, int* result) override { return acedGetInt(prompt, result); }
    int getString(int allowSpaces, const char* prompt, CString& result) override {
        std::string text;
        int status = GetStringPrompt(allowSpaces != 0, prompt, text);
        if (status == RTNORM) result = CString(text);
        return status;
    }
    int getKword(const char* prompt, CString& result) override {
        std::string text;
        int status = GetKwordPrompt(prompt, text);
        if (status == RTNORM) result = CString(text);
        return status;
    }
    int redraw(const ads_name entity, int mode) override { return acedRedraw(entity, mode); }
    int entSel(const char* prompt, ads_name entity, ads_point picked) override {
        return acedEntSel(prompt, entity, picked);
    }
    int getInput(CString& result) override {
        std::string text;
        int status = GetLastKeyword(text);
        if (status == RTNORM) result = CString(text);
        return status;
    }

    // Selection sets are the host's; a set AutoLISP no longer refers to is freed, so sets made
    // in loops do not use up the host's limit.
    int ssGet(const char* mode, const void* pt1, const void* pt2, const resbuf* filter, ads_name ss) override {
        return acedSSGet(mode, pt1, pt2, filter, ss);
    }
    int ssAdd(const ads_name entity, const ads_name ss, ads_name result) override {
        return acedSSAdd(entity, ss, result);
    }
    int ssDel(const ads_name entity, const ads_name ss) override { return acedSSDel(entity, ss); }
    int ssLength(const ads_name ss, long* length) override { return acedSSLength(ss, length); }
    int ssName(const ads_name ss, long index, ads_name entity) override { return acedSSName(ss, index, entity); }
    int ssMemb(const ads_name entity, const ads_name ss) override { return acedSSMemb(entity, ss); }
    int ssFree(const ads_name ss) override { return acedSSFree(ss); }

private:
    static const char* StringArg(const resbuf* args, int index) {
        for (int i = 0; args && i < index; ++i) args = args->rbnext;
        return args && args->restype == RTSTR ? args->resval.rstring : nullptr;
    }

    // (arxload path [onfailure]), (arxunload name [onfailure]), (arx).
    int callHost(int code, const resbuf* args, resbuf** result, CString& error) {
        if (code == kArx) {
            resbuf* names = acedArxLoaded();
            if (!names) {
                *result = acutNewRb(RTNIL);
                return RSRSLT;
            }
            resbuf* head = acutNewRb(RTLB);
            head->rbnext = names;
            resbuf* tail = names;
            while (tail->rbnext) tail = tail->rbnext;
            tail->rbnext = acutNewRb(RTLE);
            *result = head;
            return RSRSLT;
        }
        const char* name = StringArg(args, 0);
        if (!args) {
            error = "too few arguments";
            return RSERR;
        }
        if (!name) {
            error = "bad argument type: stringp";
            return RSERR;
        }
        int status = code == kArxLoad ? acedArxLoad(name) : acedArxUnload(name);
        if (status == RTNORM) {
            *result = acutNewRb(RTSTR);
            (*result)->resval.rstring = acutNewString(name);
            return RSRSLT;
        }
        // An "on failure" value is handed back instead of an error.
        if (args->rbnext) {
            resbuf one = *args->rbnext;
            one.rbnext = nullptr;
            *result = acutCopyRb(&one);
            return RSRSLT;
        }
        error = CString(code == kArxLoad ? "ARXLOAD failed" : "ARXUNLOAD failed");
        return RSERR;
    }

    AcApDocument* doc_;
};

struct LispSlot {
    std::unique_ptr<DocumentLispHost> host;
    std::unique_ptr<LispInterpreter> interpreter;
};

const char kSlot = 0;

LispSlot* LispOf(AcApDocument* doc) {
    return static_cast<LispSlot*>(DocumentData(doc, &kSlot));
}

// The interpreter evaluating now, for the user's Ctrl-C.
std::atomic<LispInterpreter*> evaluating{nullptr};

// Runs with the document current and the host busy in it.
class EvaluationScope {
public:
    explicit EvaluationScope(AcApDocument* doc)
        : previous_(DocumentRegistry::current()), doc_(doc), outer_(evaluating.exchange(DocumentLisp(doc))) {
        if (previous_ != doc) DocumentRegistry::setCurrent(doc);
        ++doc->state().busy;
    }
    ~EvaluationScope() {
        evaluating.store(outer_);
        if (DocumentRegistry::isOpen(doc_)) --doc_->state().busy;
        if (previous_ != doc_ && DocumentRegistry::isOpen(previous_)) DocumentRegistry::setCurrent(previous_);
    }

private:
    AcApDocument* previous_;
    AcApDocument* doc_;
    LispInterpreter* outer_;
    DocumentContextScope busy_;
};

std::string LoadExpression(const std::string& gbkPath) {
    std::string e = "(load \"";
    for (char c : gbkPath) {
        if (c == '\\' || c == '"') e += '\\';
        e += c;
    }
    return e + "\")";
}

}  // namespace

LispInterpreter* DocumentLisp(AcApDocument* doc) {
    LispSlot* l = LispOf(doc);
    return l ? l->interpreter.get() : nullptr;
}

void LispDocumentCreated(AcApDocument* doc) {
    auto lisp = std::make_shared<LispSlot>();
    lisp->host = std::make_unique<DocumentLispHost>(doc);
    lisp->interpreter = std::make_unique<LispInterpreter>(*lisp->host);
    LispInterpreter& in = *lisp->interpreter;
    SetDocumentData(doc, &kSlot, lisp);
    void* owner = const_cast<char*>(&kHostFunctions);
    in.defineExternal("arxload", kArxLoad, owner);
    in.defineExternal("arxunload", kArxUnload, owner);
    in.defineExternal("arx", kArx, owner);
    // acad.lsp once per session, in its first document; acaddoc.lsp in every document. The
    // document's own folder is searched first.
    std::string path;
    if (!acadLspQueued) {
        acadLspQueued = true;
        if (FindFile("acad.lsp", path, doc)) in.queueExpression(CString(LoadExpression(path)));
    }
    if (FindFile("acaddoc.lsp", path, doc)) in.queueExpression(CString(LoadExpression(path)));
}

void LispDocumentClosing(AcApDocument* doc) { SetDocumentData(doc, &kSlot, nullptr); }

bool LispRunQueued(AcApDocument* doc) {
    LispInterpreter* in = DocumentLisp(doc);
    if (!in || !in->hasQueuedExpressions()) return false;
    EvaluationScope scope(doc);
    in->runQueuedExpressions();
    return true;
}

void LispModuleUnloaded(Module* m) {
    for (AcApDocument* doc : DocumentRegistry::all())
        if (LispInterpreter* in = DocumentLisp(doc)) in->undefineExternalsOf(m);
}

int LispCommandLine(const std::string& gbk) {
    AcApDocument* doc = DocumentRegistry::current();
    LispInterpreter* in = DocumentLisp(doc);
    if (!in) return RTERROR;
    EvaluationScope scope(doc);
    return in->evaluateCommandLine(CString(gbk));
}

int LispRunCommandFunction(const std::string& name) {
    AcApDocument* doc = DocumentRegistry::current();
    LispInterpreter* in = DocumentLisp(doc);
    std::string fn = "C:" + name;
    if (!in || !in->isFunction(fn.c_str())) return RTNONE;
    EvaluationScope scope(doc);
    // Typed as a command, the function is one undo step with the commands it runs.
    AcDbDatabase* db = doc ? doc->database() : nullptr;
    CommandStarted(db, name);
    resbuf* value = nullptr;
    int status = in->evaluate(CString("(" + fn + ")"), &value);
    acutRelRb(value);
    if (DocumentRegistry::isOpen(doc)) CommandEnded(db, name);
    return status == RTNORM ? RTNORM : RTERROR;
}

void ResetLispSession() { acadLspQueued = false; }

void InterruptEvaluation() {
    if (LispInterpreter* in = evaluating.load()) in->requestCancel();
}

}  // namespace NUVAcad

using NUVAcad::DocumentLisp;

namespace {

NUVAcad::Module* CallingModule(const void* returnAddress) {
    if (NUVAcad::Module* m = NUVAcad::CurrentModule()) return m;
    return NUVAcad::ModuleOfCode(returnAddress);
}

}  // namespace

int acedDefun(const char* name, int funcNumber) {
    NUVAcad::Module* m = CallingModule(__builtin_return_address(0));
    NUVAcad::LispInterpreter* in = DocumentLisp(acDocManager->curDocument());
    if (!m || !in || !name || !*name) return RTERROR;
    return in->defineExternal(name, funcNumber, m);
}

int acedUndef(const char* name, int funcNumber) {
    NUVAcad::LispInterpreter* in = DocumentLisp(acDocManager->curDocument());
    if (!in || !name) return RTERROR;
    return in->undefineExternal(name, funcNumber);
}

int acedInvoke(const resbuf* args, resbuf** result) {
    if (!result) return RTERROR;
    *result = nullptr;
    AcApDocument* doc = acDocManager->curDocument();
    NUVAcad::LispInterpreter* in = DocumentLisp(doc);
    if (!in || !args) return RTERROR;
    NUVAcad::EvaluationScope scope(doc);
    return in->invoke(args, result);
}

int acedPutSym(const char* name, resbuf* value) {
    NUVAcad::LispInterpreter* in = DocumentLisp(acDocManager->curDocument());
    return in ? in->putSymbol(name, value) : RTERROR;
}

int acedGetSym(const char* name, resbuf** value) {
    if (!value) return RTERROR;
    *value = nullptr;
    NUVAcad::LispInterpreter* in = DocumentLisp(acDocManager->curDocument());
    return in ? in->getSymbol(name, value) : RTERROR;
}

int ads_queueexpr(const char* expression) {
    NUVAcad::LispInterpreter* in = DocumentLisp(acDocManager->curDocument());
    if (!in || !expression) return RTERROR;
    in->queueExpression(CString(expression));
    return RTNORM;
}
