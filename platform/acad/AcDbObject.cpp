#include "acad/AcDbObject.h"

#include <algorithm>

#include "acad/AcDbDatabase.h"
#include "acad/AcDbDictionary.h"
#include "acad/AcDbSymbolTable.h"
#include "acad/DbInternal.h"
#include "acad/DxfTags.h"
#include "acad/ResBuf.h"

using NUVAcad::DbAccess;
using NUVAcad::DxfTag;
using NUVAcad::TagList;

struct AcDbObject::XDataGroup {
    std::string app;
    TagList tags;
};

const AcDbObjectId AcDbObjectId::kNull;

AcDbObject::AcDbObject() = default;

AcDbObject::AcDbObject(const AcDbObject& other) : AcRxObject(other) {
    if (other.xdata_) xdata_ = new std::vector<XDataGroup>(*other.xdata_);
}

AcDbObject::~AcDbObject() { delete xdata_; }

AcRxObject* AcDbObject::clone() const { return nullptr; }

AcDbObjectId AcDbObject::objectId() const { return AcDbObjectId(stub_); }
AcDbDatabase* AcDbObject::database() const { return stub_ ? stub_->db : nullptr; }
AcDbHandle AcDbObject::handle() const { return stub_ ? AcDbHandle(stub_->handle) : AcDbHandle(); }

Acad::ErrorStatus AcDbObject::setOwnerId(AcDbObjectId owner) {
    owner_ = owner;
    return Acad::eOk;
}

bool AcDbObject::isReadEnabled() const { return !stub_ || readers_ > 0 || writer_ || notifiers_ > 0; }
bool AcDbObject::isWriteEnabled() const { return !stub_ || writer_; }

Acad::ErrorStatus AcDbObject::assertReadEnabled() const {
    return isReadEnabled() ? Acad::eOk : Acad::eNotOpenForRead;
}
Acad::ErrorStatus AcDbObject::assertWriteEnabled() const {
    return isWriteEnabled() ? Acad::eOk : Acad::eNotOpenForWrite;
}

