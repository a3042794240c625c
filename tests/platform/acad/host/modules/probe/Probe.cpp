// A test module that reports every message the host sends it on the command line, registers
// commands and defines AutoLISP functions. Built twice (probe.arx, probe2.arx) with its own tag
// and command group. Environment knobs: PROBE_INIT_FAIL (initialisation fails), PROBE_LOCKED
// (stays locked), PROBE_OPEN (the drawing PROBEOPEN and (probe-open) open).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "acad/AcEd.h"

namespace {

const char* const kTag = PROBE_TAG;
int counter = 0;

std::string DocName() {
    AcApDocument* d = curDoc();
    return d ? d->docTitle() : "-";
}

void Say(const std::string& text) { acutPrintf("[%s] %s\n", kTag, text.c_str()); }

void Hello() { Say("hello in " + DocName()); }

void Shared() { Say("shared"); }

void Ask() {
    NUVAcad::Input in = NUVAcad::ReadInput(NUVAcad::InputRequest{"\nProbe answer: ", NUVAcad::InputRequest::Level::Prompt, false});
    const char* kinds[] = {"text", "enter", "cancel", "point", "real", "integer", "entity", "set", "end"};
    Say(std::string("answer ") + kinds[static_cast<int>(in.kind)] + " " + in.display());
}

void Nested() {
    int status = acedCommand(RTSTR, "PROBEHELLO", 0);
    Say("nested " + std::to_string(status));
}

void RemoveSelf() {
    acedRegCmds->removeGroup(PROBE_GROUP);
    Say("group removed");
}

void Throws() { throw 42; }

// The detour a module takes to open a drawing from a command or an AutoLISP function: a timer on
// the document window, whose callback runs between commands.
void OpenLater(HWND hwnd, UINT, UINT_PTR id, DWORD tick) {
    KillTimer(hwnd, id);
    const char* path = std::getenv("PROBE_OPEN");
    try {
        IAcadApplicationPtr app = IDispatchPtr(acedGetIDispatch(false));
        IAcadDocumentPtr doc = app->GetDocuments()->Open(_bstr_t(path ? path : ""));
        AcAxDocLock lock(doc->document()->database(), AcAxDocLock::kCurDocSwitch);
        if (lock.lockStatus() == Acad::eOk) doc->Activate();
        Say(std::string("opened ") + static_cast<const char*>(doc->GetName()) + " at " + std::to_string(tick) +
            " lock " + std::to_string(lock.lockStatus()));
    } catch (const _com_error& e) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "timer open failed 0x%08X", static_cast<unsigned>(e.Error()));
        Say(buf);
    }
}

void OpenInCommand() {
    const char* path = std::getenv("PROBE_OPEN");
    Say("direct " + std::to_string(acDocManager->appContextOpenDocument(path)));
    try {
        IAcadApplicationPtr app = IDispatchPtr(acedGetIDispatch(false));
        app->GetDocuments()->Open(_bstr_t(path ? path : ""));
        Say("automation opened");
    } catch (const _com_error& e) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "automation 0x%08X", static_cast<unsigned>(e.Error()));
        Say(buf);
    }
    SetTimer(adsw_acadDocWnd(), 2, 100, OpenLater);
    Say("timer set");
}

struct Function {
    const char* name;
    int code;
};
const Function kFunctions[] = {
    {"probe-add", 1}, {"probe-echo", 2}, {"probe-fail", 3}, {"probe-void", 4},
    {"probe-types", 5}, {"probe-count", 6}, {"probe-open", 7}, {"probe-doc", 8}, {"probe-direct", 9},
};

// Registered with acedRegFunc: the host calls it directly, without kInvkSubrMsg.
int Direct() {
    Say("direct call");
    return acedRetStr("direct") == RTNORM && acedGetFunCode() == 9 ? RTNORM : RTERROR;
}

