#include "acad/AcDbSymbolTable.h"

#include <algorithm>

#include "acad/AcDbDatabase.h"
#include "acad/AcDbEntity.h"
#include "acad/AcDbText.h"
#include "acad/DbInternal.h"
#include "acad/ResBuf.h"

using NUVAcad::DbAccess;
using NUVAcad::DxfIn;
using NUVAcad::DxfOut;
using NUVAcad::DxfTag;
using NUVAcad::upperName;

// ---- Tables ----

bool AcDbSymbolTable::has(const char* name) const {
    AcDbObjectId id;
    return getAt(name, id) == Acad::eOk;
}

bool AcDbSymbolTable::has(AcDbObjectId id) const {
    return std::find(order_.begin(), order_.end(), id) != order_.end() && !id.isErased();
}

Acad::ErrorStatus AcDbSymbolTable::getAt(const char* name, AcDbObjectId& id, bool getErased) const {
    if (!name) return Acad::eInvalidInput;
    auto it = index_.find(upperName(name));
    if (it == index_.end()) return Acad::eKeyNotFound;
    if (!getErased && it->second.isErased()) return Acad::eKeyNotFound;
    id = it->second;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTable::getAt(const char* name, AcDbSymbolTableRecord*& rec, AcDb::OpenMode mode,
                                         bool openErased) const {
    rec = nullptr;
    AcDbObjectId id;
    Acad::ErrorStatus es = getAt(name, id, openErased);
    if (es != Acad::eOk) return es;
    return acdbOpenObject(rec, id, mode, openErased);
}

namespace {
bool validSymbolName(const std::string& n) {
    if (n.empty()) return false;
    for (char c : n)
        if (c == '<' || c == '>' || c == '/' || c == '\\' || c == '"' || c == ':' || c == ';' || c == '?' ||
            c == ',' || c == '=' || c == '`' || c == '|' || (static_cast<unsigned char>(c) < 32))
            return false;
    return true;
}
}  // namespace

Acad::ErrorStatus AcDbSymbolTable::add(AcDbObjectId& id, AcDbSymbolTableRecord* rec) {
    if (!rec) return Acad::eNullObjectPointer;
    if (!isDatabaseResident()) return Acad::eNotInDatabase;
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (rec->isDatabaseResident()) return Acad::eAlreadyInDb;
    if (!rec->isKindOf(newRecordClass())) return Acad::eWrongObjectType;
    std::string name = rec->name();
    if (AcDbBlockTable::cast(this) && (name == "*U" || name == "*u")) {
        // Anonymous blocks get the next free number.
        do name = "*U" + std::to_string(++anonymousCounter_);
        while (index_.count(upperName(name)));
        rec->setName(name.c_str());
    }
    if (!validSymbolName(name)) return name.empty() ? Acad::eInvalidInput : Acad::eInvalidSymbolTableName;
    auto it = index_.find(upperName(name));
    if (it != index_.end() && !it->second.isErased()) return Acad::eDuplicateRecordName;
    if (auto* layer = AcDbLayerTableRecord::cast(rec); layer && layer->linetypeObjectId().isNull())
        layer->setLinetypeObjectId(database()->continuousLinetype());
    Acad::ErrorStatus es = database()->addAcDbObject(id, rec);
    if (es != Acad::eOk) return es;
    rec->setOwnerId(objectId());
    attachRecord(id, name);
    return Acad::eOk;
}

const AcRxClass* AcDbSymbolTable::newRecordClass() const {
    std::unique_ptr<AcDbSymbolTableRecord> r(newRecord());
    return r->isA();
}

void AcDbSymbolTable::attachRecord(AcDbObjectId id, const std::string& name) {
    // A file may repeat a name: lookups find the first record, and both are written back.
    index_.emplace(upperName(name), id);
    order_.push_back(id);
    if (name.size() > 2 && (name[0] == '*') && (name[1] == 'U' || name[1] == 'u')) {
        int n = std::atoi(name.c_str() + 2);
        if (n > anonymousCounter_) anonymousCounter_ = n;
    }
}

void AcDbSymbolTable::renameEntry(const std::string& oldName, const std::string& newName, AcDbObjectId id) {
    DbAccess::aboutToModify(this);
    auto it = index_.find(upperName(oldName));
    if (it != index_.end() && it->second == id) index_.erase(it);
    index_[upperName(newName)] = id;
}

Acad::ErrorStatus AcDbSymbolTable::newIterator(AcDbSymbolTableIterator*& it, bool atBeginning, bool skipDeleted) const {
    it = new AcDbSymbolTableIterator(this, atBeginning, skipDeleted);
    return Acad::eOk;
}

void AcDbSymbolTable::dxfOutFields(DxfOut& out) const {
    out.subclass("AcDbSymbolTable");
    int n = 0;
    for (AcDbObjectId id : order_)
        if (!id.isErased()) ++n;
    out.i(70, n);
}

Acad::ErrorStatus AcDbSymbolTable::dxfInFields(DxfIn&) { return Acad::eOk; }

void AcDbRawSymbolTable::dxfOutFields(DxfOut& out) const {
    AcDbSymbolTable::dxfOutFields(out);
    for (const DxfTag& t : extra_) out.add(t);
}

Acad::ErrorStatus AcDbRawSymbolTable::dxfInFields(DxfIn& in) {
    // Keep what follows the record count (the dimension style table's own subclass, say).
    bool afterCount = false;
    for (const DxfTag& t : in.rest()) {
        if (!afterCount) {
            if (t.code == 70) afterCount = true;
            continue;
        }
        extra_.push_back(t);
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTable::getAt(const char* name, AcDbBlockTableRecord*& rec, AcDb::OpenMode mode, bool openErased) const {
    rec = nullptr;
    AcDbObjectId id;
    Acad::ErrorStatus es = AcDbSymbolTable::getAt(name, id, openErased);
    return es != Acad::eOk ? es : acdbOpenObject(rec, id, mode, openErased);
}
Acad::ErrorStatus AcDbLayerTable::getAt(const char* name, AcDbLayerTableRecord*& rec, AcDb::OpenMode mode, bool openErased) const {
    rec = nullptr;
    AcDbObjectId id;
    Acad::ErrorStatus es = AcDbSymbolTable::getAt(name, id, openErased);
    return es != Acad::eOk ? es : acdbOpenObject(rec, id, mode, openErased);
}
Acad::ErrorStatus AcDbLinetypeTable::getAt(const char* name, AcDbLinetypeTableRecord*& rec, AcDb::OpenMode mode, bool openErased) const {
    rec = nullptr;
    AcDbObjectId id;
    Acad::ErrorStatus es = AcDbSymbolTable::getAt(name, id, openErased);
    return es != Acad::eOk ? es : acdbOpenObject(rec, id, mode, openErased);
}
Acad::ErrorStatus AcDbTextStyleTable::getAt(const char* name, AcDbTextStyleTableRecord*& rec, AcDb::OpenMode mode, bool openErased) const {
    rec = nullptr;
    AcDbObjectId id;
    Acad::ErrorStatus es = AcDbSymbolTable::getAt(name, id, openErased);
    return es != Acad::eOk ? es : acdbOpenObject(rec, id, mode, openErased);
}

// ---- Records ----

Acad::ErrorStatus AcDbSymbolTableRecord::getName(const char*& name) const {
    name = name_.c_str();
    return Acad::eOk;
}
Acad::ErrorStatus AcDbSymbolTableRecord::getName(char*& name) const {
    name = acutNewString(name_.c_str());
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableRecord::setName(const char* name) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    if (!name || !*name) return Acad::eInvalidInput;
    if (auto* table = DbAccess::peekAs<AcDbSymbolTable>(ownerId())) {
        AcDbObjectId other;
        if (!NUVAcad::namesEqual(name, name_) && table->getAt(name, other) == Acad::eOk)
            return Acad::eDuplicateRecordName;
        table->renameEntry(name_, name, objectId());
    }
    name_ = name;
    return Acad::eOk;
}

void AcDbSymbolTableRecord::dxfOutFields(DxfOut& out) const { out.subclass("AcDbSymbolTableRecord"); }

Acad::ErrorStatus AcDbSymbolTableRecord::dxfInFields(DxfIn& in) {
    // The record's own subclass starts after the AcDbSymbolTableRecord marker.
    const auto& tags = in.all();
    for (size_t k = in.pos; k < tags.size(); ++k)
        if (tags[k].code == 100 && tags[k].str == "AcDbSymbolTableRecord") {
            in.pos = k + 1;
            break;
        }
    for (const DxfTag& t : in.rest())
        if (t.code == 2) name_ = t.str;
    return name_.empty() ? Acad::eInvalidInput : Acad::eOk;
}

void AcDbRawTableRecord::dxfOutFields(DxfOut& out) const {
    for (const DxfTag& t : body_) out.add(t);
}

Acad::ErrorStatus AcDbRawTableRecord::dxfInFields(DxfIn& in) {
    body_.assign(in.rest().begin(), in.rest().end());
    for (const DxfTag& t : body_)
        if (t.code == 2) name_ = t.str;
    return name_.empty() ? Acad::eInvalidInput : Acad::eOk;
}

// ---- Block table records ----

AcDbBlockTableRecord::AcDbBlockTableRecord(const AcDbBlockTableRecord& o)
    : AcDbSymbolTableRecord(o), origin_(o.origin_), comments_(o.comments_) {}

AcDbObject* AcDbBlockTableRecord::undoCopy() const {
    auto* c = new AcDbBlockTableRecord(*this);
    c->entities_ = entities_;
    c->extra_ = extra_;
    c->blockBeginId = blockBeginId;
    c->blockEndId = blockEndId;
    c->beginExtra = beginExtra;
    return c;
}

void AcDbBlockTableRecord::subAddedToDatabase(AcDbDatabase* db) {
    // The BLOCK and ENDBLK markers of a block have handles of their own in drawing files.
    if (blockBeginId.isNull()) blockBeginId = DbAccess::reserve(db);
    if (blockEndId.isNull()) blockEndId = DbAccess::reserve(db);
}

Acad::ErrorStatus AcDbBlockTableRecord::appendAcDbEntity(AcDbObjectId& id, AcDbEntity* ent) {
    if (!ent) return Acad::eNullEntityPointer;
    if (!isDatabaseResident()) return Acad::eNotInDatabase;
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (ent->isDatabaseResident()) return Acad::eAlreadyInDb;
    AcDbDatabase* db = database();
    if (ent->layerId().isNull()) ent->setLayer(db->clayer());
    if (ent->linetypeId().isNull()) ent->setLinetype(db->byLayerLinetype());
    // A text made without a style or height takes the drawing's current ones.
    if (auto* text = AcDbText::cast(ent)) {
        if (text->textStyle().isNull()) text->setTextStyle(db->textstyle());
        if (!(text->height() > 0)) text->setHeight(db->textsize());
    }
    Acad::ErrorStatus es = db->addAcDbObject(id, ent);
    if (es != Acad::eOk) return es;
    ent->setOwnerId(objectId());
    entities_.push_back(id);
    return Acad::eOk;
}

void AcDbBlockTableRecord::removeEntity(AcDbObjectId id) {
    entities_.erase(std::remove(entities_.begin(), entities_.end(), id), entities_.end());
}

Acad::ErrorStatus AcDbBlockTableRecord::newIterator(AcDbBlockTableRecordIterator*& it, bool atBeginning, bool skipDeleted) const {
    it = new AcDbBlockTableRecordIterator(this, atBeginning, skipDeleted);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecord::setOrigin(const AcGePoint3d& p) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    origin_ = p;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecord::setComments(const char* c) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    comments_ = c ? c : "";
    return Acad::eOk;
}

bool AcDbBlockTableRecord::isLayout() const {
    std::string u = upperName(name_);
    return u == "*MODEL_SPACE" || u.rfind("*PAPER_SPACE", 0) == 0;
}

bool AcDbBlockTableRecord::hasEntities() const {
    for (AcDbObjectId id : entities_)
        if (!id.isErased()) return true;
    return false;
}

void AcDbBlockTableRecord::dxfOutFields(DxfOut& out) const {
    AcDbSymbolTableRecord::dxfOutFields(out);
    out.subclass("AcDbBlockTableRecord");
    out.str(2, name_);
    for (const DxfTag& t : extra_) out.add(t);
}

Acad::ErrorStatus AcDbBlockTableRecord::dxfInFields(DxfIn& in) {
    Acad::ErrorStatus es = AcDbSymbolTableRecord::dxfInFields(in);
    for (const DxfTag& t : in.rest())
        if (t.code != 2 && t.code != 100) extra_.push_back(t);
    return es;
}

// ---- Layers ----

Acad::ErrorStatus AcDbLayerTableRecord::setIsFrozen(bool b) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    frozen_ = b;
    return Acad::eOk;
}
void AcDbLayerTableRecord::setIsOff(bool b) {
    if (isWriteEnabled()) off_ = b;
}
void AcDbLayerTableRecord::setIsLocked(bool b) {
    if (isWriteEnabled()) locked_ = b;
}
void AcDbLayerTableRecord::setIsPlottable(bool b) {
    if (isWriteEnabled()) plot_ = b;
}
Acad::ErrorStatus AcDbLayerTableRecord::setColorIndex(int c) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    if (c < 1 || c > 255) return Acad::eInvalidInput;  // a layer has a real colour
    color_ = c;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbLayerTableRecord::setLinetypeObjectId(AcDbObjectId id) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    linetype_ = id;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbLayerTableRecord::setLineWeight(AcDb::LineWeight lw) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    if (lw == AcDb::kLnWtByLayer || lw == AcDb::kLnWtByBlock) return Acad::eInvalidInput;
    lineWeight_ = lw;
    return Acad::eOk;
}

void AcDbLayerTableRecord::dxfOutFields(DxfOut& out) const {
    AcDbSymbolTableRecord::dxfOutFields(out);
    out.subclass("AcDbLayerTableRecord");
    out.str(2, name_);
    out.i(70, (flags_ & ~5) | (frozen_ ? 1 : 0) | (locked_ ? 4 : 0));
    out.i(62, off_ ? -color_ : color_);
    out.str(6, out.recordName(linetype_, "Continuous"));
    if (!plot_) out.i(290, 0);
    out.i(370, lineWeight_);
    for (const DxfTag& t : extra_) out.add(t);
}

Acad::ErrorStatus AcDbLayerTableRecord::dxfInFields(DxfIn& in) {
    Acad::ErrorStatus es = AcDbSymbolTableRecord::dxfInFields(in);
    for (const DxfTag& t : in.rest()) {
        switch (t.code) {
        case 2:
        case 100: break;
        case 70:
            flags_ = static_cast<int>(t.i);
            frozen_ = (t.i & 1) != 0;
            locked_ = (t.i & 4) != 0;
            break;
        case 62:
            off_ = t.i < 0;
            color_ = t.i >= -255 && t.i <= 255 ? static_cast<int>(t.i < 0 ? -t.i : t.i) : 7;
            if (color_ < 1) color_ = 7;
            break;
        case 6: linetype_ = in.linetypeId(t.str); break;
        case 290: plot_ = t.i != 0; break;
        case 370: lineWeight_ = static_cast<AcDb::LineWeight>(t.i); break;
        default: extra_.push_back(t);
        }
    }
    return es;
}

// ---- Linetypes ----

Acad::ErrorStatus AcDbLinetypeTableRecord::setComments(const char* c) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    comments_ = c ? c : "";
    return Acad::eOk;
}
void AcDbLinetypeTableRecord::setPatternLength(double l) {
    if (isWriteEnabled()) patternLength_ = l;
}
void AcDbLinetypeTableRecord::setNumDashes(int n) {
    if (isWriteEnabled() && n >= 0) dashes_.resize(static_cast<size_t>(n));
}
double AcDbLinetypeTableRecord::dashLengthAt(int i) const {
    return i >= 0 && i < numDashes() ? dashes_[static_cast<size_t>(i)].length : 0.0;
}
void AcDbLinetypeTableRecord::setDashLengthAt(int i, double length) {
    if (isWriteEnabled() && i >= 0 && i < numDashes()) dashes_[static_cast<size_t>(i)].length = length;
}

