// CSV as every tool reads and writes it: UTF-8 text, fields separated by commas, a field that
// holds a comma, a quote or a line break put in double quotes with each quote inside doubled.
// The reader streams (one record in memory at a time) and refuses anything it would have to guess
// at, naming the line and column: bytes that are not UTF-8, a NUL byte, a quote inside a field
// that does not start with one, text after a closing quote, a quoted field never closed.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace nuvtools {

// 1-based; the column counts characters, not bytes.
struct CsvPosition {
    long line = 0;
    long column = 0;
};

// what() reads "line L, column C: reason"; a tool puts the file's name in front.
class CsvError : public std::runtime_error {
public:
    CsvError(CsvPosition where, const std::string& reason);
    CsvPosition where;
};

// Reads records one at a time. Line ends may be LF, CR LF or CR; inside quotes they are kept as
// they are in the file. A byte-order mark at the very start is skipped. A line with nothing on it
// is no record; a line holding only blanks is a record of one field of blanks.
class CsvReader {
public:
    // Fills buf with up to n bytes; 0 at the end of the input. May throw (a read error).
    using Source = std::function<std::size_t(char* buf, std::size_t n)>;

    explicit CsvReader(Source source);
    explicit CsvReader(std::string text);  // kept by the reader, so a temporary is safe to pass

    // While on, a line whose first character is '#' is skipped whole (its text must still be
    // UTF-8 without NUL bytes). Off by default; the caller decides where comments may stand.
    void SetComments(bool on) { comments_ = on; }

    // Reads the next record; false at the end of the input. Throws CsvError.
    bool Next();
    const std::vector<std::string>& Fields() const { return fields_; }
    // Where field i begins (its opening quote, if quoted).
    CsvPosition FieldStart(std::size_t i) const { return starts_[i]; }
    long Line() const { return starts_.empty() ? line_ : starts_[0].line; }  // first line of the record
    std::uint64_t BytesRead() const { return consumed_; }

private:
    int Get();  // the next byte, or -1 at the end
    int Peek();
    void Fill();
    void Take(unsigned char c);  // checks UTF-8 and NUL, advances the column
    [[noreturn]] void Fail(CsvPosition where, const std::string& reason) const;
    void SkipComment();

    Source source_;
    std::string buffer_;
    std::size_t at_ = 0, end_ = 0;
    bool eof_ = false;
    std::uint64_t consumed_ = 0;

    long line_ = 1, column_ = 0;
    int pending_ = 0;  // continuation bytes still expected by the current UTF-8 sequence
    unsigned char lo_ = 0x80, hi_ = 0xBF;  // the range the next continuation byte must lie in
    CsvPosition charStart_;  // where the current UTF-8 sequence began
    bool afterCr_ = false;   // the last byte was a CR (so an LF now ends no further line)
    bool comments_ = false;

    std::vector<std::string> fields_;
    std::vector<CsvPosition> starts_;
};

// Column (and table) names compare equal with ASCII letters folded, as the database compares them.
bool SameColumnName(std::string_view a, std::string_view b);

// Checks a header record: no empty name and no name twice (ASCII letters compared without case,
// as the database and the tools' column lookups compare them). Throws CsvError at the later of
// two equal names.
void CheckCsvHeader(const std::vector<std::string>& names, const CsvReader& reader);

// A field as the writer puts it: quoted only when it must be.
std::string CsvField(std::string_view value);
// A record as the writer puts it, without its line end. A record of one empty field is written
// as "" so that it is not read back as an empty line (which is no record).
std::string CsvRecord(const std::vector<std::string>& fields);

}  // namespace nuvtools
