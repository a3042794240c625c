#include "acad/AcDbEntity.h"

#include <algorithm>
#include <cmath>

#include "acad/AcDbDatabase.h"
#include "acad/AcDbSymbolTable.h"
#include "acad/DbInternal.h"
#include "acad/ResBuf.h"

using NUVAcad::DbAccess;
using NUVAcad::DxfIn;
using NUVAcad::DxfOut;
using NUVAcad::DxfTag;

// ---- Extents ----

Acad::ErrorStatus AcDbExtents::set(const AcGePoint3d& mn, const AcGePoint3d& mx) {
    if (mn.x > mx.x || mn.y > mx.y || mn.z > mx.z) return Acad::eInvalidExtents;
    min_ = mn;
    max_ = mx;
    valid_ = true;
    return Acad::eOk;
}

void AcDbExtents::addPoint(const AcGePoint3d& p) {
    if (!valid_) {
        min_ = max_ = p;
        valid_ = true;
        return;
    }
    min_.set(std::min(min_.x, p.x), std::min(min_.y, p.y), std::min(min_.z, p.z));
    max_.set(std::max(max_.x, p.x), std::max(max_.y, p.y), std::max(max_.z, p.z));
}

void AcDbExtents::addExt(const AcDbExtents& e) {
    if (!e.valid_) return;
    addPoint(e.min_);
    addPoint(e.max_);
}

void AcDbExtents::expandBy(const AcGeVector3d& v) {
    if (!valid_) return;
    addPoint(min_ + v);
    addPoint(max_ + v);
}

void AcDbExtents::transformBy(const AcGeMatrix3d& m) {
    if (!valid_) return;
    AcGePoint3d a = min_, b = max_;
    valid_ = false;
    for (int k = 0; k < 8; ++k) {
        AcGePoint3d c(k & 1 ? b.x : a.x, k & 2 ? b.y : a.y, k & 4 ? b.z : a.z);
        addPoint(c.transformBy(m));
    }
}

// ---- Common properties ----

AcDbDatabase* AcDbEntity::lookupDatabase() const {
    AcDbDatabase* db = database();
    return db ? db : acdbHostApplicationServices()->workingDatabase();
}

void AcDbEntity::forEachSubent(const std::function<void(AcDbEntity*)>&) const {}

Acad::ErrorStatus AcDbEntity::setColorIndex(int color, bool doSubents) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    if (color < 0 || color > 256) return Acad::eInvalidInput;
    color_ = color;
    if (doSubents) forEachSubent([&](AcDbEntity* e) { e->color_ = color; });
    return Acad::eOk;
}

char* AcDbEntity::layer() const {
    auto* rec = DbAccess::peekAs<AcDbSymbolTableRecord>(layer_);
    return acutNewString(rec ? rec->name().c_str() : "");
}

char* AcDbEntity::linetype() const {
    auto* rec = DbAccess::peekAs<AcDbSymbolTableRecord>(linetype_);
    return acutNewString(rec ? rec->name().c_str() : "ByLayer");
}

Acad::ErrorStatus AcDbEntity::setLayer(const char* name, bool doSubents, bool allowHiddenLayer) {
    if (!name) return Acad::eInvalidInput;
    AcDbDatabase* db = lookupDatabase();
    if (!db) return Acad::eNoDatabase;
    auto* table = DbAccess::peekAs<AcDbSymbolTable>(db->layerTableId());
    AcDbObjectId id;
    if (!table || table->getAt(name, id) != Acad::eOk) return Acad::eKeyNotFound;
    return setLayer(id, doSubents, allowHiddenLayer);
}

Acad::ErrorStatus AcDbEntity::setLayer(AcDbObjectId id, bool doSubents, bool) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    if (!AcDbLayerTableRecord::cast(DbAccess::peek(id))) return Acad::eInvalidInput;
    layer_ = id;
    if (doSubents) forEachSubent([&](AcDbEntity* e) { e->layer_ = id; });
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setLinetype(const char* name, bool doSubents) {
    if (!name) return Acad::eInvalidInput;
    AcDbDatabase* db = lookupDatabase();
    if (!db) return Acad::eNoDatabase;
    auto* table = DbAccess::peekAs<AcDbSymbolTable>(db->linetypeTableId());
    AcDbObjectId id;
    if (!table || table->getAt(name, id) != Acad::eOk) return Acad::eKeyNotFound;
    return setLinetype(id, doSubents);
}

Acad::ErrorStatus AcDbEntity::setLinetype(AcDbObjectId id, bool doSubents) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    if (!AcDbLinetypeTableRecord::cast(DbAccess::peek(id))) return Acad::eInvalidInput;
    linetype_ = id;
    if (doSubents) forEachSubent([&](AcDbEntity* e) { e->linetype_ = id; });
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setLinetypeScale(double scale, bool doSubents) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    if (!(scale > 0)) return Acad::eInvalidInput;
    ltscale_ = scale;
    if (doSubents) forEachSubent([&](AcDbEntity* e) { e->ltscale_ = scale; });
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setLineWeight(AcDb::LineWeight weight, bool doSubents) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    static const int valid[] = {0, 5, 9, 13, 15, 18, 20, 25, 30, 35, 40, 50, 53, 60, 70, 80, 90,
                                100, 106, 120, 140, 158, 200, 211, -1, -2, -3};
    if (std::find(std::begin(valid), std::end(valid), static_cast<int>(weight)) == std::end(valid))
        return Acad::eInvalidInput;
    lineWeight_ = weight;
    if (doSubents) forEachSubent([&](AcDbEntity* e) { e->lineWeight_ = weight; });
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setVisibility(AcDb::Visibility v, bool doSubents) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    visible_ = v == AcDb::kVisible;
    if (doSubents) forEachSubent([&](AcDbEntity* e) { e->visible_ = visible_; });
    return Acad::eOk;
}

