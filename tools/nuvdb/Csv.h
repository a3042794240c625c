// CSV as the tool reads and writes it: fields separated by commas, quoted with double quotes
// when they hold a comma, a quote or a line break (a quote inside doubled).
#pragma once

#include <string>
#include <vector>

namespace nuvdb {

using CsvRow = std::vector<std::string>;

// Parses the whole text; false with a message for a quote that is never closed. Line ends may
// be LF or CR LF; a final line without one counts, blank lines are skipped.
bool ParseCsv(const std::string& text, std::vector<CsvRow>& rows, std::string& error);
std::string CsvField(const std::string& value);

}  // namespace nuvdb
