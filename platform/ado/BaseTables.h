// Which table a query's rows belong to, so that changes can be written back: the base table and
// the columns that locate a row (primary key, else every column), or none when the rows are
// grouped, joined beyond what keys allow, or computed.
#pragma once

#include <string>

#include "ado/Database.h"
#include "ado/Snapshot.h"

namespace NUVADO::detail {

// Fills in the base tables, keys and attributes once the rows are read.
void DescribeBase(Database& db, Snapshot& s, const std::string& sql, bool forUpdate);

}  // namespace NUVADO::detail
