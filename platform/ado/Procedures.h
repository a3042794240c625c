// The catalogue of stored procedures (named, parameterised queries) kept in a table of the
// database itself, so a database carries its procedures; users may edit that table by hand.
#pragma once

#include <string>

#include "ado/Database.h"

namespace NUVADO::detail {

inline constexpr const char* kProcedureTable = "NUV_Procedures";
// Handles CREATE PROCEDURE / DROP PROCEDURE statements; false when the text is not one.
bool ExecuteProcedureDdl(Database& db, const std::string& sql);
// The SQL of a stored procedure with its parameters as ?1..?n; false when no such procedure.
bool LookupProcedure(Database& db, const std::string& name, std::string& sql);

}  // namespace NUVADO::detail
