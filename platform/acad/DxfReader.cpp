// Reads an ASCII drawing interchange file into a database. Known types become model objects;
// anything else is kept as read, so a read followed by a save loses nothing. Malformed input
// ends the read with a status and a message; it never crashes. The read fills a database of its
// own, which takes the caller's drawing's place only once it has succeeded.
#include <charconv>
#include <deque>
#include <cstring>
#include <string_view>

#include "acad/AcDbAttribute.h"
#include "acad/AcDbBlockReference.h"
#include "acad/AcDbCurve.h"
#include "acad/AcDbDatabase.h"
#include "acad/AcDbDictionary.h"
#include "acad/AcDbEntity.h"
#include "acad/AcDbHatch.h"
#include "acad/AcDbPolylines.h"
#include "acad/AcDbRasterImage.h"
#include "acad/AcDbSymbolTable.h"
#include "acad/AcDbText.h"
#include "acad/DbInternal.h"
#include "acad/DxfText.h"
#include "win/FileSystem.h"

namespace NUVAcad {

AcDbObject* newObjectForType(const std::string& t) {
    if (t == "LINE") return new AcDbLine;
    if (t == "CIRCLE") return new AcDbCircle;
    if (t == "ARC") return new AcDbArc;
    if (t == "LWPOLYLINE") return new AcDbPolyline;
    if (t == "TEXT") return new AcDbText;
    if (t == "ATTRIB") return new AcDbAttribute;
    if (t == "INSERT") return new AcDbBlockReference;
    if (t == "HATCH") return new AcDbHatch;
    if (t == "IMAGE") return new AcDbRasterImage;
    if (t == "DICTIONARY") return new AcDbDictionary;
    if (t == "XRECORD") return new AcDbXrecord;
    if (t == "GROUP") return new AcDbGroup;
    if (t == "IMAGEDEF") return new AcDbRasterImageDef;
    if (t == "IMAGEDEF_REACTOR") return new AcDbRasterImageDefReactor;
    return nullptr;
}

namespace {

struct ReadError {
    Acad::ErrorStatus status;
    std::string message;
};

// One object's tags as read: its type and everything after the type line.
struct Group {
    std::string type;
    TagList tags;
    size_t line = 0;
};

class Tokenizer {
public:
    Tokenizer(std::string_view text, AcDbDatabase* db, const DxfTextDecoder& decoder)
        : text_(text), db_(db), decoder_(decoder) {}

    // Off while the header is read: $HANDSEED's value is written with code 5 but names no object.
    void noteHandles(bool on) { noteHandles_ = on; }
    bool atEnd() const { return pos_ >= text_.size(); }
    size_t lineNo() const { return line_; }

    // The next raw (code, value) pair.
    bool next(int& code, std::string_view& value) {
        std::string_view c;
        if (!readLine(c)) return false;
        if (!readLine(value)) throw ReadError{Acad::eEndOfFile, "truncated after group code at line " + std::to_string(line_)};
        while (!c.empty() && (c.front() == ' ' || c.front() == '\t')) c.remove_prefix(1);
        while (!c.empty() && (c.back() == ' ' || c.back() == '\t')) c.remove_suffix(1);
        auto r = std::from_chars(c.data(), c.data() + c.size(), code);
        if (r.ec != std::errc() || r.ptr != c.data() + c.size())
            throw ReadError{Acad::eBadDxfSequence, "invalid group code at line " + std::to_string(line_ - 1)};
        return true;
    }

    // Reads one group: the tags up to the next code 0. `type` is the value of the 0 that opened
    // it (already consumed by the caller).
    void readGroup(Group& g) {
        g.tags.clear();
        g.line = line_;
        int code;
        std::string_view v;
        while (peekCode() != 0) {
            if (!next(code, v)) throw ReadError{Acad::eEndOfFile, "unexpected end of file in " + g.type};
            g.tags.push_back(makeTag(code, v));
        }
    }

