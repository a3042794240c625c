// The Connection object: opening a database from a Jet connection string (SQLCipher key from
// the password), transactions, Execute and the schema record sets.
#include <sqlcipher/sqlite3.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <fstream>

#include "ado/ConnectionImpl.h"
#include "ado/ConnectionString.h"
#include "ado/Procedures.h"
#include "ado/RecordsetImpl.h"
#include "ado/SqlFunctions.h"
#include "ado/SqlRunner.h"
#include "ado/SqlWords.h"
#include "win/FileSystem.h"

namespace NUVADO::detail {

namespace {

bool StartsWithNoCase(const std::string& s, const char* p) { return strncasecmp(s.c_str(), p, std::strlen(p)) == 0; }

}  // namespace

Database& ConnectionImpl::Db() {
    if (!db_) RaiseClosed(kConnectionSource);
    return *db_;
}

HRESULT ConnectionImpl::Open(const _bstr_t& connectionString, const _bstr_t&, const _bstr_t&, long) {
    if (db_) Raise(adErrObjectOpen, "Operation is not allowed when the object is open.", kConnectionSource);
    if (connectionString.length() > 0) connectionString_ = connectionString;
    std::string text = BstrToUtf8(connectionString_);
    ConnectionString cs;
    std::string why;
    if (!cs.Parse(text, &why))
        Raise(static_cast<unsigned>(E_FAIL), "Format of the initialization string is not valid (" + why + ").",
              kConnectionSource);
    const std::string* provider = cs.Find("Provider");
    if (!provider || !(StartsWithNoCase(*provider, "Microsoft.Jet.OLEDB") || StartsWithNoCase(*provider, "Microsoft.ACE.OLEDB")))
        Raise(adErrProviderNotFound, "Provider cannot be found. It may not be properly installed" +
                                         std::string(provider ? " ('" + *provider + "')." : " (the connection string names none)."),
              kConnectionSource);
    provider_ = *provider;
    const std::string* source = cs.Find("Data Source");
    std::string path = source ? *source : std::string();
    const std::string* pw = cs.Find("Jet OLEDB:Database Password");
    std::string password = pw ? *pw : std::string();
    const std::string* mode = cs.Find("Mode");
    bool readOnly = mode && strcasestr(mode->c_str(), "read") && !strcasestr(mode->c_str(), "write");

    CString gbkPath;
    if (!GbkPath(path, gbkPath, why)) Raise(static_cast<unsigned>(E_FAIL), "Could not open '" + path + "': " + why + ".", kEngineSource);
    std::string native = NUVWin::NativePath(gbkPath);
    struct stat sb {};
    if (path.empty() || stat(native.c_str(), &sb) != 0 || !S_ISREG(sb.st_mode))
        Raise(static_cast<unsigned>(E_FAIL), "Could not find file '" + path + "'.", kEngineSource);

    // A plain SQLite file starts with this header; an encrypted one looks like noise.
    char header[16] = {0};
    {
        std::ifstream f(native, std::ios::binary);
        f.read(header, sizeof header);
    }
    bool plain = std::memcmp(header, "SQLite format 3", 16) == 0;
    bool empty = sb.st_size == 0;

    auto db = std::make_shared<Database>();
    db->path = path;
    db->nativePath = native;
    db->readOnly = readOnly;
    int rc = sqlite3_open_v2(native.c_str(), &db->db, (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX,
                             nullptr);
    if (rc != SQLITE_OK) {
        std::string msg = db->db ? sqlite3_errmsg(db->db) : sqlite3_errstr(rc);
        Raise(static_cast<unsigned>(E_FAIL), "The database engine cannot open the file '" + path + "' (" + msg + ").", kEngineSource);
    }
    // Without a password on a file that has one, or with a password on a plain file, the engine
    // answers as the desktop engine does: the password must match how the file was written. A
    // password given for a plain file is ignored, as the desktop engine ignores it.
    if (!password.empty() && !plain) sqlite3_key(db->db, password.data(), static_cast<int>(password.size()));
    rc = sqlite3_exec(db->db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        if (!plain && !empty && (!password.empty() || (sb.st_size >= 1024 && sb.st_size % 512 == 0)))
            Raise(DB_SEC_E_AUTH_FAILED, "Not a valid password.", kEngineSource);
        Raise(static_cast<unsigned>(E_FAIL), "Unrecognized database format '" + path + "'.", kEngineSource);
    }
    sqlite3_busy_timeout(db->db, static_cast<int>(std::max(1L, connectionTimeout_ > 0 ? connectionTimeout_ : 15) * 1000));
    // Plain files are read through a memory map rather than copied page by page into the
    // engine's cache: a fifth less time for a large query. Encrypted pages must be decrypted
    // into the cache anyway, so those keep the default.
    if (plain || empty) sqlite3_exec(db->db, "PRAGMA mmap_size=268435456", nullptr, nullptr, nullptr);
    RegisterFunctions(db->db);
    db_ = std::move(db);
    return S_OK;
}

HRESULT ConnectionImpl::Close() {
    if (!db_) RaiseClosed(kConnectionSource);
    if (db_->transactionDepth > 0) sqlite3_exec(db_->db, "ROLLBACK", nullptr, nullptr, nullptr);
    db_->transactionDepth = 0;
    db_.reset();
    return S_OK;
}

_RecordsetPtr ConnectionImpl::Execute(const _bstr_t& commandText, VARIANT* recordsAffected, long options) {
    Database& db = Db();
    (void)db;
    long affected = 0;
    bool noRecords = options != adOptionUnspecified && (options & adExecuteNoRecords);
    auto snap = RunSql(*this, BstrToUtf8(commandText), {}, {}, false, affected);
    if (recordsAffected) {
        VariantClear(recordsAffected);
        recordsAffected->vt = VT_I4;
        recordsAffected->lVal = static_cast<std::int32_t>(affected);
    }
    auto* rs = new RecordsetImpl();
    _RecordsetPtr p(static_cast<_Recordset*>(rs));
    if (noRecords) return nullptr;
    if (snap)
        rs->Attach(std::move(snap), this, cursorLocation_ == adUseClient ? adOpenStatic : adOpenForwardOnly, adLockReadOnly,
                   BstrToUtf8(commandText), {}, {});
    return p;
}

long ConnectionImpl::BeginTrans() {
    Database& db = Db();
    db.Exec(db.transactionDepth == 0 ? "BEGIN" : "SAVEPOINT nuv_" + std::to_string(db.transactionDepth));
    return ++db.transactionDepth;
}

HRESULT ConnectionImpl::CommitTrans() {
    Database& db = Db();
    if (db.transactionDepth == 0) Raise(0x8004D00Eu, "No transaction is active.", kConnectionSource);
    --db.transactionDepth;
    db.Exec(db.transactionDepth == 0 ? "COMMIT" : "RELEASE nuv_" + std::to_string(db.transactionDepth));
    return S_OK;
}

HRESULT ConnectionImpl::RollbackTrans() {
    Database& db = Db();
    if (db.transactionDepth == 0) Raise(0x8004D00Eu, "No transaction is active.", kConnectionSource);
    --db.transactionDepth;
    if (db.transactionDepth == 0) db.Exec("ROLLBACK");
    else db.Exec("ROLLBACK TO nuv_" + std::to_string(db.transactionDepth) + "; RELEASE nuv_" + std::to_string(db.transactionDepth));
    return S_OK;
}

_RecordsetPtr ConnectionImpl::OpenSchema(SchemaEnum schema) {
    Database& db = Db();
    Rowset rs;
    auto col = [&](const char* name, DataTypeEnum type, long size) {
        RowsetColumn c;
        c.name = name;
        c.type = type;
        c.definedSize = size;
        rs.columns.push_back(c);
    };
    auto text = [](const std::string& s) { return _variant_t(_bstr_t(std::u16string_view(NUVWin::Utf8ToUtf16(s)))); };
    _variant_t null;
    null.vt = VT_NULL;
    std::vector<std::pair<std::string, std::string>> tables;  // name, type
    {
        Statement st;
        const std::string q = "SELECT name, type FROM sqlite_master WHERE type IN ('table','view') ORDER BY name COLLATE NOCASE";
        db.Prepare(q, st);
        while (db.Step(st, q)) {
            std::string name = ColumnText(st.stmt, 0);
            std::string type = ColumnText(st.stmt, 1);
            bool system = StartsWithNoCase(name, "sqlite_") || strcasecmp(name.c_str(), kProcedureTable) == 0;
            tables.emplace_back(name, type == "view" ? "VIEW" : (system ? "SYSTEM TABLE" : "TABLE"));
        }
    }
    if (schema == adSchemaTables || schema == adSchemaViews) {
        col("TABLE_CATALOG", adVarWChar, 255);
        col("TABLE_SCHEMA", adVarWChar, 255);
        col("TABLE_NAME", adVarWChar, 255);
        col("TABLE_TYPE", adVarWChar, 255);
        for (auto& [name, type] : tables) {
            if (schema == adSchemaViews && type != "VIEW") continue;
            rs.cells.push_back(null);
            rs.cells.push_back(null);
            rs.cells.push_back(text(name));
            rs.cells.push_back(text(type));
        }
    } else if (schema == adSchemaColumns) {
        col("TABLE_NAME", adVarWChar, 255);
        col("COLUMN_NAME", adVarWChar, 255);
        col("ORDINAL_POSITION", adInteger, 4);
        col("DATA_TYPE", adSmallInt, 2);
        col("CHARACTER_MAXIMUM_LENGTH", adInteger, 4);
        col("IS_NULLABLE", adBoolean, 2);
        for (auto& [name, type] : tables) {
            Statement st;
            std::string q = "PRAGMA table_info(" + Ident(name) + ")";
            db.Prepare(q, st);
            while (db.Step(st, q)) {
                Column c;
                DescribeDeclaredType(ColumnText(st.stmt, 2), c);
                rs.cells.push_back(text(name));
                rs.cells.push_back(text(ColumnText(st.stmt, 1)));
                rs.cells.push_back(_variant_t(static_cast<long>(sqlite3_column_int(st.stmt, 0) + 1)));
                rs.cells.push_back(_variant_t(static_cast<short>(c.type)));
                if (VariantTypeOf(c.type) == VT_BSTR) rs.cells.push_back(_variant_t(c.definedSize));
                else rs.cells.push_back(null);
                rs.cells.push_back(_variant_t(sqlite3_column_int(st.stmt, 3) == 0 && sqlite3_column_int(st.stmt, 5) == 0));
            }
        }
    } else if (schema == adSchemaProcedures) {
        col("PROCEDURE_NAME", adVarWChar, 255);
        col("PROCEDURE_DEFINITION", adLongVarWChar, 536870910);
        Statement st;
        std::string q = std::string("SELECT Name, Body FROM ") + kProcedureTable + " ORDER BY Name";
        if (db.HasTable(kProcedureTable)) {
            db.Prepare(q, st);
            while (db.Step(st, q)) {
                rs.cells.push_back(text(ColumnText(st.stmt, 0)));
                rs.cells.push_back(text(ColumnText(st.stmt, 1)));
            }
        }
    } else {
        Raise(adErrFeatureNotAvailable, "Object or provider is not capable of performing requested operation (schema " +
                                            std::to_string(schema) + ").",
              kConnectionSource);
    }
    auto* r = new RecordsetImpl();
    _RecordsetPtr p(static_cast<_Recordset*>(r));
    r->Attach(SnapshotFromRowset(rs), this, adOpenStatic, adLockReadOnly, "", {}, {});
    return p;
}

void ConnectionImpl::PutCommandTimeout(long s) {
    if (s < 0) RaiseBadArgument(kConnectionSource);
    commandTimeout_ = s;
}

void ConnectionImpl::PutCursorLocation(CursorLocationEnum l) {
    if (l != adUseServer && l != adUseClient && l != adUseNone) RaiseBadArgument(kConnectionSource);
    cursorLocation_ = l;
}

void ConnectionImpl::PutConnectionString(const _bstr_t& s) {
    if (db_) Raise(adErrObjectOpen, "Operation is not allowed when the object is open.", kConnectionSource);
    connectionString_ = s.GetBSTR() ? s : _bstr_t("");
}

}  // namespace NUVADO::detail
