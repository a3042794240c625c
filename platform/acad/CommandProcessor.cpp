// The command dispatcher, the command loop and acedCommand.
#include "acad/CommandProcessor.h"

#include <cmath>
#include <cstdarg>
#include <optional>
#include <vector>

#include "acad/AcApDocument.h"
#include "acad/AcEdCommandStack.h"
#include "acad/AcEdOutput.h"
#include "acad/BuiltinCommands.h"
#include "acad/HostInternal.h"
#include "acad/HostLisp.h"
#include "acad/MessageLoop.h"
#include "acad/SysVars.h"
#include "acad/UndoLog.h"

namespace NUVAcad {
namespace {

struct Running {
    std::string name;
    bool transparent;
};
std::vector<Running> running;
std::string lastCommand;
bool quitRequested = false;
int quitStatus = 0;

const InputRequest kCommandPrompt{"\nCommand: ", InputRequest::Level::Command, false};

struct Typed {
    std::string name;
    bool global = false;
    bool builtinOnly = false;
    bool transparent = false;
};

Typed ParseTyped(const std::string& typed) {
    Typed t;
    std::size_t i = 0;
    for (; i < typed.size(); ++i) {
        if (typed[i] == '_') t.global = true;
        else if (typed[i] == '.') t.builtinOnly = true;
        else if (typed[i] == '\'') t.transparent = true;
        else break;
    }
    t.name = typed.substr(i);
    return t;
}

// Marks a command running in the current document for its lifetime.
// A session command typed at the command prompt stays in the application context.
class RunningScope {
public:
    RunningScope(const std::string& name, bool transparent, bool session = false)
        : doc_(session ? nullptr : acDocManager->curDocument()), name_(name) {
        running.push_back({name, transparent});
        if (doc_) ++doc_->state().busy;
        if (doc_) CommandStarted(doc_->database(), name_);  // one undo step per command
        if (!session) busy_.emplace();
    }
    ~RunningScope() {
        running.pop_back();
        if (doc_ && DocumentRegistry::isOpen(doc_)) {
            --doc_->state().busy;
            CommandEnded(doc_->database(), name_);
        }
    }

private:
    AcApDocument* doc_;
    std::string name_;
    std::optional<DocumentContextScope> busy_;
};

int RunModuleCommand(const AcEdCommand* cmd, const std::string& shownName) {
    AcRxFunctionPtr function = cmd->functionAddr();
    Module* m = ModuleById(cmd->commandApp());
    bool transparent = (cmd->commandFlags() & ACRX_CMD_TRANSPARENT) != 0;
    unsigned long cancelsBefore = CancelCount();
    {
        RunningScope scope(shownName, transparent);
        ModuleScope moduleScope(m);
        try {
            function();
        } catch (...) {
            acutPrintf("\nCommand %s failed: an exception escaped it.\n", shownName.c_str());
            return RTERROR;
        }
    }
    return CancelCount() > cancelsBefore ? RTCAN : RTNORM;
}

int RunBuiltin(const BuiltinCommand& cmd) {
    std::function<int()> run = cmd.run;  // the command may replace its own entry
    std::string name = cmd.name;
    unsigned long cancelsBefore = CancelCount();
    int status;
    {
        RunningScope scope(name, (cmd.flags & ACRX_CMD_TRANSPARENT) != 0, cmd.session && IsApplicationContext());
        try {
            status = run ? run() : RTERROR;
        } catch (...) {
            acutPrintf("\nCommand %s failed: an exception escaped it.\n", name.c_str());
            return RTERROR;
        }
    }
    if (status == RTNORM && CancelCount() > cancelsBefore) status = RTCAN;
    return status;
}

const AcEdCommand* LookupModuleCommand(const std::string& name, bool global) {
    AcEdCommandStack* stack = acedRegCmds;
    if (!stack) return nullptr;
    if (global) return stack->lookupGlobalCmd(name.c_str());
    if (const AcEdCommand* c = stack->lookupLocalCmd(name.c_str())) return c;
    return stack->lookupGlobalCmd(name.c_str());
}

}  // namespace

int RunCommand(const std::string& typed) {
    Typed t = ParseTyped(typed);
    if (t.name.empty()) return RTERROR;
    std::vector<std::string> candidates{t.name};
    if (t.name.size() > 1 && t.name[0] == '-') candidates.push_back(t.name.substr(1));
    const bool inside = !running.empty();
    auto refuseTransparent = [&](const std::string& name) {
        acutPrintf("\n** %s cannot be used inside another command **", name.c_str());
        return RTERROR;
    };
    for (const std::string& name : candidates) {
        if (!t.builtinOnly) {
            if (const AcEdCommand* c = LookupModuleCommand(name, t.global)) {
                if (t.transparent && inside && !(c->commandFlags() & ACRX_CMD_TRANSPARENT)) return refuseTransparent(name);
                if (!inside) lastCommand = typed;
                return RunModuleCommand(c, c->globalName());
            }
        }
        if (const BuiltinCommand* b = FindBuiltinCommand(name.c_str())) {
            if (t.transparent && inside && !(b->flags & ACRX_CMD_TRANSPARENT)) return refuseTransparent(name);
            if (!inside) lastCommand = typed;
            return RunBuiltin(*b);
        }
        if (!t.builtinOnly) {
            int status = LispRunCommandFunction(name);
            if (status != RTNONE) {
                if (!inside) lastCommand = typed;
                return status;
            }
        }
    }
    acutPrintf("\nUnknown command \"%s\".", t.name.c_str());
    return RTERROR;
}

int ExecuteCommandInput(const Input& in) {
    switch (in.kind) {
    case Input::Kind::Text:
        if (in.text[0] == '(' || in.text[0] == '!') return LispCommandLine(in.text);
        return RunCommand(in.text);
    case Input::Kind::Enter:
        if (lastCommand.empty()) return RTNORM;
        return RunCommand(lastCommand);
    case Input::Kind::Cancel:
        if (!in.shown) acutPrintf("*Cancel*");  // a terminal or an echo has shown it already
        return RTCAN;
    case Input::Kind::End: return RTNONE;
    default:
        acutPrintf("\n%s is not a command.", in.display().c_str());
        return RTERROR;
    }
}

int RunCommandLoop() {
    while (!quitRequested) {
        RunIdleTasks();
        if (quitRequested) break;
        Input in = ReadInput(kCommandPrompt);
        if (in.is(Input::Kind::End)) break;
        ExecuteCommandInput(in);
    }
    return quitRequested ? quitStatus : 0;
}

void RequestQuit(int status) {
    quitRequested = true;
    quitStatus = status;
}

bool QuitRequested() { return quitRequested; }

void ClearQuit() {
    quitRequested = false;
    quitStatus = 0;
    lastCommand.clear();
}

int CommandDepth() { return static_cast<int>(running.size()); }

std::string ActiveCommandNames() {
    std::string out;
    for (const Running& r : running) {
        if (!out.empty()) out += '\'';
        out += r.name;
    }
    return out;
}

bool TransparentCommandActive() {
    for (const Running& r : running)
        if (r.transparent && &r != &running.front()) return true;
    return false;
}

// ---- acedCommand ----

namespace {

const char* const kPause = "\\";

// acedCommand's arguments as answers; a pause hands one answer over to the sources below.
class CommandArguments : public InputSource {
public:
    explicit CommandArguments(std::vector<Input> answers) : answers_(std::move(answers)) {}
    Input read(const InputRequest& request) override {
        Input in = std::move(answers_[next_++]);
        if (in.is(Input::Kind::Text) && in.text == kPause) return ReadInputBelow(this, request);
        return in;
    }
    bool exhausted() const override { return next_ >= answers_.size(); }
    bool echoes() const override { return CommandEcho(); }

private:
    std::vector<Input> answers_;
    std::size_t next_ = 0;
};

int RunArguments(std::vector<Input> answers) {
    CommandArguments args(std::move(answers));
    InputScope scope(args);
    unsigned long cancelsBefore = CancelCount();
    int status = RTNORM;
    while (!args.exhausted() && status != RTERROR) {
        Input in = args.read(kCommandPrompt);
        if (args.echoes()) {
            WriteOutput(kCommandPrompt.prompt);
            WriteOutput(in.display() + "\n");
        }
        if (in.is(Input::Kind::Enter)) continue;  // Enter at the command prompt does nothing here
        int r = ExecuteCommandInput(in);
        if (r == RTERROR) status = RTERROR;
    }
    if (status == RTNORM && CancelCount() > cancelsBefore) status = RTCAN;
    return status;
}

// One argument of acedCommand / acedCmd; false for a code it does not take.
bool ToInput(int code, const resbuf* rb, Input& out) {
    switch (code) {
    case RTSTR: out = Input::ofText(rb->resval.rstring ? rb->resval.rstring : ""); return true;
    case RTPOINT: out = Input::ofPoint(rb->resval.rpoint[0], rb->resval.rpoint[1], 0); return true;
    case RT3DPOINT: out = Input::ofPoint(rb->resval.rpoint[0], rb->resval.rpoint[1], rb->resval.rpoint[2]); return true;
    case RTREAL: out = Input::ofReal(rb->resval.rreal); return true;
    case RTANG: out = Input::ofReal(rb->resval.rreal * 180.0 / M_PI); return true;
    case RTSHORT: out = Input::ofInteger(rb->resval.rint); return true;
    case RTLONG: out = Input::ofInteger(static_cast<int>(rb->resval.rlong)); return true;
    case RTENAME: out = Input::ofEntity(rb->resval.rlname, nullptr); return true;
    case RTPICKS: out = Input::ofSelectionSet(rb->resval.rlname); return true;
    case RTNONE: out = Input::enter(); return true;
    default: return false;
    }
}

}  // namespace

}  // namespace NUVAcad

