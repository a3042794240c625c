// Values read from the engine's result rows, typed as the field says: the stored date forms,
// numbers and texts become the variants ADO callers expect.
#pragma once

#include "ado/FieldTypes.h"

struct sqlite3_stmt;

namespace NUVADO::detail {

struct Snapshot;

// Reads column i of the statement's current row as a value of the field's type.
void ReadCellInto(sqlite3_stmt* st, int i, const Column& col, VARIANT& out);

// Reads into a value that holds nothing to release; want is the field's variant tag (VT_VARIANT
// when the column has no declared type). With a snapshot, texts go into its arena and `out`
// becomes a reference to them (the snapshot's arena text tag), for the snapshot to take.
void ReadCell(sqlite3_stmt* st, int i, VARTYPE want, VARIANT& out, Snapshot* keep = nullptr);
// The variant tag a column's values are read as.
VARTYPE WantedType(const Column& col);
// The engine's date text as a date; false when it is not one.
bool ParseStoredDate(const char* s, int n, DATE& out);

}  // namespace NUVADO::detail
