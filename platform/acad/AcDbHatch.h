// AcDbHatch: an area bounded by loops and filled with a pattern (a predefined pattern by name,
// or solid fill). evaluateHatch() validates the loops and computes the pattern's hatch lines
// clipped to the boundary (even-odd rule).
#pragma once

#include <string>
#include <vector>

#include "acad/AcDbEntity.h"
#include "acad/AcGeDoubleArray.h"
#include "acad/AcGePoint2d.h"
#include "acad/AcGePoint2dArray.h"

class AcDbHatch : public AcDbEntity {
    NUV_DB_DECLARE(AcDbHatch, AcDbEntity, "HATCH")
public:
    enum HatchPatternType { kUserDefined = 0, kPreDefined = 1, kCustomDefined = 2 };
    enum HatchStyle { kNormal = 0, kOuter = 1, kIgnore = 2 };
    enum HatchLoopType {
        kDefault = 0, kExternal = 1, kPolyline = 2, kDerived = 4, kTextbox = 8, kOutermost = 0x10,
    };

    AcDbHatch() = default;
    AcDbHatch(const AcDbHatch&) = default;
    NUV_DB_CLONE(AcDbHatch)

    Acad::ErrorStatus setPattern(HatchPatternType type, const char* name);
    const char* patternName() const { return pattern_.c_str(); }
    HatchPatternType patternType() const { return patternType_; }
    bool isSolidFill() const;
    HatchStyle hatchStyle() const { return style_; }
    Acad::ErrorStatus setHatchStyle(HatchStyle s);
    double patternAngle() const { return angle_; }
    Acad::ErrorStatus setPatternAngle(double a);
    double patternScale() const { return scale_; }
    Acad::ErrorStatus setPatternScale(double s);
    double patternSpace() const { return space_; }
    Acad::ErrorStatus setPatternSpace(double s);
    bool associative() const { return associative_; }
    Acad::ErrorStatus setAssociative(bool b);
    double elevation() const { return elevation_; }
    Acad::ErrorStatus setElevation(double e);
    AcGeVector3d normal() const { return normal_; }
    Acad::ErrorStatus setNormal(const AcGeVector3d& n);

    // A polyline loop: vertices in the hatch's plane with one bulge per vertex (or none).
    Acad::ErrorStatus appendLoop(int loopType, const AcGePoint2dArray& vertices, const AcGeDoubleArray& bulges);
    int numLoops() const { return static_cast<int>(loops_.size()); }
    int loopTypeAt(int index) const;
    Acad::ErrorStatus getLoopAt(int index, int& loopType, AcGePoint2dArray& vertices, AcGeDoubleArray& bulges) const;
    Acad::ErrorStatus removeLoopAt(int index);

    // Checks the loops (at least one, each closed and not degenerate) and computes the pattern
    // lines; eInvalidInput when a loop cannot bound an area.
    Acad::ErrorStatus evaluateHatch(bool underEstimateNumLines = false);
    int numPatternDefinitions() const { return static_cast<int>(defs_.size()); }
    Acad::ErrorStatus getPatternDefinitionAt(int index, double& angle, double& baseX, double& baseY, double& offsetX,
                                             double& offsetY, AcGeDoubleArray& dashes) const;
    int numHatchLines() const { return static_cast<int>(lines_.size() / 2); }
    Acad::ErrorStatus getHatchLineDataAt(int index, AcGePoint2d& start, AcGePoint2d& end) const;
    // Area inside the loops (even-odd), from the evaluated outline.
    Acad::ErrorStatus getArea(double& area) const;

    Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform) override;
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
    void dxfOutFields(NUVAcad::DxfOut& out) const override;
    Acad::ErrorStatus dxfInFields(NUVAcad::DxfIn& in) override;

private:
    struct Loop {
        int type = 0;
        std::vector<AcGePoint2d> points;  // polyline loops
        std::vector<double> bulges;
        bool closed = true;                // polyline loops: 73
        NUVAcad::TagList edges;           // edge loops as read (93 onwards), kept unchanged
        NUVAcad::TagList sources;         // 97 count and 330 source objects
    };
    struct PatternLine {
        double angle = 0, baseX = 0, baseY = 0, offsetX = 0, offsetY = 0;
        std::vector<double> dashes;
    };
    void definePattern();
    std::vector<std::vector<AcGePoint2d>> outlines() const;

    std::string pattern_ = "SOLID";
    HatchPatternType patternType_ = kPreDefined;
    HatchStyle style_ = kNormal;
    double angle_ = 0, scale_ = 1, space_ = 1, elevation_ = 0;
    bool associative_ = false, doubled_ = false;
    AcGeVector3d normal_{0, 0, 1};
    std::vector<Loop> loops_;
    std::vector<PatternLine> defs_;
    std::vector<AcGePoint2d> lines_;  // evaluated hatch lines, start/end pairs
    NUVAcad::TagList seeds_;
    // Fields the model does not know (pixel size, gradient, ...), as read: before the loops,
    // after them up to the seed points, after the seed points.
    NUVAcad::TagList head_, beforeSeeds_, afterSeeds_;
};
