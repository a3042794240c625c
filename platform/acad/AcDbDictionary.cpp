#include "acad/AcDbDictionary.h"

#include "acad/AcDbDatabase.h"
#include "acad/AcDbEntity.h"
#include "acad/DbInternal.h"
#include "acad/ResBuf.h"

using NUVAcad::DbAccess;
using NUVAcad::DxfIn;
using NUVAcad::DxfOut;
using NUVAcad::DxfTag;
using NUVAcad::upperName;

// ---- Dictionaries ----

AcDbDictionary::AcDbDictionary(const AcDbDictionary& o)
    : AcDbObject(o), hardOwner_(o.hardOwner_), mergeStyle_(o.mergeStyle_) {}

AcDbObject* AcDbDictionary::undoCopy() const {
    auto* c = new AcDbDictionary(*this);
    c->map_ = map_;
    c->anonymousCounter_ = anonymousCounter_;
    return c;
}

Acad::ErrorStatus AcDbDictionary::getAt(const char* key, AcDbObjectId& id) const {
    if (!key) return Acad::eInvalidKey;
    auto it = map_.find(upperName(key));
    if (it == map_.end() || it->second.id.isErased()) return Acad::eKeyNotFound;
    id = it->second.id;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDictionary::getAt(const char* key, AcDbObject*& obj, AcDb::OpenMode mode) const {
    obj = nullptr;
    AcDbObjectId id;
    Acad::ErrorStatus es = getAt(key, id);
    return es != Acad::eOk ? es : acdbOpenObject(obj, id, mode);
}

bool AcDbDictionary::has(const char* key) const {
    AcDbObjectId id;
    return getAt(key, id) == Acad::eOk;
}

bool AcDbDictionary::has(AcDbObjectId id) const {
    for (const auto& [k, e] : map_)
        if (e.id == id && !id.isErased()) return true;
    return false;
}

Acad::ErrorStatus AcDbDictionary::nameAt(AcDbObjectId id, std::string& key) const {
    for (const auto& [k, e] : map_)
        if (e.id == id) {
            key = e.key;
            return Acad::eOk;
        }
    return Acad::eKeyNotFound;
}

Acad::ErrorStatus AcDbDictionary::setAt(const char* key, AcDbObject* obj, AcDbObjectId& id) {
    if (!obj) return Acad::eNullObjectPointer;
    if (!key || !*key) return Acad::eInvalidKey;
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    if (!isDatabaseResident()) return Acad::eNotInDatabase;
    std::string name = key;
    if (name == "*") {
        do name = "*A" + std::to_string(++anonymousCounter_);
        while (map_.count(upperName(name)));
    }
    if (!obj->isDatabaseResident()) {
        Acad::ErrorStatus es = database()->addAcDbObject(id, obj);
        if (es != Acad::eOk) return es;
    } else if (obj->database() != database()) {
        return Acad::eWrongDatabase;
    } else {
        id = obj->objectId();
    }
    obj->setOwnerId(objectId());
    auto old = map_.find(upperName(name));
    if (old != map_.end() && old->second.id != id) {
        // The replaced object leaves the dictionary and the drawing.
        if (AcDbObject* prev = DbAccess::peek(old->second.id); prev && !prev->isErased()) DbAccess::setErased(prev, true);
    }
    map_[upperName(name)] = Entry{name, id};
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDictionary::remove(const char* key) {
    AcDbObjectId id;
    return remove(key, id);
}

Acad::ErrorStatus AcDbDictionary::remove(const char* key, AcDbObjectId& id) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    if (!key) return Acad::eInvalidKey;
    auto it = map_.find(upperName(key));
    if (it == map_.end()) return Acad::eKeyNotFound;
    id = it->second.id;
    map_.erase(it);
    // A removed object no longer has an owner; it stays in the database.
    if (AcDbObject* o = DbAccess::peek(id)) DbAccess::setOwner(o, AcDbObjectId());
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDictionary::remove(AcDbObjectId id) {
    std::string key;
    if (nameAt(id, key) != Acad::eOk) return Acad::eKeyNotFound;
    return remove(key.c_str());
}

Acad::ErrorStatus AcDbDictionary::setName(const char* oldKey, const char* newKey) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    if (!oldKey || !newKey || !*newKey) return Acad::eInvalidKey;
    auto it = map_.find(upperName(oldKey));
    if (it == map_.end()) return Acad::eKeyNotFound;
    if (!NUVAcad::namesEqual(oldKey, newKey) && map_.count(upperName(newKey))) return Acad::eDuplicateKey;
    Entry e = it->second;
    map_.erase(it);
    e.key = newKey;
    map_[upperName(newKey)] = e;
    return Acad::eOk;
}

int AcDbDictionary::numEntries() const {
    int n = 0;
    for (const auto& [k, e] : map_)
        if (!e.id.isErased()) ++n;
    return n;
}

std::vector<AcDbDictionary::Entry> AcDbDictionary::entries() const {
    std::vector<Entry> r;
    for (const auto& [k, e] : map_)
        if (!e.id.isErased()) r.push_back(e);
    return r;
}

AcDbDictionaryIterator* AcDbDictionary::newIterator() const { return new AcDbDictionaryIterator(entries()); }

void AcDbDictionary::attachEntry(const std::string& key, AcDbObjectId id) {
    map_[upperName(key)] = Entry{key, id};
    if (key.size() > 2 && key[0] == '*' && (key[1] == 'A' || key[1] == 'a')) {
        int n = std::atoi(key.c_str() + 2);
        if (n > anonymousCounter_) anonymousCounter_ = n;
    }
}

void AcDbDictionary::subErase(bool erasing) {
    // Erasing a dictionary erases what it owns.
    for (auto& [k, e] : map_)
        if (AcDbObject* o = DbAccess::peek(e.id); o && o->ownerId() == objectId() && o->isErased() != erasing) {
            DbAccess::setErased(o, erasing);
        }
}

Acad::ErrorStatus AcDbDictionaryIterator::getObject(AcDbObject*& obj, AcDb::OpenMode mode) const {
    obj = nullptr;
    if (done()) return Acad::eInvalidIndex;
    return acdbOpenObject(obj, objectId(), mode);
}

void AcDbDictionary::dxfOutFields(DxfOut& out) const {
    out.subclass("AcDbDictionary");
    if (hardOwner_) out.i(280, 1);
    out.i(281, mergeStyle_);
    for (const auto& [k, e] : map_) {
        if (e.id.isErased() || !e.id.isValid()) continue;
        out.str(3, e.key);
        AcDbObject* o = DbAccess::peek(e.id);
        out.id(o && o->ownerId() == objectId() && hardOwner_ ? 360 : 350, e.id);
    }
}

Acad::ErrorStatus AcDbDictionary::dxfInFields(DxfIn& in) {
    std::string key;
    bool haveKey = false;
    for (const DxfTag& t : in.rest()) {
        switch (t.code) {
        case 280: hardOwner_ = t.i != 0; break;
        case 281: mergeStyle_ = static_cast<int>(t.i); break;
        case 3:
            key = t.str;
            haveKey = true;
            break;
        case 350:
        case 360:
            if (haveKey && !t.id.isNull()) attachEntry(key, t.id);
            haveKey = false;
            break;
        default: break;
        }
    }
    return Acad::eOk;
}

// ---- Extended records ----

Acad::ErrorStatus AcDbXrecord::rbChain(resbuf** chain, AcDbDatabase*) const {
    if (!chain) return Acad::eInvalidInput;
    if (Acad::ErrorStatus es = assertReadEnabled(); es != Acad::eOk) return es;
    *chain = NUVAcad::tagsToResbuf(data_);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbXrecord::setFromRbChain(const resbuf& chain, AcDbDatabase*) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    NUVAcad::TagList tags;
    if (!NUVAcad::resbufToTags(&chain, tags)) return Acad::eInvalidInput;
    for (const DxfTag& t : tags)
        if (t.code < 1 || t.code == 5 || t.code == 100 || t.code == 105) return Acad::eInvalidDxfCode;
    data_ = std::move(tags);
    return Acad::eOk;
}

void AcDbXrecord::dxfOutFields(DxfOut& out) const {
    out.subclass("AcDbXrecord");
    out.i(280, mergeStyle_);
    for (const DxfTag& t : data_) out.add(t);
}

Acad::ErrorStatus AcDbXrecord::dxfInFields(DxfIn& in) {
    data_.clear();
    bool first = true;
    for (const DxfTag& t : in.rest()) {
        if (t.code == 100) continue;
        if (first && t.code == 280) {
            mergeStyle_ = static_cast<int>(t.i);
            first = false;
            continue;
        }
        first = false;
        data_.push_back(t);
    }
    return Acad::eOk;
}

// ---- Groups ----

AcDbGroup::AcDbGroup(const char* description, bool selectable)
    : description_(description ? description : ""), selectable_(selectable) {}

AcDbGroup::AcDbGroup(const AcDbGroup& o) : AcDbObject(o), description_(o.description_), selectable_(o.selectable_) {}

AcDbObject* AcDbGroup::undoCopy() const {
    auto* c = new AcDbGroup(*this);
    c->members_ = members_;
    return c;
}

const char* AcDbGroup::name() const {
    // The key lives in the group dictionary; each group keeps its own copy to hand out.
    nameCache_.clear();
    if (auto* dict = DbAccess::peekAs<AcDbDictionary>(ownerId())) dict->nameAt(objectId(), nameCache_);
    return nameCache_.c_str();
}

Acad::ErrorStatus AcDbGroup::getName(char*& n) const {
    n = acutNewString(name());
    return Acad::eOk;
}

Acad::ErrorStatus AcDbGroup::setName(const char* newName) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    auto* dict = DbAccess::peekAs<AcDbDictionary>(ownerId());
    if (!dict) return Acad::eNotInDatabase;
    std::string old;
    if (dict->nameAt(objectId(), old) != Acad::eOk) return Acad::eKeyNotFound;
    // The dictionary is changed behind the caller's back, as the host does for a rename.
    bool wasWritable = dict->isWriteEnabled();
    if (!wasWritable) DbAccess::open(dict, AcDb::kForWrite);
    Acad::ErrorStatus es = dict->setName(old.c_str(), newName);
    if (!wasWritable) dict->close();
    return es;
}

