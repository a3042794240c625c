#include "db/DbStruct.h"

namespace {

const CString& NoDatabase() { return NUV_GBK("当前无可用数据库连接。"); }
const CString& DatabaseClosed() { return NUV_GBK("无法打开当前连接数据库。"); }
const CString& NoMatchingData() { return NUV_GBK("无法找到匹配数据。"); }

}  // namespace

int tagDBSTRUCT::ReadRecords(const char* sql, CADORecordset& recordset, CADODatabase* database) {
    if (!database) database = GetDatabase();
    if (!database) {
        m_strLastError = NoDatabase();
        return 0;
    }
    if (!database->IsOpen()) {
        m_strLastError = DatabaseClosed();
        return 0;
    }
    if (!recordset.Open(database->GetActiveConnection(), sql, CADORecordset::openUnknown)) {
        m_strLastError = recordset.GetLastErrorString();
        return 0;
    }
    return 1;
}

int tagDBSTRUCT::GetDataFromRecordSet(CADORecordset& recordset) {
    if (recordset.GetRecordCount() == 0) {
        m_strLastError = NoMatchingData();
        return 0;
    }
    // A column that cannot be read (a table without "Version") leaves the member as it was.
    long id = 0;
    int version = 0;
    if (recordset.GetFieldValue("ID", id)) m_nID = static_cast<std::int32_t>(id);
    if (recordset.GetFieldValue("Version", version)) m_nVersion = version;
    return 1;
}

int tagDBSTRUCT::SetDataToRecordSet(CADORecordset& recordset) {
    recordset.Edit();
    recordset.SetFieldValue("Version", static_cast<int>(m_nVersion));
    return 1;
}

int tagDBSTRUCT::ReadData(long id, CADODatabase* database) {
    CString sql;
    sql.Format("select * from %s where ID=%ld", GetTableName().GetString(), id);
    CADORecordset recordset;
    if (!ReadRecords(sql, recordset, database)) return 0;
    return GetDataFromRecordSet(recordset);
}

int tagDBSTRUCT::UpdateData(long id, CADODatabase* database) {
    CString sql;
    sql.Format("select * from %s where ID=%ld", GetTableName().GetString(), id);
    CADORecordset recordset;
    if (!ReadRecords(sql, recordset, database)) return 0;
    if (recordset.GetRecordCount() == 0) return 0;
    AsUserVerData();
    if (!SetDataToRecordSet(recordset)) return 0;
    if (!recordset.Update()) {
        m_strLastError = recordset.GetLastErrorString();
        return 0;
    }
    return 1;
}

int tagDBSTRUCT::InsertData(CADODatabase* database) {
    CString sql;
    sql.Format("select * from %s", GetTableName().GetString());
    CADORecordset recordset;
    if (!ReadRecords(sql, recordset, database)) return 0;
    if (!recordset.AddNew()) return 0;
    AsUserVerData();
    if (!SetDataToRecordSet(recordset)) return 0;
    if (!recordset.Update()) {
        m_strLastError = recordset.GetLastErrorString();
        return 0;
    }
    long id = 0;
    if (recordset.GetFieldValue("ID", id)) m_nID = static_cast<std::int32_t>(id);
    return 1;
}

int tagDBSTRUCT::RemoveData(long id, CADODatabase* database) {
    CString sql;
    sql.Format("select * from %s where ID=%ld", GetTableName().GetString(), id);
    CADORecordset recordset;
    if (!ReadRecords(sql, recordset, database)) return 0;
    if (recordset.GetRecordCount() == 0) return 0;
    if (!recordset.Delete()) {
        m_strLastError = recordset.GetLastErrorString();
        return 0;
    }
    return 1;
}

namespace {

// The rows of an ID range in ascending order; -1 leaves an end open.
CString RangeSql(const CString& table, long first, long last) {
    CString sql;
    if (last == -1) sql.Format("select ID from %s where ID>=%ld order by ID", table.GetString(), first);
    else if (first == -1) sql.Format("select ID from %s where ID<=%ld order by ID", table.GetString(), last);
    else sql.Format("select ID from %s where ID>=%ld and ID<=%ld order by ID", table.GetString(), first, last);
    return sql;
}

}  // namespace

int tagDBSTRUCT::IncreaseID(long first, long last, CADODatabase* database) {
    CADORecordset recordset;
    if (!ReadRecords(RangeSql(GetTableName(), first, last), recordset, database)) return 0;
    std::uint32_t count = recordset.GetRecordCount();
    if (count == 0) return 1;
    // From the top down: each row moves into the ID the row above it has just left.
    int result = 1;
    recordset.MoveLast();
    for (std::uint32_t i = 0; i < count; ++i) {
        long id = 0;
        if (recordset.GetFieldValue("ID", id)) {
            recordset.Edit();
            recordset.SetFieldValue("ID", id + 1);
            if (!recordset.Update()) result = 0;
        }
        recordset.MovePrevious();
    }
    return result;
}

int tagDBSTRUCT::DecreaseID(long first, long last, CADODatabase* database) {
    CADORecordset recordset;
    if (!ReadRecords(RangeSql(GetTableName(), first, last), recordset, database)) return 0;
    std::uint32_t count = recordset.GetRecordCount();
    if (count == 0) return 1;
    // From the bottom up: each row moves into the ID the row below it has just left.
    int result = 1;
    recordset.MoveFirst();
    for (std::uint32_t i = 0; i < count; ++i) {
        long id = 0;
        if (recordset.GetFieldValue("ID", id)) {
            recordset.Edit();
            recordset.SetFieldValue("ID", id - 1);
            if (!recordset.Update()) result = 0;
        }
        recordset.MoveNext();
    }
    return result;
}

int tagDBSTRUCT::UpdateID(long newId, CADODatabase* database) {
    if (!database) database = GetDatabase();
    if (!IsIDSort()) return 0;
    if (!ReadData(m_nID, database)) return 0;
    long old = m_nID;
    CString table = GetTableName();

    CString sql;
    sql.Format("select max(ID) from %s", table.GetString());
    CADORecordset largest;
    if (!ReadRecords(sql, largest, database)) return 0;
    if (largest.GetRecordCount() != 1) return 0;
    long maxId = 0;
    largest.GetFieldValue("ID", maxId);
    long parked = maxId + 1;

    // The row waits above every other ID while the rows between make room.
    sql.Format("select ID from %s where ID=%ld", table.GetString(), old);
    CADORecordset moved;
    if (!ReadRecords(sql, moved, database)) return 0;
    if (moved.GetRecordCount() != 1) return 0;
    moved.Edit();
    moved.SetFieldValue("ID", parked);
    if (!moved.Update()) return 0;

    if (old < newId) DecreaseID(old, newId, database);
    else if (newId < old) IncreaseID(newId, old, database);

    moved.Edit();
    moved.SetFieldValue("ID", newId);
    return moved.Update();
}
