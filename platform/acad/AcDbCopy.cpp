// Copies between databases: whole drawings (wblock), a drawing as a block (insert), and object
// clones for block copies (deepCloneObjects).
#include <functional>

#include "acad/AcDbBlockReference.h"
#include "acad/AcDbDatabase.h"
#include "acad/AcDbDictionary.h"
#include "acad/AcDbEntity.h"
#include "acad/AcDbPolylines.h"
#include "acad/AcDbSymbolTable.h"
#include "acad/DbInternal.h"

namespace NUVAcad {
namespace {

class Copier {
public:
    Copier(AcDbDatabase* from, AcDbDatabase* to) : from_(from), to_(to) {}

    AcDbObject* copy(const AcDbObject* src) {
        TagList tags;
        DxfOut out(tags, from_);
        src->dxfOutFields(out);
        bool isInsert = AcDbBlockReference::cast(src) != nullptr;
        ensureNames(tags, isInsert);
        // References to other objects of the source do not carry over.
        for (DxfTag& t : tags)
            if (tagTypeOf(t.code) == TagType::Id) t.id = AcDbObjectId();
        // A clone gives an object of the same class; its fields then come from the tags, read in
        // the destination.
        AcDbObject* o = AcDbObject::cast(src->clone());
        if (!o) return nullptr;
        if (auto* e = AcDbEntity::cast(o); e && e->subentList()) e->subentList()->clear();
        DxfIn in(tags, to_);
        if (o->dxfInFields(in) != Acad::eOk) {
            delete o;
            return nullptr;
        }
        TagList x;
        DbAccess::xdataTags(src, x);
        for (const DxfTag& t : x)
            if (t.code == 1001) ensureRecord(to_->regAppTableId(), from_->regAppTableId(), t.str);
        DbAccess::setXdataTags(o, x);
        // Vertices of an old-style polyline follow their owner.
        if (auto* se = AcDbEntity::cast(src); se && se->subentList())
            if (auto* de = AcDbEntity::cast(o)) {
                for (AcDbEntity* v : se->subentList()->items())
                    if (auto* cv = AcDbEntity::cast(copy(v))) {
                        AcDbObjectId unused;
                        de->subentList()->append(de, cv, unused);
                    }
            }
        return o;
    }

    // Copies a block definition (by name) with its entities, when the destination lacks it.
    AcDbObjectId ensureBlock(const std::string& name) {
        auto* dst = DbAccess::peekAs<AcDbSymbolTable>(to_->blockTableId());
        AcDbObjectId id;
        if (!dst || dst->getAt(name.c_str(), id) == Acad::eOk) return id;
        auto* srcTable = DbAccess::peekAs<AcDbSymbolTable>(from_->blockTableId());
        AcDbObjectId srcId;
        if (!srcTable || srcTable->getAt(name.c_str(), srcId) != Acad::eOk) return {};
        auto* srcBtr = DbAccess::peekAs<AcDbBlockTableRecord>(srcId);
        auto* btr = new AcDbBlockTableRecord;
        btr->setName(name.c_str());
        btr->setOrigin(srcBtr->origin());
        return fill(btr, srcBtr);
    }

    // Adds `btr` (new, named) to the destination's block table and copies the source block's
    // entities into it.
    AcDbObjectId fill(AcDbBlockTableRecord* btr, const AcDbBlockTableRecord* src) {
        AcDbBlockTable* table = nullptr;
        if (acdbOpenObject(table, to_->blockTableId(), AcDb::kForWrite) != Acad::eOk) {
            delete btr;
            return {};
        }
        AcDbObjectId id;
        Acad::ErrorStatus es = table->add(id, btr);
        table->close();
        if (es != Acad::eOk) {
            delete btr;
            return {};
        }
        for (AcDbObjectId eid : src->entityIds()) {
            auto* e = DbAccess::peekAs<AcDbEntity>(eid);
            if (!e || e->isErased()) continue;
            if (auto* c = AcDbEntity::cast(copy(e))) {
                if (btr->appendAcDbEntity(c) == Acad::eOk) c->close();
                else delete c;
            }
        }
        btr->close();
        return id;
    }

private:
    void ensureNames(const TagList& tags, bool isInsert) {
        for (const DxfTag& t : tags) {
            if (t.code == 8) ensureRecord(to_->layerTableId(), from_->layerTableId(), t.str);
            else if (t.code == 6) ensureRecord(to_->linetypeTableId(), from_->linetypeTableId(), t.str);
            else if (t.code == 7) ensureRecord(to_->textStyleTableId(), from_->textStyleTableId(), t.str);
            else if (t.code == 2 && isInsert) ensureBlock(t.str);
        }
    }

