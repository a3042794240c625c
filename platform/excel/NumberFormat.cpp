#include "excel/NumberFormat.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <strings.h>
#include <vector>

namespace NUVExcel {

namespace {

// A non-negative number as significant digits: value = 0.digits x 10^exp. Empty digits is zero.
struct Decimal {
    std::string digits;
    int exp = 0;
};

Decimal ToDecimal(double a) {
    Decimal d;
    if (!(a > 0) || !std::isfinite(a)) return d;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", a);  // 15 significant digits
    d.digits.push_back(buf[0]);
    const char* p = buf + 2;
    while (std::isdigit(static_cast<unsigned char>(*p))) d.digits.push_back(*p++);
    d.exp = std::atoi(p + 1) + 1;
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    return d;
}

// Rounds to `decimals` places, halves away from zero: the integer part without leading zeros
// (empty for zero) and exactly `decimals` fraction digits.
void Fixed(const Decimal& d, int decimals, std::string& ip, std::string& fp) {
    std::string kept;
    int keep = d.exp + decimals;
    if (keep >= 0 && !d.digits.empty()) {
        for (int i = 0; i < keep; ++i) kept.push_back(i < static_cast<int>(d.digits.size()) ? d.digits[i] : '0');
        if (keep < static_cast<int>(d.digits.size()) && d.digits[keep] >= '5') {
            int i = static_cast<int>(kept.size()) - 1;
            while (i >= 0 && kept[i] == '9') kept[i--] = '0';
            if (i >= 0) ++kept[i];
            else kept.insert(kept.begin(), '1');
        }
    }
    if (static_cast<int>(kept.size()) < decimals) kept.insert(0, decimals - kept.size(), '0');
    ip = kept.substr(0, kept.size() - decimals);
    fp = kept.substr(kept.size() - decimals);
    std::size_t nz = ip.find_first_not_of('0');
    ip = nz == std::string::npos ? std::string() : ip.substr(nz);
}

std::string TrimZeros(std::string fp) {
    while (!fp.empty() && fp.back() == '0') fp.pop_back();
    return fp;
}

// Mantissa and exponent with `decimals` fraction digits, trailing zeros dropped: "1.23457E+11".
std::string GeneralScientific(double a) {
    Decimal d = ToDecimal(a);
    int e = d.exp - 1;
    Decimal m = d;
    m.exp = 1;
    std::string ip, fp;
    Fixed(m, 5, ip, fp);
    if (ip.size() > 1) {  // 9.999995 rounded up to 10
        ++e;
        m.exp = 0;
        Fixed(m, 5, ip, fp);
    }
    fp = TrimZeros(fp);
    char ex[16];
    std::snprintf(ex, sizeof ex, "E%c%02d", e < 0 ? '-' : '+', std::abs(e));
    return (ip.empty() ? "0" : ip) + (fp.empty() ? "" : "." + fp) + ex;
}

std::string GeneralAbs(double a) {
    if (a == 0) return "0";
    Decimal d = ToDecimal(a);
    if (d.digits.empty()) return "0";
    if (d.exp > 11 || a < 1e-4) return GeneralScientific(a);
    int intLen = d.exp > 0 ? d.exp : 1;
    int decimals = intLen >= 10 ? 0 : 10 - intLen;
    std::string ip, fp;
    Fixed(d, decimals, ip, fp);
    if (ip.size() > 11) return GeneralScientific(a);
    fp = TrimZeros(fp);
    if (ip.empty() && fp.empty()) return GeneralScientific(a);
    return (ip.empty() ? "0" : ip) + (fp.empty() ? "" : "." + fp);
}

// Splits a format into its sections at semicolons outside quotes, brackets and escapes.
std::vector<std::string> Sections(const std::string& f) {
    std::vector<std::string> out(1);
    for (std::size_t i = 0; i < f.size(); ++i) {
        char c = f[i];
        if (c == '"') {
            std::size_t j = f.find('"', i + 1);
            if (j == std::string::npos) j = f.size() - 1;
            out.back() += f.substr(i, j - i + 1);
            i = j;
        } else if (c == '\\' && i + 1 < f.size()) {
            out.back() += f.substr(i, 2);
            ++i;
        } else if (c == '[') {
            std::size_t j = f.find(']', i);
            if (j == std::string::npos) j = f.size() - 1;
            out.back() += f.substr(i, j - i + 1);
            i = j;
        } else if (c == ';') {
            out.emplace_back();
        } else {
            out.back() += c;
        }
    }
    return out;
}

struct Token {
    enum Kind { kLiteral, kDigit, kPoint, kExp, kText, kGeneral, kDate } kind;
    std::string text;  // literal text, date code, or the placeholder character
    bool expPlus = false;
};

struct Parsed {
    std::vector<Token> tokens;
    int percents = 0;
    int scales = 0;  // trailing commas: each divides by 1000
    bool thousands = false;
    bool hasDate = false;
    bool hasAmPm = false;
};

bool IsPlaceholder(char c) { return c == '0' || c == '#' || c == '?'; }

bool StartsWithNoCase(const std::string& s, std::size_t i, const char* word) {
    std::size_t n = std::strlen(word);
    return s.size() - i >= n && strncasecmp(s.c_str() + i, word, n) == 0;
}

Parsed Parse(const std::string& s) {
    Parsed p;
    auto lit = [&p](const std::string& t) {
        if (!p.tokens.empty() && p.tokens.back().kind == Token::kLiteral) p.tokens.back().text += t;
        else p.tokens.push_back({Token::kLiteral, t});
    };
    bool afterPoint = false, inExp = false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (c == '"') {
            std::size_t j = s.find('"', i + 1);
            if (j == std::string::npos) j = s.size();
            lit(s.substr(i + 1, j - i - 1));
            i = j;
        } else if (c == '\\' && i + 1 < s.size()) {
            lit(std::string(1, s[++i]));
        } else if (c == '_' && i + 1 < s.size()) {
            ++i;
            lit(" ");
        } else if (c == '*' && i + 1 < s.size()) {
            ++i;  // fill character: the cell width is not modelled
        } else if (c == '[') {
            std::size_t j = s.find(']', i);
            i = j == std::string::npos ? s.size() : j;
        } else if (StartsWithNoCase(s, i, "General")) {
            p.tokens.push_back({Token::kGeneral, ""});
            i += 6;
        } else if (IsPlaceholder(c)) {
            p.tokens.push_back({Token::kDigit, std::string(1, c)});
            if (i + 1 < s.size() && s[i + 1] == ',') {
                std::size_t j = i + 1;
                while (j < s.size() && s[j] == ',') ++j;
                if (j < s.size() && IsPlaceholder(s[j]) && !afterPoint && !inExp) {
                    p.thousands = true;
                } else {
                    p.scales += static_cast<int>(j - i - 1);
                }
                i = j - 1;
            }
        } else if (c == '.' && !afterPoint && !inExp && !p.hasDate) {
            afterPoint = true;
            p.tokens.push_back({Token::kPoint, "."});
        } else if (c == '%') {
            ++p.percents;
            lit("%");
        } else if ((c == 'E' || c == 'e') && i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-') && !p.hasDate) {
            inExp = true;
            p.tokens.push_back({Token::kExp, "E", s[i + 1] == '+'});
            ++i;
        } else if (c == '@') {
            p.tokens.push_back({Token::kText, ""});
        } else if (StartsWithNoCase(s, i, "AM/PM") || StartsWithNoCase(s, i, "A/P")) {
            std::size_t n = StartsWithNoCase(s, i, "AM/PM") ? 5 : 3;
            p.tokens.push_back({Token::kDate, n == 5 ? "AM/PM" : "A/P"});
            p.hasDate = p.hasAmPm = true;
            i += n - 1;
        } else if (lower == 'y' || lower == 'm' || lower == 'd' || lower == 'h' || lower == 's') {
            std::size_t j = i;
            while (j < s.size() && std::tolower(static_cast<unsigned char>(s[j])) == lower) ++j;
            p.tokens.push_back({Token::kDate, std::string(j - i, lower)});
            p.hasDate = true;
            i = j - 1;
        } else if (c == ',') {
            lit(",");
        } else {
            lit(std::string(1, c));
        }
    }
    return p;
}

std::string Group(const std::string& digits) {
    std::string out;
    int n = static_cast<int>(digits.size());
    for (int i = 0; i < n; ++i) {
        out += digits[i];
        int left = n - 1 - i;
        if (left > 0 && left % 3 == 0) out += ',';
    }
    return out;
}

// Lays the integer digits into the integer placeholders, right to left; extra digits go to the
// leftmost placeholder, missing ones become '0', ' ' or nothing by placeholder.
void PlaceInteger(const std::string& ip, const std::vector<std::size_t>& slots, const std::vector<Token>& toks,
                  bool thousands, std::vector<std::string>& out) {
    if (slots.empty()) return;
    int n = static_cast<int>(slots.size());
    bool contiguous = slots.back() - slots.front() + 1 == slots.size();
    std::string digits = ip;
    if (contiguous) {
        int minDigits = 0;
        for (int k = 0; k < n; ++k)
            if (toks[slots[k]].text == "0") { minDigits = n - k; break; }
        if (static_cast<int>(digits.size()) < minDigits) digits.insert(0, minDigits - digits.size(), '0');
        std::string spaces;
        for (int k = 0; k < n - static_cast<int>(digits.size()); ++k)
            if (toks[slots[k]].text == "?") spaces += ' ';
        out[slots.front()] = spaces + (thousands ? Group(digits) : digits);
        return;
    }
    int d = static_cast<int>(digits.size()) - 1;
    for (int k = n - 1; k >= 0; --k) {
        const std::string& ph = toks[slots[k]].text;
        std::string s;
        if (d >= 0) s = std::string(1, digits[d--]);
        else if (ph == "0") s = "0";
        else if (ph == "?") s = " ";
        if (k == 0 && d >= 0) s = digits.substr(0, d + 1) + s;
        out[slots[k]] = s;
    }
}

void PlaceFraction(std::string fp, const std::vector<std::size_t>& slots, const std::vector<Token>& toks,
                   std::vector<std::string>& out) {
    int n = static_cast<int>(slots.size());
    int last = n - 1;
    if (static_cast<int>(fp.size()) < n) fp.append(n - fp.size(), '0');
    while (last >= 0 && fp[last] == '0' && toks[slots[last]].text != "0") --last;
    for (int k = 0; k < n; ++k) {
        if (k <= last) out[slots[k]].assign(1, fp[k]);
        else out[slots[k]].assign(toks[slots[k]].text == "?" ? 1 : 0, ' ');
    }
}

// Days since 1899-12-30 to a civil date.
void CivilFromSerial(long days, int& y, int& m, int& d) {
    long z = days - 25569 + 719468;  // shift to 1970-01-01, then to 0000-03-01
    long era = (z >= 0 ? z : z - 146096) / 146097;
    long doe = z - era * 146097;
    long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
}

const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                               "July",    "August",   "September", "October", "November", "December"};
const char* const kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