Acad::ErrorStatus AcDbGroup::setDescription(const char* d) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    description_ = d ? d : "";
    return Acad::eOk;
}

Acad::ErrorStatus AcDbGroup::setSelectable(bool b) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    selectable_ = b;
    return Acad::eOk;
}

bool AcDbGroup::isAnonymous() const {
    std::string n = name();
    return n.size() > 1 && n[0] == '*';
}

Acad::ErrorStatus AcDbGroup::append(AcDbObjectId id) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    if (id.isNull()) return Acad::eNullObjectId;
    AcDbObject* o = DbAccess::peek(id);
    if (!o || o->isErased()) return Acad::eWasErased;
    if (!AcDbEntity::cast(o)) return Acad::eNotAnEntity;
    if (database() && id.database() != database()) return Acad::eWrongDatabase;
    if (std::find(members_.begin(), members_.end(), id) != members_.end()) return Acad::eDuplicateKey;
    members_.push_back(id);
    if (isDatabaseResident()) o->addPersistentReactor(objectId());
    return Acad::eOk;
}

Acad::ErrorStatus AcDbGroup::append(const AcDbObjectIdArray& ids) {
    Acad::ErrorStatus result = Acad::eOk;
    for (const AcDbObjectId& id : ids)
        if (Acad::ErrorStatus es = append(id); es != Acad::eOk) result = es;
    return result;
}

