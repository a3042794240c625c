// CSV files arrive from spreadsheets, scripts and other machines, and the tools read them with one
// reader in two ways: nuvdb import-csv (a header, then records of as many fields) and nuvcalc
// --csv-in (comments above the header, trimmed cells, numbers). For any bytes the reader refuses
// with a position inside the text, or gives fields that are UTF-8 without NUL bytes and that the
// writer puts back into text reading the same.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "Csv.h"
#include "SegmentFile.h"

namespace {

using Records = std::vector<std::vector<std::string>>;

// An independent check of the UTF-8 rules: decode and re-encode each character.
bool ValidUtf8WithoutNul(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c == 0) return false;
        const int n = c < 0x80 ? 0 : c >= 0xF8 ? -1 : c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
        if (n < 0 || (n > 0 && i + n >= s.size())) return false;
        std::uint32_t cp = n == 0 ? c : c & (0x3F >> n);
        for (int k = 1; k <= n; ++k) {
            const auto d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80) return false;
            cp = cp << 6 | (d & 0x3F);
        }
        const std::uint32_t least[] = {0, 0x80, 0x800, 0x10000};
        if (cp < least[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += n + 1;
    }
    return true;
}

void AsImport(std::string_view text, bool oneByteAtATime) {
    nuvtools::CsvReader whole{std::string(text)};
    nuvtools::CsvReader pieces([text, at = std::size_t{0}](char* buf, std::size_t) mutable -> std::size_t {
        if (at == text.size()) return 0;
        buf[0] = text[at++];
        return 1;
    });
    nuvtools::CsvReader& r = oneByteAtATime ? pieces : whole;
    Records records;
    long lines = 1;
    for (char c : text) lines += c == '\n' || c == '\r';
    try {
        while (r.Next()) {
            if (records.empty()) nuvtools::CheckCsvHeader(r.Fields(), r);
            if (r.Line() < 1 || r.Line() > lines) std::abort();
            records.push_back(r.Fields());
        }
    } catch (const nuvtools::CsvError& e) {
        if (e.where.line < 1 || e.where.line > lines || e.where.column < 1) std::abort();
        return;
    }
    std::string again;
    for (const auto& record : records) {
        for (const std::string& f : record)
            if (!ValidUtf8WithoutNul(f)) std::abort();
        again += nuvtools::CsvRecord(record) + "\r\n";
    }
    nuvtools::CsvReader back(again);
    Records read;
    while (back.Next()) read.push_back(back.Fields());
    if (read != records) std::abort();
}

void AsSegments(std::string_view text) {
    const int fd = memfd_create("segments", 0);
    if (fd < 0) return;
    if (write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size())) {
        lseek(fd, 0, SEEK_SET);
        try {
            nuvcalc::SegmentFile file("/proc/self/fd/" + std::to_string(fd));
            for (const char* column : {"id", "width", "flow", "zeta"})
                (void)file.HasColumn(column);
            while (file.Next()) {
                if (file.Ordinal() == 0) std::abort();
                (void)file.Text("id", "");
                for (const char* column : {"width", "flow", "zeta"}) {
                    try {
                        (void)file.Positive(column, 1.0);
                    } catch (const nuvcalc::UsageError&) {
                    }
                }
            }
        } catch (const nuvcalc::UsageError&) {
        }
    }
    close(fd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 3) {
        case 0: AsImport(text, false); break;
        case 1: AsImport(text, true); break;
        default: AsSegments(text); break;
    }
    return 0;
}
