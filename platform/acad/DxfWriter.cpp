// Writes a database as a release R2000 (AC1015) ASCII drawing interchange file. Texts go out as the
// kernel holds them (GBK, with \U+ escapes for what GBK lacks) and names whole, so that what was
// read is written back as read.
#include <algorithm>
#include <charconv>
#include <cstring>

#include "acad/AcDbDatabase.h"
#include "acad/AcDbDictionary.h"
#include "acad/AcDbEntity.h"
#include "acad/AcDbPolylines.h"
#include "acad/AcDbSymbolTable.h"
#include "acad/DbInternal.h"
#include "win/FileSystem.h"

namespace NUVAcad {

class DxfWriter {
public:
    explicit DxfWriter(const AcDbDatabase* db) : db_(db) { out_.reserve(1 << 20); }
    std::string run();

private:
    void code(int c) {
        char b[16];
        auto r = std::to_chars(b, b + sizeof b, c);
        size_t n = static_cast<size_t>(r.ptr - b);
        if (n < 3) out_.append(3 - n, ' ');
        out_.append(b, n);
        out_ += '\n';
    }
    void line(std::string_view v) {
        // A value never spans lines, and a reader drops carriage returns at a line's end; a value
        // read from a file has neither, so it is written back as read.
        while (!v.empty() && v.back() == '\r') v.remove_suffix(1);
        if (v.find('\n') == std::string_view::npos) {
            out_.append(v);
        } else {
            for (char c : v) out_ += c == '\n' ? ' ' : c;
        }
        out_ += '\n';
    }
    void str(int c, std::string_view v) { code(c); line(v); }
    void integer(int c, int64_t v) {
        code(c);
        char b[24];
        auto r = std::to_chars(b, b + sizeof b, v);
        out_.append(b, static_cast<size_t>(r.ptr - b));
        out_ += '\n';
    }
    void real(int c, double v) {
        code(c);
        char b[32];
        auto r = std::to_chars(b, b + sizeof b, v);
        std::string_view s(b, static_cast<size_t>(r.ptr - b));
        out_.append(s);
        if (s.find_first_of(".eEn") == std::string_view::npos) out_ += ".0";
        out_ += '\n';
    }
    void handle(int c, uint64_t h) {
        code(c);
        char b[20];
        auto r = std::to_chars(b, b + sizeof b, h, 16);
        for (char* p = b; p < r.ptr; ++p)
            if (*p >= 'a' && *p <= 'f') *p = static_cast<char>(*p - 'a' + 'A');
        out_.append(b, static_cast<size_t>(r.ptr - b));
        out_ += '\n';
    }
    void id(int c, AcDbObjectId v) { handle(c, v.isNull() ? 0 : v.stub()->handle); }
    void tag(const DxfTag& t);
    void tags(const TagList& list) {
        for (const DxfTag& t : list) tag(t);
    }
    void object(const AcDbObject* o, std::string_view type, int handleCode = 5);
    void entity(const AcDbEntity* e);
    void header();
    void classes();
    void tables();
    void blocks();
    void entities();
    void objects();

