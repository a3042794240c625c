#include "win/CString.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "win/Encoding.h"

namespace {

// Width in bytes of the character starting at byte i: a lead byte and its trail make two.
inline std::size_t CharWidth(const std::string& s, std::size_t i) {
    return (static_cast<unsigned char>(s[i]) >= 0x80 && i + 1 < s.size()) ? 2 : 1;
}

inline bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int Sign(int v) { return (v > 0) - (v < 0); }

// Lower-cases the single-byte letters only; double-byte characters pass untouched.
std::string FoldCase(const std::string& s) {
    std::string out = s;
    for (std::size_t i = 0; i < out.size();) {
        std::size_t w = CharWidth(out, i);
        if (w == 1 && out[i] >= 'A' && out[i] <= 'Z') out[i] = static_cast<char>(out[i] - 'A' + 'a');
        i += w;
    }
    return out;
}

template <class Pred>
void TrimRightIf(std::string& s, Pred keep) {
    std::size_t end = 0;
    for (std::size_t i = 0; i < s.size();) {
        std::size_t w = CharWidth(s, i);
        if (w == 2 || keep(s[i])) end = i + w;
        i += w;
    }
    s.erase(end);
}

template <class Pred>
void TrimLeftIf(std::string& s, Pred keep) {
    std::size_t i = 0;
    while (i < s.size() && CharWidth(s, i) == 1 && !keep(s[i])) ++i;
    s.erase(0, i);
}

}  // namespace

CString CString::FromUtf8(std::string_view utf8) { return CString(NUVWin::Utf8ToGbk(utf8)); }
CString CString::FromUtf16(std::u16string_view utf16) { return CString(NUVWin::Utf16ToGbk(utf16)); }
std::string CString::ToUtf8() const { return NUVWin::GbkToUtf8(s_); }
std::u16string CString::ToUtf16() const { return NUVWin::GbkToUtf16(s_); }

char* CString::GetBuffer(int minLength) {
    if (minLength > GetLength()) s_.resize(static_cast<std::size_t>(minLength));
    return s_.data();
}

char* CString::GetBufferSetLength(int length) {
    s_.resize(length < 0 ? 0 : static_cast<std::size_t>(length));
    return s_.data();
}

void CString::ReleaseBuffer(int newLength) {
    if (newLength < 0) newLength = static_cast<int>(std::strlen(s_.c_str()));
    s_.resize(static_cast<std::size_t>(std::min(newLength, GetLength())));
}

CString CString::Left(int count) const {
    count = std::clamp(count, 0, GetLength());
    return CString(s_.substr(0, static_cast<std::size_t>(count)));
}

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int count) const {
    first = std::max(first, 0);
    count = std::max(count, 0);
    if (first >= GetLength()) return CString();
    return CString(s_.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(count)));
}

CString CString::Right(int count) const {
    count = std::clamp(count, 0, GetLength());
    return CString(s_.substr(s_.size() - static_cast<std::size_t>(count)));
}

CString CString::SpanIncluding(const char* set) const {
    std::size_t n = set ? std::strspn(s_.c_str(), set) : 0;
    return CString(s_.substr(0, n));
}

CString CString::SpanExcluding(const char* set) const {
    std::size_t n = set ? std::strcspn(s_.c_str(), set) : s_.size();
    return CString(s_.substr(0, n));
}

CString CString::Tokenize(const char* delimiters, int& start) const {
    const char* d = delimiters ? delimiters : "";
    auto isDelimiter = [d](char c) { return c != '\0' && std::strchr(d, c) != nullptr; };
    if (start < 0 || start > GetLength()) {
        start = -1;
        return CString();
    }
    std::size_t b = static_cast<std::size_t>(start);
    while (b < s_.size() && isDelimiter(s_[b])) ++b;
    if (b >= s_.size()) {
        start = -1;
        return CString();
    }
    std::size_t e = b;
    while (e < s_.size() && !isDelimiter(s_[e])) e += CharWidth(s_, e);
    start = static_cast<int>(e + 1);  // past the end: the next call reports the end
    return CString(s_.substr(b, e - b));
}

int CString::Find(char ch, int start) const {
    if (start < 0) start = 0;
    for (std::size_t i = 0; i < s_.size();) {
        std::size_t w = CharWidth(s_, i);
        if (static_cast<int>(i) >= start && s_[i] == ch) return static_cast<int>(i);
        i += w;
    }
    return -1;
}

int CString::Find(const char* sub, int start) const {
    if (start < 0) start = 0;
    if (start > GetLength() || !sub) return -1;
    std::size_t n = std::strlen(sub);
    if (n == 0) return start;
    for (std::size_t i = 0; i < s_.size();) {
        if (static_cast<int>(i) >= start && s_.compare(i, n, sub) == 0) return static_cast<int>(i);
        i += CharWidth(s_, i);
    }
    return -1;
}

int CString::ReverseFind(char ch) const {
    int found = -1;
    for (std::size_t i = 0; i < s_.size(); i += CharWidth(s_, i))
        if (s_[i] == ch) found = static_cast<int>(i);
    return found;
}

