#include "acad/DxfTags.h"

#include <cstdlib>
#include <cstring>

#include "acad/AcDbDatabase.h"
#include "acad/AcDbSymbolTable.h"
#include "acad/AdsName.h"
#include "acad/DbInternal.h"
#include "acad/ResBuf.h"

namespace NUVAcad {

TagType tagTypeOf(int code) {
    if (code == 5 || code == 105) return TagType::Handle;
    if (code < 0) return code == -1 || code == -2 ? TagType::Id : TagType::String;
    if (code <= 9) return TagType::String;
    if (code <= 18) return TagType::Point;
    if (code <= 39) return TagType::Real;  // lone y/z coordinates, elevation, thickness
    if (code <= 59) return TagType::Real;
    if (code <= 79) return TagType::Int;
    if (code <= 89) return TagType::Int;
    if (code <= 99) return TagType::Int;
    if (code <= 102) return TagType::String;
    if (code <= 109) return TagType::Handle;
    if (code <= 112) return TagType::Point;
    if (code <= 139) return TagType::Real;
    if (code <= 149) return TagType::Real;
    if (code <= 179) return TagType::Int;
    if (code <= 209) return TagType::Int;
    if (code == 210) return TagType::Point;
    if (code <= 239) return TagType::Real;
    if (code <= 299) return TagType::Int;
    if (code <= 309) return TagType::String;
    if (code <= 319) return TagType::Binary;
    if (code <= 329) return TagType::Handle;
    if (code <= 369) return TagType::Id;
    if (code <= 389) return TagType::Int;
    if (code <= 399) return TagType::Id;
    if (code <= 409) return TagType::Int;
    if (code <= 419) return TagType::String;
    if (code <= 429) return TagType::Int;
    if (code <= 439) return TagType::String;
    if (code <= 459) return TagType::Int;
    if (code <= 469) return TagType::Real;
    if (code <= 479) return TagType::String;
    if (code <= 481) return TagType::Id;
    if (code == 999) return TagType::String;
    if (code >= 1000 && code <= 1009) return code == 1004 ? TagType::Binary : code == 1005 ? TagType::Handle : TagType::String;
    if (code >= 1010 && code <= 1013) return TagType::Point;
    if (code >= 1014 && code <= 1039) return TagType::Real;
    if (code >= 1040 && code <= 1059) return TagType::Real;
    if (code >= 1060 && code <= 1071) return TagType::Int;
    return TagType::String;
}

bool DxfTag::operator==(const DxfTag& o) const {
    if (code != o.code) return false;
    switch (tagTypeOf(code)) {
    case TagType::Int: return i == o.i;
    case TagType::Real: return v[0] == o.v[0];
    case TagType::Point: return v[0] == o.v[0] && v[1] == o.v[1] && v[2] == o.v[2];
    case TagType::Id: return id == o.id;
    default: return str == o.str;
    }
}

std::string DxfOut::recordName(AcDbObjectId id, const char* fallback) const {
    auto* rec = DbAccess::peekAs<AcDbSymbolTableRecord>(id);
    return rec ? rec->name() : std::string(fallback);
}

namespace {
template <class Table, class Record, class Init>
AcDbObjectId lookupOrCreate(AcDbDatabase* db, AcDbObjectId tableId, const std::string& name, bool create, Init init) {
    auto* table = DbAccess::peekAs<Table>(tableId);
    if (!table || name.empty()) return {};
    AcDbObjectId id;
    if (table->getAt(name.c_str(), id, true) == Acad::eOk) return id;
    if (!create) return {};
    auto* rec = new Record;
    rec->setName(name.c_str());
    init(rec);
    AcDbObjectId newId = DbAccess::attach(db, rec, 0);
    DbAccess::setOwner(rec, tableId);
    table->attachRecord(newId, name);
    return newId;
}
auto noInit = [](auto*) {};
}  // namespace

AcDbObjectId DxfIn::layerId(const std::string& name) const {
    if (!db_) return {};
    // A layer made for a name the tables lacked draws continuous lines.
    AcDbObjectId cont = db_->continuousLinetype();
    return lookupOrCreate<AcDbLayerTable, AcDbLayerTableRecord>(
        db_, db_->layerTableId(), name, true, [&](AcDbLayerTableRecord* r) { r->setLinetypeObjectId(cont); });
}
AcDbObjectId DxfIn::linetypeId(const std::string& name) const {
    if (!db_) return {};
    return lookupOrCreate<AcDbLinetypeTable, AcDbLinetypeTableRecord>(db_, db_->linetypeTableId(), name, true, noInit);
}
AcDbObjectId DxfIn::textStyleId(const std::string& name) const {
    if (!db_) return {};
    return lookupOrCreate<AcDbTextStyleTable, AcDbTextStyleTableRecord>(db_, db_->textStyleTableId(), name, true, noInit);
}
AcDbObjectId DxfIn::blockId(const std::string& name) const {
    if (!db_) return {};
    return lookupOrCreate<AcDbBlockTable, AcDbBlockTableRecord>(db_, db_->blockTableId(), name, false, noInit);
}

std::string upperName(std::string_view name) {
    std::string s(name);
    for (size_t k = 0; k < s.size(); ++k) {
        unsigned char c = static_cast<unsigned char>(s[k]);
        if (c >= 0x81) {
            ++k;  // the trail byte of a double-byte character may look like an ASCII letter
            continue;
        }
        if (c >= 'a' && c <= 'z') s[k] = static_cast<char>(c - 'a' + 'A');
    }
    return s;
}

bool namesEqual(std::string_view a, std::string_view b) {
    return a.size() == b.size() && upperName(a) == upperName(b);
}

namespace {
int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
}  // namespace

resbuf* tagsToResbuf(const TagList& tags) {
    resbuf* head = nullptr;
    resbuf** tail = &head;
    for (const DxfTag& t : tags) {
        resbuf* rb = acutNewRb(t.code);
        if (!rb) continue;
        switch (acutResValKind(t.code)) {
        case ResValKind::Real: rb->resval.rreal = t.v[0]; break;
        case ResValKind::Point:
            for (int k = 0; k < 3; ++k) rb->resval.rpoint[k] = t.v[k];
            break;
        case ResValKind::Short: rb->resval.rint = static_cast<short>(t.i); break;
        case ResValKind::Long: rb->resval.rlong = static_cast<long>(t.i); break;
        case ResValKind::Int64: rb->resval.mnInt64 = t.i; break;
        case ResValKind::Name: acdbGetAdsName(rb->resval.rlname, t.id); break;
        case ResValKind::Binary: {
            size_t n = t.str.size() / 2;
            rb->resval.rbinary.clen = static_cast<short>(n);
            rb->resval.rbinary.buf = static_cast<char*>(std::malloc(n ? n : 1));
            for (size_t k = 0; k < n; ++k)
                rb->resval.rbinary.buf[k] = static_cast<char>(hexValue(t.str[2 * k]) * 16 + hexValue(t.str[2 * k + 1]));
            break;
        }
        case ResValKind::String:
        case ResValKind::Handle: rb->resval.rstring = acutNewString(t.str.c_str()); break;
        case ResValKind::None: break;
        }
        *tail = rb;
        tail = &rb->rbnext;
    }
    return head;
}

bool resbufToTags(const resbuf* rb, TagList& out) {
    static const char* hex = "0123456789ABCDEF";
    for (; rb; rb = rb->rbnext) {
        DxfTag t;
        t.code = rb->restype == RTDXF0 ? 0 : rb->restype;
        if (t.code >= 5000) return false;
        switch (acutResValKind(rb->restype)) {
        case ResValKind::Real: t.v[0] = rb->resval.rreal; break;
        case ResValKind::Point:
            for (int k = 0; k < 3; ++k) t.v[k] = rb->resval.rpoint[k];
            break;
        case ResValKind::Short: t.i = rb->resval.rint; break;
        case ResValKind::Long: t.i = rb->resval.rlong; break;
        case ResValKind::Int64: t.i = rb->resval.mnInt64; break;
        case ResValKind::Name: acdbGetObjectId(t.id, rb->resval.rlname); break;
        case ResValKind::Binary:
            for (int k = 0; k < rb->resval.rbinary.clen; ++k) {
                unsigned char c = static_cast<unsigned char>(rb->resval.rbinary.buf[k]);
                t.str += hex[c >> 4];
                t.str += hex[c & 15];
            }
            break;
        case ResValKind::String:
        case ResValKind::Handle: t.str = rb->resval.rstring ? rb->resval.rstring : ""; break;
        case ResValKind::None: break;
        }
        out.push_back(std::move(t));
    }
    return true;
}

}  // namespace NUVAcad
