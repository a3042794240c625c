// The reader: a scanner for blanks, comments, strings and atoms, and a stack of open lists and
// pending quotes that completed expressions are delivered to.
#include "acad/LispReader.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <vector>

#include "acad/LispText.h"

namespace NUVAcad {

namespace {

bool isBlank(unsigned char c) { return c <= ' ' || c == 127; }
bool isDelimiter(unsigned char c) { return isBlank(c) || c == '(' || c == ')' || c == '\'' || c == '"' || c == ';'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// [+-]? digits, or a real: [+-]? (digits [. digits?] | . digits) [eE [+-]? digits].
enum class NumberKind { None, Integer, Real };
NumberKind classify(std::string_view t) {
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < t.size() && isDigit(t[i])) ++i, ++digits;
    bool real = false;
    if (i < t.size() && t[i] == '.') {
        real = true;
        ++i;
        while (i < t.size() && isDigit(t[i])) ++i, ++digits;
    }
    if (digits == 0) return NumberKind::None;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        real = true;
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        std::size_t exp = 0;
        while (i < t.size() && isDigit(t[i])) ++i, ++exp;
        if (exp == 0) return NumberKind::None;
    }
    if (i != t.size()) return NumberKind::None;
    return real ? NumberKind::Real : NumberKind::Integer;
}

double toDouble(std::string_view t) {
    if (!t.empty() && t[0] == '+') t.remove_prefix(1);
    double d = 0;
    auto r = std::from_chars(t.data(), t.data() + t.size(), d);
    if (r.ec == std::errc::result_out_of_range) {
        // Too large a magnitude reads as infinity, too small as zero, as the runtime does.
        bool tiny = false;
        std::size_t e = t.find_first_of("eE");
        if (e != std::string_view::npos && e + 1 < t.size() && t[e + 1] == '-') tiny = true;
        const bool negative = t[0] == '-';
        d = tiny ? 0.0 : HUGE_VAL;
        if (negative) d = -d;
    }
    return d;
}

// An open list, or a pending quote waiting for its expression.
struct Frame {
    bool quote = false;
    LispListBuilder items;
    int dot = 0;  // 1: "." read, tail expected; 2: tail read, ")" expected
};

}  // namespace

void LispReader::skipBlank() {
    while (i_ < s_.size()) {
        const unsigned char c = static_cast<unsigned char>(s_[i_]);
        if (isBlank(c)) {
            ++i_;
        } else if (c == ';') {
            if (i_ + 1 < s_.size() && s_[i_ + 1] == '|') {
                const std::size_t end = s_.find("|;", i_ + 2);
                i_ = end == std::string_view::npos ? s_.size() : end + 2;
            } else {
                const std::size_t end = s_.find('\n', i_);
                i_ = end == std::string_view::npos ? s_.size() : end + 1;
            }
        } else {
            return;
        }
    }
}

LispValue LispReader::readString() {
    std::string text;
    ++i_;  // opening quote
    while (i_ < s_.size()) {
        const std::size_t n = lispCharLength(s_, i_);
        if (n == 2) {
            text.append(s_.substr(i_, 2));
            i_ += 2;
            continue;
        }
        const char c = s_[i_++];
        if (c == '"') return m_.makeString(std::move(text));
        if (c != '\\') {
            text += c;
            continue;
        }
        if (i_ >= s_.size()) break;
        const char e = s_[i_++];
        switch (e) {
        case 'n': text += '\n'; break;
        case 't': text += '\t'; break;
        case 'r': text += '\r'; break;
        case 'e': text += '\x1b'; break;
        default:
            if (e >= '0' && e <= '7') {
                int code = e - '0';
                for (int k = 0; k < 2 && i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '7'; ++k) code = code * 8 + (s_[i_++] - '0');
                text += static_cast<char>(code & 0xFF);
            } else {
                text += e;  // \\ and \" and any other character stand for themselves
            }
        }
    }
    m_.raise("malformed string on input");
}

