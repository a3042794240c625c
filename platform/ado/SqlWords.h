// The small lexical rules every SQL scanner of the ADO layer shares: what a name is made of,
// case folding of keywords, and quoting a name so any text is safe inside a statement.
#pragma once

#include <cctype>
#include <string>

namespace NUVADO::detail {

// Bytes of a plain name; 0x80 and up so UTF-8 names need no brackets.
inline bool IsIdentChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || static_cast<unsigned char>(c) >= 0x80;
}

inline std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// A name quoted for SQL ("a""b").
inline std::string Ident(const std::string& name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

}  // namespace NUVADO::detail
