// Rowset XML files arrive from other machines: reading any bytes must either fail with a reason
// or give a table whose size matches its schema, and writing it back must read again (or be
// refused with a reason when a text cannot be written as XML).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ado/RowsetXml.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string xml(reinterpret_cast<const char*>(data), size);
    NUVADO::Rowset rs;
    std::string why;
    if (!NUVADO::ReadRowsetXml(xml, rs, &why)) {
        if (why.empty()) std::abort();
        return 0;
    }
    if (rs.columns.empty() || rs.cells.size() % rs.columns.size() != 0) std::abort();
    std::vector<std::size_t> rows;
    for (std::size_t r = 0; r < rs.Rows(); ++r) rows.push_back(r);
    std::string again;
    if (!NUVADO::WriteRowsetXml(rs, rows, true, again, &why)) {
        if (why.empty()) std::abort();  // text XML cannot carry is refused, with a reason
        return 0;
    }
    NUVADO::Rowset back;
    if (!NUVADO::ReadRowsetXml(again, back, &why) || back.Rows() != rs.Rows() || back.columns.size() != rs.columns.size())
        std::abort();
    return 0;
}
