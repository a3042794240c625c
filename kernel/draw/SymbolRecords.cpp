// Linetype and text-style records: one template for the two tables, which behave alike.
#include "draw/SymbolRecords.h"

#include <new>

namespace NUV {

namespace {

template <class Table, class Record>
Record* GetOrCreate(const char* name, int& existed) {
    if (!name || !*name) return nullptr;
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    if (!db) return nullptr;
    Table* table = nullptr;
    if (db->getSymbolTable(table, AcDb::kForWrite) != Acad::eOk) return nullptr;
    if (table->has(name)) {
        Record* rec = nullptr;
        table->getAt(name, rec, AcDb::kForWrite);
        existed = 1;
        table->close();
        return rec;
    }
    auto* rec = new (std::nothrow) Record;
    if (!rec || rec->setName(name) != Acad::eOk || table->add(rec) != Acad::eOk) {
        table->close();
        delete rec;
        return nullptr;
    }
    table->close();
    existed = 0;
    return rec;
}

}  // namespace

AcDbLinetypeTableRecord* CreateLineType(const char* name, int& existed) {
    return GetOrCreate<AcDbLinetypeTable, AcDbLinetypeTableRecord>(name, existed);
}

AcDbTextStyleTableRecord* CreateTextStyle(const char* name, int& existed) {
    return GetOrCreate<AcDbTextStyleTable, AcDbTextStyleTableRecord>(name, existed);
}

}  // namespace NUV
