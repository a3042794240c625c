// Groups. Name matching upper-cases and searches with CString's double-byte-aware rules, so a
// GBK trail byte that happens to be a lower-case letter is neither changed nor matched alone.
#include "draw/Groups.h"

#include <new>
#include <set>

#include "ZQCAD/ZQCAD.h"
#include "win/CString.h"

namespace NUV {

int HasGroup(const char* name, AcDbObjectId& groupId, AcDbDatabase* db) {
    if (!name) return 0;
    if (!db) db = ZQ::GetCurDWGPtr();
    if (!db) return 0;
    AcDbDictionary* dict = nullptr;
    if (db->getGroupDictionary(dict, AcDb::kForWrite) != Acad::eOk) return 0;
    AcDbObjectId id;
    bool found = dict->getAt(name, id) == Acad::eOk;
    dict->close();
    if (!found) return 0;
    groupId = id;
    return 1;
}

int RemoveGroup(const char* name, AcDbDatabase* db) {
    AcDbObjectId id;
    if (!HasGroup(name, id, db)) return 1;
    return ZQ::Erase(id) ? 1 : 0;
}

AcDbGroup* CreateGroup(const char* name, int& existed, AcDbDatabase* db) {
    if (!db) db = ZQ::GetCurDWGPtr();
    if (!db) return nullptr;
    AcDbObjectId id;
    if (HasGroup(name, id, db)) {
        existed = 1;
        AcDbGroup* group = nullptr;
        acdbOpenObject(group, id, AcDb::kForWrite);
        return group;
    }
    AcDbDictionary* dict = nullptr;
    if (db->getGroupDictionary(dict, AcDb::kForWrite) != Acad::eOk) return nullptr;
    auto* group = new (std::nothrow) AcDbGroup("", true);
    if (group && dict->setAt(name ? name : "*", group, id) != Acad::eOk) {
        delete group;
        group = nullptr;
    }
    dict->close();
    if (group) existed = 0;
    return group;
}

bool CreateGroup(const AcDbObjectIdArray& ids, const char* name, bool selectable, AcDbObjectId& groupId) {
    int existed = 0;
    AcDbGroup* group = CreateGroup(name, existed, nullptr);
    if (!group) return false;
    groupId = group->objectId();
    group->setSelectable(selectable);
    for (int i = 0; i < ids.length(); ++i) group->append(ids[i]);
    group->close();
    return true;
}

const AcDbVoidPtrArray* GetReactorsofObj(const AcDbObjectId& id) {
    AcDbObject* obj = nullptr;
    if (acdbOpenObject(obj, id, AcDb::kForRead) != Acad::eOk) return nullptr;
    const AcDbVoidPtrArray* reactors = obj->reactors();
    obj->close();
    return reactors;
}

AcDbObjectId GetGroupIdOfObj(const AcDbObjectId& id, const char* namePart) {
    const AcDbVoidPtrArray* reactors = GetReactorsofObj(id);
    if (!reactors) return AcDbObjectId();
    CString part(namePart ? namePart : "");
    part.MakeUpper();
    // The list belongs to the object: copy it before opening anything else.
    AcDbVoidPtrArray list = *reactors;
    for (int i = 0; i < list.length(); ++i) {
        if (!acdbIsPersistentReactor(list[i])) continue;
        AcDbGroup* group = nullptr;
        AcDbObjectId gid = acdbPersistentReactorObjectId(list[i]);
        if (acdbOpenObject(group, gid, AcDb::kForRead) != Acad::eOk) continue;
        CString name(group->name());
        group->close();
        name.MakeUpper();
        if (part.IsEmpty() || name.Find(part) >= 0) return gid;
    }
    return AcDbObjectId();
}

void ClearGroup(const AcDbObjectId& id, const char* namePart) {
    // A group that cannot be erased would be found again and again: stop at the first repeat.
    std::set<AcDbObjectId> tried;
    for (;;) {
        AcDbObjectId gid = GetGroupIdOfObj(id, namePart);
        if (gid.isNull() || !tried.insert(gid).second) return;
        ZQ::Erase(gid);
    }
}

}  // namespace NUV
