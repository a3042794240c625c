#include "Csv.h"

namespace nuvdb {

bool ParseCsv(const std::string& text, std::vector<CsvRow>& rows, std::string& error) {
    std::size_t i = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;  // a byte-order mark
    CsvRow row;
    std::string field;
    bool quoted = false, any = false;
    int line = 1, quoteLine = 1;
    auto endRow = [&] {
        if (any || !field.empty() || !row.empty()) {
            row.push_back(field);
            rows.push_back(row);
        }
        row.clear();
        field.clear();
        any = false;
    };
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') field += '"', ++i;
            else if (c == '"') quoted = false;
            else field += c, line += c == '\n';
        } else if (c == '"') {
            quoted = any = true;
            quoteLine = line;
        } else if (c == ',') {
            row.push_back(field);
            field.clear();
            any = true;
        } else if (c == '\n' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
            if (c == '\r') ++i;
            endRow();
            ++line;
        } else {
            field += c;
        }
    }
    if (quoted) {
        error = "a quoted field is not closed (line " + std::to_string(quoteLine) + ")";
        return false;
    }
    endRow();
    return true;
}

std::string CsvField(const std::string& value) {
    if (value.find_first_of(",\"\r\n") == std::string::npos) return value;
    std::string out = "\"";
    for (char c : value) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

}  // namespace nuvdb