    const AcDbDatabase* db_;
    std::string out_;
    TagList scratch_;
};

void DxfWriter::tag(const DxfTag& t) {
    switch (tagTypeOf(t.code)) {
    case TagType::Int: integer(t.code, t.i); break;
    case TagType::Real: real(t.code, t.v[0]); break;
    case TagType::Point:
        real(t.code, t.v[0]);
        real(t.code + 10, t.v[1]);
        if (t.dim == 3) real(t.code + 20, t.v[2]);
        break;
    case TagType::Id: id(t.code, t.id); break;
    default: str(t.code, t.str); break;
    }
}

void DxfWriter::object(const AcDbObject* o, std::string_view type, int handleCode) {
    str(0, type);
    handle(handleCode, o->handle().value());
    bool anyReactor = false;
    for (AcDbObjectId r : o->persistentReactorIds())
        if (r.isValid() && !r.isErased()) anyReactor = true;
    if (anyReactor) {
        str(102, "{ACAD_REACTORS");
        for (AcDbObjectId r : o->persistentReactorIds())
            if (r.isValid() && !r.isErased()) id(330, r);
        str(102, "}");
    }
    AcDbObjectId xd = o->extensionDictionary();
    if (xd.isValid() && !xd.isErased()) {
        str(102, "{ACAD_XDICTIONARY");
        id(360, xd);
        str(102, "}");
    }
    id(330, o->ownerId());
    scratch_.clear();
    DxfOut body(scratch_, db_);
    o->dxfOutFields(body);
    DbAccess::xdataTags(o, scratch_);
    tags(scratch_);
}

namespace {
// The type name as read for objects kept as read (whole, whatever bytes it holds).
std::string_view typeNameOf(const AcDbObject* o) {
    if (auto* p = AcDbProxyEntity::cast(o)) return p->typeName();
    if (auto* p = AcDbProxyObject::cast(o)) return p->typeName();
    if (auto* r = AcDbRawTableRecord::cast(o)) return r->typeName();
    return o->isA()->dxfName();
}
}  // namespace

void DxfWriter::entity(const AcDbEntity* e) {
    if (e->isErased()) return;
    std::string_view type = typeNameOf(e);
    if (type.empty()) return;
    object(e, type);
    if (const SubentList* subs = e->subentList()) {
        for (AcDbEntity* v : subs->items()) object(v, typeNameOf(v));
        str(0, "SEQEND");
        id(5, subs->seqendId);
        id(330, e->objectId());
        str(100, "AcDbEntity");
        scratch_.clear();
        DxfOut o(scratch_, db_);
        str(8, o.recordName(e->layerId(), "0"));
    }
}

void DxfWriter::header() {
    str(0, "SECTION");
    str(2, "HEADER");
    str(9, "$ACADVER");
    str(1, "AC1015");
    str(9, "$DWGCODEPAGE");
    str(3, "ANSI_936");
    str(9, "$HANDSEED");
    handle(5, db_->handseed().value());
    str(9, "$INSUNITS");
    integer(70, db_->insunits());
    scratch_.clear();
    DxfOut names(scratch_, db_);
    str(9, "$CLAYER");
    str(8, names.recordName(db_->clayer(), "0"));
    str(9, "$TEXTSTYLE");
    str(7, names.recordName(db_->textstyle(), "Standard"));
    str(9, "$CELTYPE");
    str(6, names.recordName(db_->celtype(), "ByLayer"));
    str(9, "$TEXTSIZE");
    real(40, db_->textsize());
    str(9, "$LTSCALE");
    real(40, db_->ltscale());
    str(9, "$UCSORG");
    tag(DxfTag::ofPoint(10, db_->ucsorg()));
    str(9, "$UCSXDIR");
    tag(DxfTag::ofPoint(10, AcGePoint3d(db_->ucsxdir().x, db_->ucsxdir().y, db_->ucsxdir().z)));
    str(9, "$UCSYDIR");
    tag(DxfTag::ofPoint(10, AcGePoint3d(db_->ucsydir().x, db_->ucsydir().y, db_->ucsydir().z)));
    for (const auto& [name, list] : DbAccess::store(db_).headerExtra) {
        str(9, name);
        tags(list);
    }
    str(0, "ENDSEC");
}

void DxfWriter::classes() {
    str(0, "SECTION");
    str(2, "CLASSES");
    std::vector<std::string> have;
    for (const TagList& c : DbAccess::store(db_).classes) {
        str(0, "CLASS");
        tags(c);
        for (const DxfTag& t : c)
            if (t.code == 1) have.push_back(t.str);
    }
    // Image objects need their classes declared.
    struct Decl {
        const char* dxf;
        const char* cpp;
        int flags;
        int isEntity;
    };
    static const Decl needed[] = {{"IMAGE", "AcDbRasterImage", 127, 1},
                                  {"IMAGEDEF", "AcDbRasterImageDef", 0, 0},
                                  {"IMAGEDEF_REACTOR", "AcDbRasterImageDefReactor", 1, 0}};
    for (const Decl& d : needed) {
        if (std::find(have.begin(), have.end(), d.dxf) != have.end()) continue;
        str(0, "CLASS");
        str(1, d.dxf);
        str(2, d.cpp);
        str(3, "ISM");
        integer(90, d.flags);
        integer(280, 0);
        integer(281, d.isEntity);
    }
    str(0, "ENDSEC");
}

void DxfWriter::tables() {
    str(0, "SECTION");
    str(2, "TABLES");
    std::vector<AcDbObjectId> order = {db_->viewportTableId(), db_->linetypeTableId(), db_->layerTableId(),
                                       db_->textStyleTableId(), db_->viewTableId(),     db_->UCSTableId(),
                                       db_->regAppTableId(),    db_->dimStyleTableId(), db_->blockTableId()};
    const auto& others = DbAccess::store(db_).otherTables;
    order.insert(order.end(), others.begin(), others.end());
    for (AcDbObjectId tid : order) {
        auto* table = DbAccess::peekAs<AcDbSymbolTable>(tid);
        if (!table) continue;
        auto* raw = AcDbRawSymbolTable::cast(table);
        std::string_view tableName = raw ? std::string_view(raw->name()) : std::string_view(table->tableName());
        bool dimstyle = tableName == "DIMSTYLE";
        str(0, "TABLE");
        str(2, tableName);
        handle(5, table->handle().value());
        id(330, AcDbObjectId());
        scratch_.clear();
        DxfOut body(scratch_, db_);
        table->dxfOutFields(body);
        tags(scratch_);
        for (AcDbObjectId rid : table->recordIds()) {
            auto* rec = DbAccess::peekAs<AcDbSymbolTableRecord>(rid);
            if (!rec || rec->isErased()) continue;
            std::string_view type = typeNameOf(rec);
            object(rec, type.empty() ? tableName : type, dimstyle ? 105 : 5);
        }
        str(0, "ENDTAB");
    }
    str(0, "ENDSEC");
}

void DxfWriter::blocks() {
    str(0, "SECTION");
    str(2, "BLOCKS");
    auto* table = DbAccess::peekAs<AcDbSymbolTable>(db_->blockTableId());
    if (table) {
        for (AcDbObjectId rid : table->recordIds()) {
            auto* btr = DbAccess::peekAs<AcDbBlockTableRecord>(rid);
            if (!btr || btr->isErased()) continue;
            bool paper = rid == db_->paperSpaceId();
            str(0, "BLOCK");
            id(5, btr->blockBeginId);
            id(330, rid);
            str(100, "AcDbEntity");
            if (paper) integer(67, 1);
            str(8, "0");
            str(100, "AcDbBlockBegin");
            str(2, btr->name());
            integer(70, btr->isAnonymous() ? 1 : 0);
            tag(DxfTag::ofPoint(10, btr->origin()));
            str(3, btr->name());
            str(1, "");
            tags(btr->beginExtra);
            // Model space and the first paper space list their entities in ENTITIES; every
            // other block (further layouts included) holds them here.
            if (rid != db_->modelSpaceId() && rid != db_->paperSpaceId())
                for (AcDbObjectId eid : btr->entityIds())
                    if (auto* e = DbAccess::peekAs<AcDbEntity>(eid)) entity(e);
            str(0, "ENDBLK");
            id(5, btr->blockEndId);
            id(330, rid);
            str(100, "AcDbEntity");
            if (paper) integer(67, 1);
            str(8, "0");
            str(100, "AcDbBlockEnd");
        }
    }
    str(0, "ENDSEC");
}

void DxfWriter::entities() {
    str(0, "SECTION");
    str(2, "ENTITIES");
    for (AcDbObjectId space : {db_->modelSpaceId(), db_->paperSpaceId()})
        if (auto* btr = DbAccess::peekAs<AcDbBlockTableRecord>(space))
            for (AcDbObjectId eid : btr->entityIds())
                if (auto* e = DbAccess::peekAs<AcDbEntity>(eid)) entity(e);
    str(0, "ENDSEC");
}

void DxfWriter::objects() {
    str(0, "SECTION");
    str(2, "OBJECTS");
    // The named-objects dictionary comes first; readers take it as the root.
    if (auto* nod = DbAccess::peek(db_->namedObjectsDictionaryId())) object(nod, "DICTIONARY");
    std::vector<const AcDbObject*> rest;
    for (const ObjectStub& s : DbAccess::store(db_).stubs) {
        const AcDbObject* o = s.object;
        if (!o || o->isErased() || o->objectId() == db_->namedObjectsDictionaryId()) continue;
        if (AcDbEntity::cast(o) || AcDbSymbolTable::cast(o) || AcDbSymbolTableRecord::cast(o)) continue;
        rest.push_back(o);
    }
    std::sort(rest.begin(), rest.end(), [](const AcDbObject* a, const AcDbObject* b) {
        return a->handle().value() < b->handle().value();
    });
    for (const AcDbObject* o : rest) {
        std::string_view type = typeNameOf(o);
        if (!type.empty()) object(o, type);
    }
    str(0, "ENDSEC");
}

std::string DxfWriter::run() {
    header();
    classes();
    tables();
    blocks();
    entities();
    objects();
    for (const auto& [name, list] : DbAccess::store(db_).otherSections) {
        str(0, "SECTION");
        str(2, name);
        tags(list);
        str(0, "ENDSEC");
    }
    str(0, "EOF");
    return std::move(out_);
}

}  // namespace NUVAcad

Acad::ErrorStatus AcDbDatabase::writeDxf(std::string& out) const {
    NUVAcad::DxfWriter w(this);
    out = w.run();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::saveAs(const char* fileName) {
    if (!fileName || !*fileName) {
        lastError_ = "no file name";
        return Acad::eInvalidInput;
    }
    std::string text;
    writeDxf(text);
    std::string why;
    if (!NUVWin::WriteFileAtomic(CString(fileName), text, &why)) {
        lastError_ = why;
        return Acad::eFileAccessErr;
    }
    fileName_ = fileName;
    markSaved();
    lastError_.clear();
    return Acad::eOk;
}
