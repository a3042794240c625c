// Slides of the current drawing through the host's own ZOOM and MSLIDE commands.
#include "frame/Slide.h"

#include "ZQCAD/ZQCAD.h"
#include "ZQSoft/ZQSoft.h"
#include "acad/AcEd.h"
#include "acad/AcEdSelectionSet.h"
#include "acad/AcutGeom.h"
#include "win/FileSystem.h"

namespace NUV {

void MakeDrawingSlide() {
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    if (!db) return;
    const char* fileName = db->filename();
    if (!fileName || !*fileName) return;
    const CString base = ZQ::GetFilePath(fileName) + ZQ::GetFileTitle(fileName);

    ads_name all;
    if (acedSSGet("X", nullptr, nullptr, nullptr, all) != RTNORM) {
        acutPrintf("%s", static_cast<LPCSTR>(NUV_GBK("\n***放弃选择***")));
        return;
    }
    ads_point lo, hi;
    if (!ZQ::GetEntBound(all, lo, hi)) {
        acedSSFree(all);
        return;
    }
    // 5 % of the diagonal beyond each corner; the second step is measured after the first, as
    // the suite's slides have always been framed.
    ads_point newLo, newHi;
    acutPolar(lo, acutAngle(hi, lo), acutDistance(lo, hi) * 0.05, newLo);
    acutPolar(hi, acutAngle(newLo, hi), acutDistance(newLo, hi) * 0.05, newHi);
    acedCommand(RTSTR, "ZOOM", RTSTR, "W", RTPOINT, newLo, RTPOINT, newHi, 0);

    const CString slide = base + ".sld";
    char found[MAX_PATH];
    if (acedFindFile(slide, found) == RTNORM) NUVWin::DeleteFile(found);
    acedCommand(RTSTR, "MSLIDE", RTSTR, static_cast<const char*>(slide), 0);
    acedSSFree(all);
}

}  // namespace NUV
