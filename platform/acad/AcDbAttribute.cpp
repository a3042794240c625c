// An attribute's own subclass follows the text's: tag (2), flags (70), field length (73),
// vertical alignment (74, where a text has 73), then fields of later versions. Files without
// subclass markers (R12) hold all of them in one list.
#include "acad/AcDbAttribute.h"

#include <cstring>

#include "acad/ResBuf.h"

using NUVAcad::DxfIn;
using NUVAcad::DxfOut;
using NUVAcad::DxfTag;

AcDbAttribute::AcDbAttribute(const AcGePoint3d& position, const char* text, const char* tag, AcDbObjectId style,
                             double height)
    : AcDbText(position, text, style, height), tag_(tag ? tag : "") {}

char* AcDbAttribute::tag() const { return acutNewString(tag_.c_str()); }

Acad::ErrorStatus AcDbAttribute::setTag(const char* tag) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    if (!tag || !*tag) return Acad::eInvalidInput;
    tag_ = tag;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbAttribute::setInvisible(bool invisible) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    flags_ = invisible ? flags_ | 1 : flags_ & ~1;
    return Acad::eOk;
}

void AcDbAttribute::dxfOutFields(DxfOut& out) const {
    textFieldsOut(out);
    out.subclass("AcDbAttribute");
    bool tag = false, flags = false, length = false, vert = false;
    auto putVert = [&] {
        if (vert_ != AcDb::kTextBase) out.i(74, vert_);
        vert = true;
    };
    // Fields in the order read; the ones the model holds with their current values.
    for (const DxfTag& t : own_) {
        if (t.code == 2 && !tag) {
            out.str(2, tag_);
            tag = true;
        } else if (t.code == 70 && !flags) {
            out.i(70, flags_);
            flags = true;
        } else if (t.code == 73 && !length) {
            out.i(73, fieldLength_);
            length = true;
        } else if (t.code == 74 && !vert) {
            putVert();
        } else {
            out.add(t);
        }
    }
    if (!tag) out.str(2, tag_);
    if (!flags) out.i(70, flags_);
    if (!length && fieldLength_ != 0) out.i(73, fieldLength_);
    if (!vert) putVert();
}

Acad::ErrorStatus AcDbAttribute::dxfInFields(DxfIn& in) {
    bool marked = textFieldsIn(in);
    own_.clear();
    const auto& tags = in.all();
    size_t k = in.pos;
    if (marked && tags[k].str == "AcDbAttribute") {
        ++k;
    } else if (!marked) {
        // No subclass markers: the text read 73 (here the field length) as its alignment.
        vert_ = AcDb::kTextBase;
        k = 0;
    }
    bool tagSeen = false, flagsSeen = false, lengthSeen = false, vertSeen = false;
    for (; k < tags.size(); ++k) {
        const DxfTag& t = tags[k];
        if (marked) {
            own_.push_back(t);
        } else if (t.code != 2 && t.code != 70 && t.code != 73 && t.code != 74) {
            continue;  // the text's own fields
        } else {
            own_.push_back(t);
        }
        if (t.code == 2 && !tagSeen) {
            tag_ = t.str;
            tagSeen = true;
        } else if (t.code == 70 && !flagsSeen) {
            flags_ = static_cast<int>(t.i);
            flagsSeen = true;
        } else if (t.code == 73 && !lengthSeen) {
            fieldLength_ = static_cast<int>(t.i);
            lengthSeen = true;
        } else if (t.code == 74 && !vertSeen) {
            vert_ = static_cast<AcDb::TextVertMode>(t.i >= 0 && t.i <= 3 ? t.i : 0);
            vertSeen = true;
        }
    }
    in.pos = tags.size();
    return tag_.empty() ? Acad::eInvalidInput : Acad::eOk;
}