int acedCommand(int rtype, ...) {
    using namespace NUVAcad;
    std::vector<Input> answers;
    va_list ap;
    va_start(ap, rtype);
    for (int code = rtype; code != 0; code = va_arg(ap, int)) {
        resbuf rb{};
        switch (code) {
        case RTSTR: rb.resval.rstring = const_cast<char*>(va_arg(ap, const char*)); break;
        case RTPOINT:
        case RT3DPOINT: {
            const double* p = va_arg(ap, const double*);
            for (int i = 0; i < 3; ++i) rb.resval.rpoint[i] = p ? p[i] : 0.0;
            break;
        }
        case RTREAL:
        case RTANG: rb.resval.rreal = va_arg(ap, double); break;
        case RTSHORT: rb.resval.rint = static_cast<short>(va_arg(ap, int)); break;
        case RTLONG: rb.resval.rlong = va_arg(ap, long); break;
        case RTENAME:
        case RTPICKS: {
            const long* n = va_arg(ap, const long*);
            rb.resval.rlname[0] = n ? n[0] : 0;
            rb.resval.rlname[1] = n ? n[1] : 0;
            break;
        }
        case RTNONE: break;
        default:
            va_end(ap);
            return RTERROR;
        }
        Input in;
        ToInput(code, &rb, in);
        answers.push_back(std::move(in));
    }
    va_end(ap);
    return RunArguments(std::move(answers));
}

int acedCmd(const resbuf* rbp) {
    using namespace NUVAcad;
    std::vector<Input> answers;
    for (const resbuf* rb = rbp; rb; rb = rb->rbnext) {
        Input in;
        if (!ToInput(rb->restype, rb, in)) return RTERROR;
        answers.push_back(std::move(in));
    }
    return RunArguments(std::move(answers));
}