void AcDbEntity::setDatabaseDefaults(AcDbDatabase* db) {
    if (!db) db = lookupDatabase();
    if (!db || !isWriteEnabled()) return;
    layer_ = db->clayer();
    linetype_ = db->celtype();
    ltscale_ = 1.0;
    color_ = 256;
    lineWeight_ = AcDb::kLnWtByLayer;
}

Acad::ErrorStatus AcDbEntity::setPropertiesFrom(const AcDbEntity* other, bool doSubents) {
    if (!other) return Acad::eNullEntityPointer;
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    color_ = other->color_;
    layer_ = other->layer_;
    linetype_ = other->linetype_;
    ltscale_ = other->ltscale_;
    lineWeight_ = other->lineWeight_;
    visible_ = other->visible_;
    if (doSubents)
        forEachSubent([&](AcDbEntity* e) {
            e->color_ = color_;
            e->layer_ = layer_;
            e->linetype_ = linetype_;
            e->ltscale_ = ltscale_;
            e->lineWeight_ = lineWeight_;
            e->visible_ = visible_;
        });
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::transformBy(const AcGeMatrix3d&) { return Acad::eNotApplicable; }
Acad::ErrorStatus AcDbEntity::getGeomExtents(AcDbExtents&) const { return Acad::eInvalidExtents; }

Acad::ErrorStatus AcDbEntity::getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& copy) const {
    copy = AcDbEntity::cast(clone());
    if (!copy) return Acad::eNotApplicable;
    Acad::ErrorStatus es = copy->transformBy(xform);
    if (es != Acad::eOk) {
        delete copy;
        copy = nullptr;
    }
    return es;
}

Acad::ErrorStatus AcDbEntity::intersectWith(const AcDbEntity*, AcDb::Intersect, AcGePoint3dArray&, intptr_t, intptr_t) const {
    return Acad::eNotApplicable;
}
Acad::ErrorStatus AcDbEntity::intersectWith(const AcDbEntity*, AcDb::Intersect, const AcGePlane&, AcGePoint3dArray&,
                                            intptr_t, intptr_t) const {
    return Acad::eNotApplicable;
}

// ---- Drawing-file fields ----

void AcDbEntity::dxfOutFields(DxfOut& out) const {
    out.subclass("AcDbEntity");
    if (const AcDbDatabase* db = out.database(); db && !ownerId().isNull() && ownerId() == db->paperSpaceId())
        out.i(67, 1);
    out.str(8, out.recordName(layer_, "0"));
    if (!linetype_.isNull()) {
        std::string lt = out.recordName(linetype_, "ByLayer");
        if (!NUVAcad::namesEqual(lt, "ByLayer")) out.str(6, lt);
    }
    if (color_ != 256) out.i(62, color_);
    if (lineWeight_ != AcDb::kLnWtByLayer) out.i(370, lineWeight_);
    if (ltscale_ != 1.0) out.real(48, ltscale_);
    if (!visible_) out.i(60, 1);
    for (const DxfTag& t : extra_) out.add(t);
}

Acad::ErrorStatus AcDbEntity::dxfInFields(DxfIn& in) {
    const auto& tags = in.all();
    size_t k = in.pos;
    bool marked = false;
    extra_.clear();
    color_ = 256;
    layer_ = linetype_ = AcDbObjectId();
    ltscale_ = 1.0;
    lineWeight_ = AcDb::kLnWtByLayer;
    visible_ = true;
    for (; k < tags.size(); ++k) {
        const DxfTag& t = tags[k];
        if (t.code == 100) {
            if (t.str == "AcDbEntity") {
                marked = true;
                continue;
            }
            break;
        }
        switch (t.code) {
        case 8: layer_ = in.layerId(t.str); break;
        case 6: linetype_ = in.linetypeId(t.str); break;
        case 62: color_ = static_cast<int>(t.i); break;
        case 370: lineWeight_ = static_cast<AcDb::LineWeight>(t.i); break;
        case 48: ltscale_ = t.real() > 0 ? t.real() : 1.0; break;
        case 60: visible_ = t.i == 0; break;
        case 67: break;
        default:
            if (marked) extra_.push_back(t);
        }
    }
    if (k < tags.size() || marked) {
        in.pos = k;  // the subclass fields start at the next marker
    } else {
        extra_.clear();  // no subclass markers at all: every field belongs to the subclass scan
    }
    if (color_ < 0 || color_ > 256) color_ = 256;
    if (layer_.isNull() && in.database()) layer_ = in.layerId("0");
    if (linetype_.isNull() && in.database()) linetype_ = in.database()->byLayerLinetype();
    return Acad::eOk;
}

// ---- Unknown entities ----

void AcDbProxyEntity::dxfOutFields(DxfOut& out) const {
    for (const DxfTag& t : body_) out.add(t);
}

Acad::ErrorStatus AcDbProxyEntity::dxfInFields(DxfIn& in) {
    size_t start = in.pos;
    AcDbEntity::dxfInFields(in);  // layer and the like, for queries; the fields are kept as read
    body_.assign(in.all().begin() + static_cast<long>(start), in.all().end());
    return Acad::eOk;
}