int CString::FindOneOf(const char* set) const {
    if (!set) return -1;
    for (std::size_t i = 0; i < s_.size(); i += CharWidth(s_, i))
        if (std::strchr(set, s_[i])) return static_cast<int>(i);
    return -1;
}

CString& CString::MakeUpper() {
    for (std::size_t i = 0; i < s_.size();) {
        std::size_t w = CharWidth(s_, i);
        if (w == 1 && s_[i] >= 'a' && s_[i] <= 'z') s_[i] = static_cast<char>(s_[i] - 'a' + 'A');
        i += w;
    }
    return *this;
}

CString& CString::MakeLower() {
    s_ = FoldCase(s_);
    return *this;
}

CString& CString::MakeReverse() {
    // Reverses characters, keeping each double-byte pair in order.
    std::vector<std::string_view> chars;
    for (std::size_t i = 0; i < s_.size();) {
        std::size_t w = CharWidth(s_, i);
        chars.emplace_back(s_.data() + i, w);
        i += w;
    }
    std::string out;
    out.reserve(s_.size());
    for (auto it = chars.rbegin(); it != chars.rend(); ++it) out.append(*it);
    s_ = std::move(out);
    return *this;
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }
CString& CString::Trim(char target) { return TrimRight(target).TrimLeft(target); }
CString& CString::Trim(const char* targets) { return TrimRight(targets).TrimLeft(targets); }

CString& CString::TrimLeft() {
    TrimLeftIf(s_, [](char c) { return !IsSpace(c); });
    return *this;
}
CString& CString::TrimLeft(char target) {
    TrimLeftIf(s_, [target](char c) { return c != target; });
    return *this;
}
CString& CString::TrimLeft(const char* targets) {
    const char* t = targets ? targets : "";
    TrimLeftIf(s_, [t](char c) { return c == '\0' || !std::strchr(t, c); });
    return *this;
}
CString& CString::TrimRight() {
    TrimRightIf(s_, [](char c) { return !IsSpace(c); });
    return *this;
}
CString& CString::TrimRight(char target) {
    TrimRightIf(s_, [target](char c) { return c != target; });
    return *this;
}
CString& CString::TrimRight(const char* targets) {
    const char* t = targets ? targets : "";
    TrimRightIf(s_, [t](char c) { return c == '\0' || !std::strchr(t, c); });
    return *this;
}

int CString::Replace(char oldCh, char newCh) {
    int n = 0;
    for (std::size_t i = 0; i < s_.size(); i += CharWidth(s_, i))
        if (s_[i] == oldCh) {
            s_[i] = newCh;
            ++n;
        }
    return n;
}

int CString::Replace(const char* oldText, const char* newText) {
    if (!oldText || !*oldText) return 0;
    std::size_t n = std::strlen(oldText);
    std::string out;
    int count = 0;
    for (std::size_t i = 0; i < s_.size();) {
        if (s_.compare(i, n, oldText) == 0) {
            out += newText ? newText : "";
            i += n;
            ++count;
        } else {
            std::size_t w = CharWidth(s_, i);
            out.append(s_, i, w);
            i += w;
        }
    }
    if (count) s_ = std::move(out);
    return count;
}

int CString::Remove(char ch) {
    std::string out;
    int count = 0;
    for (std::size_t i = 0; i < s_.size();) {
        std::size_t w = CharWidth(s_, i);
        if (w == 1 && s_[i] == ch)
            ++count;
        else
            out.append(s_, i, w);
        i += w;
    }
    s_ = std::move(out);
    return count;
}

int CString::Insert(int index, char ch) {
    index = std::clamp(index, 0, GetLength());
    s_.insert(static_cast<std::size_t>(index), 1, ch);
    return GetLength();
}

int CString::Insert(int index, const char* text) {
    index = std::clamp(index, 0, GetLength());
    if (text) s_.insert(static_cast<std::size_t>(index), text);
    return GetLength();
}

int CString::Delete(int index, int count) {
    index = std::max(index, 0);
    if (count > 0 && index < GetLength()) s_.erase(static_cast<std::size_t>(index), static_cast<std::size_t>(count));
    return GetLength();
}

void CString::FormatV(const char* format, va_list args) {
    s_.clear();
    AppendFormatV(format, args);
}

void CString::AppendFormatV(const char* format, va_list args) {
    if (!format) return;
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n <= 0) return;
    std::size_t old = s_.size();
    s_.resize(old + static_cast<std::size_t>(n) + 1);
    std::vsnprintf(s_.data() + old, static_cast<std::size_t>(n) + 1, format, args);
    s_.resize(old + static_cast<std::size_t>(n));
}

void CString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::AppendFormat(const char* format, ...) {
    va_list args;
    va_start(args, format);
    AppendFormatV(format, args);
    va_end(args);
}

int CString::Compare(const char* other) const { return Sign(std::strcmp(s_.c_str(), other ? other : "")); }

int CString::CompareNoCase(const char* other) const {
    return Sign(std::strcmp(FoldCase(s_).c_str(), FoldCase(other ? other : "").c_str()));
}
