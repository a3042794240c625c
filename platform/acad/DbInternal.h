// Internal plumbing shared by the database's source files: direct access to objects behind ids
// without the open discipline (for bookkeeping the host does behind the caller's back, such as
// keeping a table's name index or a group's member links), and the database's storage.
#pragma once

#include <deque>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "acad/AcDbDatabase.h"
#include "acad/AcDbObject.h"
#include "acad/Display.h"
#include "acad/DxfTags.h"
#include "acad/UndoLog.h"

namespace NUVAcad {

struct DatabaseStore {
    std::deque<ObjectStub> stubs;
    std::unordered_map<uint64_t, ObjectStub*> byHandle;
    // Header variables the model does not interpret, in file order, and the CLASSES section.
    std::vector<std::pair<std::string, TagList>> headerExtra;
    std::vector<TagList> classes;
    // Sections of names the model does not know, by name, with their tags as read.
    std::vector<std::pair<std::string, TagList>> otherSections;
    // Tables of names the format does not define, kept as read.
    std::vector<AcDbObjectId> otherTables;
    // Objects a read made or moved (records the file lacked, an object whose handle another
    // already held): they get handles once every handle of the file is known.
    std::vector<ObjectStub*> unnumbered;
    // The drawing's undo log, made when first needed; a drawing read from a file starts a new one.
    std::unique_ptr<UndoLog> undo;
    // What the user sees of the drawing (made when first needed).
    std::unique_ptr<Display> display;
};

class DbAccess {
public:
    static ObjectStub* stubOf(const AcDbObject* o) { return o->stub_; }
    static AcDbObject* peek(AcDbObjectId id) { return id.stub() ? id.stub()->object : nullptr; }
    template <class T>
    static T* peekAs(AcDbObjectId id) { return T::cast(peek(id)); }
    static DatabaseStore& store(AcDbDatabase* db);
    static const DatabaseStore& store(const AcDbDatabase* db);
    // The stub for a handle, made when asked and absent (a reference read before its object).
    static ObjectStub* stubFor(AcDbDatabase* db, uint64_t handle, bool create);
    // Puts an object read from a file under its handle (a fresh handle when 0). It is not open.
    // While a file is read, an object without a handle of its own, or whose handle is taken,
    // waits for one until the read ends (finishLoading).
    static AcDbObjectId attach(AcDbDatabase* db, AcDbObject* obj, uint64_t handle);
    // A new handle with no object (markers such as a block's BLOCK and ENDBLK).
    static AcDbObjectId reserve(AcDbDatabase* db);
    static void setOwner(AcDbObject* o, AcDbObjectId owner) { o->owner_ = owner; }
    static void setErased(AcDbObject* o, bool e) {
        if (o->erased_ != e) aboutToModify(o);
        o->erased_ = e;
    }
    static void setXdict(AcDbObject* o, AcDbObjectId d) { o->xdict_ = d; }
    static void setReactors(AcDbObject* o, const std::vector<AcDbObjectId>& ids) {
        o->reactorIds_ = ids;
        o->syncReactorPtrs();
    }
    // Extended data as tags (1001 included), for the file writer and reader.
    static void xdataTags(const AcDbObject* o, TagList& out);
    static void setXdataTags(AcDbObject* o, const TagList& tags);
    // The serial that entity names carry, and the live database that holds it (null once the
    // database is gone or its drawing was replaced).
    static uint64_t serialOf(const AcDbDatabase* db) { return db->serial_; }
    static AcDbDatabase* databaseWithSerial(uint64_t serial);
    // A fresh serial: names made before stop resolving.
    static void renewSerial(AcDbDatabase* db);
    static Acad::ErrorStatus open(AcDbObject* o, AcDb::OpenMode mode);
    static void countOpen(AcDbDatabase* db, int delta) { db->openCount_ += delta; }
    static void countChange(AcDbDatabase* db) { ++db->changes_; }
    // While a file is read, handles come from the file: nothing may take a fresh one until
    // every handle of the file is known.
    static void setLoading(AcDbDatabase* db, bool loading) { db->loading_ = loading; }
    static bool isLoading(const AcDbDatabase* db) { return db->loading_; }
    // A handle the file uses (or its $HANDSEED): fresh handles come after it.
    static void raiseHandseed(AcDbDatabase* db, uint64_t seed) {
        if (seed > db->nextHandle_ && seed < kHandleLimit) db->nextHandle_ = seed;
    }

    // ---- Undo ----
    // Tell the drawing's undo log (when it records) that an object is about to change, or was
    // just created. Changes made behind an object's back (erasing a polyline's vertices,
    // linking a group's members) call aboutToModify too.
    static void aboutToModify(AcDbObject* o);
    static void created(ObjectStub* s);
    // A copy of the object's whole state, identity fields included; null when the class cannot
    // be copied.
    static AcDbObject* undoCopy(const AcDbObject* o);
    // Puts `copy` in the stub's place and deletes the object that was there.
    static void restoreObject(ObjectStub* s, AcDbObject* copy);
    // Deletes the stub's object (an undone creation); the id then names nothing.
    static void removeObject(ObjectStub* s);

    // Ends a read: the objects waiting for handles get fresh ones, after every handle read.
    static void finishLoading(AcDbDatabase* db);
    // Handles at or above this (from a damaged file) are kept but never move the counter.
    static constexpr uint64_t kHandleLimit = uint64_t(1) << 60;
};

// Points of entities whose coordinates live in their own plane (arcs, circles, texts, block
// references, lightweight polylines) are written in that plane's coordinate system (OCS), whose
// Z axis is the entity's normal.
AcGePoint3d wcsToOcs(const AcGePoint3d& p, const AcGeVector3d& n);
AcGePoint3d ocsToWcs(const AcGePoint3d& p, const AcGeVector3d& n);

// The class registry: a new object for a drawing-file type name, or null when unknown.
AcDbObject* newObjectForType(const std::string& typeName);

// Copies an entity or object of one database into another through its tags: names of layers,
// linetypes, styles and blocks are looked up in the destination (copied there from the source
// when missing); references to other objects become null. Null when the class cannot be made.
AcDbObject* copyAcross(const AcDbObject* src, AcDbDatabase* from, AcDbDatabase* to);

}  // namespace NUVAcad