    // The type of the next group (consumes its 0 line); empty at the end of input.
    bool nextType(std::string& type) {
        int code;
        std::string_view v;
        if (!next(code, v)) return false;
        if (code != 0) throw ReadError{Acad::eBadDxfSequence, "expected group code 0 at line " + std::to_string(line_ - 1)};
        type.assign(trim(v));
        if (type.empty()) throw ReadError{Acad::eBadDxfSequence, "an object without a type name at line " + std::to_string(line_)};
        return true;
    }

private:
    static std::string_view trim(std::string_view v) {
        while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) v.remove_suffix(1);
        while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
        return v;
    }
    bool readLine(std::string_view& out) {
        if (pos_ >= text_.size()) return false;
        size_t e = text_.find('\n', pos_);
        if (e == std::string_view::npos) e = text_.size();
        out = text_.substr(pos_, e - pos_);
        while (!out.empty() && out.back() == '\r') out.remove_suffix(1);
        pos_ = e + 1;
        ++line_;
        return true;
    }
    int peekCode() {
        size_t save = pos_, saveLine = line_;
        std::string_view c;
        if (!readLine(c)) {
            throw ReadError{Acad::eEndOfFile, "unexpected end of file at line " + std::to_string(line_)};
        }
        pos_ = save;
        line_ = saveLine;
        c = trim(c);
        int code = -9999;
        auto r = std::from_chars(c.data(), c.data() + c.size(), code);
        if (r.ec != std::errc() || r.ptr != c.data() + c.size())
            throw ReadError{Acad::eBadDxfSequence, "invalid group code at line " + std::to_string(line_ + 1)};
        return code;
    }
    double real(std::string_view v) {
        v = trim(v);
        double d = 0;
        auto r = std::from_chars(v.data(), v.data() + v.size(), d);
        if (r.ec != std::errc()) throw ReadError{Acad::eBadDxfSequence, "invalid number at line " + std::to_string(line_)};
        return d;
    }
    int64_t integer(std::string_view v) {
        v = trim(v);
        int64_t i = 0;
        auto r = std::from_chars(v.data(), v.data() + v.size(), i);
        if (r.ec != std::errc()) {
            // Some writers put reals where integers belong.
            double d = real(v);
            if (!(d > -9.2e18 && d < 9.2e18)) throw ReadError{Acad::eBadDxfSequence, "integer out of range at line " + std::to_string(line_)};
            return static_cast<int64_t>(d);
        }
        return i;
    }
    std::string text(std::string_view v);
    DxfTag makeTag(int code, std::string_view v);

    std::string_view text_;
    size_t pos_ = 0, line_ = 0;
    AcDbDatabase* db_;
    const DxfTextDecoder& decoder_;
    bool noteHandles_ = true;
};

std::string Tokenizer::text(std::string_view v) {
    std::string out, error;
    if (!decoder_.decode(v, out, error))
        throw ReadError{Acad::eBadDxfSequence, "line " + std::to_string(line_) + ": " + error + " (the drawing's text is " +
                                                   decoder_.encodingName() + ")"};
    return out;
}

DxfTag Tokenizer::makeTag(int code, std::string_view v) {
    DxfTag t;
    t.code = code;
    switch (tagTypeOf(code)) {
    case TagType::Int: t.i = integer(v); break;
    case TagType::Real: t.v[0] = real(v); break;
    case TagType::Point: {
        t.v[0] = real(v);
        t.dim = 2;
        // y and z follow as code + 10 and code + 20 (z may be absent).
        size_t save = pos_, saveLine = line_;
        int c2;
        std::string_view v2;
        if (next(c2, v2) && c2 == code + 10) {
            t.v[1] = real(v2);
            save = pos_;
            saveLine = line_;
            if (next(c2, v2) && c2 == code + 20) {
                t.v[2] = real(v2);
                t.dim = 3;
            } else {
                pos_ = save;
                line_ = saveLine;
            }
        } else {
            pos_ = save;
            line_ = saveLine;
        }
        break;
    }
    case TagType::Id: {
        std::string_view h = trim(v);
        uint64_t value = 0;
        auto r = std::from_chars(h.data(), h.data() + h.size(), value, 16);
        if (r.ec == std::errc() && value != 0) t.id = AcDbObjectId(DbAccess::stubFor(db_, value, true));
        break;
    }
    case TagType::Handle:
        t.str.assign(trim(v));
        if ((code == 5 || code == 105) && noteHandles_) {
            // Every handle the file uses is kept from being given out again, even one whose
            // object the read drops.
            uint64_t h = 0;
            auto r = std::from_chars(t.str.data(), t.str.data() + t.str.size(), h, 16);
            if (r.ec == std::errc() && h + 1 > h) DbAccess::raiseHandseed(db_, h + 1);
        }
        break;
    case TagType::Binary: t.str.assign(trim(v)); break;
    case TagType::String: t.str = text(v); break;
    }
    return t;
}

uint64_t parseHandle(const std::string& s) {
    uint64_t v = 0;
    std::from_chars(s.data(), s.data() + s.size(), v, 16);
    return v;
}

// The header of an object: handle, reactors, extension dictionary, owner; the body and the
// extended data are what is left.
struct Parsed {
    uint64_t handle = 0;
    std::vector<AcDbObjectId> reactors;
    AcDbObjectId xdict, owner;
    TagList body, xdata;
};

// The owner is the first 330 outside any class's own fields: in the header, or in the common
// entity part where some writers put it. A 330 after another subclass marker is that class's data.
Parsed splitGroup(const Group& g) {
    Parsed p;
    bool ownerSeen = false;
    std::string_view marker;  // the last subclass marker seen
    const TagList& tags = g.tags;
    size_t k = 0;
    for (; k < tags.size(); ++k) {
        const DxfTag& t = tags[k];
        if (t.code == 1001) break;
        if (t.code == 100) marker = t.str;
        if ((t.code == 5 || t.code == 105) && p.handle == 0) {
            p.handle = parseHandle(t.str);
            continue;
        }
        if (t.code == 102 && (t.str == "{ACAD_REACTORS" || t.str == "{ACAD_XDICTIONARY")) {
            bool reactors = t.str == "{ACAD_REACTORS";
            for (++k; k < tags.size() && tags[k].code != 102; ++k) {
                if (reactors && tags[k].code == 330 && !tags[k].id.isNull()) p.reactors.push_back(tags[k].id);
                if (!reactors && tags[k].code == 360) p.xdict = tags[k].id;
            }
            continue;
        }
        if (t.code == 330 && !ownerSeen && (marker.empty() || marker == "AcDbEntity")) {
            p.owner = t.id;
            ownerSeen = true;
            continue;
        }
        p.body.push_back(t);
    }
    p.xdata.assign(tags.begin() + static_cast<long>(k), tags.end());
    return p;
}

// The value of a field; of a field repeated, the last, as the classes' own readers take it.
int64_t intOf(const TagList& body, int code, int64_t fallback) {
    for (auto t = body.rbegin(); t != body.rend(); ++t)
        if (t->code == code) return t->i;
    return fallback;
}

}  // namespace