// Complex elements live in each dash's tags, as drawing files hold them: 74 flags (1 absolute
// rotation, 2 text, 4 shape), 75 shape number, 340 style, 46 scale, 50 rotation, 44/45 offset,
// 9 text.
const DxfTag* AcDbLinetypeTableRecord::dashTag(int i, int code) const {
    if (i < 0 || i >= numDashes()) return nullptr;
    for (const DxfTag& t : dashes_[static_cast<size_t>(i)].extra)
        if (t.code == code) return &t;
    return nullptr;
}
DxfTag* AcDbLinetypeTableRecord::dashTag(int i, int code, bool make) {
    if (i < 0 || i >= numDashes() || !isWriteEnabled()) return nullptr;
    auto& extra = dashes_[static_cast<size_t>(i)].extra;
    for (DxfTag& t : extra)
        if (t.code == code) return &t;
    if (!make) return nullptr;
    DxfTag t;
    t.code = code;
    // Keep the drawing-file order: flags first, then number, style, scale, rotation, offsets, text.
    static const int order[] = {74, 75, 340, 46, 50, 44, 45, 9};
    auto rank = [](int c) {
        for (int k = 0; k < 8; ++k)
            if (order[k] == c) return k;
        return 8;
    };
    auto at = extra.begin();
    while (at != extra.end() && rank(at->code) < rank(code)) ++at;
    return &*extra.insert(at, t);
}
void AcDbLinetypeTableRecord::setFlag(int i, int bit, bool on) {
    if (DxfTag* t = dashTag(i, 74, true)) t->i = on ? (t->i | bit) : (t->i & ~bit);
}
AcDbObjectId AcDbLinetypeTableRecord::shapeStyleAt(int i) const {
    const DxfTag* t = dashTag(i, 340);
    return t ? t->id : AcDbObjectId();
}
void AcDbLinetypeTableRecord::setShapeStyleAt(int i, AcDbObjectId style) {
    if (DxfTag* t = dashTag(i, 340, true)) t->id = style;
}
int AcDbLinetypeTableRecord::shapeNumberAt(int i) const {
    const DxfTag* t = dashTag(i, 75);
    return t ? static_cast<int>(t->i) : 0;
}
void AcDbLinetypeTableRecord::setShapeNumberAt(int i, int number) {
    if (DxfTag* t = dashTag(i, 75, true)) t->i = number;
    setFlag(i, 4, number != 0);
}
const char* AcDbLinetypeTableRecord::textAt(int i) const {
    const DxfTag* t = dashTag(i, 9);
    return t ? t->str.c_str() : "";
}
void AcDbLinetypeTableRecord::setTextAt(int i, const char* text) {
    if (DxfTag* t = dashTag(i, 9, true)) t->str = text ? text : "";
    setFlag(i, 2, text && *text);
    if (text && *text && !dashTag(i, 75)) setShapeNumberAt(i, 0);
}
AcGeVector2d AcDbLinetypeTableRecord::shapeOffsetAt(int i) const {
    const DxfTag* x = dashTag(i, 44);
    const DxfTag* y = dashTag(i, 45);
    return {x ? x->real() : 0.0, y ? y->real() : 0.0};
}
void AcDbLinetypeTableRecord::setShapeOffsetAt(int i, const AcGeVector2d& offset) {
    if (DxfTag* t = dashTag(i, 44, true)) t->v[0] = offset.x;
    if (DxfTag* t = dashTag(i, 45, true)) t->v[0] = offset.y;
}
double AcDbLinetypeTableRecord::shapeScaleAt(int i) const {
    const DxfTag* t = dashTag(i, 46);
    return t ? t->real() : 1.0;
}
void AcDbLinetypeTableRecord::setShapeScaleAt(int i, double scale) {
    if (DxfTag* t = dashTag(i, 46, true)) t->v[0] = scale;
}
double AcDbLinetypeTableRecord::shapeRotationAt(int i) const {
    const DxfTag* t = dashTag(i, 50);
    return t ? t->real() : 0.0;
}
void AcDbLinetypeTableRecord::setShapeRotationAt(int i, double rotation) {
    if (DxfTag* t = dashTag(i, 50, true)) t->v[0] = rotation;
}
bool AcDbLinetypeTableRecord::shapeIsUcsOrientedAt(int i) const {
    const DxfTag* t = dashTag(i, 74);
    return t && (t->i & 1);
}
void AcDbLinetypeTableRecord::setShapeIsUcsOrientedAt(int i, bool ucsOriented) { setFlag(i, 1, ucsOriented); }

