// nuvdemo.arx: a module to try the host with. It registers the command DUCTS (the duct runs of
// the drawing: lines on layers whose names begin with "DUCT") and the AutoLISP functions
//   (duct-velocity flow a b)  air velocity in m/s for a flow in m3/h through an a x b mm duct
//   (duct-dv a b)             the velocity-equivalent diameter of an a x b mm duct, in mm
//   (duct-runs)               the lengths of the drawing's duct runs, a list of reals
#include <cmath>
#include <string>
#include <strings.h>
#include <vector>

#include "acad/AcDb.h"
#include "acad/AcEd.h"
#include "hydraulics/Friction.h"

namespace {

enum { kVelocity = 1, kEquivalentDiameter, kRuns };

// Lengths of the lines on DUCT* layers in the current drawing's model space.
std::vector<double> DuctRuns() {
    std::vector<double> runs;
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    if (!db) return runs;
    AcDbBlockTableRecord* ms = nullptr;
    if (acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForRead) != Acad::eOk) return runs;
    AcDbBlockTableRecordIterator* it = nullptr;
    ms->newIterator(it);
    for (; !it->done(); it->step()) {
        AcDbEntity* e = nullptr;
        if (it->getEntity(e, AcDb::kForRead) != Acad::eOk) continue;
        if (auto* line = AcDbLine::cast(e)) {
            char* layer = e->layer();
            if (layer && ::strncasecmp(layer, "DUCT", 4) == 0)
                runs.push_back(line->startPoint().distanceTo(line->endPoint()));
            acutDelString(layer);
        }
        e->close();
    }
    delete it;
    ms->close();
    return runs;
}

void Ducts() {
    std::vector<double> runs = DuctRuns();
    double total = 0;
    for (double r : runs) total += r;
    AcApDocument* doc = curDoc();
    acutPrintf("\n%s: %d duct runs, %.1f m in all", doc ? doc->docTitle() : "-", static_cast<int>(runs.size()),
               total / 1000.0);
}

// The numbers among the arguments, or false when there are not `count` of them.
bool Numbers(int count, double* out) {
    int n = 0;
    for (resbuf* rb = acedGetArgs(); rb; rb = rb->rbnext) {
        if (n == count) return false;
        if (rb->restype == RTSHORT) out[n++] = rb->resval.rint;
        else if (rb->restype == RTLONG) out[n++] = static_cast<double>(rb->resval.rlong);
        else if (rb->restype == RTREAL) out[n++] = rb->resval.rreal;
        else return false;
    }
    return n == count;
}

int Dispatch() {
    double v[3];
    switch (acedGetFunCode()) {
    case kVelocity:
        if (!Numbers(3, v) || v[1] <= 0 || v[2] <= 0) {
            acedPrompt("\n(duct-velocity flow-m3/h a-mm b-mm)");
            return acedRetNil();
        }
        return acedRetReal(NUV::V_Square(v[0] / 3600.0, v[1] / 1000.0, v[2] / 1000.0));
    case kEquivalentDiameter:
        if (!Numbers(2, v) || v[0] <= 0 || v[1] <= 0) {
            acedPrompt("\n(duct-dv a-mm b-mm)");
            return acedRetNil();
        }
        return acedRetReal(NUV::D_V(v[0], v[1]));
    case kRuns: {
        std::vector<double> runs = DuctRuns();
        resbuf* head = nullptr;
        resbuf** tail = &head;
        for (double r : runs) {
            *tail = acutNewRb(RTREAL);
            (*tail)->resval.rreal = r;
            tail = &(*tail)->rbnext;
        }
        int status = acedRetList(head);
        acutRelRb(head);
        return status;
    }
    default: return RSERR;
    }
}

}  // namespace

extern "C" AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* appId) {
    switch (msg) {
    case AcRx::kInitAppMsg:
        acrxDynamicLinker->unlockApplication(appId);
        acrxDynamicLinker->registerAppMDIAware(appId);
        acedRegCmds->addCommand("NUVDEMO", "DUCTS", "DUCTS", ACRX_CMD_MODAL, Ducts);
        break;
    case AcRx::kLoadDwgMsg:
        acedDefun("duct-velocity", kVelocity);
        acedDefun("duct-dv", kEquivalentDiameter);
        acedDefun("duct-runs", kRuns);
        break;
    case AcRx::kInvkSubrMsg: return Dispatch() == RSERR ? AcRx::kRetError : AcRx::kRetOK;
    case AcRx::kUnloadAppMsg: acedRegCmds->removeGroup("NUVDEMO"); break;
    default: break;
    }
    return AcRx::kRetOK;
}