class DxfReader {
public:
    DxfReader(AcDbDatabase* db, std::string_view text, const DxfTextDecoder& decoder) : db_(db), tok_(text, db, decoder) {}
    void run();

private:
    AcDbObject* make(const Group& g, const Parsed& p, bool isEntity);
    // The object read from its tags; a type this model does not know, or tags it cannot take,
    // are kept verbatim in a proxy so that writing the drawing again loses nothing.
    AcDbObject* readOrKeep(const Group& g, const Parsed& p, bool isEntity);
    AcDbObjectId finish(AcDbObject* o, Parsed& p);
    void header();
    void classes();
    void tables();
    void blocks();
    void entities(AcDbObjectId block, bool inBlock);
    void objects();
    void readEntity(const Group& g, AcDbObjectId block, bool inBlock);
    void ensureStandard();
    // Where the database keeps the table of this name; noSlot_ for a name the format lacks.
    AcDbObjectId& tableSlot(const std::string& name);
    AcDbObjectId noSlot_;

    AcDbDatabase* db_;
    Tokenizer tok_;
    std::string type_;
    Group group_;
    AcDbEntity* complex_ = nullptr;  // the polyline whose vertices are being read
    std::string clayer_, textstyle_, celtype_;
    bool nodSeen_ = false;
    uint64_t handseed_ = 0;
};

AcDbObject* DxfReader::make(const Group& g, const Parsed& p, bool isEntity) {
    if (g.type == "POLYLINE") {
        int64_t flags = intOf(p.body, 70, 0);
        if (flags & 64) return new AcDbPolyFaceMesh;
        if (flags & (8 | 16)) return new AcDb3dPolyline;
        return new AcDb2dPolyline;
    }
    if (g.type == "VERTEX") {
        // 128 marks the parts of a polyface mesh (with 64 a vertex, without a face record); 64
        // alone a vertex of a polygon mesh, which is kept as a 3-D vertex; 32 a 3-D vertex.
        int64_t flags = intOf(p.body, 70, 0);
        if ((flags & 128) && !(flags & 64)) return new AcDbFaceRecord;
        if ((flags & 128) && (flags & 64)) return new AcDbPolyFaceMeshVertex;
        if (flags & (32 | 64)) return new AcDb3dPolylineVertex;
        return new AcDb2dVertex;
    }
    AcDbObject* o = newObjectForType(g.type);
    if (o && (AcDbEntity::cast(o) != nullptr) != isEntity) {
        delete o;
        o = nullptr;
    }
    return o;
}

