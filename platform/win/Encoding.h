// The one text codec: UTF-8, UTF-16 and the kernel's code page 936 (GBK). Every conversion in the
// project goes through here. Two forms of each:
// - strict (`Try...`): lossless or refused; false with the offset of the first input unit (byte,
//   or UTF-16 unit) that is ill-formed or that the target cannot hold, so callers can say where;
// - replacing: never fails; an ill-formed sequence becomes U+FFFD, a character GBK lacks "?".
//   For text that is shown, or that is known to be well-formed.
// Well-formed UTF-8 is as Unicode defines it (no overlong forms, no surrogates, nothing above
// U+10FFFF); well-formed UTF-16 has no unpaired surrogate. GBK is code page 936 as iconv knows it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace NUVWin {

// ---- UTF-8 and UTF-16 (without the locale or iconv: every database cell crosses here) ----

// Offset of the first ill-formed byte or unit; npos when the text is well-formed.
std::size_t FindInvalidUtf8(std::string_view utf8);
std::size_t FindInvalidUtf16(std::u16string_view utf16);

bool TryUtf8ToUtf16(std::string_view utf8, std::u16string& out, std::size_t* bad = nullptr);
bool TryUtf16ToUtf8(std::u16string_view utf16, std::string& out, std::size_t* bad = nullptr);

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);
// Appends to `out` (the hot path of writing many values into one buffer).
void AppendUtf16AsUtf8(std::string& out, std::u16string_view utf16);

// ---- GBK ----

bool TryGbkToUtf8(std::string_view gbk, std::string& out, std::size_t* bad = nullptr);
bool TryUtf8ToGbk(std::string_view utf8, std::string& out, std::size_t* bad = nullptr);
bool TryGbkToUtf16(std::string_view gbk, std::u16string& out, std::size_t* bad = nullptr);
bool TryUtf16ToGbk(std::u16string_view utf16, std::string& out, std::size_t* bad = nullptr);

std::string GbkToUtf8(std::string_view gbk);
std::string Utf8ToGbk(std::string_view utf8);
std::u16string GbkToUtf16(std::string_view gbk);
std::string Utf16ToGbk(std::u16string_view utf16);

// ---- Messages ----

// "line L, column C" of a byte offset in UTF-8 text (lines counted from 1 by '\n', columns in
// characters from 1, an ill-formed byte counting as one), for naming where a conversion failed.
std::string DescribePosition(std::string_view text, std::size_t offset);

// The encoding of the terminal (from the locale); GBK text converted for printing to it.
std::string GbkToTerminal(std::string_view gbk);

}  // namespace NUVWin