void AcDbLinetypeTableRecord::dxfOutFields(DxfOut& out) const {
    AcDbSymbolTableRecord::dxfOutFields(out);
    out.subclass("AcDbLinetypeTableRecord");
    out.str(2, name_);
    out.i(70, flags_);
    out.str(3, comments_);
    out.i(72, 65);
    out.i(73, numDashes());
    out.real(40, patternLength_);
    for (const Dash& d : dashes_) {
        out.real(49, d.length);
        bool hasFlags = false;
        for (const DxfTag& t : d.extra) hasFlags |= t.code == 74;
        if (!hasFlags) out.i(74, 0);
        for (const DxfTag& t : d.extra) out.add(t);
    }
}

Acad::ErrorStatus AcDbLinetypeTableRecord::dxfInFields(DxfIn& in) {
    Acad::ErrorStatus es = AcDbSymbolTableRecord::dxfInFields(in);
    dashes_.clear();
    for (const DxfTag& t : in.rest()) {
        switch (t.code) {
        case 2:
        case 100:
        case 72:
        case 73: break;
        case 70: flags_ = static_cast<int>(t.i); break;
        case 3: comments_ = t.str; break;
        case 40: patternLength_ = t.real(); break;
        case 49: dashes_.push_back({t.real(), {}}); break;
        default:
            if (!dashes_.empty()) dashes_.back().extra.push_back(t);
        }
    }
    return es;
}