    void ensureRecord(AcDbObjectId dstTable, AcDbObjectId srcTable, const std::string& name) {
        auto* dst = DbAccess::peekAs<AcDbSymbolTable>(dstTable);
        auto* src = DbAccess::peekAs<AcDbSymbolTable>(srcTable);
        AcDbObjectId id;
        if (!dst || name.empty() || dst->getAt(name.c_str(), id, true) == Acad::eOk) return;
        AcDbSymbolTableRecord* rec = dst->newRecord();
        if (src && src->getAt(name.c_str(), id) == Acad::eOk) {
            TagList tags;
            DxfOut out(tags, from_);
            DbAccess::peek(id)->dxfOutFields(out);
            ensureNames(tags, false);
            DxfIn in(tags, to_);
            rec->dxfInFields(in);
        }
        rec->setName(name.c_str());
        AcDbObjectId newId = DbAccess::attach(to_, rec, 0);
        DbAccess::setOwner(rec, dstTable);
        dst->attachRecord(newId, name);
    }

    AcDbDatabase* from_;
    AcDbDatabase* to_;
};

}  // namespace

AcDbObject* copyAcross(const AcDbObject* src, AcDbDatabase* from, AcDbDatabase* to) {
    Copier c(from, to);
    return c.copy(src);
}

}  // namespace NUVAcad

Acad::ErrorStatus AcDbDatabase::wblock(AcDbDatabase*& output) {
    output = nullptr;
    std::string text;
    writeDxf(text);
    auto* db = new AcDbDatabase(false);
    Acad::ErrorStatus es = db->readDxf(text);
    if (es != Acad::eOk) {
        delete db;
        return es;
    }
    output = db;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::insert(AcDbObjectId& blockId, const char* blockName, AcDbDatabase* source, bool) {
    if (!source) return Acad::eNullObjectPointer;
    if (!blockName || !*blockName) return Acad::eInvalidBlockName;
    if (source == this) return Acad::eSelfReference;
    auto* table = NUVAcad::DbAccess::peekAs<AcDbSymbolTable>(blockTable_);
    if (!table) return Acad::eNoDatabase;
    if (table->has(blockName)) return Acad::eDuplicateRecordName;
    auto* srcModel = NUVAcad::DbAccess::peekAs<AcDbBlockTableRecord>(source->modelSpaceId());
    if (!srcModel) return Acad::eNoDatabase;
    auto* btr = new AcDbBlockTableRecord;
    if (btr->setName(blockName) != Acad::eOk) {
        delete btr;
        return Acad::eInvalidBlockName;
    }
    NUVAcad::Copier copier(source, this);
    blockId = copier.fill(btr, srcModel);
    return blockId.isNull() ? Acad::eInvalidBlockName : Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::deepCloneObjects(const AcDbObjectIdArray& ids, AcDbObjectId& owner, AcDbIdMapping& idMap,
                                                 bool) {
    auto* btr = NUVAcad::DbAccess::peekAs<AcDbBlockTableRecord>(owner);
    if (!btr) return Acad::eInvalidInput;
    AcDbDatabase* dest = owner.database();
    idMap.setDestDb(dest);
    idMap.setOrigDb(this);
    bool openedHere = false;
    if (!btr->isWriteEnabled()) {
        if (NUVAcad::DbAccess::open(btr, AcDb::kForWrite) != Acad::eOk) return Acad::eWasOpenForRead;
        openedHere = true;
    }
    Acad::ErrorStatus result = Acad::eOk;
    for (const AcDbObjectId& id : ids) {
        auto* src = NUVAcad::DbAccess::peekAs<AcDbEntity>(id);
        if (!src || src->isErased() || id.database() != this) {
            result = Acad::eInvalidInput;
            continue;
        }
        AcDbEntity* copy = dest == this ? AcDbEntity::cast(src->clone())
                                        : AcDbEntity::cast(NUVAcad::copyAcross(src, this, dest));
        if (!copy) {
            result = Acad::eNotApplicable;
            continue;
        }
        AcDbObjectId newId;
        if (btr->appendAcDbEntity(newId, copy) != Acad::eOk) {
            delete copy;
            result = Acad::eInvalidInput;
            continue;
        }
        copy->close();
        idMap.assign(AcDbIdPair(id, newId, true, true, true));
    }
    if (openedHere) btr->close();
    return result;
}
