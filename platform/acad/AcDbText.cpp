#include "acad/AcDbText.h"

#include <cmath>

#include "acad/AcDbDatabase.h"
#include "acad/AcDbSymbolTable.h"
#include "acad/CurveMath.h"
#include "acad/DbInternal.h"
#include "acad/ResBuf.h"

using NUVAcad::DbAccess;
using NUVAcad::DxfIn;
using NUVAcad::DxfOut;
using NUVAcad::DxfTag;

AcDbText::AcDbText(const AcGePoint3d& position, const char* text, AcDbObjectId style, double height, double rotation)
    : position_(position), alignment_(position), text_(text ? text : ""), style_(style), height_(height),
      rotation_(rotation) {}

#define NUV_WRITE_CHECK \
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es

Acad::ErrorStatus AcDbText::setPosition(const AcGePoint3d& p) { NUV_WRITE_CHECK; position_ = p; return Acad::eOk; }
Acad::ErrorStatus AcDbText::setAlignmentPoint(const AcGePoint3d& p) { NUV_WRITE_CHECK; alignment_ = p; return Acad::eOk; }
Acad::ErrorStatus AcDbText::setHorizontalMode(AcDb::TextHorzMode m) {
    NUV_WRITE_CHECK;
    if (m < AcDb::kTextLeft || m > AcDb::kTextFit) return Acad::eInvalidInput;
    horz_ = m;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbText::setVerticalMode(AcDb::TextVertMode m) {
    NUV_WRITE_CHECK;
    if (m < AcDb::kTextBase || m > AcDb::kTextTop) return Acad::eInvalidInput;
    vert_ = m;
    return Acad::eOk;
}
char* AcDbText::textString() const { return acutNewString(text_.c_str()); }
Acad::ErrorStatus AcDbText::setTextString(const char* text) { NUV_WRITE_CHECK; text_ = text ? text : ""; return Acad::eOk; }
Acad::ErrorStatus AcDbText::setHeight(double h) {
    NUV_WRITE_CHECK;
    if (!(h > 0)) return Acad::eInvalidInput;
    height_ = h;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbText::setWidthFactor(double w) {
    NUV_WRITE_CHECK;
    if (!(w > 0)) return Acad::eInvalidInput;
    widthFactor_ = w;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbText::setOblique(double a) { NUV_WRITE_CHECK; oblique_ = a; return Acad::eOk; }
Acad::ErrorStatus AcDbText::setRotation(double a) { NUV_WRITE_CHECK; rotation_ = a; return Acad::eOk; }
Acad::ErrorStatus AcDbText::setTextStyle(AcDbObjectId style) {
    NUV_WRITE_CHECK;
    if (!style.isNull() && !AcDbTextStyleTableRecord::cast(DbAccess::peek(style))) return Acad::eInvalidInput;
    style_ = style;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbText::setThickness(double t) { NUV_WRITE_CHECK; thickness_ = t; return Acad::eOk; }
Acad::ErrorStatus AcDbText::setNormal(const AcGeVector3d& n) {
    NUV_WRITE_CHECK;
    if (n.isZeroLength()) return Acad::eInvalidInput;
    normal_ = n.normal();
    return Acad::eOk;
}

double AcDbText::estimatedWidth() const { return static_cast<double>(text_.size()) * height_ * widthFactor_; }

namespace {
// Direction of the text's baseline in world coordinates.
AcGeVector3d baseline(double rotation, const AcGeVector3d& normal) {
    AcGeVector3d d(std::cos(rotation), std::sin(rotation), 0);
    d.transformBy(CurveMath::ecsToWorld(normal));
    return d;
}
}  // namespace

Acad::ErrorStatus AcDbText::adjustAlignment(const AcDbDatabase*) {
    NUV_WRITE_CHECK;
    if (isDefaultAlignment()) return Acad::eOk;
    AcGeVector3d along = baseline(rotation_, normal_);
    AcGeVector3d up = normal_.crossProduct(along);
    double w = estimatedWidth();
    if (horz_ == AcDb::kTextAlign || horz_ == AcDb::kTextFit) {
        // The text runs from the position to the alignment point.
        AcGeVector3d d = alignment_ - position_;
        if (!d.isZeroLength()) rotation_ = std::atan2(d.y, d.x);
        return Acad::eOk;
    }
    double dx = horz_ == AcDb::kTextCenter || horz_ == AcDb::kTextMid ? w / 2 : horz_ == AcDb::kTextRight ? w : 0;
    double dy = 0;
    if (horz_ == AcDb::kTextMid) dy = height_ / 2;
    else if (vert_ == AcDb::kTextVertMid) dy = height_ / 2;
    else if (vert_ == AcDb::kTextTop) dy = height_;
    else if (vert_ == AcDb::kTextBottom) dy = -height_ / 3;
    position_ = alignment_ - along * dx - up * dy;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbText::transformBy(const AcGeMatrix3d& m) {
    NUV_WRITE_CHECK;
    AcGeVector3d along = baseline(rotation_, normal_);
    along.transformBy(m);
    double scale = along.length();
    position_.transformBy(m);
    alignment_.transformBy(m);
    AcGeVector3d n = normal_;
    n.transformBy(m);
    normal_ = n.normal();
    height_ *= scale;
    along.transformBy(CurveMath::ecsToWorld(normal_).inverse());
    rotation_ = std::atan2(along.y, along.x);
    if (rotation_ < 0) rotation_ += 2 * M_PI;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbText::getGeomExtents(AcDbExtents& extents) const {
    AcGeVector3d along = baseline(rotation_, normal_);
    AcGeVector3d up = normal_.crossProduct(along);
    double w = estimatedWidth();
    AcDbExtents e;
    for (int k = 0; k < 4; ++k) e.addPoint(position_ + along * (k & 1 ? w : 0) + up * (k & 2 ? height_ : 0));
    extents = e;
    return Acad::eOk;
}

void AcDbText::textFieldsOut(DxfOut& out) const {
    AcDbEntity::dxfOutFields(out);
    out.subclass("AcDbText");
    if (thickness_ != 0) out.real(39, thickness_);
    out.point(10, NUVAcad::wcsToOcs(position_, normal_));
    out.real(40, height_);
    out.str(1, text_);
    if (rotation_ != 0) out.real(50, rotation_ * 180.0 / M_PI);
    if (widthFactor_ != 1) out.real(41, widthFactor_);
    if (oblique_ != 0) out.real(51, oblique_ * 180.0 / M_PI);
    out.str(7, out.recordName(style_, "Standard"));
    if (generation_ != 0) out.i(71, generation_);
    if (horz_ != AcDb::kTextLeft) out.i(72, horz_);
    if (!isDefaultAlignment()) out.point(11, NUVAcad::wcsToOcs(alignment_, normal_));
    if (!normal_.isEqualTo(AcGeVector3d::kZAxis)) out.vec(210, normal_);
}

void AcDbText::dxfOutFields(DxfOut& out) const {
    textFieldsOut(out);
    out.subclass("AcDbText");
    if (vert_ != AcDb::kTextBase) out.i(73, vert_);
}

bool AcDbText::textFieldsIn(DxfIn& in) {
    AcDbEntity::dxfInFields(in);
    AcGePoint3d p, a;
    bool haveAlignment = false;
    const auto& tags = in.all();
    size_t k = in.pos;
    for (; k < tags.size(); ++k) {
        const DxfTag& t = tags[k];
        if (t.code == 100 && t.str != "AcDbText") break;
        switch (t.code) {
        case 39: thickness_ = t.real(); break;
        case 10: p = t.point(); break;
        case 11:
            a = t.point();
            haveAlignment = true;
            break;
        case 40: height_ = t.real(); break;
        case 1: text_ = t.str; break;
        case 50: rotation_ = t.real() * M_PI / 180.0; break;
        case 41: widthFactor_ = t.real() > 0 ? t.real() : 1.0; break;
        case 51: oblique_ = t.real() * M_PI / 180.0; break;
        case 7: style_ = in.textStyleId(t.str); break;
        case 71: generation_ = static_cast<int>(t.i); break;
        case 72: horz_ = static_cast<AcDb::TextHorzMode>(t.i >= 0 && t.i <= 5 ? t.i : 0); break;
        case 73: vert_ = static_cast<AcDb::TextVertMode>(t.i >= 0 && t.i <= 3 ? t.i : 0); break;
        case 210:
            if (!t.vector().isZeroLength()) normal_ = t.vector().normal();
            break;
        default: break;
        }
    }
    position_ = NUVAcad::ocsToWcs(p, normal_);
    alignment_ = haveAlignment ? NUVAcad::ocsToWcs(a, normal_) : position_;
    if (style_.isNull() && in.database()) style_ = in.textStyleId("Standard");
    in.pos = k;
    return k < tags.size();
}

Acad::ErrorStatus AcDbText::dxfInFields(DxfIn& in) {
    textFieldsIn(in);
    return Acad::eOk;
}