LispValue LispReader::readAtom() {
    const std::size_t start = i_;
    while (i_ < s_.size() && !isDelimiter(static_cast<unsigned char>(s_[i_]))) i_ += lispCharLength(s_, i_);
    const std::string_view t = s_.substr(start, i_ - start);
    switch (classify(t)) {
    case NumberKind::Integer: {
        std::int64_t v = 0;
        std::string_view digits = t;
        const bool negative = digits[0] == '-';
        if (digits[0] == '+' || digits[0] == '-') digits.remove_prefix(1);
        bool fits = digits.size() <= 10;
        if (fits) {
            std::from_chars(digits.data(), digits.data() + digits.size(), v);
            if (negative) v = -v;
            fits = v >= INT32_MIN && v <= INT32_MAX;
        }
        // An integer too large for 32 bits is read as a real.
        if (fits) return LispValue::integer(static_cast<std::int32_t>(v));
        return LispValue::real(toDouble(t));
    }
    case NumberKind::Real: return LispValue::real(toDouble(t));
    case NumberKind::None: break;
    }
    const std::string name = lispToUpper(t);
    if (name == "NIL") return LispValue();
    return LispValue::symbol(m_.intern(name));
}

bool LispReader::read(LispValue& out) {
    std::vector<Frame> frames;
    for (;;) {
        skipBlank();
        if (i_ >= s_.size()) {
            if (frames.empty()) return false;
            m_.raise("malformed list on input");
        }
        const char c = s_[i_];
        LispValue value;
        if (c == '(') {
            ++i_;
            frames.emplace_back();
            continue;
        }
        if (c == '\'') {
            ++i_;
            frames.emplace_back();
            frames.back().quote = true;
            continue;
        }
        if (c == ')') {
            if (frames.empty()) {
                ++i_;
                m_.raise("extra right paren on input");
            }
            if (frames.back().quote) m_.raise("malformed list on input");
            if (frames.back().dot == 1) m_.raise("invalid dotted pair");
            ++i_;
            value = frames.back().items.take();
            frames.pop_back();
        } else if (c == '"') {
            value = readString();
        } else if (c == '.' && i_ + 1 <= s_.size() &&
                   (i_ + 1 == s_.size() || isDelimiter(static_cast<unsigned char>(s_[i_ + 1])))) {
            ++i_;
            if (frames.empty() || frames.back().quote || frames.back().dot != 0 || frames.back().items.empty())
                m_.raise("invalid dotted pair");
            frames.back().dot = 1;
            continue;
        } else {
            value = readAtom();
        }
        // Deliver the completed expression to the open list or pending quote.
        for (;;) {
            if (frames.empty()) {
                out = std::move(value);
                return true;
            }
            Frame& top = frames.back();
            if (top.quote) {
                value = lispCons(LispValue::symbol(m_.symQuote()), lispCons(std::move(value), LispValue()));
                frames.pop_back();
                continue;
            }
            if (top.dot == 2) m_.raise("invalid dotted pair");
            if (top.dot == 1) {
                top.items.finishDotted(std::move(value));
                top.dot = 2;
            } else {
                top.items.add(std::move(value));
            }
            break;
        }
    }
}

bool lispInputComplete(std::string_view s) {
    int depth = 0;
    for (std::size_t i = 0; i < s.size();) {
        const char c = s[i];
        if (c == ';') {
            if (i + 1 < s.size() && s[i + 1] == '|') {
                const std::size_t end = s.find("|;", i + 2);
                if (end == std::string_view::npos) return false;
                i = end + 2;
            } else {
                const std::size_t end = s.find('\n', i);
                i = end == std::string_view::npos ? s.size() : end + 1;
            }
        } else if (c == '"') {
            ++i;
            for (;;) {
                if (i >= s.size()) return false;
                if (lispCharLength(s, i) == 2) {
                    i += 2;
                    continue;
                }
                const char d = s[i++];
                if (d == '"') break;
                if (d == '\\') ++i;
            }
        } else {
            if (c == '(') ++depth;
            else if (c == ')' && depth > 0) --depth;
            i += lispCharLength(s, i);
        }
    }
    return depth == 0;
}

}  // namespace NUVAcad
