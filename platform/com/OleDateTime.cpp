#include "com/OleDateTime.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr DATE kMinDate = COleDateTime::kMinDate;
constexpr DATE kMaxDate = COleDateTime::kMaxDate;

// Days from 1970-01-01 of a proleptic Gregorian date.
constexpr long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long yy = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

constexpr long long kEpoch = DaysFromCivil(1899, 12, 30);

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int DaysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

// A COM date counts whole days signed but the time of day always forwards from midnight; this
// is the plain time line where later is larger.
double Linear(DATE dt) {
    double day = std::trunc(dt);
    return dt >= 0 ? dt : day - (dt - day);
}
DATE FromLinear(double lin) {
    double day = std::floor(lin);
    double frac = lin - day;
    return day >= 0 ? day + frac : day - frac;
}

struct Parts {
    int y, mo, d, h, mi, s, wday, yday;
};

bool Split(DATE dt, Parts& p) {
    if (!(dt >= kMinDate && dt <= kMaxDate)) return false;
    double day = std::trunc(dt);
    double frac = std::fabs(dt - day);
    long long days = static_cast<long long>(day);
    long long secs = std::llround(frac * 86400.0);
    if (secs >= 86400) {
        secs -= 86400;
        ++days;
    }
    CivilFromDays(days + kEpoch, p.y, p.mo, p.d);
    p.h = static_cast<int>(secs / 3600);
    p.mi = static_cast<int>(secs / 60 % 60);
    p.s = static_cast<int>(secs % 60);
    p.wday = static_cast<int>(((days % 7) + 7 + 6) % 7);  // day 0 was a Saturday
    p.yday = static_cast<int>(days + kEpoch - DaysFromCivil(p.y, 1, 1));
    return true;
}

}  // namespace

namespace NUVCom {

bool DateFromParts(int year, int month, int day, int hour, int minute, int second, DATE& out) {
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
        hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        return false;
    double days = static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kEpoch);
    double time = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
    out = days >= 0 ? days + time : days - time;
    return true;
}

bool DateToParts(DATE dt, int& year, int& month, int& day, int& hour, int& minute, int& second) {
    Parts p;
    if (!Split(dt, p)) return false;
    year = p.y;
    month = p.mo;
    day = p.d;
    hour = p.h;
    minute = p.mi;
    second = p.s;
    return true;
}

}  // namespace NUVCom

COleDateTime::COleDateTime(std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    SetDateTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
}

COleDateTime COleDateTime::GetCurrentTime() { return COleDateTime(std::time(nullptr)); }

int COleDateTime::SetDateTime(int year, int month, int day, int hour, int minute, int second) {
    if (NUVCom::DateFromParts(year, month, day, hour, minute, second, m_dt)) {
        m_status = valid;
        return 0;
    }
    m_dt = 0;
    m_status = invalid;
    return 1;
}

#define NUV_DATE_PART(name, field)            \
    int COleDateTime::name() const {          \
        Parts p;                              \
        if (m_status != valid || !Split(m_dt, p)) return -1; \
        return field;                         \
    }
NUV_DATE_PART(GetYear, p.y)
NUV_DATE_PART(GetMonth, p.mo)
NUV_DATE_PART(GetDay, p.d)
NUV_DATE_PART(GetHour, p.h)
NUV_DATE_PART(GetMinute, p.mi)
NUV_DATE_PART(GetSecond, p.s)
NUV_DATE_PART(GetDayOfWeek, p.wday + 1)
NUV_DATE_PART(GetDayOfYear, p.yday + 1)
#undef NUV_DATE_PART

CString COleDateTime::Format(const char* format) const {
    if (m_status == null) return CString();
    Parts p;
    if (m_status != valid || !Split(m_dt, p)) return CString("Invalid DateTime");
    std::tm tm{};
    tm.tm_year = p.y - 1900;
    tm.tm_mon = p.mo - 1;
    tm.tm_mday = p.d;
    tm.tm_hour = p.h;
    tm.tm_min = p.mi;
    tm.tm_sec = p.s;
    tm.tm_wday = p.wday;
    tm.tm_yday = p.yday;
    const char* f = format && *format ? format : "%Y-%m-%d %H:%M:%S";
    char buf[512];
    std::size_t n = std::strftime(buf, sizeof buf, f, &tm);
    return CString(buf, static_cast<int>(n));
}