std::string RenderDate(double v, const Parsed& p) {
    if (v < 0 || v > 2958465.99999) return std::string(11, '#');
    double whole = std::floor(v);
    long secs = std::lround((v - whole) * 86400.0);
    long days = static_cast<long>(whole);
    if (secs >= 86400) { secs -= 86400; ++days; }
    int y, mo, d;
    CivilFromSerial(days, y, mo, d);
    int hh = static_cast<int>(secs / 3600), mi = static_cast<int>(secs / 60 % 60), ss = static_cast<int>(secs % 60);
    std::string out;
    char buf[32];
    const std::vector<Token>& t = p.tokens;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const Token& tok = t[i];
        if (tok.kind != Token::kDate) {
            if (tok.kind == Token::kLiteral || tok.kind == Token::kPoint) out += tok.text;
            continue;
        }
        const std::string& c = tok.text;
        auto prevIsHour = [&]() {
            for (std::size_t j = i; j-- > 0;)
                if (t[j].kind == Token::kDate) return t[j].text[0] == 'h';
            return false;
        };
        auto nextIsSecond = [&]() {
            for (std::size_t j = i + 1; j < t.size(); ++j)
                if (t[j].kind == Token::kDate) return t[j].text[0] == 's';
            return false;
        };
        if (c == "AM/PM" || c == "A/P") {
            out += hh < 12 ? (c == "AM/PM" ? "AM" : "A") : (c == "AM/PM" ? "PM" : "P");
        } else if (c[0] == 'y') {
            std::snprintf(buf, sizeof buf, c.size() <= 2 ? "%02d" : "%04d", c.size() <= 2 ? y % 100 : y);
            out += buf;
        } else if (c[0] == 'm' && c.size() <= 2 && (prevIsHour() || nextIsSecond())) {
            std::snprintf(buf, sizeof buf, c.size() == 2 ? "%02d" : "%d", mi);
            out += buf;
        } else if (c[0] == 'm') {
            if (c.size() <= 2) std::snprintf(buf, sizeof buf, c.size() == 2 ? "%02d" : "%d", mo);
            else std::snprintf(buf, sizeof buf, "%.*s", c.size() == 3 ? 3 : c.size() == 5 ? 1 : 20, kMonths[mo - 1]);
            out += buf;
        } else if (c[0] == 'd') {
            if (c.size() <= 2) std::snprintf(buf, sizeof buf, c.size() == 2 ? "%02d" : "%d", d);
            else std::snprintf(buf, sizeof buf, "%.*s", c.size() == 3 ? 3 : 20, kDays[(days + 6) % 7]);
            out += buf;
        } else if (c[0] == 'h') {
            int h = hh;
            if (p.hasAmPm) h = hh % 12 == 0 ? 12 : hh % 12;
            std::snprintf(buf, sizeof buf, c.size() >= 2 ? "%02d" : "%d", h);
            out += buf;
        } else if (c[0] == 's') {
            std::snprintf(buf, sizeof buf, c.size() >= 2 ? "%02d" : "%d", ss);
            out += buf;
        }
    }
    return out;
}

