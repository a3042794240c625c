#include "db/AccessRecords.h"

#include "ado/ConnectionString.h"

namespace NUV {

// Values holding ';' or quotes are quoted as the grammar allows, so a password or a file name can
// never add a key of its own (another Data Source, say); ordinary values are written as they are.
CString GetAccessConnectStr(const char* databasePath, const char* password) {
    using NUVADO::ConnectionString;
    CString text = "Provider=Microsoft.Jet.OLEDB.4.0;";
    text += "Data Source=";
    text += ConnectionString::QuoteValue(databasePath ? databasePath : "").c_str();
    text += ";";
    text += "Persist Security Info=False";
    text += ";";
    if (password) {
        text += "Jet OLEDB:Database Password=";
        text += ConnectionString::QuoteValue(password).c_str();
    }
    return text;
}

int ReadAccessRecords(CADODatabase* database, const char* sql, CADORecordset& recordset, CString& errorText) {
    if (!database) {
        errorText = NUV_GBK("当前无可用数据库连接。");
        return 0;
    }
    if (!database->IsOpen()) {
        errorText = NUV_GBK("无法打开当前连接数据库。");
        return 0;
    }
    if (recordset.Open(database->GetActiveConnection(), sql, CADORecordset::openUnknown)) return 1;
    errorText = recordset.GetLastErrorString();
    return 0;
}

}  // namespace NUV