AcDbObject* DxfReader::readOrKeep(const Group& g, const Parsed& p, bool isEntity) {
    AcDbObject* o = make(g, p, isEntity);
    if (o) {
        DxfIn in(p.body, db_);
        if (o->dxfInFields(in) == Acad::eOk) return o;
        delete o;
    }
    AcDbObject* proxy = isEntity ? static_cast<AcDbObject*>(new AcDbProxyEntity(g.type)) : new AcDbProxyObject(g.type);
    DxfIn in(p.body, db_);
    proxy->dxfInFields(in);
    return proxy;
}

AcDbObjectId DxfReader::finish(AcDbObject* o, Parsed& p) {
    AcDbObjectId id = DbAccess::attach(db_, o, p.handle);
    DbAccess::setOwner(o, p.owner);
    if (!p.reactors.empty()) DbAccess::setReactors(o, p.reactors);
    if (!p.xdict.isNull()) DbAccess::setXdict(o, p.xdict);
    if (!p.xdata.empty()) DbAccess::setXdataTags(o, p.xdata);
    return id;
}

AcDbObjectId& DxfReader::tableSlot(const std::string& name) {
    if (name == "BLOCK_RECORD") return db_->blockTable_;
    if (name == "LAYER") return db_->layerTable_;
    if (name == "LTYPE") return db_->linetypeTable_;
    if (name == "STYLE") return db_->textStyleTable_;
    if (name == "APPID") return db_->regAppTable_;
    if (name == "VPORT") return db_->vportTable_;
    if (name == "VIEW") return db_->viewTable_;
    if (name == "UCS") return db_->ucsTable_;
    if (name == "DIMSTYLE") return db_->dimStyleTable_;
    noSlot_ = AcDbObjectId();
    return noSlot_;
}

void DxfReader::header() {
    // Variables: 9 $NAME followed by their values, all in one group.
    tok_.noteHandles(false);
    tok_.readGroup(group_);
    tok_.noteHandles(true);
    std::string name;
    TagList values;
    auto flush = [&]() {
        if (name.empty()) return;
        if (name == "$HANDSEED" && !values.empty()) {
            handseed_ = parseHandle(values[0].str);
        } else if (name == "$ACADVER" || name == "$DWGCODEPAGE") {
        } else if (name == "$CLAYER" && !values.empty()) {
            clayer_ = values[0].str;
        } else if (name == "$TEXTSTYLE" && !values.empty()) {
            textstyle_ = values[0].str;
        } else if (name == "$CELTYPE" && !values.empty()) {
            celtype_ = values[0].str;
        } else if (name == "$TEXTSIZE" && !values.empty()) {
            db_->setTextsize(values[0].real());
        } else if (name == "$LTSCALE" && !values.empty()) {
            db_->setLtscale(values[0].real());
        } else if (name == "$INSUNITS" && !values.empty()) {
            db_->setInsunits(static_cast<int>(values[0].i));
        } else if (name == "$UCSORG" && !values.empty()) {
            db_->ucsOrg_ = values[0].point();
        } else if (name == "$UCSXDIR" && !values.empty()) {
            db_->ucsX_ = values[0].vector();
        } else if (name == "$UCSYDIR" && !values.empty()) {
            db_->ucsY_ = values[0].vector();
        } else {
            DbAccess::store(db_).headerExtra.emplace_back(name, values);
        }
        values.clear();
    };
    for (const DxfTag& t : group_.tags) {
        if (t.code == 9) {
            flush();
            name = t.str;
        } else if (t.code != 2 || !name.empty()) {
            values.push_back(t);
        }
    }
    flush();
    if (db_->ucsX_.isZeroLength() || db_->ucsY_.isZeroLength()) {
        db_->ucsX_ = AcGeVector3d(1, 0, 0);
        db_->ucsY_ = AcGeVector3d(0, 1, 0);
    }
    if (!tok_.nextType(type_) || type_ != "ENDSEC") throw ReadError{Acad::eBadDxfSequence, "HEADER section not closed"};
}

void DxfReader::classes() {
    tok_.readGroup(group_);  // the section name
    while (tok_.nextType(type_) && type_ == "CLASS") {
        tok_.readGroup(group_);
        DbAccess::store(db_).classes.push_back(group_.tags);
    }
    if (type_ != "ENDSEC") throw ReadError{Acad::eBadDxfSequence, "CLASSES section not closed"};
}

