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

// A name as written in a command, without the brackets or double quotes around it.
inline std::string Unbracket(const std::string& name) {
    if (name.size() >= 2 && ((name.front() == '[' && name.back() == ']') || (name.front() == '"' && name.back() == '"')))
        return name.substr(1, name.size() - 2);
    return name;
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
