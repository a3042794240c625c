// The frame of a module function call: what acedGetFunCode, acedGetArgs and the acedRet
// functions read and write, one frame per call (calls nest when a function calls acedInvoke).
#include "acad/AdsFunctions.h"

#include <map>
#include <utility>
#include <vector>

#include "acad/AcApDocument.h"
#include "acad/HostInternal.h"
#include "acad/MessageLoop.h"

namespace NUVAcad {
namespace {

struct Frame {
    int code;
    const resbuf* args;
    resbuf* result = nullptr;  // null: nil
};
std::vector<Frame*> frames;

std::map<std::pair<const Module*, int>, int (*)()> registered;

int SetResult(resbuf* value) {
    if (frames.empty()) {
        acutRelRb(value);
        return RTERROR;
    }
    acutRelRb(frames.back()->result);
    frames.back()->result = value;
    return RTNORM;
}

}  // namespace

int CallModuleFunction(Module* m, int code, const resbuf* args, resbuf** result) {
    *result = nullptr;
    if (!m || !ModuleById(m)) return RSERR;
    Frame frame{code, args};
    frames.push_back(&frame);
    int status;
    auto handler = registered.find({m, code});
    if (handler != registered.end()) {
        ModuleScope scope(m);
        DocumentContextScope busy;
        int r;
        try {
            r = handler->second();
        } catch (...) {
            r = RTERROR;
        }
        status = r == RTNORM ? RSRSLT : RSERR;
    } else {
        AcRx::AppRetCode r = SendModuleMessage(m, AcRx::kInvkSubrMsg, acDocManager->curDocument());
        status = r == AcRx::kRetError ? RSERR : RSRSLT;
    }
    frames.pop_back();
    if (status == RSRSLT) *result = frame.result;
    else acutRelRb(frame.result);
    return status;
}

void ForgetRegisteredFunctions(const Module* m) {
    std::erase_if(registered, [m](const auto& entry) { return entry.first.first == m; });
}

}  // namespace NUVAcad

using NUVAcad::SetResult;

int acedGetFunCode() { return NUVAcad::frames.empty() ? -1 : NUVAcad::frames.back()->code; }

resbuf* acedGetArgs() { return NUVAcad::frames.empty() ? nullptr : const_cast<resbuf*>(NUVAcad::frames.back()->args); }

int acedRetVoid() { return SetResult(acutNewRb(RTVOID)); }
int acedRetNil() { return SetResult(acutNewRb(RTNIL)); }
int acedRetT() { return SetResult(acutNewRb(RTT)); }

int acedRetInt(int value) {
    // AutoLISP integers are 32 bits; the 16-bit form where it fits, as the host hands them out.
    if (value >= -32768 && value <= 32767) {
        resbuf* rb = acutNewRb(RTSHORT);
        rb->resval.rint = static_cast<short>(value);
        return SetResult(rb);
    }
    resbuf* rb = acutNewRb(RTLONG);
    rb->resval.rlong = value;
    return SetResult(rb);
}

int acedRetReal(ads_real value) {
    resbuf* rb = acutNewRb(RTREAL);
    rb->resval.rreal = value;
    return SetResult(rb);
}

int acedRetStr(const char* value) {
    resbuf* rb = acutNewRb(RTSTR);
    rb->resval.rstring = acutNewString(value ? value : "");
    return SetResult(rb);
}

int acedRetPoint(const ads_point value) {
    if (!value) return RTERROR;
    resbuf* rb = acutNewRb(RT3DPOINT);
    for (int i = 0; i < 3; ++i) rb->resval.rpoint[i] = value[i];
    return SetResult(rb);
}

int acedRetName(const ads_name value, int type) {
    if (!value || (type != RTENAME && type != RTPICKS)) return RTERROR;
    resbuf* rb = acutNewRb(type);
    rb->resval.rlname[0] = value[0];
    rb->resval.rlname[1] = value[1];
    return SetResult(rb);
}

int acedRetList(const resbuf* list) {
    // A list is handed back between RTLB and RTLE; an empty one is nil.
    if (!list) return acedRetNil();
    resbuf* head = acutNewRb(RTLB);
    head->rbnext = acutCopyRb(list);
    resbuf* tail = head;
    while (tail->rbnext) tail = tail->rbnext;
    tail->rbnext = acutNewRb(RTLE);
    return SetResult(head);
}

int acedRetVal(const resbuf* value) {
    if (!value) return RTERROR;
    // A list value runs from its RTLB to the matching RTLE.
    const resbuf* last = value;
    if (value->restype == RTLB) {
        int depth = 0;
        for (last = value; last; last = last->rbnext) {
            if (last->restype == RTLB) ++depth;
            else if (last->restype == RTLE && --depth == 0) break;
        }
        if (!last) return RTERROR;
    }
    resbuf* copy = nullptr;
    resbuf** tail = &copy;
    for (const resbuf* rb = value;; rb = rb->rbnext) {
        resbuf one = *rb;
        one.rbnext = nullptr;
        *tail = acutCopyRb(&one);
        tail = &(*tail)->rbnext;
        if (rb == last) break;
    }
    return SetResult(copy);
}

int acedRegFunc(int (*handler)(), int funcNumber) {
    NUVAcad::Module* m = NUVAcad::CurrentModule();
    if (!m) m = NUVAcad::ModuleOfCode(reinterpret_cast<const void*>(handler));
    if (!m) return RTERROR;
    if (handler) NUVAcad::registered[{m, funcNumber}] = handler;
    else NUVAcad::registered.erase({m, funcNumber});
    return RTNORM;
}
