// The two helpers the suite uses to reach its desktop database files.
#pragma once

#include "db/ADODatabase.h"
#include "db/ADORecordset.h"
#include "win/CString.h"

namespace NUV {

// The connection string for a database file. With a password (even an empty one) the password
// key ends the string.
CString GetAccessConnectStr(const char* databasePath, const char* password = nullptr);

// Opens the record set for an SQL text on the database. 1 when it is open; 0 with the reason in
// errorText otherwise (a Chinese message, or the record set's error report).
int ReadAccessRecords(CADODatabase* database, const char* sql, CADORecordset& recordset, CString& errorText);

}  // namespace NUV
