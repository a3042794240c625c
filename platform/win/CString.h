// CString: the kernel's text type. A value holding code page 936 (GBK) bytes, where a byte of
// 0x80 or above starts a double-byte character. The framework-style operations never split such a
// character: searches, case changes and trimming walk the text character by character.
#pragma once

#include <compare>
#include <cstdarg>
#include <ostream>
#include <string>
#include <string_view>

#include "win/CArray.h"

class CString {
public:
    CString() = default;
    CString(const char* s) : s_(s ? s : "") {}
    CString(const char* s, int length) : s_(s ? std::string(s, length < 0 ? 0 : static_cast<std::size_t>(length)) : std::string()) {}
    explicit CString(char ch, int repeat = 1) : s_(repeat > 0 ? static_cast<std::size_t>(repeat) : 0, ch) {}
    CString(std::string s) : s_(std::move(s)) {}
    CString(std::string_view s) : s_(s) {}

    // Conversions at the boundaries (terminal, Qt, SQLite, xlsx).
    static CString FromUtf8(std::string_view utf8);
    static CString FromUtf16(std::u16string_view utf16);
    std::string ToUtf8() const;
    std::u16string ToUtf16() const;

    int GetLength() const { return static_cast<int>(s_.size()); }
    bool IsEmpty() const { return s_.empty(); }
    void Empty() { s_.clear(); }
    char GetAt(int i) const { return s_.at(static_cast<std::size_t>(i)); }
    void SetAt(int i, char ch) { s_.at(static_cast<std::size_t>(i)) = ch; }
    char operator[](int i) const { return GetAt(i); }
    const char* GetString() const { return s_.c_str(); }
    operator const char*() const { return s_.c_str(); }
    const std::string& str() const { return s_; }

    // Raw buffer access for code that fills the text in place (as with the framework).
    char* GetBuffer(int minLength = 0);
    char* GetBufferSetLength(int length);
    void ReleaseBuffer(int newLength = -1);

    CString Left(int count) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Right(int count) const;
    CString SpanIncluding(const char* set) const;
    CString SpanExcluding(const char* set) const;
    CString Tokenize(const char* delimiters, int& start) const;

    // Byte index of the first match at a character boundary at or after start, or -1.
    int Find(char ch, int start = 0) const;
    int Find(const char* sub, int start = 0) const;
    int ReverseFind(char ch) const;
    int FindOneOf(const char* set) const;

    CString& MakeUpper();
    CString& MakeLower();
    CString& MakeReverse();
    CString& Trim();
    CString& Trim(char target);
    CString& Trim(const char* targets);
    CString& TrimLeft();
    CString& TrimLeft(char target);
    CString& TrimLeft(const char* targets);
    CString& TrimRight();
    CString& TrimRight(char target);
    CString& TrimRight(const char* targets);

    int Replace(char oldCh, char newCh);
    int Replace(const char* oldText, const char* newText);
    int Remove(char ch);
    int Insert(int index, char ch);
    int Insert(int index, const char* text);
    int Delete(int index, int count = 1);

    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void AppendFormat(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void FormatV(const char* format, va_list args);
    void AppendFormatV(const char* format, va_list args);
    void Append(const char* text, int length) { s_.append(text, static_cast<std::size_t>(length)); }
    void SetString(const char* text, int length) { s_.assign(text, static_cast<std::size_t>(length < 0 ? 0 : length)); }

    int Compare(const char* other) const;
    int CompareNoCase(const char* other) const;
    int Collate(const char* other) const { return Compare(other); }

    CString& operator=(const char* s) { s_ = s ? s : ""; return *this; }
    CString& operator=(char ch) { s_.assign(1, ch); return *this; }
    CString& operator+=(const CString& s) { s_ += s.s_; return *this; }
    CString& operator+=(const char* s) { if (s) s_ += s; return *this; }
    CString& operator+=(char ch) { s_ += ch; return *this; }

    friend CString operator+(const CString& a, const CString& b) { return CString(a.s_ + b.s_); }
    friend CString operator+(const CString& a, const char* b) { return CString(a.s_ + (b ? b : "")); }
    friend CString operator+(const char* a, const CString& b) { return CString((a ? a : "") + b.s_); }
    friend CString operator+(const CString& a, char b) { return CString(a.s_ + b); }
    friend CString operator+(char a, const CString& b) { return CString(a + b.s_); }

    friend bool operator==(const CString& a, const CString& b) { return a.s_ == b.s_; }
    friend bool operator==(const CString& a, const char* b) { return a.s_ == (b ? b : ""); }
    friend std::strong_ordering operator<=>(const CString& a, const CString& b) { return a.s_ <=> b.s_; }
    friend std::strong_ordering operator<=>(const CString& a, const char* b) { return a.s_ <=> std::string_view(b ? b : ""); }

    friend std::ostream& operator<<(std::ostream& os, const CString& s) { return os << s.s_; }

private:
    std::string s_;
};

using CStringA = CString;

// A GBK literal written in UTF-8 source: converted once at first use and kept.
#define NUV_GBK(utf8_literal)                                                        \
    ([]() -> const CString& {                                                        \
        static const CString converted = CString::FromUtf8(utf8_literal);            \
        return converted;                                                            \
    }())

class CStringArray : public CArray<CString, const CString&> {};

template <>
struct std::hash<CString> {
    std::size_t operator()(const CString& s) const noexcept { return std::hash<std::string>()(s.str()); }
};