Acad::ErrorStatus AcDbGroup::remove(AcDbObjectId id) {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    auto it = std::find(members_.begin(), members_.end(), id);
    if (it == members_.end()) return Acad::eKeyNotFound;
    members_.erase(it);
    if (AcDbObject* o = DbAccess::peek(id)) o->removePersistentReactor(objectId());
    return Acad::eOk;
}

Acad::ErrorStatus AcDbGroup::clear() {
    if (Acad::ErrorStatus es = assertWriteEnabled(); es != Acad::eOk) return es;
    for (AcDbObjectId id : members_)
        if (AcDbObject* o = DbAccess::peek(id)) o->removePersistentReactor(objectId());
    members_.clear();
    return Acad::eOk;
}

bool AcDbGroup::has(const AcDbEntity* ent) const { return ent && has(ent->objectId()); }
bool AcDbGroup::has(AcDbObjectId id) const {
    return !id.isNull() && std::find(members_.begin(), members_.end(), id) != members_.end();
}

unsigned int AcDbGroup::allEntityIds(AcDbObjectIdArray& ids) const {
    ids.removeAll();
    for (AcDbObjectId id : members_)
        if (id.isValid() && !id.isErased()) ids.append(id);
    return static_cast<unsigned int>(ids.length());
}

unsigned int AcDbGroup::numEntities() const {
    AcDbObjectIdArray ids;
    return allEntityIds(ids);
}

void AcDbGroup::subAddedToDatabase(AcDbDatabase*) {
    for (AcDbObjectId id : members_)
        if (AcDbObject* o = DbAccess::peek(id)) o->addPersistentReactor(objectId());
}

void AcDbGroup::subErase(bool erasing) {
    // An erased group lets go of its members; restoring it links them again.
    for (AcDbObjectId id : members_)
        if (AcDbObject* o = DbAccess::peek(id)) {
            if (erasing) o->removePersistentReactor(objectId());
            else o->addPersistentReactor(objectId());
        }
}

void AcDbGroup::dxfOutFields(DxfOut& out) const {
    out.subclass("AcDbGroup");
    out.str(300, description_);
    out.i(70, isAnonymous() ? 1 : 0);
    out.i(71, selectable_ ? 1 : 0);
    for (AcDbObjectId id : members_)
        if (id.isValid() && !id.isErased()) out.id(340, id);
}

Acad::ErrorStatus AcDbGroup::dxfInFields(DxfIn& in) {
    members_.clear();
    for (const DxfTag& t : in.rest()) {
        switch (t.code) {
        case 300: description_ = t.str; break;
        case 71: selectable_ = t.i != 0; break;
        case 340:
            if (!t.id.isNull()) members_.push_back(t.id);
            break;
        default: break;
        }
    }
    return Acad::eOk;
}

// ---- Unknown objects ----

void AcDbProxyObject::dxfOutFields(DxfOut& out) const {
    for (const DxfTag& t : body_) out.add(t);
}

Acad::ErrorStatus AcDbProxyObject::dxfInFields(DxfIn& in) {
    body_.assign(in.rest().begin(), in.rest().end());
    return Acad::eOk;
}
