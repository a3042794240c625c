// Conversions between the kernel's code page 936 (GBK) text and the encodings at its boundaries.
// Invalid input never fails: an undecodable byte becomes U+FFFD, an unrepresentable character "?".
#pragma once

#include <string>
#include <string_view>

namespace NUVWin {

std::string GbkToUtf8(std::string_view gbk);
std::string Utf8ToGbk(std::string_view utf8);
std::u16string GbkToUtf16(std::string_view gbk);
std::string Utf16ToGbk(std::u16string_view utf16);

// The encoding of the terminal (from the locale); GBK text converted for printing to it.
std::string GbkToTerminal(std::string_view gbk);

}  // namespace NUVWin
