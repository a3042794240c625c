#include "acad/AcDbDatabase.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <unordered_map>

#include "acad/AcDbDictionary.h"
#include "acad/AcDbSymbolTable.h"
#include "acad/DbInternal.h"
#include "acad/ResBuf.h"

using NUVAcad::DbAccess;
using NUVAcad::ObjectStub;

struct AcDbDatabase::Impl : NUVAcad::DatabaseStore {};

namespace {
// Live databases by serial. Serials count up from 1 and are never given out twice, so a name of
// a closed drawing cannot resolve into a database that later took its address.
std::unordered_map<uint64_t, AcDbDatabase*>& databasesBySerial() {
    static std::unordered_map<uint64_t, AcDbDatabase*> m;
    return m;
}
uint64_t takeSerial() {
    static uint64_t last = 0;
    return ++last;
}
}  // namespace

// ---- Ids and handles ----

AcDbHandle::AcDbHandle(const char* hex) {
    value_ = hex ? std::strtoull(hex, nullptr, 16) : 0;
}
void AcDbHandle::getIntoAsciiBuffer(char* buffer) const {
    std::snprintf(buffer, 17, "%llX", static_cast<unsigned long long>(value_));
}
std::string AcDbHandle::asString() const {
    char b[20];
    getIntoAsciiBuffer(b);
    return b;
}

bool AcDbObjectId::isValid() const { return stub_ && stub_->object; }
bool AcDbObjectId::isErased() const { return stub_ && stub_->object && stub_->object->isErased(); }
AcDbDatabase* AcDbObjectId::database() const { return stub_ ? stub_->db : nullptr; }
AcDbHandle AcDbObjectId::handle() const { return stub_ ? AcDbHandle(stub_->handle) : AcDbHandle(); }

void AcDbIdMapping::assign(const AcDbIdPair& pair) {
    for (AcDbIdPair& p : pairs_)
        if (p.key() == pair.key()) {
            p = pair;
            return;
        }
    pairs_.append(pair);
}
bool AcDbIdMapping::compute(AcDbIdPair& pair) const {
    for (const AcDbIdPair& p : pairs_)
        if (p.key() == pair.key()) {
            pair = p;
            return true;
        }
    return false;
}

// ---- Internal access ----

namespace NUVAcad {
DatabaseStore& DbAccess::store(AcDbDatabase* db) { return *db->impl_; }
const DatabaseStore& DbAccess::store(const AcDbDatabase* db) { return *db->impl_; }

ObjectStub* DbAccess::stubFor(AcDbDatabase* db, uint64_t handle, bool create) {
    auto& st = *db->impl_;
    if (handle == 0) return nullptr;
    auto it = st.byHandle.find(handle);
    if (it != st.byHandle.end()) return it->second;
    if (!create) return nullptr;
    st.stubs.push_back(ObjectStub{db, handle, nullptr});
    ObjectStub* s = &st.stubs.back();
    st.byHandle.emplace(handle, s);
    // Fresh handles continue after the largest one seen; absurdly large handles (from a damaged
    // file) are kept but do not move the counter, so it can never wrap to 0.
    if (handle >= db->nextHandle_ && handle < kHandleLimit) db->nextHandle_ = handle + 1;
    return s;
}

AcDbObjectId DbAccess::attach(AcDbDatabase* db, AcDbObject* obj, uint64_t handle) {
    auto& st = *db->impl_;
    ObjectStub* s = nullptr;
    if (db->loading_) {
        // A handle given out now could belong to an object further on in the file.
        s = handle ? stubFor(db, handle, true) : nullptr;
        if (!s || s->object) {
            st.stubs.push_back(ObjectStub{db, 0, nullptr});
            s = &st.stubs.back();
            st.unnumbered.push_back(s);
        }
    } else {
        s = stubFor(db, handle ? handle : db->nextHandle_, true);
        // A second object under a handle already taken gets a fresh one.
        while (s->object) s = stubFor(db, db->nextHandle_++, true);
    }
    s->object = obj;
    obj->stub_ = s;
    ++db->liveObjects_;
    created(s);
    obj->subAddedToDatabase(db);
    return AcDbObjectId(s);
}

void DbAccess::finishLoading(AcDbDatabase* db) {
    auto& st = *db->impl_;
    for (ObjectStub* s : st.unnumbered) {
        while (st.byHandle.count(db->nextHandle_)) ++db->nextHandle_;
        s->handle = db->nextHandle_++;
        st.byHandle.emplace(s->handle, s);
    }
    st.unnumbered.clear();
    db->loading_ = false;
}

AcDbObjectId DbAccess::reserve(AcDbDatabase* db) {
    if (db->loading_) return {};
    return AcDbObjectId(stubFor(db, db->nextHandle_, true));
}

AcDbDatabase* DbAccess::databaseWithSerial(uint64_t serial) {
    auto it = databasesBySerial().find(serial);
    return it == databasesBySerial().end() ? nullptr : it->second;
}

void DbAccess::renewSerial(AcDbDatabase* db) {
    databasesBySerial().erase(db->serial_);
    db->serial_ = takeSerial();
    databasesBySerial().emplace(db->serial_, db);
}

}  // namespace NUVAcad