// ---- Text styles ----

Acad::ErrorStatus AcDbTextStyleTableRecord::setXScale(double s) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    if (!(s > 0)) return Acad::eInvalidInput;
    xScale_ = s;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbTextStyleTableRecord::setTextSize(double s) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    if (s < 0) return Acad::eInvalidInput;
    textSize_ = s;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbTextStyleTableRecord::setObliquingAngle(double a) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    oblique_ = a;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbTextStyleTableRecord::setPriorSize(double s) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    priorSize_ = s;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbTextStyleTableRecord::setFileName(const char* f) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    fileName_ = f ? f : "";
    return Acad::eOk;
}
Acad::ErrorStatus AcDbTextStyleTableRecord::setBigFontFileName(const char* f) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    bigFont_ = f ? f : "";
    return Acad::eOk;
}

void AcDbTextStyleTableRecord::dxfOutFields(DxfOut& out) const {
    AcDbSymbolTableRecord::dxfOutFields(out);
    out.subclass("AcDbTextStyleTableRecord");
    out.str(2, name_);
    out.i(70, flags_);
    out.real(40, textSize_);
    out.real(41, xScale_);
    out.real(50, oblique_ * 180.0 / M_PI);
    out.i(71, generation_);
    out.real(42, priorSize_);
    out.str(3, fileName_);
    out.str(4, bigFont_);
    for (const DxfTag& t : extra_) out.add(t);
}

