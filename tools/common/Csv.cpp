// The reader is a byte-at-a-time state machine over a refilled buffer: every byte passes Take,
// which checks UTF-8 as it goes (the sequence rules of Unicode's table 3-7: no overlong forms,
// no surrogates, nothing above U+10FFFF) and keeps the line and column for messages.
#include "Csv.h"

#include <algorithm>
#include <cstring>

namespace nuvtools {

namespace {

constexpr std::size_t kChunk = 1 << 16;

bool Blank(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c == ' ' || c == '\t'; });
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool SameColumnName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

CsvError::CsvError(CsvPosition at, const std::string& reason)
    : std::runtime_error("line " + std::to_string(at.line) + ", column " + std::to_string(at.column) + ": " + reason),
      where(at) {}

CsvReader::CsvReader(Source source) : source_(std::move(source)) {}

CsvReader::CsvReader(std::string text)
    : source_([text = std::move(text), at = std::size_t{0}](char* buf, std::size_t n) mutable {
          const std::size_t k = std::min(n, text.size() - at);
          std::memcpy(buf, text.data() + at, k);
          at += k;
          return k;
      }) {}

void CsvReader::Fail(CsvPosition where, const std::string& reason) const { throw CsvError(where, reason); }

void CsvReader::Fill() {
    const bool first = consumed_ == 0 && end_ == 0;
    buffer_.resize(kChunk);
    at_ = 0;
    end_ = eof_ ? 0 : source_(buffer_.data(), buffer_.size());
    if (end_ == 0) {
        eof_ = true;
        if (pending_ > 0) Fail(charStart_, "the file ends inside a character (the text is not UTF-8)");
        return;
    }
    if (!first) return;
    // The start of the file decides about a byte-order mark; a source may hand it over in pieces.
    while (end_ < 3) {
        const std::size_t more = source_(buffer_.data() + end_, buffer_.size() - end_);
        if (more == 0) break;
        end_ += more;
    }
    const auto* b = reinterpret_cast<const unsigned char*>(buffer_.data());
    if (end_ >= 2 && ((b[0] == 0xFF && b[1] == 0xFE) || (b[0] == 0xFE && b[1] == 0xFF)))
        Fail({1, 1}, "the file is UTF-16; save it as UTF-8");
    if (end_ >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
        at_ = 3;  // a byte-order mark is no text
        consumed_ = 3;
    }
}

int CsvReader::Peek() {
    while (at_ == end_ && !eof_) Fill();  // a byte-order mark may have been all the buffer held
    return at_ == end_ ? -1 : static_cast<unsigned char>(buffer_[at_]);
}

int CsvReader::Get() {
    const int c = Peek();
    if (c >= 0) {
        ++at_;
        ++consumed_;
    }
    return c;
}

void CsvReader::Take(unsigned char c) {
    if (pending_ > 0) {
        if (c < lo_ || c > hi_) Fail(charStart_, "bytes that are not UTF-8 (save the file as UTF-8)");
        --pending_;
        lo_ = 0x80;
        hi_ = 0xBF;
        return;
    }
    if (c < 0x80) {
        if (c == 0) Fail({line_, column_ + 1}, "a NUL byte");
        // CR LF is one line end; a CR alone is one too.
        if (c == '\r' || (c == '\n' && !afterCr_)) {
            ++line_;
            column_ = 0;
        } else if (c != '\n') {
            ++column_;
        }
        afterCr_ = c == '\r';
        return;
    }
    afterCr_ = false;
    charStart_ = {line_, ++column_};
    if (c >= 0xC2 && c <= 0xDF) {
        pending_ = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
        pending_ = 2;
        if (c == 0xE0) lo_ = 0xA0;  // no overlong forms
        if (c == 0xED) hi_ = 0x9F;  // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        pending_ = 3;
        if (c == 0xF0) lo_ = 0x90;
        if (c == 0xF4) hi_ = 0x8F;  // nothing above U+10FFFF
    } else {
        Fail(charStart_, "bytes that are not UTF-8 (save the file as UTF-8)");
    }
}

void CsvReader::SkipComment() {
    for (int c = Peek(); c >= 0 && c != '\n' && c != '\r'; c = Peek()) Take(static_cast<unsigned char>(Get()));
}

bool CsvReader::Next() {
    // Empty lines and, while allowed, comment lines come before the record.
    for (;;) {
        const int c = Peek();
        if (c < 0) {
            fields_.clear();
            starts_.clear();
            return false;
        }
        if (c == '\n' || c == '\r') {
            Take(static_cast<unsigned char>(Get()));
        } else if (comments_ && c == '#') {
            SkipComment();
        } else {
            break;
        }
    }
    std::size_t n = 0;
    for (;;) {
        if (n == fields_.size()) fields_.emplace_back();
        std::string& field = fields_[n];
        field.clear();
        starts_.resize(n + 1);
        starts_[n] = {line_, column_ + 1};
        ++n;
        int c = Peek();
        if (c == '"') {
            Take(static_cast<unsigned char>(Get()));
            for (;;) {
                c = Get();
                if (c < 0) Fail(starts_[n - 1], "the quoted field that starts here is not closed");
                Take(static_cast<unsigned char>(c));
                if (c == '"') {
                    if (Peek() != '"') break;
                    Take(static_cast<unsigned char>(Get()));
                }
                field += static_cast<char>(c);
            }
            c = Peek();
            if (c >= 0 && c != ',' && c != '\n' && c != '\r')
                Fail({line_, column_ + 1}, "text after the closing quote (a quote inside a quoted field is written twice)");
        } else {
            for (c = Peek(); c >= 0 && c != ',' && c != '\n' && c != '\r'; c = Peek()) {
                if (c == '"')
                    Fail({line_, column_ + 1}, !field.empty() && Blank(field)
                                                   ? "a blank before the opening quote (remove it, or quote the whole field)"
                                                   : "a quote inside a field that does not start with one (quote the whole "
                                                     "field and write each quote inside twice)");
                Take(static_cast<unsigned char>(Get()));
                field += static_cast<char>(c);
            }
        }
        if (c == ',') {
            Take(static_cast<unsigned char>(Get()));
            continue;
        }
        break;
    }
    fields_.resize(n);
    // The record's line end: CR LF, LF or CR (or the end of the input).
    if (Peek() == '\r') Take(static_cast<unsigned char>(Get()));
    if (Peek() == '\n') Take(static_cast<unsigned char>(Get()));
    return true;
}

void CheckCsvHeader(const std::vector<std::string>& names, const CsvReader& reader) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i].empty()) throw CsvError(reader.FieldStart(i), "an empty column name");
        for (std::size_t j = 0; j < i; ++j)
            if (SameColumnName(names[i], names[j]))
                throw CsvError(reader.FieldStart(i), "the column '" + names[i] + "' appears twice (fields " +
                                                         std::to_string(j + 1) + " and " + std::to_string(i + 1) + ")");
    }
}

std::string CsvField(std::string_view value) {
    // A byte-order mark leading the file would be taken for no text: quoted, it stays a character.
    const bool mark = value.substr(0, 3) == "\xEF\xBB\xBF";
    if (!mark && value.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(value);
    std::string out = "\"";
    for (char c : value) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string CsvRecord(const std::vector<std::string>& fields) {
    if (fields.size() == 1 && fields[0].empty()) return "\"\"";
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i) line += ',';
        line += CsvField(fields[i]);
    }
    return line;
}

}  // namespace nuvtools
