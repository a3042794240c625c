// Typed numbers, angles, points and keywords. Letter case is folded for ASCII only and never
// inside a double-byte GBK character (its trail byte may look like a letter).
#include "acad/TypedInput.h"

#include <charconv>
#include <cmath>

namespace NUVAcad {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::string Upper(std::string_view s) {
    std::string out(s);
    for (size_t i = 0; i < out.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(out[i]);
        if (c >= 0x80) {
            ++i;  // lead byte: leave the pair alone
            continue;
        }
        if (c >= 'a' && c <= 'z') out[i] = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

// Length of the real number at the start of s (0 when there is none), by the grammar above.
size_t RealLength(std::string_view s) {
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t digits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        size_t expDigits = 0;
        while (j < s.size() && IsDigit(s[j])) ++j, ++expDigits;
        if (expDigits > 0) i = j;
    }
    return i;
}

// Converts exactly the characters of a RealLength match.
bool ToReal(std::string_view s, double& value) {
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    std::string buf(s);
    if (!buf.empty() && buf.front() == '.') buf.insert(buf.begin(), '0');  // from_chars wants a digit
    double v = 0;
    auto r = std::from_chars(buf.data(), buf.data() + buf.size(), v);
    if (r.ec != std::errc() || r.ptr != buf.data() + buf.size() || !std::isfinite(v)) return false;
    value = negative ? -v : v;
    return true;
}

// A real that must fill s exactly.
bool WholeReal(std::string_view s, double& value) {
    size_t n = RealLength(s);
    if (n == 0 || n != s.size()) return false;
    return ToReal(s, value);
}

}  // namespace

bool ParseTypedReal(std::string_view text, double& value) { return WholeReal(Trim(text), value); }

bool ParseTypedInteger(std::string_view text, long long& value) {
    text = Trim(text);
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (i == text.size()) return false;
    for (size_t j = i; j < text.size(); ++j)
        if (!IsDigit(text[j])) return false;
    long long v = 0;
    auto r = std::from_chars(text.data() + i, text.data() + text.size(), v);
    if (r.ec != std::errc()) return false;
    value = text[0] == '-' ? -v : v;
    return true;
}

bool ParseTypedAngle(std::string_view text, double& radians) {
    text = Trim(text);
    size_t n = RealLength(text);
    if (n == 0) return false;
    double first = 0;
    if (!ToReal(text.substr(0, n), first)) return false;
    std::string_view rest = text.substr(n);
    if (rest.empty()) {
        radians = first * M_PI / 180.0;
        return true;
    }
    char unit = rest.front();
    rest.remove_prefix(1);
    if (unit == 'r' || unit == 'R' || unit == 'g' || unit == 'G') {
        if (!rest.empty()) return false;
        radians = (unit == 'r' || unit == 'R') ? first : first * M_PI / 200.0;
        return true;
    }
    if (unit != 'd' && unit != 'D') return false;
    // Degrees, then optional minutes (') and seconds ("), each a plain unsigned number.
    double degrees = std::fabs(first);
    const bool negative = text.front() == '-';
    const double scale[2] = {60.0, 3600.0};
    const char mark[2] = {'\'', '"'};
    for (int part = 0; part < 2 && !rest.empty(); ++part) {
        if (rest.front() == '+' || rest.front() == '-') return false;
        size_t m = RealLength(rest);
        if (m == 0 || m >= rest.size() || rest[m] != mark[part]) return false;
        double v = 0;
        if (!ToReal(rest.substr(0, m), v)) return false;
        degrees += v / scale[part];
        rest.remove_prefix(m + 1);
    }
    if (!rest.empty()) return false;
    radians = (negative ? -degrees : degrees) * M_PI / 180.0;
    return true;
}

bool ParseTypedPoint(std::string_view text, TypedPoint& point) {
    text = Trim(text);
    TypedPoint p;
    bool relative = false;
    if (!text.empty() && text.front() == '@') {
        relative = true;
        text.remove_prefix(1);
        if (text.empty()) {
            p.form = TypedPoint::Form::Relative;
            point = p;
            return true;
        }
    } else if (!text.empty() && text.front() == '*') {
        p.world = true;
        text.remove_prefix(1);
    }
    size_t lt = text.find('<');
    if (lt != std::string_view::npos) {
        // dist<angle[,z]
        std::string_view distText = text.substr(0, lt);
        std::string_view rest = text.substr(lt + 1);
        std::string_view angleText = rest;
        size_t comma = rest.find(',');
        if (comma != std::string_view::npos) {
            angleText = rest.substr(0, comma);
            if (!WholeReal(rest.substr(comma + 1), p.v[2])) return false;
            p.hasZ = true;
        }
        if (!WholeReal(distText, p.v[0]) || !ParseTypedAngle(angleText, p.angle)) return false;
        if (angleText.find(' ') != std::string_view::npos) return false;
        p.form = relative ? TypedPoint::Form::RelPolar : TypedPoint::Form::Polar;
        point = p;
        return true;
    }
    int count = 0;
    for (;;) {
        size_t comma = text.find(',');
        std::string_view part = text.substr(0, comma);
        if (count == 3 || !WholeReal(part, p.v[count])) return false;
        ++count;
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    if (count < 2) return false;
    p.hasZ = count == 3;
    p.form = relative ? TypedPoint::Form::Relative : TypedPoint::Form::Absolute;
    point = p;
    return true;
}

void ResolveTypedPoint(const TypedPoint& p, const double reference[3], double z, const AngleConvention& angles,
                       double out[3]) {
    switch (p.form) {
    case TypedPoint::Form::Absolute:
        out[0] = p.v[0];
        out[1] = p.v[1];
        out[2] = p.hasZ ? p.v[2] : z;
        return;
    case TypedPoint::Form::Relative:
        out[0] = reference[0] + p.v[0];
        out[1] = reference[1] + p.v[1];
        out[2] = reference[2] + (p.hasZ ? p.v[2] : 0);
        return;
    case TypedPoint::Form::Polar:
    case TypedPoint::Form::RelPolar: {
        const bool rel = p.form == TypedPoint::Form::RelPolar;
        const double dir = angles.direction(p.angle);
        const double dx = p.v[0] * std::cos(dir), dy = p.v[0] * std::sin(dir);
        out[0] = (rel ? reference[0] : 0) + dx;
        out[1] = (rel ? reference[1] : 0) + dy;
        out[2] = rel ? reference[2] + (p.hasZ ? p.v[2] : 0) : (p.hasZ ? p.v[2] : z);
        return;
    }
    }
}

bool ParseAngleOverride(std::string_view text, double& radians) {
    text = Trim(text);
    if (text.size() < 2 || text.front() != '<') return false;
    return ParseTypedAngle(text.substr(1), radians);
}

// ---- Keywords ----

KeywordList::Word KeywordList::makeWord(std::string_view token) {
    Word w;
    size_t comma = token.find(',');
    if (comma != std::string_view::npos && comma > 0 && comma + 1 < token.size()) {
        w.word = std::string(token.substr(0, comma));
        w.abbrev = Upper(token.substr(comma + 1));
        std::string up = Upper(w.word);
        w.minPrefix = up.compare(0, w.abbrev.size(), w.abbrev) == 0 ? w.abbrev.size() : up.size();
        return w;
    }
    w.word = std::string(token);
    // The first run of capital letters is the abbreviation; a prefix reaching its end selects.
    size_t start = std::string::npos, end = 0;
    for (size_t i = 0; i < token.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(token[i]);
        if (c >= 0x80) {
            if (start != std::string::npos) break;
            ++i;
            continue;
        }
        bool cap = c >= 'A' && c <= 'Z';
        if (cap && start == std::string::npos) start = i;
        if (start != std::string::npos) {
            if (!cap) break;
            end = i + 1;
        }
    }
    // Without capitals (or all capitals) the whole keyword must be typed.
    if (start == std::string::npos || (start == 0 && end == token.size())) {
        w.abbrev = Upper(token);
        w.minPrefix = token.size();
    } else {
        w.abbrev = Upper(token.substr(start, end - start));
        w.minPrefix = end;
    }
    return w;
}

KeywordList::KeywordList(std::string_view spec) {
    bool global = false;
    size_t i = 0;
    while (i < spec.size()) {
        while (i < spec.size() && (spec[i] == ' ' || spec[i] == '\t')) ++i;
        size_t j = i;
        while (j < spec.size() && spec[j] != ' ' && spec[j] != '\t') ++j;
        if (j == i) break;
        std::string_view token = spec.substr(i, j - i);
        i = j;
        if (token == "_") {
            global = true;
            continue;
        }
        (global ? global_ : local_).push_back(makeWord(token));
    }
}

const std::string& KeywordList::result(size_t i) const {
    return i < global_.size() ? global_[i].word : local_[i].word;
}

int KeywordList::find(const std::vector<Word>& words, std::string_view typed) {
    if (typed.empty()) return -1;
    const std::string up = Upper(typed);
    for (size_t i = 0; i < words.size(); ++i)
        if (Upper(words[i].word) == up) return static_cast<int>(i);
    for (size_t i = 0; i < words.size(); ++i)
        if (words[i].abbrev == up) return static_cast<int>(i);
    int found = -1;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string w = Upper(words[i].word);
        if (up.size() >= words[i].minPrefix && up.size() <= w.size() && w.compare(0, up.size(), up) == 0) {
            if (found >= 0) return -1;  // ambiguous
            found = static_cast<int>(i);
        }
    }
    return found;
}

int KeywordList::match(std::string_view typed) const {
    typed = Trim(typed);
    if (typed.size() > 1 && typed.front() == '_') {
        typed.remove_prefix(1);
        if (!global_.empty()) {
            int g = find(global_, typed);
            return g < static_cast<int>(local_.size()) ? g : -1;
        }
    }
    return find(local_, typed);
}

}  // namespace NUVAcad