Acad::ErrorStatus AcDbTextStyleTableRecord::dxfInFields(DxfIn& in) {
    Acad::ErrorStatus es = AcDbSymbolTableRecord::dxfInFields(in);
    for (const DxfTag& t : in.rest()) {
        switch (t.code) {
        case 2:
        case 100: break;
        case 70: flags_ = static_cast<int>(t.i); break;
        case 40: textSize_ = t.real(); break;
        case 41: xScale_ = t.real() > 0 ? t.real() : 1.0; break;
        case 50: oblique_ = t.real() * M_PI / 180.0; break;
        case 71: generation_ = static_cast<int>(t.i); break;
        case 42: priorSize_ = t.real(); break;
        case 3: fileName_ = t.str; break;
        case 4: bigFont_ = t.str; break;
        default: extra_.push_back(t);
        }
    }
    return es;
}

void AcDbRegAppTableRecord::dxfOutFields(DxfOut& out) const {
    AcDbSymbolTableRecord::dxfOutFields(out);
    out.subclass("AcDbRegAppTableRecord");
    out.str(2, name_);
    out.i(70, flags_);
}

// ---- Iterators ----

AcDbSymbolTableIterator::AcDbSymbolTableIterator(const AcDbSymbolTable* table, bool atBeginning, bool skipDeleted)
    : ids_(table->recordIds()) {
    start(atBeginning, skipDeleted);
}
void AcDbSymbolTableIterator::start(bool atBeginning, bool skipDeleted) {
    skipDeleted_ = skipDeleted;
    pos_ = atBeginning ? 0 : static_cast<long>(ids_.size()) - 1;
    skip(atBeginning);
}
void AcDbSymbolTableIterator::skip(bool forward) {
    while (skipDeleted_ && !done() && ids_[static_cast<size_t>(pos_)].isErased()) pos_ += forward ? 1 : -1;
}
bool AcDbSymbolTableIterator::done() const { return pos_ < 0 || pos_ >= static_cast<long>(ids_.size()); }
void AcDbSymbolTableIterator::step(bool forward, bool skipDeleted) {
    skipDeleted_ = skipDeleted;
    pos_ += forward ? 1 : -1;
    skip(forward);
}
Acad::ErrorStatus AcDbSymbolTableIterator::getRecordId(AcDbObjectId& id) const {
    if (done()) return Acad::eInvalidIndex;
    id = ids_[static_cast<size_t>(pos_)];
    return Acad::eOk;
}
Acad::ErrorStatus AcDbSymbolTableIterator::getRecord(AcDbSymbolTableRecord*& rec, AcDb::OpenMode mode, bool openErased) const {
    rec = nullptr;
    AcDbObjectId id;
    Acad::ErrorStatus es = getRecordId(id);
    return es != Acad::eOk ? es : acdbOpenObject(rec, id, mode, openErased);
}

