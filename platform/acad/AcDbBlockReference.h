// AcDbBlockReference: an insertion of a block definition at a position, with scale factors and a
// rotation about the normal, and the attributes that belong to it. blockTransform() maps block
// coordinates to world coordinates. A reference read as an array (columns and rows) keeps them.
#pragma once

#include "acad/AcDbEntity.h"
#include "acad/AcGeScale3d.h"
#include "acad/SubentList.h"

class AcDbAttribute;
class AcDbObjectIterator;

class AcDbBlockReference : public AcDbEntity {
    NUV_DB_DECLARE(AcDbBlockReference, AcDbEntity, "INSERT")
public:
    AcDbBlockReference() = default;
    AcDbBlockReference(const AcGePoint3d& position, AcDbObjectId blockTableRecord)
        : position_(position), block_(blockTableRecord) {}
    AcDbBlockReference(const AcDbBlockReference&) = default;
    NUV_DB_CLONE(AcDbBlockReference)

    AcDbObjectId blockTableRecord() const { return block_; }
    Acad::ErrorStatus setBlockTableRecord(AcDbObjectId id);
    AcGePoint3d position() const { return position_; }
    Acad::ErrorStatus setPosition(const AcGePoint3d& p);
    AcGeScale3d scaleFactors() const { return scale_; }
    Acad::ErrorStatus setScaleFactors(const AcGeScale3d& s);
    double rotation() const { return rotation_; }
    Acad::ErrorStatus setRotation(double a);
    AcGeVector3d normal() const { return normal_; }
    Acad::ErrorStatus setNormal(const AcGeVector3d& n);
    // Block coordinates (relative to the block's origin) to world coordinates.
    AcGeMatrix3d blockTransform() const;
    // Takes position, rotation, scale and normal from a matrix without shear.
    Acad::ErrorStatus setBlockTransform(const AcGeMatrix3d& m);

    // Attributes: appended ones belong to the reference (and to its database once it is in one).
    Acad::ErrorStatus appendAttribute(AcDbAttribute* attribute);
    Acad::ErrorStatus appendAttribute(AcDbObjectId& id, AcDbAttribute* attribute);
    AcDbObjectIterator* attributeIterator() const;

    // Attributes move with the reference.
    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
    const NUVAcad::SubentList* subentList() const override { return hasAttributes() ? &attribs_ : nullptr; }
    NUVAcad::SubentList* subentList() override { return hasAttributes() ? &attribs_ : nullptr; }
    void dxfOutFields(NUVAcad::DxfOut& out) const override;
    Acad::ErrorStatus dxfInFields(NUVAcad::DxfIn& in) override;

protected:
    void subAddedToDatabase(AcDbDatabase* db) override;
    void subErase(bool erasing) override;
    // The undo copy names the same attributes; a clone copies them as new ones.
    AcDbObject* undoCopy() const override {
        auto* c = new AcDbBlockReference(*this);
        c->attribs_.shareIds(attribs_);
        return c;
    }

private:
    bool hasAttributes() const { return attribsFollow_ || !attribs_.empty(); }
    AcGePoint3d position_;
    AcDbObjectId block_;
    AcGeScale3d scale_;
    double rotation_ = 0.0;
    AcGeVector3d normal_{0, 0, 1};
    NUVAcad::SubentList attribs_{false};
    bool attribsFollow_ = false;  // read with (66 . 1), even if no attribute followed
    int columns_ = 1, rows_ = 1;
    double columnSpacing_ = 0, rowSpacing_ = 0;
    NUVAcad::TagList extra_;  // fields of the reference the model does not know, as read
};
