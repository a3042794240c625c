// One scanner serves both questions: it walks the text token by token, stepping over quoted
// parts and comments whole, so a semicolon or a word inside them is never taken for syntax.
#include "SqlText.h"

#include <cctype>

namespace nuvdb {

namespace {

bool WordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || static_cast<unsigned char>(c) >= 0x80; }

// The end of the quoted part or comment starting at i, or i when none starts there.
std::size_t SkipQuotedOrComment(std::string_view s, std::size_t i) {
    const char c = s[i];
    if (c == '\'' || c == '"' || c == '`' || c == '[') {
        const char close = c == '[' ? ']' : c;
        for (std::size_t j = i + 1; j < s.size(); ++j) {
            if (s[j] != close) continue;
            if (close != ']' && j + 1 < s.size() && s[j + 1] == close) {  // a doubled quote
                ++j;
                continue;
            }
            return j + 1;
        }
        return s.size();  // never closed: the engine will say so
    }
    if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
        const std::size_t end = s.find('\n', i);
        return end == std::string_view::npos ? s.size() : end + 1;
    }
    if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
        const std::size_t end = s.find("*/", i + 2);
        return end == std::string_view::npos ? s.size() : end + 2;
    }
    return i;
}

bool IsComment(std::string_view s, std::size_t i) {
    return i + 1 < s.size() && ((s[i] == '-' && s[i + 1] == '-') || (s[i] == '/' && s[i + 1] == '*'));
}

// A quoted name without its quotes; inside "..." and `...` a doubled quote stands for one.
std::string Unquote(std::string_view q) {
    const char close = q[0] == '[' ? ']' : q[0];
    const std::size_t end = q.size() >= 2 && q.back() == close ? q.size() - 1 : q.size();
    std::string out;
    for (std::size_t i = 1; i < end; ++i) {
        out += q[i];
        if (close != ']' && q[i] == close && i + 1 < end && q[i + 1] == close) ++i;
    }
    return out;
}

std::string Upper(std::string_view w) {
    std::string out(w);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

std::vector<SqlStatement> SplitSql(std::string_view sql) {
    std::vector<SqlStatement> out;
    std::size_t start = std::string_view::npos;  // first character of the current statement
    std::size_t last = 0;                         // just past its last character
    auto finish = [&] {
        if (start != std::string_view::npos) out.push_back({std::string(sql.substr(start, last - start)), start});
        start = std::string_view::npos;
    };
    for (std::size_t i = 0; i < sql.size();) {
        const char c = sql[i];
        if (c == ';') {
            finish();
            ++i;
            continue;
        }
        const std::size_t skip = SkipQuotedOrComment(sql, i);
        if (skip != i && IsComment(sql, i)) {  // comments belong to no statement
            i = skip;
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
            continue;
        }
        if (start == std::string_view::npos) start = i;
        i = skip != i ? skip : i + 1;
        last = i;
    }
    finish();
    return out;
}

StatementKind Classify(std::string_view statement) {
    struct Token {
        enum Kind { Word, QuotedName, Literal, Symbol } kind;
        std::string text;
    };
    std::vector<Token> tokens;
    for (std::size_t i = 0; i < statement.size();) {
        const char c = statement[i];
        const std::size_t skip = SkipQuotedOrComment(statement, i);
        if (skip != i) {
            if (c == '\'') tokens.push_back({Token::Literal, ""});
            else if (!IsComment(statement, i)) tokens.push_back({Token::QuotedName, Unquote(statement.substr(i, skip - i))});
            i = skip;
        } else if (WordChar(c)) {
            std::size_t j = i;
            while (j < statement.size() && WordChar(statement[j])) ++j;
            tokens.push_back({Token::Word, std::string(statement.substr(i, j - i))});
            i = j;
        } else {
            if (!std::isspace(static_cast<unsigned char>(c))) tokens.push_back({Token::Symbol, std::string(1, c)});
            ++i;
        }
    }
    if (tokens.size() == 1 && (tokens[0].kind == Token::Word || tokens[0].kind == Token::QuotedName))
        return {StatementKind::Name, tokens[0].text, ""};
    if (tokens.empty() || tokens[0].kind != Token::Word) return {StatementKind::Other, "", "it does not begin with SELECT"};
    const std::string first = Upper(tokens[0].text);
    if (first != "SELECT")
        return {StatementKind::Other, "", std::string(first.find_first_of("AEIOU") == 0 ? "an " : "a ") + first + " statement is no query"};
    for (const Token& t : tokens)
        if (t.kind == Token::Word && Upper(t.text) == "INTO") return {StatementKind::Other, "", "SELECT ... INTO makes a table"};
    return {StatementKind::Query, "", ""};
}

std::string Position(std::string_view text, std::size_t offset) {
    long line = 1, column = 1;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            ++column;
        }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

}  // namespace nuvdb
