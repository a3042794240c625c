// A segments file (--csv-in): lines starting with '#' above the header are comments; the header
// names the columns (blanks around names and letter case do not matter); below it every line is a
// segment, so an id such as "#12" is data, never a comment. Segments are read once, as a stream,
// one in memory at a time, from a file or a pipe. Messages name the file, line and column.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Cli.h"
#include "Csv.h"

namespace nuvcalc {

class SegmentFile {
public:
    // Opens the file and reads its header. Throws UsageError.
    explicit SegmentFile(std::string path);
    ~SegmentFile();
    SegmentFile(const SegmentFile&) = delete;
    SegmentFile& operator=(const SegmentFile&) = delete;

    const std::string& Path() const { return path_; }
    bool HasColumn(const std::string& name) const { return Column(name) >= 0; }
    // Refuses columns other than these (a misspelt column would be ignored without a word).
    void Allow(const std::vector<std::string>& allowed) const;

    // The next segment; false after the last one. Throws UsageError.
    bool Next();
    std::size_t Ordinal() const { return ordinal_; }  // 1 for the first segment
    std::uint64_t Size() const { return size_; }  // 0 for a pipe
    std::uint64_t BytesRead() const { return reader_ ? reader_->BytesRead() : 0; }

    // The current segment's cells by column name. Has: the column exists and the cell is not empty.
    bool Has(const std::string& column) const;
    std::string Text(const std::string& column, const std::string& fallback) const;
    double Number(const std::string& column, double fallback) const;
    double Positive(const std::string& column) const;  // required
    double Positive(const std::string& column, double fallback) const;
    double NonNegative(const std::string& column, double fallback) const;
    // "ducts.csv line 5": where the current segment begins.
    std::string Where() const;

private:
    int Column(const std::string& name) const;
    std::string Where(const std::string& column) const;
    [[noreturn]] void Fail(const nuvtools::CsvError& e) const;

    std::string path_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::unique_ptr<nuvtools::CsvReader> reader_;
    std::vector<std::string> header_;
    std::vector<std::string> cells_;
    long line_ = 0;
    std::size_t ordinal_ = 0;
};

// The command a segments file is for: "pipe" when it has a diameter column, else "duct".
std::string SegmentsCommand(const std::string& path);

}  // namespace nuvcalc
