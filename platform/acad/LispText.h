// GBK text helpers for the interpreter: a byte of 0x81..0xFE starts a double-byte character whose
// second byte may look like an ASCII letter or a backslash, so case folding and escaping walk the
// text character by character and never touch a second byte.
#pragma once

#include <string>
#include <string_view>

namespace NUVAcad {

inline bool lispIsLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

// Length in bytes of the character starting at s[i] (1 or 2; 1 for a lead byte at the end).
inline std::size_t lispCharLength(std::string_view s, std::size_t i) {
    return lispIsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
}

// ASCII letters of single-byte characters changed; double-byte characters kept.
std::string lispToUpper(std::string_view s);
std::string lispToLower(std::string_view s);

}  // namespace NUVAcad
