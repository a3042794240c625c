// The NUV command group.
#include "frame/Commands.h"

#include <vector>

#include "ZQCAD/ZQCAD.h"
#include "acad/AcEd.h"
#include "frame/Banner.h"
#include "frame/Slide.h"

namespace NUV {
namespace {

// Transparent and using the pick set, as the suite's commands have always been registered.
constexpr int kFlags = ACRX_CMD_TRANSPARENT | ACRX_CMD_USEPICKSET;

bool IsHostDictionary(const char* name) {
    CString n(name ? name : "");
    return n.Left(4).CompareNoCase("ACAD") == 0 || n.Left(4).CompareNoCase("ACDB") == 0;
}

// The extended records of a dictionary (and, with `depth`, of its non-host sub-dictionaries).
void CollectRecords(const AcDbDictionary* dict, int depth, AcDbObjectIdArray& ids) {
    AcDbDictionaryIterator* it = dict->newIterator();
    for (; !it->done(); it->next()) {
        AcDbObject* obj = nullptr;
        if (it->getObject(obj, AcDb::kForRead) != Acad::eOk) continue;
        if (AcDbXrecord::cast(obj)) {
            ids.append(it->objectId());
        } else if (auto* sub = AcDbDictionary::cast(obj); sub && depth > 0 && !IsHostDictionary(it->name())) {
            CollectRecords(sub, depth - 1, ids);
        }
        obj->close();
    }
    delete it;
}

void KernelCommand() { PrintKernelBanner(); }

// Giving ClearDwg the action its banner line describes: without it a drawing's own settings
// could never go back to the user's defaults.
void ClearDwgCommand() {
    int n = ClearDrawingRecords(ZQ::GetCurDWGPtr());
    if (n >= 0) acutPrintf(NUV_GBK("\n已清除 %d 个扩展记录。"), n);
}

void SlideCommand() { MakeDrawingSlide(); }

}  // namespace

void RegisterKernelCommands() {
    AcEdCommandStack* stack = acedRegCmds;
    stack->addCommand(kCommandGroup, "NUVKERNEL", "NUVKERNEL", kFlags, KernelCommand);
    stack->addCommand(kCommandGroup, "ClearDwg", "ClearDwg", kFlags, ClearDwgCommand);
    stack->addCommand(kCommandGroup, "MSld", "MSld", kFlags, SlideCommand);
}

void RemoveKernelCommands() { acedRegCmds->removeGroup(kCommandGroup); }

int ClearDrawingRecords(AcDbDatabase* db) {
    if (!db) return -1;
    AcDbDictionary* nod = nullptr;
    if (db->getNamedObjectsDictionary(nod, AcDb::kForRead) != Acad::eOk) return -1;
    AcDbObjectIdArray ids;
    CollectRecords(nod, 1, ids);
    nod->close();
    return ZQ::Erase(ids);
}

}  // namespace NUV