Acad::ErrorStatus AcDbObject::close() {
    if (!stub_) return Acad::eOk;
    if (writer_) writer_ = false;
    else if (readers_ > 0) --readers_;
    else if (notifiers_ > 0) --notifiers_;
    else return Acad::eNotOpenForRead;
    DbAccess::countOpen(stub_->db, -1);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::upgradeOpen() {
    if (!stub_ || writer_) return Acad::eOk;
    if (readers_ != 1) return readers_ == 0 ? Acad::eNotOpenForRead : Acad::eHadMultipleReaders;
    DbAccess::aboutToModify(this);
    readers_ = 0;
    writer_ = true;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::downgradeOpen() {
    if (!stub_) return Acad::eOk;
    if (!writer_) return Acad::eNotOpenForWrite;
    writer_ = false;
    readers_ = 1;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::erase(bool erasing) {
    if (!stub_) return Acad::eNotInDatabase;
    if (!writer_) return Acad::eNotOpenForWrite;
    if (erased_ == erasing) return erasing ? Acad::eWasErased : Acad::eOk;
    erased_ = erasing;
    subErase(erasing);
    return Acad::eOk;
}

void AcDbObject::subAddedToDatabase(AcDbDatabase*) {}
void AcDbObject::subErase(bool) {}
AcDbObject* AcDbObject::undoCopy() const { return AcDbObject::cast(clone()); }

// ---- Extended data ----

resbuf* AcDbObject::xData(const char* regappName) const {
    if (!xdata_) return nullptr;
    TagList tags;
    for (const XDataGroup& g : *xdata_) {
        if (regappName && !NUVAcad::namesEqual(g.app, regappName)) continue;
        tags.emplace_back(1001, g.app);
        tags.insert(tags.end(), g.tags.begin(), g.tags.end());
    }
    return NUVAcad::tagsToResbuf(tags);
}

Acad::ErrorStatus AcDbObject::setXData(const resbuf* xdata) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    TagList tags;
    if (!NUVAcad::resbufToTags(xdata, tags)) return Acad::eInvalidInput;
    if (tags.empty()) return Acad::eOk;
    if (tags.front().code != 1001) return Acad::eInvalidInput;
    // Check every application and every code first, so a bad chain changes nothing.
    AcDbDatabase* db = database();
    for (const DxfTag& t : tags) {
        if (t.code == 1001) {
            if (db) {
                AcDbRegAppTable* apps = DbAccess::peekAs<AcDbRegAppTable>(db->regAppTableId());
                if (!apps || !apps->has(t.str.c_str())) return Acad::eRegappIdNotFound;
            }
        } else if (t.code < 1000 || t.code > 1071) {
            return Acad::eInvalidInput;
        }
    }
    if (!xdata_) xdata_ = new std::vector<XDataGroup>;
    for (size_t k = 0; k < tags.size();) {
        XDataGroup g;
        g.app = tags[k].str;
        for (++k; k < tags.size() && tags[k].code != 1001; ++k) g.tags.push_back(tags[k]);
        auto it = std::find_if(xdata_->begin(), xdata_->end(),
                               [&](const XDataGroup& x) { return NUVAcad::namesEqual(x.app, g.app); });
        if (g.tags.empty()) {
            if (it != xdata_->end()) xdata_->erase(it);
        } else if (it != xdata_->end()) {
            it->tags = std::move(g.tags);
        } else {
            xdata_->push_back(std::move(g));
        }
    }
    return Acad::eOk;
}

std::vector<std::string> AcDbObject::xDataApps() const {
    std::vector<std::string> r;
    if (xdata_)
        for (const XDataGroup& g : *xdata_) r.push_back(g.app);
    return r;
}

void DbAccess::xdataTags(const AcDbObject* o, TagList& out) {
    if (!o->xdata_) return;
    for (const auto& g : *o->xdata_) {
        out.emplace_back(1001, g.app);
        out.insert(out.end(), g.tags.begin(), g.tags.end());
    }
}

void DbAccess::setXdataTags(AcDbObject* o, const TagList& tags) {
    delete o->xdata_;
    o->xdata_ = nullptr;
    if (tags.empty()) return;
    o->xdata_ = new std::vector<AcDbObject::XDataGroup>;
    for (const DxfTag& t : tags) {
        if (t.code == 1001) o->xdata_->push_back({t.str, {}});
        else if (!o->xdata_->empty()) o->xdata_->back().tags.push_back(t);
    }
}

// ---- Reactors ----

namespace {
void* tagReactor(AcDbObjectId id) { return reinterpret_cast<void*>(reinterpret_cast<uintptr_t>(id.stub()) | 1u); }
}  // namespace

bool acdbIsPersistentReactor(void* reactor) { return (reinterpret_cast<uintptr_t>(reactor) & 1u) != 0; }

AcDbObjectId acdbPersistentReactorObjectId(void* reactor) {
    if (!acdbIsPersistentReactor(reactor)) return {};
    return AcDbObjectId(reinterpret_cast<NUVAcad::ObjectStub*>(reinterpret_cast<uintptr_t>(reactor) & ~uintptr_t(1)));
}

void AcDbObject::syncReactorPtrs() {
    reactorPtrs_.removeAll();
    for (AcDbObjectId id : reactorIds_) reactorPtrs_.append(tagReactor(id));
}

void AcDbObject::addPersistentReactor(AcDbObjectId id) {
    if (id.isNull() || hasPersistentReactor(id)) return;
    DbAccess::aboutToModify(this);
    reactorIds_.push_back(id);
    reactorPtrs_.append(tagReactor(id));
}

Acad::ErrorStatus AcDbObject::removePersistentReactor(AcDbObjectId id) {
    auto it = std::find(reactorIds_.begin(), reactorIds_.end(), id);
    if (it == reactorIds_.end()) return Acad::eKeyNotFound;
    DbAccess::aboutToModify(this);
    reactorIds_.erase(it);
    syncReactorPtrs();
    return Acad::eOk;
}

bool AcDbObject::hasPersistentReactor(AcDbObjectId id) const {
    return std::find(reactorIds_.begin(), reactorIds_.end(), id) != reactorIds_.end();
}

// ---- Extension dictionary ----

Acad::ErrorStatus AcDbObject::createExtensionDictionary() {
    if (!stub_) return Acad::eNotInDatabase;
    if (!writer_) return Acad::eNotOpenForWrite;
    if (!xdict_.isNull() && !xdict_.isErased()) return Acad::eAlreadyInDb;
    auto* dict = new AcDbDictionary;
    dict->setTreatElementsAsHard(true);
    AcDbObjectId id;
    stub_->db->addAcDbObject(id, dict);
    dict->setOwnerId(objectId());
    dict->addPersistentReactor(objectId());
    dict->close();
    xdict_ = id;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::releaseExtensionDictionary() {
    if (!writer_ && stub_) return Acad::eNotOpenForWrite;
    if (xdict_.isNull()) return Acad::eOk;
    AcDbDictionary* dict = DbAccess::peekAs<AcDbDictionary>(xdict_);
    if (dict && dict->numEntries() > 0) return Acad::eContainerNotEmpty;
    if (dict) DbAccess::setErased(dict, true);
    xdict_ = AcDbObjectId();
    return Acad::eOk;
}

void AcDbObject::dxfOutFields(NUVAcad::DxfOut&) const {}
Acad::ErrorStatus AcDbObject::dxfInFields(NUVAcad::DxfIn&) { return Acad::eOk; }

// ---- Opening by id ----

Acad::ErrorStatus DbAccess::open(AcDbObject* o, AcDb::OpenMode mode) {
    switch (mode) {
    case AcDb::kForRead:
        if (o->writer_) return Acad::eWasOpenForWrite;
        ++o->readers_;
        break;
    case AcDb::kForWrite:
        if (o->writer_) return Acad::eWasOpenForWrite;
        if (o->readers_ > 0) return Acad::eWasOpenForRead;
        aboutToModify(o);
        o->writer_ = true;
        DbAccess::countChange(o->stub_->db);
        break;
    case AcDb::kForNotify: ++o->notifiers_; break;
    default: return Acad::eInvalidInput;
    }
    countOpen(o->stub_->db, 1);
    return Acad::eOk;
}

Acad::ErrorStatus acdbOpenAcDbObject(AcDbObject*& obj, AcDbObjectId id, AcDb::OpenMode mode, bool openErased) {
    obj = nullptr;
    if (id.isNull()) return Acad::eNullObjectId;
    AcDbObject* o = id.stub()->object;
    if (!o) return Acad::eWasErased;
    if (o->isErased() && !openErased) return Acad::eWasErased;
    Acad::ErrorStatus es = NUVAcad::DbAccess::open(o, mode);
    if (es == Acad::eOk) obj = o;
    return es;
}