bool COleDateTime::ParseDateTime(const char* text) {
    m_status = invalid;
    m_dt = 0;
    if (!text) return false;
    while (*text == ' ' || *text == '\t') ++text;
    int y = 1899, mo = 12, d = 30, h = 0, mi = 0, s = 0, used = 0;
    const char* rest = text;
    char sep1 = 0, sep2 = 0;
    if (std::sscanf(text, "%d%c%d%c%d%n", &y, &sep1, &mo, &sep2, &d, &used) == 5 && sep1 == sep2 &&
        (sep1 == '-' || sep1 == '/')) {
        rest = text + used;
        if (*rest == 'T' || *rest == ' ') ++rest;
        while (*rest == ' ') ++rest;
    } else {
        y = 1899, mo = 12, d = 30;
    }
    if (*rest) {
        int n = std::sscanf(rest, "%d:%d%n", &h, &mi, &used);
        if (n < 2) return false;
        rest += used;
        if (*rest == ':') {
            ++rest;
            if (std::sscanf(rest, "%d%n", &s, &used) != 1) return false;
            rest += used;
        }
        while (*rest == ' ') ++rest;
        if (*rest) return false;
    } else if (rest == text) {
        return false;
    }
    return SetDateTime(y, mo, d, h, mi, s) == 0;
}

COleDateTime COleDateTime::operator+(double days) const {
    COleDateTime r(*this);
    if (m_status != valid) return r;
    r.m_dt = FromLinear(Linear(m_dt) + days);
    r.CheckRange();
    return r;
}

double COleDateTime::operator-(const COleDateTime& o) const { return Linear(m_dt) - Linear(o.m_dt); }

bool COleDateTime::operator<(const COleDateTime& o) const { return Linear(m_dt) < Linear(o.m_dt); }

// --- Currency ---

int COleCurrency::SetCurrency(std::int32_t units, std::int32_t fractionalUnits) {
    m_cur.int64 = static_cast<std::int64_t>(units) * 10000 + fractionalUnits;
    m_status = valid;
    return 0;
}

CString COleCurrency::Format() const {
    if (m_status != valid) return CString();
    std::int64_t v = m_cur.int64;
    bool neg = v < 0;
    unsigned long long a = neg ? 0ull - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
    // Formatted into a fixed buffer: g++ 12 at -O3 misjudges the std::string appends here.
    char out[32];
    int n = std::snprintf(out, sizeof out, "%s%llu", neg ? "-" : "", a / 10000);
    unsigned frac = static_cast<unsigned>(a % 10000);
    if (frac) {
        n += std::snprintf(out + n, sizeof out - static_cast<std::size_t>(n), ".%04u", frac);
        while (out[n - 1] == '0') out[--n] = '\0';
    }
    return CString(out);
}

bool COleCurrency::ParseCurrency(const char* text) {
    m_status = invalid;
    m_cur.int64 = 0;
    if (!text) return false;
    while (*text == ' ') ++text;
    bool neg = false;
    if (*text == '-' || *text == '+') neg = *text++ == '-';
    unsigned long long whole = 0;
    int digits = 0;
    while (*text >= '0' && *text <= '9') {
        whole = whole * 10 + static_cast<unsigned>(*text++ - '0');
        if (++digits > 15) return false;
    }
    unsigned long long frac = 0;
    int fd = 0;
    if (*text == '.') {
        ++text;
        while (*text >= '0' && *text <= '9') {
            if (fd < 4) frac = frac * 10 + static_cast<unsigned>(*text - '0'), ++fd;
            ++text, ++digits;
        }
    }
    while (*text == ' ') ++text;
    if (*text || digits == 0) return false;
    while (fd < 4) frac *= 10, ++fd;
    auto v = static_cast<std::int64_t>(whole * 10000 + frac);
    m_cur.int64 = neg ? -v : v;
    m_status = valid;
    return true;
}

COleCurrency COleCurrency::operator+(const COleCurrency& o) const {
    COleCurrency r;
    r.m_status = m_status == valid && o.m_status == valid ? valid : invalid;
    if (__builtin_add_overflow(m_cur.int64, o.m_cur.int64, &r.m_cur.int64)) r.m_status = invalid;
    return r;
}

COleCurrency COleCurrency::operator-(const COleCurrency& o) const {
    COleCurrency r;
    r.m_status = m_status == valid && o.m_status == valid ? valid : invalid;
    if (__builtin_sub_overflow(m_cur.int64, o.m_cur.int64, &r.m_cur.int64)) r.m_status = invalid;
    return r;
}