std::string RenderNumber(double a, const Parsed& p, const std::string& text) {
    if (p.hasDate) return RenderDate(a, p);
    const std::vector<Token>& t = p.tokens;
    std::vector<std::string> out(t.size());
    std::vector<std::size_t> intSlots, fracSlots, expSlots;
    std::size_t expTok = t.size();
    bool seenPoint = false, seenExp = false, hasDigits = false;
    for (std::size_t i = 0; i < t.size(); ++i) {
        switch (t[i].kind) {
            case Token::kDigit:
                hasDigits = true;
                (seenExp ? expSlots : seenPoint ? fracSlots : intSlots).push_back(i);
                break;
            case Token::kPoint: seenPoint = true; out[i].assign(1, '.'); break;
            case Token::kExp: seenExp = true; expTok = i; break;
            case Token::kLiteral: out[i] = t[i].text; break;
            case Token::kText: out[i] = text; break;
            case Token::kGeneral: out[i] = GeneralAbs(a); break;
            case Token::kDate: break;
        }
    }
    for (int k = 0; k < p.percents; ++k) a *= 100;
    for (int k = 0; k < p.scales; ++k) a /= 1000;
    if (!hasDigits) {
        std::string s;
        for (auto& o : out) s += o;
        return s;
    }
    int decimals = static_cast<int>(fracSlots.size());
    std::string ip, fp;
    if (seenExp) {
        int n = std::max<int>(1, static_cast<int>(intSlots.size()));
        bool engineering = false;
        for (std::size_t s : intSlots) engineering |= t[s].text == "#";
        int e = 0;
        Fixed(Decimal{}, decimals, ip, fp);
        if (a > 0) {
            Decimal d = ToDecimal(a);
            int mag = d.exp - 1;  // floor(log10(a))
            if (engineering && n > 1) e = static_cast<int>(std::floor(static_cast<double>(mag) / n)) * n;
            else e = mag - (n - 1);
            for (int tries = 0; tries < 2; ++tries) {
                Decimal m = d;
                m.exp = d.exp - e;
                Fixed(m, decimals, ip, fp);
                int limit = engineering && n > 1 ? mag - e + 1 : n;
                if (static_cast<int>(ip.size()) <= std::max(limit, 1)) break;
                e += engineering && n > 1 ? n : 1;
            }
        }
        std::string ed = std::to_string(std::abs(e));
        out[expTok] = std::string("E") + (e < 0 ? "-" : t[expTok].expPlus ? "+" : "");
        int minExp = 0;
        for (std::size_t k = 0; k < expSlots.size(); ++k)
            if (t[expSlots[k]].text == "0") { minExp = static_cast<int>(expSlots.size() - k); break; }
        if (static_cast<int>(ed.size()) < minExp) ed.insert(0, minExp - ed.size(), '0');
        for (std::size_t k = 0; k < expSlots.size(); ++k) out[expSlots[k]] = k == 0 ? ed : "";
    } else {
        Fixed(ToDecimal(a), decimals, ip, fp);
    }
    PlaceInteger(ip, intSlots, t, p.thousands, out);
    PlaceFraction(fp, fracSlots, t, out);
    std::string s;
    for (auto& o : out) s += o;
    return s;
}

