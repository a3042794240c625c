// AcDbText: a single line of text with a position, height, rotation, width factor, style and the
// host's alignment modes. For any alignment but left/baseline the alignment point governs and
// the position follows from it (adjustAlignment).
#pragma once

#include <string>

#include "acad/AcDbEntity.h"

class AcDbText : public AcDbEntity {
    NUV_DB_DECLARE(AcDbText, AcDbEntity, "TEXT")
public:
    AcDbText() = default;
    AcDbText(const AcGePoint3d& position, const char* text, AcDbObjectId style = AcDbObjectId(), double height = 0.0,
             double rotation = 0.0);
    AcDbText(const AcDbText&) = default;
    NUV_DB_CLONE(AcDbText)

    AcGePoint3d position() const { return position_; }
    Acad::ErrorStatus setPosition(const AcGePoint3d& p);
    AcGePoint3d alignmentPoint() const { return alignment_; }
    Acad::ErrorStatus setAlignmentPoint(const AcGePoint3d& p);
    bool isDefaultAlignment() const { return horz_ == AcDb::kTextLeft && vert_ == AcDb::kTextBase; }
    AcDb::TextHorzMode horizontalMode() const { return horz_; }
    Acad::ErrorStatus setHorizontalMode(AcDb::TextHorzMode m);
    AcDb::TextVertMode verticalMode() const { return vert_; }
    Acad::ErrorStatus setVerticalMode(AcDb::TextVertMode m);
    // A copy of the text (free it with acutDelString), and the text itself.
    char* textString() const;
    const char* textStringConst() const { return text_.c_str(); }
    Acad::ErrorStatus setTextString(const char* text);
    double height() const { return height_; }
    Acad::ErrorStatus setHeight(double h);
    double widthFactor() const { return widthFactor_; }
    Acad::ErrorStatus setWidthFactor(double w);
    double oblique() const { return oblique_; }
    Acad::ErrorStatus setOblique(double a);
    double rotation() const { return rotation_; }
    Acad::ErrorStatus setRotation(double a);
    AcDbObjectId textStyle() const { return style_; }
    Acad::ErrorStatus setTextStyle(AcDbObjectId style);
    double thickness() const { return thickness_; }
    Acad::ErrorStatus setThickness(double t);
    AcGeVector3d normal() const { return normal_; }
    Acad::ErrorStatus setNormal(const AcGeVector3d& n);
    bool isMirroredInX() const { return (generation_ & 2) != 0; }
    bool isMirroredInY() const { return (generation_ & 4) != 0; }
    // Places the position from the alignment point with the text's estimated width (each byte
    // one character cell of height × width factor; a double-byte character two cells).
    Acad::ErrorStatus adjustAlignment(const AcDbDatabase* db = nullptr);

    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
    void dxfOutFields(NUVAcad::DxfOut& out) const override;
    Acad::ErrorStatus dxfInFields(NUVAcad::DxfIn& in) override;

protected:
    // The fields of the first AcDbText subclass (position to normal), shared with attributes.
    void textFieldsOut(NUVAcad::DxfOut& out) const;
    // Reads text fields from in.pos up to a subclass marker of another class (and moves in.pos
    // there); true when such a marker was found.
    bool textFieldsIn(NUVAcad::DxfIn& in);

    AcDb::TextVertMode vert_ = AcDb::kTextBase;

private:
    double estimatedWidth() const;
    AcGePoint3d position_, alignment_;
    std::string text_;
    AcDbObjectId style_;
    double height_ = 0.0, widthFactor_ = 1.0, oblique_ = 0.0, rotation_ = 0.0, thickness_ = 0.0;
    int generation_ = 0;
    AcDb::TextHorzMode horz_ = AcDb::kTextLeft;
    AcGeVector3d normal_{0, 0, 1};
};