void DxfReader::tables() {
    tok_.readGroup(group_);
    while (tok_.nextType(type_)) {
        if (type_ == "ENDSEC") return;
        if (type_ != "TABLE") throw ReadError{Acad::eBadDxfSequence, "expected TABLE, found " + type_};
        group_.type = type_;
        tok_.readGroup(group_);
        std::string name;
        for (const DxfTag& t : group_.tags)
            if (t.code == 2) {
                name = t.str;
                break;
            }
        Parsed p = splitGroup(group_);
        AcDbObjectId& slot = tableSlot(name);
        AcDbSymbolTable* table = DbAccess::peekAs<AcDbSymbolTable>(slot);
        AcDbObjectId tableId = slot;
        if (!table) {
            if (name == "BLOCK_RECORD") table = new AcDbBlockTable;
            else if (name == "LAYER") table = new AcDbLayerTable;
            else if (name == "LTYPE") table = new AcDbLinetypeTable;
            else if (name == "STYLE") table = new AcDbTextStyleTable;
            else if (name == "APPID") table = new AcDbRegAppTable;
            else table = new AcDbRawSymbolTable(name);
            DxfIn in(p.body, db_);
            table->dxfInFields(in);
            tableId = finish(table, p);
            // A table of a name the format does not have is still written back.
            if (&slot == &noSlot_) DbAccess::store(db_).otherTables.push_back(tableId);
            else slot = tableId;
        }
        // A second table of a known name adds its records to the first.
        while (tok_.nextType(type_) && type_ != "ENDTAB") {
            group_.type = type_;
            tok_.readGroup(group_);
            Parsed rp = splitGroup(group_);
            // Records of tables kept as read keep their type name as read too.
            AcDbSymbolTableRecord* rec =
                AcDbRawSymbolTable::cast(table) ? new AcDbRawTableRecord(group_.type) : table->newRecord();
            DxfIn rin(rp.body, db_);
            if (rec->dxfInFields(rin) != Acad::eOk || rec->name().empty()) {
                delete rec;
                continue;
            }
            // BLOCKS finds a block's record by name: two of one name would take each other's entities.
            if (AcDbBlockTable::cast(table) && table->has(rec->name().c_str())) {
                std::string dup = rec->name();
                delete rec;
                throw ReadError{Acad::eDuplicateRecordName, "line " + std::to_string(group_.line) + ": block " + dup + " is defined twice"};
            }
            rp.owner = tableId;
            AcDbObjectId rid = finish(rec, rp);
            table->attachRecord(rid, rec->name());
        }
        if (type_ != "ENDTAB") throw ReadError{Acad::eEndOfFile, "table " + name + " not closed"};
    }
    throw ReadError{Acad::eEndOfFile, "TABLES section not closed"};
}

void DxfReader::readEntity(const Group& g, AcDbObjectId block, bool inBlock) {
    // Section and block markers out of place are damage, not entities: kept, they would end a
    // section or block early when written back.
    static const char* const structural[] = {"SECTION", "ENDSEC", "BLOCK", "ENDBLK", "TABLE", "ENDTAB", "CLASS", "EOF"};
    for (const char* m : structural)
        if (g.type == m) return;
    Parsed p = splitGroup(g);
    if (g.type == "SEQEND") {
        if (complex_) {
            if (SubentList* subs = complex_->subentList()) subs->seqendId = AcDbObjectId(DbAccess::stubFor(db_, p.handle, true));
        }
        complex_ = nullptr;
        return;
    }
    if (complex_ && (g.type == "VERTEX" || g.type == "ATTRIB")) {
        // A part of the polyline or block reference before it, up to its SEQEND.
        AcDbObject* o = readOrKeep(g, p, true);
        p.owner = complex_->objectId();
        AcDbObjectId id = finish(o, p);
        complex_->subentList()->attach(id);
        return;
    }
    complex_ = nullptr;
    AcDbObject* o = readOrKeep(g, p, true);
    // The owner decides the block: the record named by 330, else the block being read (or model
    // space, or paper space for an entity flagged as such).
    AcDbObjectId owner = block;
    if (!inBlock) {
        if (DbAccess::peekAs<AcDbBlockTableRecord>(p.owner)) owner = p.owner;
        else if (intOf(p.body, 67, 0) == 1) owner = db_->paperSpaceId();
    }
    p.owner = owner;
    AcDbObjectId id = finish(o, p);
    if (auto* btr = DbAccess::peekAs<AcDbBlockTableRecord>(owner)) btr->attachEntity(id);
    if (auto* e = AcDbEntity::cast(o); e && e->subentList()) complex_ = e;
}

