#include "acad/AcutWcMatch.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using Ch = std::uint16_t;  // one byte, or a GBK lead byte << 8 | trail byte

// Reads one character at i and advances i.
Ch readChar(std::string_view s, size_t& i) {
    auto b = static_cast<unsigned char>(s[i++]);
    if (b >= 0x81 && b <= 0xFE && i < s.size()) return static_cast<Ch>(b << 8 | static_cast<unsigned char>(s[i++]));
    return b;
}

bool isDigit(Ch c) { return c >= '0' && c <= '9'; }
bool isAlpha(Ch c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

struct Token {
    enum Kind { Lit, Any, Digit, Alpha, NonAlnum, Star, Set } kind = Lit;
    Ch ch = 0;
    bool negated = false;
    std::vector<std::pair<Ch, Ch>> ranges;

    bool matches(Ch c) const {
        switch (kind) {
            case Lit: return c == ch;
            case Any: return true;
            case Digit: return isDigit(c);
            case Alpha: return isAlpha(c);
            case NonAlnum: return !isDigit(c) && !isAlpha(c);
            case Set: {
                bool in = false;
                for (const auto& r : ranges)
                    if (c >= r.first && c <= r.second) in = true;
                return in != negated;
            }
            case Star: return false;
        }
        return false;
    }
};

struct Pattern {
    bool negated = false;
    std::vector<Token> tokens;
};

// Parses a bracket set starting after '['; i ends after the closing ']'. False when unclosed.
bool parseSet(std::string_view p, size_t& i, Token& tok) {
    tok.kind = Token::Set;
    if (i < p.size() && p[i] == '~') {
        tok.negated = true;
        ++i;
    }
    std::vector<Ch> members;
    std::vector<bool> literalDash;
    bool first = true;
    while (i < p.size()) {
        char c = p[i];
        if (c == ']' && !first) {
            ++i;
            // Build ranges: x-y where the dash is unescaped and sits between two members.
            for (size_t k = 0; k < members.size(); ++k) {
                if (k + 2 < members.size() && members[k + 1] == '-' && !literalDash[k + 1]) {
                    Ch lo = members[k], hi = members[k + 2];
                    if (lo > hi) std::swap(lo, hi);
                    tok.ranges.push_back({lo, hi});
                    k += 2;
                } else {
                    tok.ranges.push_back({members[k], members[k]});
                }
            }
            return true;
        }
        bool escaped = false;
        if (c == '`' && i + 1 < p.size()) {
            ++i;
            escaped = true;
        }
        members.push_back(readChar(p, i));
        literalDash.push_back(escaped);
        first = false;
    }
    return false;
}

std::vector<Pattern> parse(std::string_view p) {
    std::vector<Pattern> out(1);
    size_t i = 0;
    bool atStart = true;
    while (i < p.size()) {
        char c = p[i];
        Pattern& cur = out.back();
        if (c == ',') {
            out.emplace_back();
            ++i;
            atStart = true;
            continue;
        }
        if (c == '~' && atStart) {
            cur.negated = true;
            ++i;
            atStart = false;
            continue;
        }
        atStart = false;
        Token tok;
        switch (c) {
            case '*': tok.kind = Token::Star; ++i; break;
            case '?': tok.kind = Token::Any; ++i; break;
            case '#': tok.kind = Token::Digit; ++i; break;
            case '@': tok.kind = Token::Alpha; ++i; break;
            case '.': tok.kind = Token::NonAlnum; ++i; break;
            case '`':
                ++i;
                if (i < p.size()) tok.ch = readChar(p, i);
                else tok.ch = '`';  // a trailing backquote stands for itself
                break;
            case '[': {
                size_t j = i + 1;
                Token set;
                if (parseSet(p, j, set)) {
                    tok = std::move(set);
                    i = j;
                } else {  // an unclosed bracket is an ordinary character
                    tok.ch = '[';
                    ++i;
                }
                break;
            }
            default: tok.ch = readChar(p, i); break;
        }
        if (tok.kind == Token::Star && !cur.tokens.empty() && cur.tokens.back().kind == Token::Star) continue;
        cur.tokens.push_back(std::move(tok));
    }
    return out;
}

bool matchTokens(const std::vector<Ch>& s, const std::vector<Token>& t) {
    // reach[j]: the first j tokens can match the characters read so far.
    std::vector<char> reach(t.size() + 1, 0), next(t.size() + 1, 0);
    reach[0] = 1;
    for (size_t j = 0; j < t.size(); ++j)
        if (reach[j] && t[j].kind == Token::Star) reach[j + 1] = 1;
    for (Ch c : s) {
        std::fill(next.begin(), next.end(), 0);
        for (size_t j = 0; j < t.size(); ++j) {
            if (!reach[j]) continue;
            if (t[j].kind == Token::Star) next[j] = 1;  // the star takes this character too
            else if (t[j].matches(c)) next[j + 1] = 1;
        }
        // A star may also take nothing.
        for (size_t j = 0; j < t.size(); ++j)
            if (next[j] && t[j].kind == Token::Star) next[j + 1] = 1;
        reach.swap(next);
    }
    return reach[t.size()] != 0;
}

}  // namespace

int acutWcMatch(const char* str, const char* pattern) {
    if (str == nullptr || pattern == nullptr) return RTERROR;
    std::string_view sv(str);
    std::vector<Ch> chars;
    for (size_t i = 0; i < sv.size();) chars.push_back(readChar(sv, i));
    for (const Pattern& p : parse(pattern))
        if (matchTokens(chars, p.tokens) != p.negated) return RTNORM;
    return RTERROR;
}