// True when the rendered number shows a non-zero digit.
bool ShowsNonZero(const std::string& s) {
    for (char c : s)
        if (c >= '1' && c <= '9') return true;
    return false;
}

}  // namespace

std::string FormatGeneral(double value) {
    if (std::isnan(value)) return "#NUM!";
    if (std::isinf(value)) return "#NUM!";
    std::string s = GeneralAbs(std::fabs(value));
    return value < 0 && s != "0" ? "-" + s : s;
}

std::string FormatNumber(double value, const std::string& format) {
    if (!std::isfinite(value)) return "#NUM!";
    std::vector<std::string> sec = Sections(format);
    std::size_t idx = 0;
    bool sign = false;
    if (value < 0 && sec.size() >= 2) idx = 1;
    else if (value == 0 && sec.size() >= 3) idx = 2;
    else if (value < 0) sign = true;
    const std::string& f = sec[idx];
    if (f.empty() && sec.size() > 1) return "";
    Parsed p = Parse(f);
    bool onlyText = !p.tokens.empty();
    for (const Token& t : p.tokens) onlyText &= t.kind == Token::kText || t.kind == Token::kLiteral;
    bool anyText = false;
    for (const Token& t : p.tokens) anyText |= t.kind == Token::kText;
    if (f.empty() || (onlyText && anyText)) return FormatGeneral(value);
    if (p.hasDate) return RenderDate(value, p);
    std::string s = RenderNumber(std::fabs(value), p, "");
    if (sign && (ShowsNonZero(s) || value < 0)) s = "-" + s;
    return s;
}

std::string FormatText(const std::string& text, const std::string& format) {
    std::vector<std::string> sec = Sections(format);
    const std::string* f = nullptr;
    if (sec.size() >= 4) f = &sec[3];
    else if (sec[0].find('@') != std::string::npos) f = &sec[0];
    if (!f) return text;
    Parsed p = Parse(*f);
    std::string s;
    for (const Token& t : p.tokens) {
        if (t.kind == Token::kText) s += text;
        else if (t.kind == Token::kLiteral) s += t.text;
    }
    return s;
}

bool IsDateFormat(const std::string& format) { return Parse(Sections(format)[0]).hasDate; }

}  // namespace NUVExcel
