// AcDbEntity: a graphical object that lives in a block (model space, paper space or a block
// definition), with the common properties (colour index, layer, linetype and scale, line weight,
// visibility), transformation and extents. AcDbCurve adds the curve queries.
#pragma once

#include <functional>
#include <string>

#include "acad/AcDbFullSubentPath.h"
#include "acad/AcDbObject.h"
#include "acad/AcGeMatrix3d.h"
#include "acad/AcGePlane.h"
#include "acad/AcGePoint3d.h"
#include "acad/AcGePoint3dArray.h"
#include "acad/DxfTags.h"

namespace NUVAcad { class SubentList; }

class AcDbExtents {
public:
    AcDbExtents() = default;
    AcDbExtents(const AcGePoint3d& mn, const AcGePoint3d& mx) { set(mn, mx); }
    AcGePoint3d minPoint() const { return min_; }
    AcGePoint3d maxPoint() const { return max_; }
    Acad::ErrorStatus set(const AcGePoint3d& mn, const AcGePoint3d& mx);
    void addPoint(const AcGePoint3d& p);
    void addExt(const AcDbExtents& e);
    void expandBy(const AcGeVector3d& v);
    void transformBy(const AcGeMatrix3d& m);
    bool isValid() const { return valid_; }

private:
    AcGePoint3d min_, max_;
    bool valid_ = false;
};

class AcDbEntity : public AcDbObject {
    NUV_DB_DECLARE(AcDbEntity, AcDbObject, "")
public:
    AcDbEntity() = default;
    AcDbEntity(const AcDbEntity&) = default;

    AcDbObjectId blockId() const { return ownerId(); }

    // Colour index: 0 by block, 256 by layer, 1..255 a colour.
    int colorIndex() const { return color_; }
    Acad::ErrorStatus setColorIndex(int color, bool doSubents = true);
    // The layer's name as a new string (free it with acutDelString).
    char* layer() const;
    AcDbObjectId layerId() const { return layer_; }
    // A layer by name is looked up in the entity's database, or in the working database for an
    // entity not yet appended; eKeyNotFound when there is no such layer.
    Acad::ErrorStatus setLayer(const char* name, bool doSubents = true, bool allowHiddenLayer = false);
    Acad::ErrorStatus setLayer(AcDbObjectId layer, bool doSubents = true, bool allowHiddenLayer = false);
    char* linetype() const;
    AcDbObjectId linetypeId() const { return linetype_; }
    Acad::ErrorStatus setLinetype(const char* name, bool doSubents = true);
    Acad::ErrorStatus setLinetype(AcDbObjectId linetype, bool doSubents = true);
    double linetypeScale() const { return ltscale_; }
    Acad::ErrorStatus setLinetypeScale(double scale, bool doSubents = true);
    AcDb::LineWeight lineWeight() const { return lineWeight_; }
    Acad::ErrorStatus setLineWeight(AcDb::LineWeight weight, bool doSubents = true);
    AcDb::Visibility visibility() const { return visible_ ? AcDb::kVisible : AcDb::kInvisible; }
    Acad::ErrorStatus setVisibility(AcDb::Visibility v, bool doSubents = true);
    // Current layer, linetype (by layer) and scale of the database (the working one when null).
    void setDatabaseDefaults(AcDbDatabase* db = nullptr);
    Acad::ErrorStatus setPropertiesFrom(const AcDbEntity* other, bool doSubents = true);

    virtual Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform);
    virtual Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const;
    virtual Acad::ErrorStatus getTransformedCopy(const AcGeMatrix3d& xform, AcDbEntity*& copy) const;
    // Crossings with another entity projected on the XY plane (the only projection the model
    // offers; any plane given is taken as XY). Curves only; others give eNotApplicable.
    virtual Acad::ErrorStatus intersectWith(const AcDbEntity* other, AcDb::Intersect type, AcGePoint3dArray& points,
                                            intptr_t thisGsMarker = 0, intptr_t otherGsMarker = 0) const;
    virtual Acad::ErrorStatus intersectWith(const AcDbEntity* other, AcDb::Intersect type, const AcGePlane& projPlane,
                                            AcGePoint3dArray& points, intptr_t thisGsMarker = 0,
                                            intptr_t otherGsMarker = 0) const;

    // Shows the entity highlighted, or normal again, on its drawing's display (opened for read
    // is enough). A path naming a part highlights the whole entity. eNotInDatabase for an entity
    // that is not in a drawing.
    Acad::ErrorStatus highlight(const AcDbFullSubentPath& path = AcDbFullSubentPath(), bool highlightAll = false) const;
    Acad::ErrorStatus unhighlight(const AcDbFullSubentPath& path = AcDbFullSubentPath(), bool highlightAll = false) const;

    // Parts that follow the entity's property changes (vertices of the old-style polylines).
    virtual void forEachSubent(const std::function<void(AcDbEntity*)>& fn) const;
    // Internal: the vertices of an old-style polyline, written after it in drawing files.
    virtual const NUVAcad::SubentList* subentList() const { return nullptr; }
    virtual NUVAcad::SubentList* subentList() { return nullptr; }

    void dxfOutFields(NUVAcad::DxfOut& out) const override;
    Acad::ErrorStatus dxfInFields(NUVAcad::DxfIn& in) override;

private:
    AcDbDatabase* lookupDatabase() const;
    int color_ = 256;
    AcDbObjectId layer_, linetype_;
    double ltscale_ = 1.0;
    AcDb::LineWeight lineWeight_ = AcDb::kLnWtByLayer;
    bool visible_ = true;
    NUVAcad::TagList extra_;  // true colour, transparency and other fields kept as read
};

// Opens an entity by id; an object that is not an entity fails with eNotAnEntity.
inline Acad::ErrorStatus acdbOpenAcDbEntity(AcDbEntity*& ent, AcDbObjectId id, AcDb::OpenMode mode,
                                            bool openErased = false) {
    Acad::ErrorStatus es = acdbOpenObject(ent, id, mode, openErased);
    return es == Acad::eNotThatKindOfClass ? Acad::eNotAnEntity : es;
}

// An entity of a type the model does not know, kept with all its fields as read.
class AcDbProxyEntity : public AcDbEntity {
    NUV_DB_DECLARE(AcDbProxyEntity, AcDbEntity, "")
public:
    explicit AcDbProxyEntity(std::string typeName = std::string()) : type_(std::move(typeName)) {}
    AcDbProxyEntity(const AcDbProxyEntity&) = default;
    NUV_DB_CLONE(AcDbProxyEntity)
    const std::string& typeName() const { return type_; }
    Acad::ErrorStatus transformBy(const AcGeMatrix3d&) override { return Acad::eNotApplicable; }
    void dxfOutFields(NUVAcad::DxfOut& out) const override;
    Acad::ErrorStatus dxfInFields(NUVAcad::DxfIn& in) override;

private:
    std::string type_;
    NUVAcad::TagList body_;
};