void DxfReader::blocks() {
    tok_.readGroup(group_);
    while (tok_.nextType(type_)) {
        if (type_ == "ENDSEC") return;
        if (type_ != "BLOCK") throw ReadError{Acad::eBadDxfSequence, "expected BLOCK, found " + type_};
        group_.type = type_;
        tok_.readGroup(group_);
        Parsed p = splitGroup(group_);
        std::string name;
        AcGePoint3d origin;
        TagList extra;
        bool inBegin = false;
        for (const DxfTag& t : p.body) {
            if (t.code == 100) {
                inBegin = t.str == "AcDbBlockBegin";
                continue;
            }
            if (t.code == 2) name = t.str;
            else if (t.code == 10) origin = t.point();
            else if (inBegin && t.code != 70 && t.code != 3 && t.code != 1) extra.push_back(t);
        }
        // R12 names the two spaces with a dollar sign.
        if (namesEqual(name, "$MODEL_SPACE")) name = "*Model_Space";
        else if (namesEqual(name, "$PAPER_SPACE")) name = "*Paper_Space";
        // Extended data of the BLOCK marker stays last in it.
        extra.insert(extra.end(), p.xdata.begin(), p.xdata.end());
        auto* table = DbAccess::peekAs<AcDbBlockTable>(db_->blockTable_);
        if (!table) {
            ensureStandard();
            table = DbAccess::peekAs<AcDbBlockTable>(db_->blockTable_);
        }
        AcDbObjectId rid;
        if (table->getAt(name.c_str(), rid, true) != Acad::eOk) {
            auto* rec = new AcDbBlockTableRecord;
            rec->setName(name.empty() ? "*U" : name.c_str());
            rid = DbAccess::attach(db_, rec, 0);
            DbAccess::setOwner(rec, db_->blockTable_);
            table->attachRecord(rid, rec->name());
        }
        auto* btr = DbAccess::peekAs<AcDbBlockTableRecord>(rid);
        if (!btr) throw ReadError{Acad::eBadDxfSequence, "block " + name + " has no block record"};
        DbAccess::open(btr, AcDb::kForWrite);
        btr->setOrigin(origin);
        btr->close();
        if (p.handle) btr->blockBeginId = AcDbObjectId(DbAccess::stubFor(db_, p.handle, true));
        btr->beginExtra = extra;
        complex_ = nullptr;
        while (tok_.nextType(type_) && type_ != "ENDBLK") {
            group_.type = type_;
            tok_.readGroup(group_);
            readEntity(group_, rid, true);
        }
        if (type_ != "ENDBLK") throw ReadError{Acad::eEndOfFile, "block " + name + " not closed"};
        group_.type = type_;
        tok_.readGroup(group_);
        Parsed e = splitGroup(group_);
        if (e.handle) btr->blockEndId = AcDbObjectId(DbAccess::stubFor(db_, e.handle, true));
    }
    throw ReadError{Acad::eEndOfFile, "BLOCKS section not closed"};
}

void DxfReader::entities(AcDbObjectId, bool) {
    tok_.readGroup(group_);
    ensureStandard();
    complex_ = nullptr;
    while (tok_.nextType(type_)) {
        if (type_ == "ENDSEC") return;
        group_.type = type_;
        tok_.readGroup(group_);
        readEntity(group_, db_->modelSpaceId(), false);
    }
    throw ReadError{Acad::eEndOfFile, "ENTITIES section not closed"};
}

void DxfReader::objects() {
    tok_.readGroup(group_);
    while (tok_.nextType(type_)) {
        if (type_ == "ENDSEC") return;
        group_.type = type_;
        tok_.readGroup(group_);
        Parsed p = splitGroup(group_);
        AcDbObject* o = readOrKeep(group_, p, false);
        AcDbObjectId id = finish(o, p);
        if (!nodSeen_ && AcDbDictionary::cast(o)) {
            db_->nod_ = id;  // the first dictionary is the root
            nodSeen_ = true;
        }
    }
    throw ReadError{Acad::eEndOfFile, "OBJECTS section not closed"};
}