AcDbHostApplicationServices* acdbHostApplicationServices() {
    static AcDbHostApplicationServices services;
    return &services;
}

// ---- The database ----

AcDbDatabase::AcDbDatabase(bool buildDefault, bool noDocument) : impl_(std::make_unique<Impl>()) {
    DbAccess::renewSerial(this);
    if (buildDefault) buildDefaultDrawing();
    undoRecording_ = !noDocument;  // the default drawing itself is not a change to undo
}

AcDbDatabase::~AcDbDatabase() {
    clear();
    databasesBySerial().erase(serial_);
    if (acdbHostApplicationServices()->workingDatabase() == this)
        acdbHostApplicationServices()->setWorkingDatabase(nullptr);
}

void AcDbDatabase::clear() {
    for (ObjectStub& s : impl_->stubs) {
        delete s.object;
        s.object = nullptr;
    }
    impl_ = std::make_unique<Impl>();
    nextHandle_ = 1;
    liveObjects_ = 0;
    openCount_ = 0;
    blockTable_ = layerTable_ = linetypeTable_ = textStyleTable_ = regAppTable_ = AcDbObjectId();
    vportTable_ = viewTable_ = ucsTable_ = dimStyleTable_ = nod_ = AcDbObjectId();
    clayer_ = textstyle_ = celtype_ = AcDbObjectId();
    ucsOrg_ = AcGePoint3d();
    ucsX_ = AcGeVector3d(1, 0, 0);
    ucsY_ = AcGeVector3d(0, 1, 0);
}

void AcDbDatabase::swapContents(AcDbDatabase& other) {
    // The undo log and the view belong to the drawing being replaced (and know their database):
    // they end here, and the new drawing starts its own.
    for (AcDbDatabase* db : {this, &other}) {
        db->impl_->undo.reset();
        db->impl_->display.reset();
    }
    std::swap(impl_, other.impl_);
    for (AcDbDatabase* db : {this, &other})
        for (ObjectStub& s : db->impl_->stubs) s.db = db;
    std::swap(nextHandle_, other.nextHandle_);
    std::swap(liveObjects_, other.liveObjects_);
    std::swap(openCount_, other.openCount_);
    std::swap(loading_, other.loading_);
    std::swap(blockTable_, other.blockTable_);
    std::swap(layerTable_, other.layerTable_);
    std::swap(linetypeTable_, other.linetypeTable_);
    std::swap(textStyleTable_, other.textStyleTable_);
    std::swap(regAppTable_, other.regAppTable_);
    std::swap(vportTable_, other.vportTable_);
    std::swap(viewTable_, other.viewTable_);
    std::swap(ucsTable_, other.ucsTable_);
    std::swap(dimStyleTable_, other.dimStyleTable_);
    std::swap(nod_, other.nod_);
    std::swap(clayer_, other.clayer_);
    std::swap(textstyle_, other.textstyle_);
    std::swap(celtype_, other.celtype_);
    std::swap(textsize_, other.textsize_);
    std::swap(ltscale_, other.ltscale_);
    std::swap(insunits_, other.insunits_);
    std::swap(ucsOrg_, other.ucsOrg_);
    std::swap(ucsX_, other.ucsX_);
    std::swap(ucsY_, other.ucsY_);
    DbAccess::renewSerial(this);
}

namespace {
template <class Table>
AcDbObjectId addTable(AcDbDatabase* db, Table* t) {
    AcDbObjectId id = DbAccess::attach(db, t, 0);
    return id;
}

template <class Rec>
AcDbObjectId addRecord(AcDbDatabase* db, AcDbObjectId tableId, Rec* rec) {
    AcDbObjectId id = DbAccess::attach(db, rec, 0);
    DbAccess::setOwner(rec, tableId);
    DbAccess::peekAs<AcDbSymbolTable>(tableId)->attachRecord(id, rec->name());
    return id;
}
}  // namespace

