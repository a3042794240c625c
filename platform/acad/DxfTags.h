// Group-coded values: the common currency of drawing files, entity data lists, extended data and
// extended records. Every class writes its fields as tags (DxfOut) and reads them back from tags
// (DxfIn); the file writer, the file reader and the entity-name layer only translate tags.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "acad/AcDbObjectId.h"
#include "acad/AcGePoint2d.h"
#include "acad/AcGePoint3d.h"
#include "acad/AcGeVector3d.h"

class AcDbDatabase;
struct resbuf;

namespace NUVAcad {

enum class TagType : uint8_t { String, Int, Real, Point, Handle, Id, Binary };

// The value type of a group code (the drawing-file convention).
TagType tagTypeOf(int code);
// True for codes whose x coordinate opens a point (10-18, 110-112, 210, 1010-1013, ...).
inline bool isPointCode(int code) { return tagTypeOf(code) == TagType::Point; }

struct DxfTag {
    int code = 0;
    uint8_t dim = 3;        // points: 2 for an x/y pair written without z
    std::string str;        // String, Handle (hex), Binary (hex)
    int64_t i = 0;          // Int
    double v[3] = {0, 0, 0};  // Real (v[0]) and Point
    AcDbObjectId id;        // Id: a pointer to another object

    DxfTag() = default;
    DxfTag(int c, std::string s) : code(c), str(std::move(s)) {}
    static DxfTag ofInt(int c, int64_t value) { DxfTag t; t.code = c; t.i = value; return t; }
    static DxfTag ofReal(int c, double value) { DxfTag t; t.code = c; t.v[0] = value; return t; }
    static DxfTag ofPoint(int c, const AcGePoint3d& p, int dim = 3) {
        DxfTag t; t.code = c; t.v[0] = p.x; t.v[1] = p.y; t.v[2] = p.z; t.dim = static_cast<uint8_t>(dim); return t;
    }
    static DxfTag ofId(int c, AcDbObjectId id) { DxfTag t; t.code = c; t.id = id; return t; }

    AcGePoint3d point() const { return {v[0], v[1], v[2]}; }
    AcGePoint2d point2d() const { return {v[0], v[1]}; }
    AcGeVector3d vector() const { return {v[0], v[1], v[2]}; }
    double real() const { return v[0]; }
    bool operator==(const DxfTag& o) const;
};

using TagList = std::vector<DxfTag>;

// Collects an object's fields. Layer, linetype, style and block references are written by name,
// so the writer needs the database that owns the referenced records.
class DxfOut {
public:
    DxfOut(TagList& tags, const AcDbDatabase* db) : tags_(tags), db_(db) {}
    const AcDbDatabase* database() const { return db_; }
    void subclass(const char* name) { tags_.emplace_back(100, name); }
    void str(int code, std::string_view s) { tags_.emplace_back(code, std::string(s)); }
    void i(int code, int64_t v) { tags_.push_back(DxfTag::ofInt(code, v)); }
    void real(int code, double v) { tags_.push_back(DxfTag::ofReal(code, v)); }
    void point(int code, const AcGePoint3d& p) { tags_.push_back(DxfTag::ofPoint(code, p)); }
    void point2d(int code, double x, double y) { tags_.push_back(DxfTag::ofPoint(code, {x, y, 0}, 2)); }
    void vec(int code, const AcGeVector3d& v) { tags_.push_back(DxfTag::ofPoint(code, {v.x, v.y, v.z})); }
    void id(int code, AcDbObjectId v) { tags_.push_back(DxfTag::ofId(code, v)); }
    // The name of a symbol table record, or `fallback` when the id does not resolve.
    std::string recordName(AcDbObjectId id, const char* fallback) const;
    void add(const DxfTag& t) { tags_.push_back(t); }
    TagList& tags() { return tags_; }

private:
    TagList& tags_;
    const AcDbDatabase* db_;
};

// Feeds an object's fields back. `pos` marks where the current class's tags begin; each class
// scans rest() for the codes it knows and ignores the others.
class DxfIn {
public:
    DxfIn(const TagList& tags, AcDbDatabase* db) : tags_(tags), db_(db) {}
    AcDbDatabase* database() const { return db_; }
    const TagList& all() const { return tags_; }
    size_t pos = 0;
    struct Range {
        const DxfTag* b;
        const DxfTag* e;
        const DxfTag* begin() const { return b; }
        const DxfTag* end() const { return e; }
    };
    Range rest() const { return {tags_.data() + pos, tags_.data() + tags_.size()}; }
    // Record lookups by name in the reading database; missing layers, linetypes and text styles
    // are created (a drawing may use a name its tables lack), a missing block is the null id.
    AcDbObjectId layerId(const std::string& name) const;
    AcDbObjectId linetypeId(const std::string& name) const;
    AcDbObjectId textStyleId(const std::string& name) const;
    AcDbObjectId blockId(const std::string& name) const;

private:
    const TagList& tags_;
    AcDbDatabase* db_;
};

// Conversions between tags and result buffers. Ids become entity names (and back).
resbuf* tagsToResbuf(const TagList& tags);
// Returns false for a buffer type that has no group-code meaning.
bool resbufToTags(const resbuf* rb, TagList& out);

// Case-folding for the host's names: ASCII letters fold, double-byte GBK characters are kept.
std::string upperName(std::string_view name);
bool namesEqual(std::string_view a, std::string_view b);

}  // namespace NUVAcad
