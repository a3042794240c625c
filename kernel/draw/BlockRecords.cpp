// Block definitions. A new record is added to the table before the table is closed, so the
// caller receives a record that already has its id and name ("*U" becomes "*U<n>").
#include "draw/BlockRecords.h"

#include <memory>
#include <new>

#include "ZQCAD/ZQCAD.h"
#include "ZQSoft/ZQSoft.h"

namespace NUV {

AcDbBlockTableRecord* CreateBlockTableRecord(const char* name, int& existed, AcDbDatabase* db) {
    existed = 0;
    if (!db) db = acdbHostApplicationServices()->workingDatabase();
    if (!db) return nullptr;
    AcDbBlockTable* table = nullptr;
    if (db->getBlockTable(table, AcDb::kForWrite) != Acad::eOk) return nullptr;
    if (name && table->has(name)) {
        AcDbBlockTableRecord* rec = nullptr;
        table->getAt(name, rec, AcDb::kForWrite);
        existed = 1;
        table->close();
        return rec;
    }
    auto* rec = new (std::nothrow) AcDbBlockTableRecord;
    if (!rec) {
        table->close();
        return nullptr;
    }
    rec->setName(name ? name : "*U");
    // A record the table refused would be in no database: the caller could neither close nor
    // find it, so it is deleted here rather than handed out.
    if (table->add(rec) != Acad::eOk) {
        delete rec;
        rec = nullptr;
    }
    table->close();
    return rec;
}

Acad::ErrorStatus InsertEntToBlockRecord(AcDbEntity* ent, const AcDbObjectId& record, AcDbObjectId& newId) {
    if (!ent) return Acad::eNullObjectPointer;
    AcDbBlockTableRecord* rec = nullptr;
    if (Acad::ErrorStatus es = acdbOpenObject(rec, record, AcDb::kForWrite); es != Acad::eOk) return es;
    Acad::ErrorStatus es = rec->appendAcDbEntity(newId, ent);
    rec->close();
    return es;
}

Acad::ErrorStatus InsertBlockRecord(const char* path, const char* blockName, AcDbObjectId& recordId) {
    if (!path || !ZQ::IsExist(path)) return Acad::eFileNotFound;
    CString title;
    if (!blockName) {
        title = ZQ::GetFileTitle(path);
        blockName = title;
    }
    AcDbDatabase* db = ZQ::GetCurDWGPtr();
    AcDbBlockTable* table = nullptr;
    // 82 is the number callers test for "no block table"; it shares the value of eWasOpenForNotify.
    constexpr auto kNoBlockTable = static_cast<Acad::ErrorStatus>(82);
    if (!db || db->getBlockTable(table, AcDb::kForRead) != Acad::eOk) return kNoBlockTable;
    AcDbBlockTableRecord* existing = nullptr;
    if (table->getAt(blockName, existing, AcDb::kForRead) == Acad::eOk) {
        table->close();
        recordId = existing->objectId();
        existing->close();
        return Acad::eOk;
    }
    table->close();

    constexpr int kDenyWrite = 0x20;
    auto side = std::make_unique<AcDbDatabase>(false, true);
    if (Acad::ErrorStatus es = side->readDwgFile(path, kDenyWrite); es != Acad::eOk) return es;
    AcDbDatabase* copy = nullptr;
    if (Acad::ErrorStatus es = side->wblock(copy); es != Acad::eOk) return es;
    std::unique_ptr<AcDbDatabase> owned(copy);
    return db->insert(recordId, blockName, owned.get(), true);
}

}  // namespace NUV