void AcDbDatabase::buildDefaultDrawing() {
    blockTable_ = addTable(this, new AcDbBlockTable);
    layerTable_ = addTable(this, new AcDbLayerTable);
    textStyleTable_ = addTable(this, new AcDbTextStyleTable);
    linetypeTable_ = addTable(this, new AcDbLinetypeTable);
    viewTable_ = addTable(this, new AcDbRawSymbolTable("VIEW"));
    ucsTable_ = addTable(this, new AcDbRawSymbolTable("UCS"));
    vportTable_ = addTable(this, new AcDbRawSymbolTable("VPORT"));
    regAppTable_ = addTable(this, new AcDbRegAppTable);
    dimStyleTable_ = addTable(this, new AcDbRawSymbolTable("DIMSTYLE"));

    auto* byBlock = new AcDbLinetypeTableRecord;
    byBlock->setName("ByBlock");
    addRecord(this, linetypeTable_, byBlock);
    auto* byLayer = new AcDbLinetypeTableRecord;
    byLayer->setName("ByLayer");
    celtype_ = addRecord(this, linetypeTable_, byLayer);
    auto* cont = new AcDbLinetypeTableRecord;
    cont->setName("Continuous");
    cont->setComments("Solid line");
    AcDbObjectId contId = addRecord(this, linetypeTable_, cont);

    auto* layer0 = new AcDbLayerTableRecord;
    layer0->setName("0");
    layer0->setLinetypeObjectId(contId);
    clayer_ = addRecord(this, layerTable_, layer0);

    auto* standard = new AcDbTextStyleTableRecord;
    standard->setName("Standard");
    textstyle_ = addRecord(this, textStyleTable_, standard);

    auto* acad = new AcDbRegAppTableRecord;
    acad->setName("ACAD");
    addRecord(this, regAppTable_, acad);

    for (const char* name : {"*Model_Space", "*Paper_Space"}) {
        auto* btr = new AcDbBlockTableRecord;
        btr->setName(name);
        addRecord(this, blockTable_, btr);
    }

    auto* nod = new AcDbDictionary;
    nod_ = DbAccess::attach(this, nod, 0);
    for (const char* name : {"ACAD_GROUP", "ACAD_IMAGE_DICT"}) {
        auto* d = new AcDbDictionary;
        AcDbObjectId id = DbAccess::attach(this, d, 0);
        DbAccess::setOwner(d, nod_);
        nod->attachEntry(name, id);
    }
}

