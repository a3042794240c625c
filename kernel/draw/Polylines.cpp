// The polyline builder. Messages are the suite's own Chinese texts, kept in GBK.
#include "draw/Polylines.h"

#include <new>

#include "acad/AcutGeom.h"
#include "acad/AcEd.h"

namespace NUV {

namespace {

// "\n创建Polyline错误！" and friends, in GBK.
constexpr const char* kMsgCreate = "\n\xB4\xB4\xBD\xA8Polyline\xB4\xED\xCE\xF3\xA3\xA1";
constexpr const char* kMsgBlockTable = "\n\xC8\xA1\xBF\xE9\xB1\xED\xBC\xC7\xC2\xBC\xB4\xED\xCE\xF3\xA3\xA1";
constexpr const char* kMsgModelSpace =
    "\n\xC8\xA1\xC4\xA3\xD0\xCD\xBF\xD5\xBC\xE4\xBC\xC7\xC2\xBC\xB4\xED\xCE\xF3\xA3\xA1";
constexpr const char* kMsgAppend = "\n\xCC\xED\xBC\xD3\xCA\xB5\xCC\xE5\xB4\xED\xCE\xF3\xA3\xA1";

}  // namespace

int CreatePline(AcGePoint3dArray points, AcDbObjectId& id, int closed, const char* linetype, double linetypeScale,
                double width, short color) {
    auto* pline = new (std::nothrow) AcDbPolyline(static_cast<unsigned>(points.length()));
    if (!pline) {
        acutPrintf("%s", kMsgCreate);
        return 0;
    }
    for (int i = 0; i < points.length(); ++i)
        pline->addVertexAt(static_cast<unsigned>(i), AcGePoint2d(points[i].x, points[i].y), 0.0, width, width);
    if (closed && points.length() > 0) {
        const AcGePoint3d& first = points.first();
        const AcGePoint3d& last = points.last();
        ads_point a = {first.x, first.y, first.z}, b = {last.x, last.y, last.z};
        if (acutDistance(a, b) > 0.01)
            pline->addVertexAt(pline->numVerts(), AcGePoint2d(first.x, first.y), 0.0, width, width);
    }
    if (linetype) {
        if (pline->setLinetype(linetype) == Acad::eKeyNotFound) {
            // Not in the drawing yet: load it from the default linetype file, then try again.
            acedCommand(RTSTR, "Linetype", RTSTR, "L", RTSTR, linetype, RTSTR, "", RTSTR, "", 0);
            pline->setLinetype(linetype);
        }
    }
    pline->setLinetypeScale(linetypeScale);
    pline->setColorIndex(color);

    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    AcDbBlockTable* table = nullptr;
    if (!db || db->getBlockTable(table, AcDb::kForRead) != Acad::eOk) {
        acutPrintf("%s", kMsgBlockTable);
        delete pline;
        return 0;
    }
    AcDbBlockTableRecord* model = nullptr;
    Acad::ErrorStatus es = table->getAt(ACDB_MODEL_SPACE, model, AcDb::kForWrite);
    table->close();
    if (es != Acad::eOk) {
        acutPrintf("%s", kMsgModelSpace);
        delete pline;
        return 0;
    }
    es = model->appendAcDbEntity(id, pline);
    model->close();
    if (es != Acad::eOk) {
        acutPrintf("%s", kMsgAppend);
        delete pline;
        return 0;
    }
    pline->close();
    return 1;
}

}  // namespace NUV