// A drawing that lacks standard tables or records gets them, so every later lookup works.
void DxfReader::ensureStandard() {
    auto table = [&](const char* name, auto make) {
        AcDbObjectId& slot = tableSlot(name);
        if (slot.isNull() || !DbAccess::peek(slot)) {
            AcDbSymbolTable* t = make();
            slot = DbAccess::attach(db_, t, 0);
        }
        return DbAccess::peekAs<AcDbSymbolTable>(slot);
    };
    auto record = [&](AcDbSymbolTable* t, const char* name, auto init) {
        AcDbObjectId id;
        if (t->getAt(name, id, true) == Acad::eOk) return;
        AcDbSymbolTableRecord* r = t->newRecord();
        r->setName(name);
        init(r);
        id = DbAccess::attach(db_, r, 0);
        DbAccess::setOwner(r, t->objectId());
        t->attachRecord(id, name);
    };
    auto none = [](AcDbSymbolTableRecord*) {};
    AcDbSymbolTable* lt = table("LTYPE", [] { return new AcDbLinetypeTable; });
    record(lt, "ByBlock", none);
    record(lt, "ByLayer", none);
    record(lt, "Continuous", none);
    AcDbObjectId cont = db_->continuousLinetype();
    AcDbSymbolTable* layers = table("LAYER", [] { return new AcDbLayerTable; });
    record(layers, "0", [&](AcDbSymbolTableRecord* r) { static_cast<AcDbLayerTableRecord*>(r)->setLinetypeObjectId(cont); });
    AcDbSymbolTable* styles = table("STYLE", [] { return new AcDbTextStyleTable; });
    record(styles, "Standard", none);
    AcDbSymbolTable* apps = table("APPID", [] { return new AcDbRegAppTable; });
    record(apps, "ACAD", none);
    AcDbSymbolTable* blocks = table("BLOCK_RECORD", [] { return new AcDbBlockTable; });
    record(blocks, "*Model_Space", none);
    record(blocks, "*Paper_Space", none);
    table("VPORT", [] { return new AcDbRawSymbolTable("VPORT"); });
    table("VIEW", [] { return new AcDbRawSymbolTable("VIEW"); });
    table("UCS", [] { return new AcDbRawSymbolTable("UCS"); });
    table("DIMSTYLE", [] { return new AcDbRawSymbolTable("DIMSTYLE"); });
}

void DxfReader::run() {
    bool sawEof = false;
    while (tok_.nextType(type_)) {
        if (type_ == "EOF") {
            sawEof = true;
            break;
        }
        if (type_ != "SECTION") throw ReadError{Acad::eBadDxfSequence, "expected SECTION, found " + type_};
        // The section name is the first tag of the section group; peek at it through the group.
        Group head;
        head.type = type_;
        std::string name;
        {
            // Read only the (2, name) pair here; each section reader reads the rest of the group.
            int code;
            std::string_view v;
            if (!tok_.next(code, v) || code != 2) throw ReadError{Acad::eBadDxfSequence, "section without a name"};
            name.assign(v);
            while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
        }
        if (name == "HEADER") header();
        else if (name == "CLASSES") classes();
        else if (name == "TABLES") tables();
        else if (name == "BLOCKS") blocks();
        else if (name == "ENTITIES") entities(AcDbObjectId(), false);
        else if (name == "OBJECTS") objects();
        else {
            // A section the model does not know (a preview image, data of other programs) is
            // kept as read, its groups' type lines among its tags, and written back at the end.
            tok_.readGroup(group_);
            TagList kept = group_.tags;
            while (tok_.nextType(type_) && type_ != "ENDSEC") {
                kept.emplace_back(0, type_);
                tok_.readGroup(group_);
                kept.insert(kept.end(), group_.tags.begin(), group_.tags.end());
            }
            if (type_ != "ENDSEC") throw ReadError{Acad::eEndOfFile, "section " + name + " not closed"};
            DbAccess::store(db_).otherSections.emplace_back(name, std::move(kept));
        }
    }
    if (!sawEof) throw ReadError{Acad::eEndOfFile, "missing EOF: the file is truncated"};
    ensureStandard();
    // Every handle of the file is known now: markers the file lacked get fresh ones.
    DbAccess::raiseHandseed(db_, handseed_);
    DbAccess::finishLoading(db_);
    for (const ObjectStub& s : std::deque<ObjectStub>(DbAccess::store(db_).stubs)) {
        if (auto* btr = AcDbBlockTableRecord::cast(s.object)) {
            if (btr->blockBeginId.isNull()) btr->blockBeginId = DbAccess::reserve(db_);
            if (btr->blockEndId.isNull()) btr->blockEndId = DbAccess::reserve(db_);
        } else if (auto* e = AcDbEntity::cast(s.object); e && e->subentList() && e->subentList()->seqendId.isNull()) {
            e->subentList()->seqendId = DbAccess::reserve(db_);
        }
    }
    // Current settings from the header, when they name existing records.
    auto pick = [&](AcDbObjectId tableId, const std::string& name, const char* fallback) {
        auto* t = DbAccess::peekAs<AcDbSymbolTable>(tableId);
        AcDbObjectId id;
        if (t && (t->getAt(name.c_str(), id) == Acad::eOk || t->getAt(fallback, id) == Acad::eOk)) return id;
        return AcDbObjectId();
    };
    db_->clayer_ = pick(db_->layerTable_, clayer_, "0");
    db_->textstyle_ = pick(db_->textStyleTable_, textstyle_, "Standard");
    db_->celtype_ = pick(db_->linetypeTable_, celtype_, "ByLayer");
    if (db_->nod_.isNull() || !DbAccess::peekAs<AcDbDictionary>(db_->nod_)) {
        auto* nod = new AcDbDictionary;
        db_->nod_ = DbAccess::attach(db_, nod, 0);
    }
    auto* nod = DbAccess::peekAs<AcDbDictionary>(db_->nod_);
    // An entry that names no dictionary is not written back: it is replaced like a missing one.
    AcDbObjectId groupsId;
    if (nod->getAt("ACAD_GROUP", groupsId) != Acad::eOk || !DbAccess::peekAs<AcDbDictionary>(groupsId)) {
        auto* groups = new AcDbDictionary;
        AcDbObjectId gid = DbAccess::attach(db_, groups, 0);
        DbAccess::setOwner(groups, db_->nod_);
        nod->attachEntry("ACAD_GROUP", gid);
    }
}

