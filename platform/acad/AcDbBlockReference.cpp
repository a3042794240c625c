#include "acad/AcDbBlockReference.h"

#include <cmath>

#include "acad/AcDbAttribute.h"
#include "acad/AcDbDatabase.h"
#include "acad/AcDbPolylines.h"
#include "acad/AcDbSymbolTable.h"
#include "acad/CurveMath.h"
#include "acad/DbInternal.h"

using NUVAcad::DbAccess;
using NUVAcad::DxfIn;
using NUVAcad::DxfOut;
using NUVAcad::DxfTag;

#define NUV_WRITE_CHECK \
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es

Acad::ErrorStatus AcDbBlockReference::setBlockTableRecord(AcDbObjectId id) {
    NUV_WRITE_CHECK;
    if (!AcDbBlockTableRecord::cast(DbAccess::peek(id))) return Acad::eInvalidInput;
    block_ = id;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbBlockReference::setPosition(const AcGePoint3d& p) { NUV_WRITE_CHECK; position_ = p; return Acad::eOk; }
Acad::ErrorStatus AcDbBlockReference::setScaleFactors(const AcGeScale3d& s) {
    NUV_WRITE_CHECK;
    if (s.sx == 0 || s.sy == 0 || s.sz == 0) return Acad::eInvalidInput;
    scale_ = s;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbBlockReference::setRotation(double a) { NUV_WRITE_CHECK; rotation_ = a; return Acad::eOk; }
Acad::ErrorStatus AcDbBlockReference::setNormal(const AcGeVector3d& n) {
    NUV_WRITE_CHECK;
    if (n.isZeroLength()) return Acad::eInvalidInput;
    normal_ = n.normal();
    return Acad::eOk;
}

AcGeMatrix3d AcDbBlockReference::blockTransform() const {
    AcGePoint3d origin;
    if (auto* btr = DbAccess::peekAs<AcDbBlockTableRecord>(block_)) origin = btr->origin();
    AcGeMatrix3d scale;
    scale_.getMatrix(scale);
    AcGeMatrix3d m = AcGeMatrix3d::translation(position_.asVector()) * CurveMath::ecsToWorld(normal_) *
                     AcGeMatrix3d::rotation(rotation_, AcGeVector3d::kZAxis) * scale *
                     AcGeMatrix3d::translation(-origin.asVector());
    return m;
}

Acad::ErrorStatus AcDbBlockReference::setBlockTransform(const AcGeMatrix3d& full) {
    NUV_WRITE_CHECK;
    AcGePoint3d origin;
    if (auto* btr = DbAccess::peekAs<AcDbBlockTableRecord>(block_)) origin = btr->origin();
    // Undo the block origin so the matrix's columns are the scaled, rotated axes.
    AcGeMatrix3d m = full * AcGeMatrix3d::translation(origin.asVector());
    AcGeVector3d x = m.getCsXAxis(), y = m.getCsYAxis(), z = m.getCsZAxis();
    double sx = x.length(), sy = y.length(), sz = z.length();
    if (sx == 0 || sy == 0 || sz == 0) return Acad::eInvalidInput;
    AcGeVector3d n = x.crossProduct(y).normal();
    if (n.isZeroLength()) return Acad::eInvalidInput;
    // A mirrored transform keeps the normal of the plane and flips the Z scale.
    if (z.dotProduct(n) < 0) sz = -sz;
    normal_ = n;
    AcGeVector3d xl = x;
    xl.transformBy(CurveMath::ecsToWorld(normal_).inverse());
    rotation_ = std::atan2(xl.y, xl.x);
    if (rotation_ < 0) rotation_ += 2 * M_PI;
    scale_.set(sx, sy, sz);
    position_ = m.getCsOrigin();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::transformBy(const AcGeMatrix3d& xform) {
    NUV_WRITE_CHECK;
    if (Acad::ErrorStatus es = setBlockTransform(xform * blockTransform()); es != Acad::eOk) return es;
    attribs_.forEachForWrite([&](AcDbEntity* a) { a->transformBy(xform); });
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockReference::appendAttribute(AcDbAttribute* attribute) {
    AcDbObjectId id;
    return appendAttribute(id, attribute);
}

Acad::ErrorStatus AcDbBlockReference::appendAttribute(AcDbObjectId& id, AcDbAttribute* attribute) {
    return attribs_.append(this, attribute, id);
}

AcDbObjectIterator* AcDbBlockReference::attributeIterator() const { return new AcDbObjectIterator(attribs_); }

void AcDbBlockReference::subAddedToDatabase(AcDbDatabase* db) {
    if (hasAttributes()) attribs_.addedToDatabase(this, db);
}

void AcDbBlockReference::subErase(bool erasing) { attribs_.setErased(erasing); }

Acad::ErrorStatus AcDbBlockReference::getGeomExtents(AcDbExtents& extents) const {
    auto* btr = DbAccess::peekAs<AcDbBlockTableRecord>(block_);
    if (!btr) return Acad::eInvalidExtents;
    // A block that (indirectly) contains itself must not recurse forever.
    static thread_local int depth = 0;
    if (depth > 32) return Acad::eInvalidExtents;
    struct Guard {
        Guard() { ++depth; }
        ~Guard() { --depth; }
    } guard;
    AcGeMatrix3d m = blockTransform();
    AcDbExtents e;
    for (AcDbObjectId id : btr->entityIds()) {
        auto* ent = DbAccess::peekAs<AcDbEntity>(id);
        if (!ent || ent->isErased()) continue;
        AcDbEntity* copy = nullptr;
        if (ent->getTransformedCopy(m, copy) == Acad::eOk && copy) {
            AcDbExtents part;
            if (copy->getGeomExtents(part) == Acad::eOk) e.addExt(part);
            delete copy;
        } else {
            AcDbExtents part;
            if (ent->getGeomExtents(part) == Acad::eOk) {
                part.transformBy(m);
                e.addExt(part);
            }
        }
    }
    if (!e.isValid()) return Acad::eInvalidExtents;
    extents = e;
    return Acad::eOk;
}

void AcDbBlockReference::dxfOutFields(DxfOut& out) const {
    AcDbEntity::dxfOutFields(out);
    bool array = columns_ > 1 || rows_ > 1;
    out.subclass(array ? "AcDbMInsertBlock" : "AcDbBlockReference");
    if (hasAttributes()) out.i(66, 1);
    out.str(2, out.recordName(block_, ""));
    out.point(10, NUVAcad::wcsToOcs(position_, normal_));
    if (scale_.sx != 1) out.real(41, scale_.sx);
    if (scale_.sy != 1) out.real(42, scale_.sy);
    if (scale_.sz != 1) out.real(43, scale_.sz);
    if (rotation_ != 0) out.real(50, rotation_ * 180.0 / M_PI);
    if (columns_ != 1) out.i(70, columns_);
    if (rows_ != 1) out.i(71, rows_);
    if (columnSpacing_ != 0) out.real(44, columnSpacing_);
    if (rowSpacing_ != 0) out.real(45, rowSpacing_);
    if (!normal_.isEqualTo(AcGeVector3d::kZAxis)) out.vec(210, normal_);
    for (const DxfTag& t : extra_) out.add(t);
}

Acad::ErrorStatus AcDbBlockReference::dxfInFields(DxfIn& in) {
    AcDbEntity::dxfInFields(in);
    AcGePoint3d p;
    extra_.clear();
    for (const DxfTag& t : in.rest()) {
        switch (t.code) {
        case 100: break;
        case 66: attribsFollow_ = t.i != 0; break;
        case 2: block_ = in.blockId(t.str); break;
        case 10: p = t.point(); break;
        case 41: scale_.sx = t.real() != 0 ? t.real() : 1; break;
        case 42: scale_.sy = t.real() != 0 ? t.real() : 1; break;
        case 43: scale_.sz = t.real() != 0 ? t.real() : 1; break;
        case 50: rotation_ = t.real() * M_PI / 180.0; break;
        case 70: columns_ = t.i > 0 && t.i <= 32767 ? static_cast<int>(t.i) : 1; break;
        case 71: rows_ = t.i > 0 && t.i <= 32767 ? static_cast<int>(t.i) : 1; break;
        case 44: columnSpacing_ = t.real(); break;
        case 45: rowSpacing_ = t.real(); break;
        case 210:
            if (!t.vector().isZeroLength()) normal_ = t.vector().normal();
            break;
        default: extra_.push_back(t); break;
        }
    }
    position_ = NUVAcad::ocsToWcs(p, normal_);
    return block_.isNull() ? Acad::eKeyNotFound : Acad::eOk;
}
