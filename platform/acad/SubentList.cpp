// Parts live in the owner's database under their own handles; the owner's id list is their
// order. While the owner is not in a database the list owns the entities themselves.
#include "acad/SubentList.h"

#include "acad/AcDbDatabase.h"
#include "acad/DbInternal.h"

namespace NUVAcad {

SubentList::SubentList(const SubentList& o) : inherit_(o.inherit_) {
    for (AcDbEntity* e : o.items())
        if (auto* c = AcDbEntity::cast(e->clone())) pending_.push_back(c);
}

SubentList::~SubentList() {
    for (AcDbEntity* e : pending_) delete e;
}

void SubentList::clear() {
    for (AcDbEntity* e : pending_) delete e;
    pending_.clear();
    ids_.clear();
}

Acad::ErrorStatus SubentList::append(AcDbEntity* owner, AcDbEntity* sub, AcDbObjectId& id, long at) {
    if (!sub) return Acad::eNullEntityPointer;
    if (Acad::ErrorStatus es = owner->assertWriteEnabled(); es != Acad::eOk) return es;
    if (sub->isDatabaseResident()) return Acad::eAlreadyInDb;
    if (inherit_) sub->setPropertiesFrom(owner, false);
    if (!owner->isDatabaseResident()) {
        // The owner holds the vertex until it is appended itself.
        if (at < 0 || at > static_cast<long>(pending_.size())) pending_.push_back(sub);
        else pending_.insert(pending_.begin() + at, sub);
        id = AcDbObjectId();
        return Acad::eOk;
    }
    Acad::ErrorStatus es = owner->database()->addAcDbObject(id, sub);
    if (es != Acad::eOk) return es;
    sub->setOwnerId(owner->objectId());
    if (at < 0 || at > static_cast<long>(ids_.size())) ids_.push_back(id);
    else ids_.insert(ids_.begin() + at, id);
    return Acad::eOk;
}

void SubentList::addedToDatabase(AcDbEntity* owner, AcDbDatabase* db) {
    for (AcDbEntity* e : pending_) {
        AcDbObjectId id = DbAccess::attach(db, e, 0);
        DbAccess::setOwner(e, owner->objectId());
        ids_.push_back(id);
    }
    pending_.clear();
    if (seqendId.isNull()) seqendId = DbAccess::reserve(db);
}

std::vector<AcDbEntity*> SubentList::items() const {
    std::vector<AcDbEntity*> r;
    for (AcDbObjectId id : ids_)
        if (auto* e = DbAccess::peekAs<AcDbEntity>(id); e && !e->isErased()) r.push_back(e);
    for (AcDbEntity* e : pending_) r.push_back(e);
    return r;
}

void SubentList::setErased(bool erasing) const {
    for (AcDbObjectId id : ids_)
        if (AcDbObject* o = DbAccess::peek(id)) DbAccess::setErased(o, erasing);
}

void SubentList::forEachForWrite(const std::function<void(AcDbEntity*)>& fn) const {
    for (AcDbEntity* e : items()) {
        bool openedHere = e->isDatabaseResident() && !e->isWriteEnabled() && DbAccess::open(e, AcDb::kForWrite) == Acad::eOk;
        fn(e);
        if (openedHere) e->close();
    }
}

}  // namespace NUVAcad
