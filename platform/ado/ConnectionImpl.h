// The Connection object: one database file opened from a connection string, transactions and
// schema queries. Record sets and commands share its Database while they live.
#pragma once

#include <memory>
#include <string>

#include "ado/Ado.h"
#include "ado/Database.h"

namespace NUVADO::detail {

class ConnectionImpl : public NUVCom::Object<_Connection> {
public:
    HRESULT Open(const _bstr_t& connectionString, const _bstr_t& userId, const _bstr_t& password, long options) override;
    HRESULT Close() override;
    _RecordsetPtr Execute(const _bstr_t& commandText, VARIANT* recordsAffected, long options) override;
    long BeginTrans() override;
    HRESULT CommitTrans() override;
    HRESULT RollbackTrans() override;
    _RecordsetPtr OpenSchema(SchemaEnum schema) override;
    long GetState() override { return db_ ? adStateOpen : adStateClosed; }
    long GetConnectionTimeout() override { return connectionTimeout_; }
    void PutConnectionTimeout(long s) override { connectionTimeout_ = s; }
    long GetCommandTimeout() override { return commandTimeout_; }
    void PutCommandTimeout(long s) override;
    CursorLocationEnum GetCursorLocation() override { return cursorLocation_; }
    void PutCursorLocation(CursorLocationEnum l) override;
    _bstr_t GetConnectionString() override { return connectionString_; }
    void PutConnectionString(const _bstr_t& s) override;
    _bstr_t GetProvider() override { return _bstr_t(provider_.c_str()); }

    // The open database; raises "closed" when there is none.
    Database& Db();
    std::shared_ptr<Database> DbShared() { return db_; }

private:
    std::shared_ptr<Database> db_;
    _bstr_t connectionString_{""};
    std::string provider_ = "Microsoft.Jet.OLEDB.4.0";
    long connectionTimeout_ = 15;
    long commandTimeout_ = 30;
    CursorLocationEnum cursorLocation_ = adUseServer;
};

}  // namespace NUVADO::detail
