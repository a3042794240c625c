// Running SQL text on a connection: parameters bound, each statement stepped, and the rows of
// the last query read into a snapshot that knows which table its changes go back to.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ado/Snapshot.h"

namespace NUVADO::detail {

class ConnectionImpl;

// Runs SQL on a connection. Parameters bind to ?-markers in order (?N by number). Returns the
// rows of the last statement that produced any (null when none) and the rows changed.
std::shared_ptr<Snapshot> RunSql(ConnectionImpl& conn, const std::string& sql, const std::vector<_variant_t>& params,
                                 const std::vector<DataTypeEnum>& paramTypes, bool forUpdate, long& affected);

}  // namespace NUVADO::detail