namespace {
// The value of a header variable, found before the read proper: the text's decoding depends on
// $ACADVER and $DWGCODEPAGE. Only the HEADER section at the start of the file is searched.
std::string_view headerValue(std::string_view text, std::string_view name) {
    size_t end = text.find("ENDSEC");
    std::string_view head = text.substr(0, end == std::string_view::npos ? std::min<size_t>(text.size(), 1 << 20) : end);
    for (size_t k = head.find(name); k != std::string_view::npos; k = head.find(name, k + 1)) {
        // The name must fill its line.
        if (k == 0 || head[k - 1] != '\n') continue;
        size_t e = k + name.size();
        if (e < head.size() && head[e] == '\r') ++e;
        if (e >= head.size() || head[e] != '\n') continue;
        size_t codeEnd = head.find('\n', e + 1);
        if (codeEnd == std::string_view::npos) return {};
        size_t valueEnd = head.find('\n', codeEnd + 1);
        std::string_view v = head.substr(codeEnd + 1, valueEnd == std::string_view::npos ? std::string_view::npos : valueEnd - codeEnd - 1);
        while (!v.empty() && (v.back() == '\r' || v.back() == ' ' || v.back() == '\t')) v.remove_suffix(1);
        while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
        return v;
    }
    return {};
}

}  // namespace
}  // namespace NUVAcad

// The file is read into a database of its own, which takes this one's place only once the read
// has succeeded: a refused file leaves the open drawing as it was.
Acad::ErrorStatus AcDbDatabase::readDxf(const std::string& text) {
    if (text.size() >= 6 && text.compare(0, 4, "AC10") == 0 && text[4] >= '0' && text[4] <= '9') {
        lastError_ = "binary DWG drawings cannot be read; save the drawing as DXF";
        return Acad::eDwgNotRecognized;
    }
    if (text.compare(0, 18, "AutoCAD Binary DXF") == 0) {
        lastError_ = "binary DXF files cannot be read; save the drawing as ASCII DXF";
        return Acad::eDwgNotRecognized;
    }
    // Some editors put a byte-order mark in front of a text file.
    std::string_view body(text);
    if (body.substr(0, 3) == "\xEF\xBB\xBF") body.remove_prefix(3);
    AcDbDatabase read(false, true);  // no document: nothing of the read is recorded for undo
    try {
        NUVAcad::DxfTextDecoder decoder(NUVAcad::headerValue(body, "$ACADVER"), NUVAcad::headerValue(body, "$DWGCODEPAGE"));
        NUVAcad::DbAccess::setLoading(&read, true);
        NUVAcad::DxfReader r(&read, body, decoder);
        r.run();
    } catch (const NUVAcad::ReadError& e) {
        NUVAcad::DbAccess::setLoading(&read, false);
        lastError_ = e.message;
        return e.status;
    } catch (const std::exception& e) {
        NUVAcad::DbAccess::setLoading(&read, false);
        lastError_ = std::string("cannot read the drawing: ") + e.what();
        return Acad::eBadDxfSequence;
    }
    swapContents(read);
    lastError_.clear();
    return Acad::eOk;
}
Acad::ErrorStatus AcDbDatabase::readDwgFile(const char* fileName, int, bool, const wchar_t*) {
    if (!fileName || !*fileName) {
        lastError_ = "no file name";
        return Acad::eInvalidInput;
    }
    std::string bytes;
    if (!NUVWin::ReadFileBytes(CString(fileName), bytes)) {
        lastError_ = std::string("cannot open ") + fileName;
        return Acad::eFileNotFound;
    }
    Acad::ErrorStatus es = readDxf(bytes);
    if (es == Acad::eOk) fileName_ = fileName;
    return es;
}
