// Face meshes. Make3DFace sends the header, the vertices and the face records as separate data
// lists and completes the sequence with SEQEND itself: a pending sequence is otherwise never
// turned into an entity, and no caller can finish it for us.
#include "draw/Meshes.h"

#include <memory>
#include <new>
#include <vector>

#include "acad/ResBuf.h"

namespace NUV {

AcDbPolyFaceMesh* CreatePolyFaceMesh(const AcGePoint3dArray& points) {
    if (points.length() < 3) return nullptr;
    std::unique_ptr<AcDbPolyFaceMesh> mesh(new (std::nothrow) AcDbPolyFaceMesh);
    std::unique_ptr<AcDbFaceRecord> face(new (std::nothrow) AcDbFaceRecord);
    if (!mesh || !face) return nullptr;

    std::vector<std::unique_ptr<AcDbPolyFaceMeshVertex>> refused;
    for (int i = 0; i < points.length(); ++i) {
        std::unique_ptr<AcDbPolyFaceMeshVertex> v(new (std::nothrow) AcDbPolyFaceMeshVertex(points[i]));
        if (!v) return nullptr;
        if (mesh->appendVertex(v.get()) == Acad::eOk) {
            v.release()->close();  // the mesh owns it now
        } else {
            refused.push_back(std::move(v));
        }
    }

    const int used = points.length() > 3 ? 4 : 3;
    for (int pos = 0; pos < used; ++pos) {
        face->setVertexAt(pos, static_cast<short>(pos + 1));
        face->makeEdgeVisibleAt(pos);
    }
    if (mesh->appendFaceRecord(face.get()) != Acad::eOk) return nullptr;
    face.release()->close();
    if (!refused.empty()) return nullptr;
    return mesh.release();
}

namespace {

// Makes one data list; false when it cannot be built or made.
bool MakeList(resbuf* list) {
    if (!list) return false;
    int rc = acdbEntMake(list);
    acutRelRb(list);
    return rc == RTNORM;
}

bool MakeFace(const char* layer, const AcGePoint3d& last, int v1, int v2, int v3, int v4) {
    ads_point p = {last.x, last.y, last.z};
    return MakeList(acutBuildList(RTDXF0, "VERTEX", 8, layer, 10, p, 70, 128, 71, v1, 72, v2, 73, v3, 74, v4, 0));
}

}  // namespace

int Make3DFace(AcGePoint3dArray& points, CString layer) {
    const int n = points.length();
    if (n < 3 || n > 32767) return 0;  // vertex numbers are 16-bit
    const char* lay = layer;
    ads_point origin = {0, 0, 0};
    if (!MakeList(acutBuildList(RTDXF0, "POLYLINE", 8, lay, 10, origin, 66, 1, 70, 64, 71, n, 72, 1, 0))) return 0;
    for (int i = 0; i < n; ++i) {
        ads_point p = {points[i].x, points[i].y, points[i].z};
        if (!MakeList(acutBuildList(RTDXF0, "VERTEX", 8, lay, 10, p, 70, 192, 0))) return 0;
    }
    const AcGePoint3d& last = points[n - 1];
    bool ok;
    if (n == 3) {
        ok = MakeFace(lay, last, 1, 2, 3, 0);
    } else if (n == 4) {
        ok = MakeFace(lay, last, 1, 2, 3, 4);
    } else {
        // A fan from vertex 1: the outline edges stay visible, the inner diagonals are hidden.
        ok = MakeFace(lay, last, 1, 2, 3, -4);
        for (int k = 5; ok && k <= n; ++k)
            ok = k == n ? MakeFace(lay, last, -1, n - 1, n, 0) : MakeFace(lay, last, -1, k - 1, -k, 0);
    }
    if (!ok) return 0;
    return MakeList(acutBuildList(RTDXF0, "SEQEND", 8, lay, 0)) ? 1 : 0;
}

}  // namespace NUV