Acad::ErrorStatus AcDbDatabase::addAcDbObject(AcDbObjectId& id, AcDbObject* obj) {
    if (!obj) return Acad::eNullObjectPointer;
    if (obj->isDatabaseResident()) return Acad::eAlreadyInDb;
    id = DbAccess::attach(this, obj, 0);
    DbAccess::open(obj, AcDb::kForWrite);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::getAcDbObjectId(AcDbObjectId& id, bool createIfNotFound, const AcDbHandle& h) {
    ObjectStub* s = DbAccess::stubFor(this, h.value(), createIfNotFound);
    if (!s) return Acad::eKeyNotFound;
    id = AcDbObjectId(s);
    return Acad::eOk;
}

std::vector<AcDbObjectId> AcDbDatabase::openObjectIds() const {
    std::vector<AcDbObjectId> r;
    for (const ObjectStub& s : impl_->stubs)
        if (s.object && s.object->isReadEnabled()) r.push_back(AcDbObjectId(const_cast<ObjectStub*>(&s)));
    return r;
}

int acdbOpenObjectCount(const AcDbDatabase* db) { return db ? db->numOpenObjects() : 0; }

Acad::ErrorStatus AcDbDatabase::getBlockTable(AcDbBlockTable*& t, AcDb::OpenMode mode) { return acdbOpenObject(t, blockTable_, mode); }
Acad::ErrorStatus AcDbDatabase::getLayerTable(AcDbLayerTable*& t, AcDb::OpenMode mode) { return acdbOpenObject(t, layerTable_, mode); }
Acad::ErrorStatus AcDbDatabase::getLinetypeTable(AcDbLinetypeTable*& t, AcDb::OpenMode mode) { return acdbOpenObject(t, linetypeTable_, mode); }
Acad::ErrorStatus AcDbDatabase::getTextStyleTable(AcDbTextStyleTable*& t, AcDb::OpenMode mode) { return acdbOpenObject(t, textStyleTable_, mode); }
Acad::ErrorStatus AcDbDatabase::getRegAppTable(AcDbRegAppTable*& t, AcDb::OpenMode mode) { return acdbOpenObject(t, regAppTable_, mode); }
Acad::ErrorStatus AcDbDatabase::getNamedObjectsDictionary(AcDbDictionary*& d, AcDb::OpenMode mode) { return acdbOpenObject(d, nod_, mode); }

AcDbObjectId AcDbDatabase::groupDictionaryId() const {
    auto* nod = DbAccess::peekAs<AcDbDictionary>(nod_);
    AcDbObjectId id;
    if (nod) nod->getAt("ACAD_GROUP", id);
    return id;
}
Acad::ErrorStatus AcDbDatabase::getGroupDictionary(AcDbDictionary*& d, AcDb::OpenMode mode) {
    AcDbObjectId id = groupDictionaryId();
    if (id.isNull()) {
        d = nullptr;
        return Acad::eKeyNotFound;
    }
    return acdbOpenObject(d, id, mode);
}

namespace {
AcDbObjectId recordId(AcDbObjectId tableId, const char* name) {
    auto* t = DbAccess::peekAs<AcDbSymbolTable>(tableId);
    AcDbObjectId id;
    if (t) t->getAt(name, id);
    return id;
}
}  // namespace

AcDbObjectId AcDbDatabase::modelSpaceId() const { return recordId(blockTable_, "*Model_Space"); }
AcDbObjectId AcDbDatabase::paperSpaceId() const { return recordId(blockTable_, "*Paper_Space"); }
AcDbObjectId AcDbDatabase::byLayerLinetype() const { return recordId(linetypeTable_, "ByLayer"); }
AcDbObjectId AcDbDatabase::byBlockLinetype() const { return recordId(linetypeTable_, "ByBlock"); }
AcDbObjectId AcDbDatabase::continuousLinetype() const { return recordId(linetypeTable_, "Continuous"); }

namespace {
bool inTable(AcDbObjectId id, AcDbObjectId table) {
    AcDbObject* o = DbAccess::peek(id);
    return o && o->ownerId() == table;
}
}  // namespace

Acad::ErrorStatus AcDbDatabase::setClayer(AcDbObjectId layer) {
    if (!inTable(layer, layerTable_)) return Acad::eInvalidInput;
    clayer_ = layer;
    ++changes_;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbDatabase::setTextstyle(AcDbObjectId style) {
    if (!inTable(style, textStyleTable_)) return Acad::eInvalidInput;
    textstyle_ = style;
    ++changes_;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbDatabase::setCeltype(AcDbObjectId lt) {
    if (!inTable(lt, linetypeTable_)) return Acad::eInvalidInput;
    celtype_ = lt;
    ++changes_;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbDatabase::setTextsize(double h) {
    if (!(h > 0)) return Acad::eInvalidInput;
    textsize_ = h;
    ++changes_;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbDatabase::setLtscale(double s) {
    if (!(s > 0)) return Acad::eInvalidInput;
    ltscale_ = s;
    ++changes_;
    return Acad::eOk;
}
Acad::ErrorStatus AcDbDatabase::setInsunits(int u) {
    if (u < 0 || u > 20) return Acad::eInvalidInput;
    insunits_ = u;
    ++changes_;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::setUcs(const AcGePoint3d& origin, const AcGeVector3d& xAxis, const AcGeVector3d& yAxis) {
    AcGeVector3d x = xAxis.normal();
    AcGeVector3d y = yAxis - x * yAxis.dotProduct(x);  // keep the axes orthogonal
    if (x.isZeroLength() || y.isZeroLength()) return Acad::eInvalidInput;
    ucsOrg_ = origin;
    ucsX_ = x;
    ucsY_ = y.normal();
    ++changes_;
    return Acad::eOk;
}

AcGeMatrix3d AcDbDatabase::ucsMatrix() const {
    AcGeMatrix3d m;
    m.setCoordSystem(ucsOrg_, ucsX_, ucsY_, ucsX_.crossProduct(ucsY_));
    return m;
}

namespace {

// A point (or, with disp, a displacement, which ignores the origin) through a matrix.
void TransformAdsPoint(const AcGeMatrix3d& m, const ads_point p, ads_point q, int disp) {
    AcGePoint3d r;
    if (disp) {
        AcGeVector3d v(p[0], p[1], p[2]);
        v.transformBy(m);
        r.set(v.x, v.y, v.z);
    } else {
        r.set(p[0], p[1], p[2]);
        r.transformBy(m);
    }
    q[0] = r.x;
    q[1] = r.y;
    q[2] = r.z;
}

}  // namespace

int acdbUcs2Wcs(const ads_point p, ads_point q, int disp) {
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    if (!db) return RTERROR;
    TransformAdsPoint(db->ucsMatrix(), p, q, disp);
    return RTNORM;
}

int acdbWcs2Ucs(const ads_point p, ads_point q, int disp) {
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    if (!db) return RTERROR;
    TransformAdsPoint(db->ucsMatrix().inverse(), p, q, disp);
    return RTNORM;
}
