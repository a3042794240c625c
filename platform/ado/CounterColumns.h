// Self-numbering (COUNTER, AUTOINCREMENT) columns of a CREATE TABLE and how each becomes SQLite's:
// the table's row id where the keys allow it, else a trigger that numbers inserted rows.
#pragma once

#include <cstddef>
#include <string>

namespace NUVADO::detail {

// How a self-numbering column of a CREATE TABLE becomes SQLite's. Its place among the keys
// decides whether it can be the table's row id.
enum class CounterForm {
    RowIdAuto,   // the only key: INTEGER PRIMARY KEY AUTOINCREMENT (numbers are never reused)
    OwnKeyAuto,  // declared PRIMARY KEY itself: INTEGER, AUTOINCREMENT after its KEY
    RowId,       // named alone by the table's PRIMARY KEY (...): INTEGER, the row id
    Trigger,     // another column is the key: kept as COUNTER, numbered by a trigger
};

struct CounterColumn {
    CounterForm form = CounterForm::RowIdAuto;
    std::string name;  // as stored
};

// open: the position of the CREATE TABLE's "("; at: a position inside the column's definition.
CounterColumn DescribeCounter(const std::string& sql, std::size_t open, std::size_t at);
// The trigger that numbers rows inserted without a value in a counter column that is not the
// row id.
std::string CounterTrigger(const std::string& table, const std::string& column);

}  // namespace NUVADO::detail
