// nuvdb reads SQL from its command line and decides, before anything runs, what the statements
// are and whether a read-only command may run them. For any text: every statement is a piece of
// the text at its offset, in order, without surrounding blanks, and classifying it never fails.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "SqlText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view sql(reinterpret_cast<const char*>(data), size);
    std::size_t after = 0;
    for (const nuvdb::SqlStatement& s : nuvdb::SplitSql(sql)) {
        if (s.text.empty() || s.offset < after || sql.substr(s.offset, s.text.size()) != s.text) std::abort();
        if (std::isspace(static_cast<unsigned char>(s.text.front())) || s.text.front() == ';') std::abort();
        after = s.offset + s.text.size();
        const nuvdb::StatementKind k = nuvdb::Classify(s.text);
        if (k.kind == nuvdb::StatementKind::Other && k.why.empty()) std::abort();
        if (nuvdb::Position(sql, s.offset).rfind("line ", 0) != 0) std::abort();
    }
    return 0;
}
