// Box blocks. Faces are made before the record so that a record is only created when there is
// something to put in it; each face keeps the corner order of kFaces (the order decides each
// face's normal and its edges in the drawing).
#include "draw/BoxBlocks.h"

#include <new>
#include <vector>

#include "draw/BlockRecords.h"
#include "draw/Meshes.h"

namespace NUV {

namespace {

struct FaceSpec {
    unsigned long bit;
    // Offsets of the four corners as multiples of (dx, dy, dz).
    int corner[4][3];
};

constexpr FaceSpec kFaces[] = {
    {1, {{0, 0, 1}, {0, 1, 1}, {1, 1, 1}, {1, 0, 1}}},   // top
    {2, {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}}},   // bottom
    {4, {{1, 0, 0}, {1, 0, 1}, {1, 1, 1}, {1, 1, 0}}},   // side x = dx
    {8, {{0, 0, 0}, {0, 0, 1}, {0, 1, 1}, {0, 1, 0}}},   // side x = 0
    {16, {{0, 0, 0}, {0, 0, 1}, {1, 0, 1}, {1, 0, 0}}},  // side y = 0
    {32, {{0, 1, 0}, {0, 1, 1}, {1, 1, 1}, {1, 1, 0}}},  // side y = dy
};

void ApplyLook(AcDbEntity* ent, int color, const char* layer) {
    ent->setColorIndex(color);
    if (layer) ent->setLayer(layer);
}

}  // namespace

Acad::ErrorStatus CreateBoxBlockRecord(AcDbObjectId& recordId, AcGePoint3d base, double dx, double dy, double dz,
                                       int color, const char* layer, unsigned long faces) {
    std::vector<AcDbPolyFaceMesh*> meshes;
    for (const FaceSpec& f : kFaces) {
        if (!(faces & f.bit)) continue;
        AcGePoint3dArray pts;
        for (const auto& c : f.corner) pts.append(AcGePoint3d(base.x + c[0] * dx, base.y + c[1] * dy, base.z + c[2] * dz));
        meshes.push_back(CreatePolyFaceMesh(pts));
    }
    auto deleteAll = [&meshes] {
        for (AcDbPolyFaceMesh* m : meshes) delete m;
    };
    for (AcDbPolyFaceMesh* m : meshes) {
        if (!m) {
            deleteAll();
            return Acad::eOutOfMemory;
        }
    }

    int existed = 0;
    AcDbBlockTableRecord* rec = CreateBlockTableRecord(nullptr, existed, nullptr);
    if (!rec) {
        deleteAll();
        return Acad::eNullObjectPointer;
    }
    recordId = rec->objectId();

    Acad::ErrorStatus failed = Acad::eOk;
    for (AcDbPolyFaceMesh* m : meshes) {
        if (Acad::ErrorStatus es = rec->appendAcDbEntity(m); es != Acad::eOk) {
            delete m;
            failed = es;
            continue;
        }
        ApplyLook(m, color, layer);
        m->close();
    }
    if (failed != Acad::eOk) rec->erase();
    rec->close();
    return failed;
}

Acad::ErrorStatus AddBoxToBlockRecord(const AcDbObjectId& target, AcDbObjectId& refId, AcGePoint3d base, double dx,
                                      double dy, double dz, int color, const char* layer, unsigned long faces) {
    if (target.isNull()) return Acad::eNullObjectId;
    AcDbObjectId box;
    if (Acad::ErrorStatus es = CreateBoxBlockRecord(box, base, dx, dy, dz, color, layer, faces); es != Acad::eOk)
        return es;
    auto* ref = new (std::nothrow) AcDbBlockReference(AcGePoint3d::kOrigin, box);
    if (!ref) return Acad::eOutOfMemory;
    if (layer) ref->setLayer(layer);
    if (Acad::ErrorStatus es = InsertEntToBlockRecord(ref, target, refId); es != Acad::eOk) {
        delete ref;
        return es;
    }
    ref->close();
    return Acad::eOk;
}

Acad::ErrorStatus AddBoxToBlockRecord(const AcDbObjectId& target, AcGePoint3d base, double dx, double dy, double dz,
                                      int color, const char* layer, unsigned long faces) {
    AcDbObjectId refId;
    return AddBoxToBlockRecord(target, refId, base, dx, dy, dz, color, layer, faces);
}

Acad::ErrorStatus Create3DWindPipeBlockRecord(AcDbObjectId& recordId, AcGePoint3d base, double dx, double dy, double dz,
                                              int color, const char* layer) {
    constexpr unsigned long kOpenEnds = 1 | 2 | 4 | 8;
    if (Acad::ErrorStatus es = CreateBoxBlockRecord(recordId, base, dx, dy, dz, color, layer, kOpenEnds);
        es != Acad::eOk)
        return es;
    const AcGePoint3d ends[2][2] = {
        {base, base + AcGeVector3d(dx, 0, 0)},
        {base + AcGeVector3d(0, dy, 0), base + AcGeVector3d(dx, dy, 0)},
    };
    for (const auto& e : ends) {
        auto* line = new (std::nothrow) AcDbLine(e[0], e[1]);
        if (!line) return Acad::eOutOfMemory;
        line->setThickness(dz);
        ApplyLook(line, color, layer);
        AcDbObjectId id;
        if (Acad::ErrorStatus es = InsertEntToBlockRecord(line, recordId, id); es != Acad::eOk) {
            delete line;
            return es;
        }
        line->close();
    }
    return Acad::eOk;
}

}  // namespace NUV
