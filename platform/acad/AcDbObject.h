// AcDbObject: the base of everything stored in a drawing database. An object appended to a
// database belongs to it and is reached through its id: it must be opened (acdbOpenObject) to be
// read or changed and closed afterwards. Read opens stack; a write open is exclusive; an erased
// object opens only when asked for explicitly. An object that was never appended belongs to
// whoever created it and is always writable.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "acad/AcDbCore.h"
#include "acad/AcDbObjectId.h"
#include "acad/AcRxObject.h"

struct resbuf;
class AcDbDatabase;

namespace NUVAcad {
class DxfOut;
class DxfIn;
struct DxfTag;
class DbAccess;

// What an id points to: a slot of one database, alive as long as the database.
struct ObjectStub {
    AcDbDatabase* db = nullptr;
    uint64_t handle = 0;
    AcDbObject* object = nullptr;  // null for a handle that is referenced but has no object
};
}  // namespace NUVAcad

class AcDbObject : public AcRxObject {
public:
    static const AcRxClass* desc() {
        static const AcRxClass c("AcDbObject", nullptr, AcRxObject::desc());
        return &c;
    }
    const AcRxClass* isA() const override { return desc(); }
    static AcDbObject* cast(AcRxObject* p) { return dynamic_cast<AcDbObject*>(p); }
    static const AcDbObject* cast(const AcRxObject* p) { return dynamic_cast<const AcDbObject*>(p); }

    AcDbObject();
    AcDbObject(const AcDbObject& other);  // copies data, not identity, reactors or open state
    AcDbObject& operator=(const AcDbObject&) = delete;
    ~AcDbObject() override;

    // A copy of the object that is not in any database and belongs to the caller.
    virtual AcRxObject* clone() const;

    AcDbObjectId objectId() const;
    AcDbObjectId ownerId() const { return owner_; }
    virtual Acad::ErrorStatus setOwnerId(AcDbObjectId owner);
    AcDbDatabase* database() const;
    AcDbHandle handle() const;
    void getAcDbHandle(AcDbHandle& h) const { h = handle(); }

    bool isReadEnabled() const;
    bool isWriteEnabled() const;
    bool isNotifyEnabled() const { return notifiers_ > 0; }
    bool isErased() const { return erased_; }
    bool isNewObject() const { return stub_ == nullptr; }
    bool isDatabaseResident() const { return stub_ != nullptr; }

    // Ends one open. Objects that are not in a database ignore it.
    Acad::ErrorStatus close();
    Acad::ErrorStatus upgradeOpen();
    Acad::ErrorStatus downgradeOpen();
    // Erases (or, with false, restores) the object; it must be open for write.
    Acad::ErrorStatus erase(bool erasing = true);

    // Extended data: a chain of (1001 . app) groups each followed by that application's values.
    // With an application name only that group comes back; null when there is none. The caller
    // releases the chain with acutRelRb.
    resbuf* xData(const char* regappName = nullptr) const;
    // Replaces the groups of every application named in the chain; an application with no values
    // after its name loses its data. Applications must be registered in the database.
    Acad::ErrorStatus setXData(const resbuf* xdata);
    // Names of the applications that have extended data on this object.
    std::vector<std::string> xDataApps() const;

    // Persistent reactors: ids of objects notified of this one (groups link to their members).
    void addPersistentReactor(AcDbObjectId id);
    Acad::ErrorStatus removePersistentReactor(AcDbObjectId id);
    bool hasPersistentReactor(AcDbObjectId id) const;
    // The object's own list (valid while the object lives). Persistent entries are tagged ids:
    // test them with acdbIsPersistentReactor, read them with acdbPersistentReactorObjectId.
    const AcDbVoidPtrArray* reactors() const { return &reactorPtrs_; }
    const std::vector<AcDbObjectId>& persistentReactorIds() const { return reactorIds_; }

    AcDbObjectId extensionDictionary() const { return xdict_; }
    Acad::ErrorStatus createExtensionDictionary();
    Acad::ErrorStatus releaseExtensionDictionary();

    // Drawing-file fields of the class and its bases (after the common header of type, handle,
    // reactors and owner). Subclasses call the base first.
    virtual void dxfOutFields(NUVAcad::DxfOut& out) const;
    virtual Acad::ErrorStatus dxfInFields(NUVAcad::DxfIn& in);

    Acad::ErrorStatus assertReadEnabled() const;
    Acad::ErrorStatus assertWriteEnabled() const;

protected:
    // Called once the object has an id in `db`: complex objects append their parts here.
    virtual void subAddedToDatabase(AcDbDatabase* db);
    // Called when the object is erased or restored.
    virtual void subErase(bool erasing);
    // Undo keeps a whole copy of an object before it changes. clone() leaves out what a user's
    // copy must not share (entries, members, entities, vertices); a class that owns such lists
    // puts them in its undo copy too. Null: the class cannot be copied.
    virtual AcDbObject* undoCopy() const;

private:
    friend class NUVAcad::DbAccess;
    struct XDataGroup;

    void syncReactorPtrs();

    NUVAcad::ObjectStub* stub_ = nullptr;
    AcDbObjectId owner_;
    int readers_ = 0;
    int notifiers_ = 0;
    bool writer_ = false;
    bool erased_ = false;
    std::vector<AcDbObjectId> reactorIds_;
    AcDbVoidPtrArray reactorPtrs_;
    AcDbObjectId xdict_;
    std::vector<XDataGroup>* xdata_ = nullptr;  // rare, so kept out of line
};

// Declares desc/isA/cast for CLASS and, for concrete classes, clone().
#define NUV_DB_DECLARE(CLASS, PARENT, DXFNAME)  NUV_ACRX_DECLARE(CLASS, PARENT, DXFNAME)
#define NUV_DB_CLONE(CLASS) \
    AcRxObject* clone() const override { return new CLASS(*this); }

// Opening by id. The mode decides the access; an erased object fails with eWasErased unless
// openErased is true; a class mismatch fails with eNotThatKindOfClass (and nothing stays open).
Acad::ErrorStatus acdbOpenAcDbObject(AcDbObject*& obj, AcDbObjectId id, AcDb::OpenMode mode, bool openErased = false);
inline Acad::ErrorStatus acdbOpenObject(AcDbObject*& obj, AcDbObjectId id, AcDb::OpenMode mode, bool openErased = false) {
    return acdbOpenAcDbObject(obj, id, mode, openErased);
}
template <class T>
Acad::ErrorStatus acdbOpenObject(T*& obj, AcDbObjectId id, AcDb::OpenMode mode, bool openErased = false) {
    obj = nullptr;
    AcDbObject* p = nullptr;
    Acad::ErrorStatus es = acdbOpenAcDbObject(p, id, mode, openErased);
    if (es != Acad::eOk) return es;
    obj = T::cast(p);
    if (!obj) {
        p->close();
        return Acad::eNotThatKindOfClass;
    }
    return Acad::eOk;
}

bool acdbIsPersistentReactor(void* reactor);
AcDbObjectId acdbPersistentReactorObjectId(void* reactor);
