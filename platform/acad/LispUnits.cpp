// Numbers as drawing units: rtos (scientific, decimal, engineering, architectural, fractional),
// distof (the reverse) and angtos (degrees, degrees/minutes/seconds, grads, radians, surveyor's
// bearings). Defaults come from LUNITS, LUPREC, AUNITS and AUPREC; DIMZIN decides which zeros
// are suppressed (8 trailing zeros of decimals, 4 a leading zero; for feet and inches its low
// two bits: 0 drops zero feet and zero inches, 1 keeps both, 2 keeps feet, 3 keeps inches).
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <optional>

#include "acad/LispMachine.h"

namespace NUVAcad {

namespace {

int intVar(LispMachine& m, const char* name, int fallback) {
    resbuf* rb = nullptr;
    int v = fallback;
    if (m.host().getVar(name, &rb) == RTNORM && rb) {
        if (rb->restype == RTSHORT) v = rb->resval.rint;
        else if (rb->restype == RTLONG) v = static_cast<int>(rb->resval.rlong);
    }
    acutRelRb(rb);
    return v;
}

std::string printf1(const char* format, int precision, double v) {
    const int n = std::snprintf(nullptr, 0, format, precision, v);
    std::string s(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    std::snprintf(s.data(), s.size() + 1, format, precision, v);
    return s;
}

void suppressZeros(std::string& s, int dimzin) {
    if ((dimzin & 8) && s.find('.') != std::string::npos) {
        while (!s.empty() && s.back() == '0') s.pop_back();
        if (!s.empty() && s.back() == '.') s.pop_back();
    }
    if (dimzin & 4) {
        const std::size_t at = (!s.empty() && s[0] == '-') ? 1 : 0;
        if (s.size() > at + 1 && s[at] == '0' && s[at + 1] == '.') s.erase(at, 1);
    }
}

std::string decimal(double v, int precision, int dimzin) {
    std::string s = printf1("%.*f", precision, v);
    suppressZeros(s, dimzin);
    return s;
}

std::string fraction(std::int64_t numerator, std::int64_t denominator) {
    while (numerator % 2 == 0 && denominator % 2 == 0) numerator /= 2, denominator /= 2;
    return std::to_string(numerator) + "/" + std::to_string(denominator);
}

// Feet and inches with zero suppression by DIMZIN's low bits.
std::string feetInches(bool negative, std::int64_t feet, const std::string& inches, bool inchesZero, int dimzin) {
    const int z = dimzin & 3;
    const bool showFeet = feet != 0 || z == 1 || z == 2;
    const bool showInches = !inchesZero || z == 1 || z == 3 || !showFeet;
    std::string s = negative ? "-" : "";
    if (showFeet) s += std::to_string(feet) + "'";
    if (showFeet && showInches) s += "-";
    if (showInches) s += inches + "\"";
    return s;
}

// Too large to split into feet and fractions exactly: plain decimals instead.
constexpr double kSplitLimit = 1e15;

std::string formatDistance(double v, int mode, int precision, int dimzin) {
    if (precision < 0) precision = 0;
    if (precision > 15) precision = 15;
    if (std::isnan(v) || std::isinf(v)) mode = 2;
    switch (mode) {
    case 1: {
        std::string s = printf1("%.*E", precision, v);
        if (dimzin & 8) {
            const std::size_t e = s.find('E');
            std::string mantissa = s.substr(0, e);
            suppressZeros(mantissa, 8);
            s = mantissa + s.substr(e);
        }
        return s;
    }
    case 3: {
        const double scale = std::pow(10.0, precision);
        if (std::fabs(v) * scale >= kSplitLimit) return decimal(v, precision, dimzin);
        const std::int64_t units = std::llround(std::fabs(v) * scale);
        const std::int64_t perFoot = 12 * static_cast<std::int64_t>(scale);
        const std::int64_t feet = units / perFoot;
        const std::int64_t rest = units % perFoot;
        return feetInches(v < 0 && units != 0, feet, decimal(static_cast<double>(rest) / scale, precision, dimzin & 12),
                          rest == 0, dimzin);
    }
    case 4:
    case 5: {
        if (precision > 8) precision = 8;
        const std::int64_t denominator = std::int64_t(1) << precision;
        if (std::fabs(v) * static_cast<double>(denominator) >= kSplitLimit) return decimal(v, precision, dimzin);
        const std::int64_t units = std::llround(std::fabs(v) * static_cast<double>(denominator));
        const bool negative = v < 0 && units != 0;
        if (mode == 5) {
            const std::int64_t whole = units / denominator, part = units % denominator;
            std::string s = negative ? "-" : "";
            if (whole != 0 || part == 0) s += std::to_string(whole);
            if (part != 0) s += (whole != 0 ? " " : "") + fraction(part, denominator);
            return s;
        }
        const std::int64_t perFoot = 12 * denominator;
        const std::int64_t feet = units / perFoot, rest = units % perFoot;
        const std::int64_t whole = rest / denominator, part = rest % denominator;
        std::string inches = std::to_string(whole);
        if (part != 0) inches += " " + fraction(part, denominator);
        return feetInches(negative, feet, inches, rest == 0, dimzin);
    }
    default: return decimal(v, precision, dimzin);
    }
}

LispValue rtos(LispMachine& m, LispArgs a) {
    const double v = m.numArg(a, 0);
    const int mode = a.n > 1 ? m.intArg(a, 1) : intVar(m, "LUNITS", 2);
    const int precision = a.n > 2 ? m.intArg(a, 2) : intVar(m, "LUPREC", 4);
    if (mode < 1 || mode > 5) m.raise("bad argument value: " + std::to_string(mode));
    return m.makeString(formatDistance(v, mode, precision, intVar(m, "DIMZIN", 0)));
}

// --- distof ---

class DistanceParser {
public:
    explicit DistanceParser(const std::string& s) : s_(s) {}

    // Allowed forms by mode: 1, 2 plain numbers; 3 feet and decimal inches; 4 feet and
    // fractional inches; 5 fractions; 0 any of them.
    std::optional<double> parse(int mode) {
        skipSpaces();
        bool negative = false;
        if (i_ < s_.size() && (s_[i_] == '-' || s_[i_] == '+')) negative = s_[i_++] == '-';
        std::optional<double> v;
        const std::size_t start = i_;
        if (mode == 0 || mode >= 3) v = feetInches(mode);
        if (!v) {
            i_ = start;
            v = plainOrFraction(mode == 0 || mode >= 4);
        }
        if (!v) return std::nullopt;
        skipSpaces();
        if (i_ != s_.size()) return std::nullopt;
        return negative ? -*v : *v;
    }

private:
    void skipSpaces() {
        while (i_ < s_.size() && s_[i_] == ' ') ++i_;
    }
    bool digitAt(std::size_t k) const { return k < s_.size() && s_[k] >= '0' && s_[k] <= '9'; }

    std::optional<double> number() {
        const std::size_t start = i_;
        while (digitAt(i_)) ++i_;
        if (i_ < s_.size() && s_[i_] == '.') {
            ++i_;
            while (digitAt(i_)) ++i_;
        }
        if (i_ == start || (i_ == start + 1 && s_[start] == '.')) {
            i_ = start;
            return std::nullopt;
        }
        if (i_ < s_.size() && (s_[i_] == 'e' || s_[i_] == 'E')) {
            std::size_t j = i_ + 1;
            if (j < s_.size() && (s_[j] == '+' || s_[j] == '-')) ++j;
            if (digitAt(j)) {
                while (digitAt(j)) ++j;
                i_ = j;
            }
        }
        double d = 0;
        std::from_chars(s_.data() + start, s_.data() + i_, d);
        return d;
    }

    // n/d with integers.
    std::optional<double> fractionPart() {
        const std::size_t start = i_;
        std::int64_t n = 0, d = 0;
        if (!digitAt(i_)) return std::nullopt;
        while (digitAt(i_) && n < 1000000000) n = n * 10 + (s_[i_++] - '0');
        if (i_ >= s_.size() || s_[i_] != '/' || !digitAt(i_ + 1)) {
            i_ = start;
            return std::nullopt;
        }
        ++i_;
        while (digitAt(i_) && d < 1000000000) d = d * 10 + (s_[i_++] - '0');
        if (d == 0) {
            i_ = start;
            return std::nullopt;
        }
        return static_cast<double>(n) / static_cast<double>(d);
    }

    // "17", "17.5", "1/2", "17 1/2", "17-1/2" (fractions only when allowed).
    std::optional<double> plainOrFraction(bool fractions) {
        if (fractions) {
            if (auto f = fractionPart()) return f;
        }
        auto whole = number();
        if (!whole) return std::nullopt;
        if (fractions && i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '-')) {
            const std::size_t save = i_;
            ++i_;
            skipSpaces();
            if (auto f = fractionPart()) return *whole + *f;
            i_ = save;
        }
        return whole;
    }

    std::optional<double> feetInches(int mode) {
        const bool fractions = mode == 0 || mode == 4;
        double feet = 0;
        bool haveFeet = false;
        const std::size_t start = i_;
        if (auto f = number(); f && i_ < s_.size() && s_[i_] == '\'') {
            feet = *f;
            haveFeet = true;
            ++i_;
            if (i_ < s_.size() && s_[i_] == '-') ++i_;
            skipSpaces();
            if (i_ == s_.size()) return feet * 12;
        } else {
            i_ = start;
        }
        auto inches = plainOrFraction(fractions);
        if (!inches) return std::nullopt;
        if (i_ < s_.size() && s_[i_] == '"') ++i_;
        else if (!haveFeet) return std::nullopt;
        return feet * 12 + *inches;
    }

    const std::string& s_;
    std::size_t i_ = 0;
};

LispValue distof(LispMachine& m, LispArgs a) {
    const std::string& s = m.strArg(a, 0);
    int mode = 0;
    if (a.n > 1) {
        mode = m.intArg(a, 1);
        if (mode < 1 || mode > 5) m.raise("bad argument value: " + std::to_string(mode));
    }
    auto v = DistanceParser(s).parse(mode);
    return v ? LispValue::real(*v) : LispValue();
}

// --- angtos ---

// Degrees, minutes and seconds; the precision picks the parts: 0 degrees, 1-2 minutes,
// 3-4 seconds, 5-8 seconds with decimals.
std::string dms(double degrees, int precision) {
    int secondDecimals = precision >= 5 ? precision - 4 : 0;
    if (secondDecimals > 4) secondDecimals = 4;
    if (precision <= 0) return std::to_string(std::llround(degrees)) + "d";
    if (precision <= 2) {
        const std::int64_t minutes = std::llround(degrees * 60);
        return std::to_string(minutes / 60) + "d" + std::to_string(minutes % 60) + "'";
    }
    const double scale = std::pow(10.0, secondDecimals);
    const std::int64_t units = std::llround(degrees * 3600 * scale);
    const std::int64_t perDegree = 3600 * static_cast<std::int64_t>(scale);
    const std::int64_t d = units / perDegree;
    const std::int64_t rest = units % perDegree;
    const std::int64_t minutes = rest / (60 * static_cast<std::int64_t>(scale));
    const double seconds = static_cast<double>(rest % (60 * static_cast<std::int64_t>(scale))) / scale;
    return std::to_string(d) + "d" + std::to_string(minutes) + "'" + printf1("%.*f", secondDecimals, seconds) + "\"";
}

std::string formatAngle(double radians, int mode, int precision, int dimzin) {
    if (precision < 0) precision = 0;
    if (precision > 8) precision = 8;
    const double full = 2 * std::numbers::pi;
    double a = std::fmod(radians, full);
    if (a < 0) a += full;
    const double degrees = a * 180 / std::numbers::pi;
    switch (mode) {
    case 1: return dms(degrees, precision);
    case 2: return decimal(degrees * 400 / 360, precision, dimzin) + "g";
    case 3: return decimal(a, precision, dimzin) + "r";
    case 4: {
        // Bearings: from north or south, towards east or west.
        const double rounded = std::round(degrees * 3600 * 10000) / (3600 * 10000);
        if (rounded == 0 || rounded == 360) return "E";
        if (rounded == 90) return "N";
        if (rounded == 180) return "W";
        if (rounded == 270) return "S";
        const char* ns = degrees < 180 ? "N" : "S";
        double off;
        const char* ew;
        if (degrees < 90) off = 90 - degrees, ew = "E";
        else if (degrees < 180) off = degrees - 90, ew = "W";
        else if (degrees < 270) off = 270 - degrees, ew = "W";
        else off = degrees - 270, ew = "E";
        return std::string(ns) + " " + dms(off, precision) + " " + ew;
    }
    default: return decimal(degrees, precision, dimzin);
    }
}

LispValue angtos(LispMachine& m, LispArgs a) {
    const double v = m.numArg(a, 0);
    const int mode = a.n > 1 ? m.intArg(a, 1) : intVar(m, "AUNITS", 0);
    const int precision = a.n > 2 ? m.intArg(a, 2) : intVar(m, "AUPREC", 0);
    if (mode < 0 || mode > 4) m.raise("bad argument value: " + std::to_string(mode));
    if (std::isnan(v) || std::isinf(v)) m.raise("function undefined for argument: " + std::to_string(v));
    return m.makeString(formatAngle(v, mode, precision, intVar(m, "DIMZIN", 0)));
}

const LispBuiltin kUnits[] = {
    {"rtos", rtos, 1, 3},
    {"distof", distof, 1, 2},
    {"angtos", angtos, 1, 3},
};

}  // namespace

std::span<const LispBuiltin> lispUnitBuiltins() { return kUnits; }

}  // namespace NUVAcad