// (probe-add n ...): the sum, integer when every argument is one. (probe-echo ...): the
// arguments as a list. (probe-types ...): their resbuf types. (probe-count): 1, 2, 3, ...
int Dispatch() {
    resbuf* args = acedGetArgs();
    switch (acedGetFunCode()) {
    case 1: {
        long long sum = 0;
        double real = 0;
        bool isReal = false;
        for (resbuf* rb = args; rb; rb = rb->rbnext) {
            if (rb->restype == RTSHORT) sum += rb->resval.rint;
            else if (rb->restype == RTLONG) sum += rb->resval.rlong;
            else if (rb->restype == RTREAL) {
                real += rb->resval.rreal;
                isReal = true;
            } else return RSERR;
        }
        return isReal ? acedRetReal(real + static_cast<double>(sum)) : acedRetInt(static_cast<int>(sum));
    }
    case 2: return acedRetList(args);
    case 3: return RSERR;
    case 4: return acedRetVoid();
    case 5: {
        resbuf* head = nullptr;
        resbuf** tail = &head;
        for (resbuf* rb = args; rb; rb = rb->rbnext) {
            *tail = acutNewRb(RTSHORT);
            (*tail)->resval.rint = rb->restype;
            tail = &(*tail)->rbnext;
        }
        int r = acedRetList(head);
        acutRelRb(head);
        return r;
    }
    case 6: return acedRetInt(++counter);
    case 7:
        SetTimer(adsw_acadDocWnd(), 2, 100, OpenLater);
        return acedRetVoid();
    case 8: return acedRetStr(DocName().c_str());
    default: return RSERR;
    }
}

}  // namespace

extern "C" AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* appId) {
    switch (msg) {
    case AcRx::kInitAppMsg: {
        Say("init");
        if (!std::getenv("PROBE_LOCKED")) acrxDynamicLinker->unlockApplication(appId);
        acrxDynamicLinker->registerAppMDIAware(appId);
        AcEdCommandStack* stack = AcEdCommandStack::cast(acrxSysRegistry()->at(ACRX_COMMAND_DOCK));
        std::string tag = kTag;
        for (char& c : tag) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        stack->addCommand(PROBE_GROUP, (tag + "HELLO").c_str(), (tag + "HI").c_str(), ACRX_CMD_MODAL, Hello);
        stack->addCommand(PROBE_GROUP, "SHARED", "SHARED", ACRX_CMD_MODAL, Shared);
        stack->addCommand(PROBE_GROUP, (tag + "ASK").c_str(), (tag + "ASK").c_str(), ACRX_CMD_MODAL, Ask);
        stack->addCommand(PROBE_GROUP, (tag + "NESTED").c_str(), (tag + "NESTED").c_str(), ACRX_CMD_MODAL, Nested);
        stack->addCommand(PROBE_GROUP, (tag + "REMOVE").c_str(), (tag + "REMOVE").c_str(), ACRX_CMD_MODAL, RemoveSelf);
        stack->addCommand(PROBE_GROUP, (tag + "THROW").c_str(), (tag + "THROW").c_str(), ACRX_CMD_MODAL, Throws);
        stack->addCommand(PROBE_GROUP, (tag + "OPEN").c_str(), (tag + "OPEN").c_str(), ACRX_CMD_MODAL, OpenInCommand);
        stack->addCommand(PROBE_GROUP, (tag + "SEE").c_str(), (tag + "SEE").c_str(), ACRX_CMD_TRANSPARENT, Hello);
        return std::getenv("PROBE_INIT_FAIL") ? AcRx::kRetError : AcRx::kRetOK;
    }
    case AcRx::kLoadDwgMsg:
        Say("load " + DocName());
        for (const Function& f : kFunctions)
            if (acedDefun(f.name, f.code) != RTNORM) Say(std::string("defun failed ") + f.name);
        acedRegFunc(Direct, 9);
        return AcRx::kRetOK;
    case AcRx::kUnloadDwgMsg: Say("unload-dwg " + DocName()); return AcRx::kRetOK;
    case AcRx::kInvkSubrMsg:
        if (acedGetFunCode() == 9) Say("code 9 through the entry point");
        return Dispatch() == RSERR ? AcRx::kRetError : AcRx::kRetOK;
    case AcRx::kUnloadAppMsg:
        acedRegCmds->removeGroup(PROBE_GROUP);
        Say("unload");
        return AcRx::kRetOK;
    default: return AcRx::kRetOK;
    }
}
