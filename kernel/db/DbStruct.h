// tagDBSTRUCT: the base of every table record the suite keeps. A record is one row of one table,
// identified by its "ID" column, whose values also give the rows their display order, and
// carrying a "Version" column (above 0: shipped default data; 0: changed by the user).
//
// Derived records supply the table name and the default database, transfer their own columns
// by overriding GetDataFromRecordSet / SetDataToRecordSet (and calling the base), and opt in to
// moving rows in the ID order with IsIDSort. Every operation takes an optional database (null:
// GetDatabase()) and returns 1 for success, 0 for failure with the reason in GetLastError().
#pragma once

#include <cstdint>

#include "db/ADODatabase.h"
#include "db/ADORecordset.h"
#include "win/CString.h"

struct tagDBSTRUCT {
    tagDBSTRUCT() = default;
    tagDBSTRUCT(const tagDBSTRUCT& other) = default;
    tagDBSTRUCT& operator=(const tagDBSTRUCT& other) = default;
    virtual ~tagDBSTRUCT() = default;

    virtual CADODatabase* GetDatabase() = 0;
    // Substituted for the "%s" of every SQL text the base builds.
    virtual CString GetTableName() const = 0;
    virtual int IsIDSort() const { return 0; }

    virtual int ReadData(long id, CADODatabase* database = nullptr);
    // Writes this object into the row with that ID; the row becomes user data (version 0).
    virtual int UpdateData(long id, CADODatabase* database = nullptr);
    // Adds a row; the database numbers it and the new ID is read back into this object.
    virtual int InsertData(CADODatabase* database = nullptr);
    // Other rows keep their IDs; call DecreaseID to close the gap when the order must stay dense.
    virtual int RemoveData(long id, CADODatabase* database = nullptr);
    // Moves this row to position newId and shifts the rows between by one, never letting two
    // rows share an ID. Not atomic: wrap it in a transaction when that matters. This object keeps
    // its old ID; call SetID afterwards if it should follow.
    virtual int UpdateID(long newId, CADODatabase* database = nullptr);
    virtual int IsDefaultData() const { return m_nVersion > 0; }

    long GetID() const { return m_nID; }
    void SetID(long id) { m_nID = static_cast<std::int32_t>(id); }
    int GetVersion() const { return m_nVersion; }
    void SetVersion(int version) { m_nVersion = version; }
    CString GetLastError() const { return m_strLastError; }

protected:
    virtual void AsUserVerData() { m_nVersion = 0; }
    virtual int GetDataFromRecordSet(CADORecordset& recordset);
    virtual int SetDataToRecordSet(CADORecordset& recordset);

    int ReadRecords(const char* sql, CADORecordset& recordset, CADODatabase* database);
    // Add / subtract 1 to every ID in [first, last]; -1 leaves that end open. The walk goes from
    // the far end so each row moves into an ID just vacated: the ID just above (increase) or
    // below (decrease) the range must be free.
    int IncreaseID(long first, long last, CADODatabase* database);
    int DecreaseID(long first, long last, CADODatabase* database);

    std::int32_t m_nID = 0;
    std::int32_t m_nVersion = 0;
    CString m_strLastError;
};
