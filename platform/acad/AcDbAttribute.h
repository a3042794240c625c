// AcDbAttribute: a text that belongs to a block reference, named by its tag (ATTRIB). It moves,
// turns and scales with its block reference and is written after it, up to the SEQEND.
// Fields of the attribute's own subclass that the model does not know are kept as read.
#pragma once

#include <string>

#include "acad/AcDbText.h"
#include "acad/DxfTags.h"

class AcDbAttribute : public AcDbText {
    NUV_DB_DECLARE(AcDbAttribute, AcDbText, "ATTRIB")
public:
    AcDbAttribute() = default;
    AcDbAttribute(const AcGePoint3d& position, const char* text, const char* tag, AcDbObjectId style = AcDbObjectId(),
                  double height = 0.0);
    AcDbAttribute(const AcDbAttribute&) = default;
    NUV_DB_CLONE(AcDbAttribute)

    // A copy of the tag (free it with acutDelString), and the tag itself.
    char* tag() const;
    const char* tagConst() const { return tag_.c_str(); }
    Acad::ErrorStatus setTag(const char* tag);
    // Flags: 1 invisible, 2 constant, 4 verify on entry, 8 preset.
    bool isInvisible() const { return (flags_ & 1) != 0; }
    Acad::ErrorStatus setInvisible(bool invisible);
    bool isConstant() const { return (flags_ & 2) != 0; }
    bool isVerifiable() const { return (flags_ & 4) != 0; }
    bool isPreset() const { return (flags_ & 8) != 0; }
    int fieldLength() const { return fieldLength_; }

    void dxfOutFields(NUVAcad::DxfOut& out) const override;
    Acad::ErrorStatus dxfInFields(NUVAcad::DxfIn& in) override;

private:
    std::string tag_;
    int flags_ = 0;
    int fieldLength_ = 0;
    NUVAcad::TagList own_;  // the attribute subclass as read, in its order
};