AcDbBlockTableRecordIterator::AcDbBlockTableRecordIterator(const AcDbBlockTableRecord* rec, bool atBeginning, bool skipDeleted)
    : ids_(rec->entityIds()) {
    start(atBeginning, skipDeleted);
}
void AcDbBlockTableRecordIterator::start(bool atBeginning, bool skipDeleted) {
    skipDeleted_ = skipDeleted;
    pos_ = atBeginning ? 0 : static_cast<long>(ids_.size()) - 1;
    skip(atBeginning);
}
void AcDbBlockTableRecordIterator::skip(bool forward) {
    while (skipDeleted_ && !done() && ids_[static_cast<size_t>(pos_)].isErased()) pos_ += forward ? 1 : -1;
}
bool AcDbBlockTableRecordIterator::done() const { return pos_ < 0 || pos_ >= static_cast<long>(ids_.size()); }
void AcDbBlockTableRecordIterator::step(bool forward, bool skipDeleted) {
    skipDeleted_ = skipDeleted;
    pos_ += forward ? 1 : -1;
    skip(forward);
}
Acad::ErrorStatus AcDbBlockTableRecordIterator::getEntityId(AcDbObjectId& id) const {
    if (done()) return Acad::eInvalidIndex;
    id = ids_[static_cast<size_t>(pos_)];
    return Acad::eOk;
}
Acad::ErrorStatus AcDbBlockTableRecordIterator::getEntity(AcDbEntity*& ent, AcDb::OpenMode mode, bool openErased) const {
    ent = nullptr;
    AcDbObjectId id;
    Acad::ErrorStatus es = getEntityId(id);
    return es != Acad::eOk ? es : acdbOpenObject(ent, id, mode, openErased);
}
