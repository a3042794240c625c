#include "SegmentFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace nuvcalc {

namespace {

std::string Trim(const std::string& s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t b = 0, e = s.size();
    while (b < e && blank(s[b])) ++b;
    while (e > b && blank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

bool AllBlank(const std::vector<std::string>& fields) {
    return std::all_of(fields.begin(), fields.end(), [](const std::string& f) { return Trim(f).empty(); });
}

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

}  // namespace

SegmentFile::SegmentFile(std::string path) : path_(std::move(path)) {
    fd_ = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) throw UsageError("--csv-in: cannot open '" + path_ + "': " + std::strerror(errno));
    struct stat st {};
    if (fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
        close(fd_);
        throw UsageError("--csv-in: '" + path_ + "' is a folder");
    }
    size_ = S_ISREG(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : 0;
    reader_ = std::make_unique<nuvtools::CsvReader>([fd = fd_, path = path_](char* buf, std::size_t n) {
        for (;;) {
            const ssize_t k = read(fd, buf, n);
            if (k >= 0) return static_cast<std::size_t>(k);
            if (errno != EINTR) throw UsageError("--csv-in: cannot read '" + path + "': " + std::strerror(errno));
        }
    });
    reader_->SetComments(true);
    try {
        do {
            if (!reader_->Next()) throw UsageError("--csv-in: " + path_ + " has no header row");
        } while (AllBlank(reader_->Fields()));
        for (const std::string& name : reader_->Fields()) header_.push_back(Lower(Trim(name)));
        nuvtools::CheckCsvHeader(header_, *reader_);
    } catch (const nuvtools::CsvError& e) {
        close(fd_);
        Fail(e);
    } catch (...) {
        close(fd_);
        throw;
    }
    reader_->SetComments(false);
}

SegmentFile::~SegmentFile() {
    reader_.reset();
    close(fd_);
}

void SegmentFile::Fail(const nuvtools::CsvError& e) const { throw UsageError(path_ + " " + e.what()); }

bool SegmentFile::Next() {
    try {
        while (reader_->Next()) {
            const std::vector<std::string>& fields = reader_->Fields();
            if (AllBlank(fields)) continue;
            line_ = reader_->Line();
            if (fields.size() > header_.size())
                throw UsageError(path_ + " line " + std::to_string(line_) + ": " + std::to_string(fields.size()) +
                                 " cells, more than the " + std::to_string(header_.size()) + " columns of the header");
            // Cells left out at the end of a line are empty.
            cells_.resize(header_.size());
            for (std::size_t i = 0; i < header_.size(); ++i) cells_[i] = i < fields.size() ? Trim(fields[i]) : std::string();
            ++ordinal_;
            return true;
        }
    } catch (const nuvtools::CsvError& e) {
        Fail(e);
    }
    return false;
}

int SegmentFile::Column(const std::string& name) const {
    const auto it = std::find(header_.begin(), header_.end(), name);
    return it == header_.end() ? -1 : static_cast<int>(it - header_.begin());
}

void SegmentFile::Allow(const std::vector<std::string>& allowed) const {
    for (const std::string& h : header_) {
        if (std::find(allowed.begin(), allowed.end(), h) != allowed.end()) continue;
        std::string list;
        for (const std::string& a : allowed) list += (list.empty() ? "" : ", ") + a;
        throw UsageError("--csv-in: " + path_ + ": unknown column '" + h + "' (known: " + list + ")");
    }
}

std::string SegmentFile::Where() const { return path_ + " line " + std::to_string(line_); }

std::string SegmentFile::Where(const std::string& column) const { return Where() + ", column " + column; }

bool SegmentFile::Has(const std::string& column) const {
    const int c = Column(column);
    return c >= 0 && !cells_[c].empty();
}

std::string SegmentFile::Text(const std::string& column, const std::string& fallback) const {
    return Has(column) ? cells_[Column(column)] : fallback;
}

namespace {

// A row whose id looks like a comment fails on its missing values; say why it was read at all.
std::string CommentHint(const std::vector<std::string>& cells) {
    return !cells.empty() && !cells[0].empty() && cells[0][0] == '#'
               ? " (a line starting with # is a comment only above the header line)"
               : "";
}

}  // namespace

double SegmentFile::Number(const std::string& column, double fallback) const {
    if (!Has(column)) return fallback;
    const std::string& text = cells_[Column(column)];
    double value = 0;
    if (const char* problem = NumberProblem(text, value))
        throw UsageError(Where(column) + ": '" + text + "' " + problem + CommentHint(cells_));
    return value;
}

double SegmentFile::Positive(const std::string& column) const {
    if (!Has(column)) throw UsageError(Where(column) + ": a value is required" + CommentHint(cells_));
    return Positive(column, 0);
}

double SegmentFile::Positive(const std::string& column, double fallback) const {
    const double v = Number(column, fallback);
    if (!(v > 0)) throw UsageError(Where(column) + ": must be greater than 0");
    return v;
}

double SegmentFile::NonNegative(const std::string& column, double fallback) const {
    const double v = Number(column, fallback);
    if (v < 0) throw UsageError(Where(column) + ": must not be negative");
    return v;
}

std::string SegmentsCommand(const std::string& path) {
    // Telling the kind from the header would use up a pipe before the command reads it.
    struct stat st {};
    if (stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
        throw UsageError("--csv-in: '" + path + "' is not a file: name the command (nuvcalc duct --csv-in ... or nuvcalc pipe --csv-in ...)");
    return SegmentFile(path).HasColumn("diameter") ? "pipe" : "duct";
}

}  // namespace nuvcalc
