// COleDateTime and COleCurrency: a date (days since 30 December 1899, fraction = time of day)
// and a currency amount (ten-thousandths), each with a status: valid, invalid or null.
#pragma once

#include <ctime>

#include "com/ComTypes.h"
#include "win/CString.h"

class COleDateTimeSpan;

class COleDateTime {
public:
    enum DateTimeStatus { valid = 0, invalid = 1, null = 2 };
    // The calendar's range, 100-01-01 to 9999-12-31 23:59:59; a value outside is invalid.
    static constexpr DATE kMinDate = -657434.0;
    static constexpr DATE kMaxDate = 2958465.99999999;

    COleDateTime() : m_dt(0), m_status(valid) {}
    COleDateTime(DATE dt) : m_dt(dt), m_status(valid) { CheckRange(); }
    COleDateTime(int year, int month, int day, int hour, int minute, int second) {
        SetDateTime(year, month, day, hour, minute, second);
    }
    COleDateTime(std::time_t t);

    static COleDateTime GetCurrentTime();

    DateTimeStatus GetStatus() const { return m_status; }
    void SetStatus(DateTimeStatus s) { m_status = s; }
    operator DATE() const { return m_dt; }

    // 0 on success; an impossible date makes the value invalid (status 1) and returns 1.
    int SetDateTime(int year, int month, int day, int hour, int minute, int second);
    int SetDate(int year, int month, int day) { return SetDateTime(year, month, day, 0, 0, 0); }
    int SetTime(int hour, int minute, int second) { return SetDateTime(1899, 12, 30, hour, minute, second); }

    // Parts of a valid value; -1 (the error value) when the status is not valid.
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const;  // 1 = Sunday
    int GetDayOfYear() const;

    // strftime-style codes. The empty format gives "%Y-%m-%d %H:%M:%S". An invalid value gives
    // "Invalid DateTime", a null value the empty text.
    CString Format(const char* format = nullptr) const;
    // Reads "2006-05-01 13:45:00", "2006/5/1", "2006-05-01T13:45:00", "13:45" and the like;
    // false (and status invalid) when the text is not a date.
    bool ParseDateTime(const char* text);

    COleDateTime& operator=(DATE dt) {
        m_dt = dt;
        m_status = valid;
        CheckRange();
        return *this;
    }
    COleDateTime operator+(double days) const;
    COleDateTime operator-(double days) const { return *this + (-days); }
    double operator-(const COleDateTime& o) const;  // days between, by the time line
    bool operator==(const COleDateTime& o) const { return m_status == o.m_status && m_dt == o.m_dt; }
    bool operator<(const COleDateTime& o) const;
    bool operator>(const COleDateTime& o) const { return o < *this; }

    DATE m_dt;
    DateTimeStatus m_status;

private:
    void CheckRange() {
        if (!(m_dt >= kMinDate && m_dt <= kMaxDate)) m_status = invalid;
    }
};

class COleCurrency {
public:
    enum CurrencyStatus { valid = 0, invalid = 1, null = 2 };

    COleCurrency() : m_status(valid) { m_cur.int64 = 0; }
    COleCurrency(CY cy) : m_cur(cy), m_status(valid) {}
    // Whole units and ten-thousandths (both with the same sign).
    COleCurrency(std::int32_t units, std::int32_t fractionalUnits) { SetCurrency(units, fractionalUnits); }

    CurrencyStatus GetStatus() const { return m_status; }
    void SetStatus(CurrencyStatus s) { m_status = s; }
    int SetCurrency(std::int32_t units, std::int32_t fractionalUnits);
    operator CY() const { return m_cur; }
    double ToDouble() const { return static_cast<double>(m_cur.int64) / 10000.0; }

    // "12.3456" trimmed of trailing fraction zeros ("12.5", "12"); null gives "", invalid "".
    CString Format() const;
    bool ParseCurrency(const char* text);

    COleCurrency operator+(const COleCurrency& o) const;
    COleCurrency operator-(const COleCurrency& o) const;
    bool operator==(const COleCurrency& o) const { return m_status == o.m_status && m_cur.int64 == o.m_cur.int64; }
    bool operator<(const COleCurrency& o) const { return m_cur.int64 < o.m_cur.int64; }

    CY m_cur;
    CurrencyStatus m_status;
};

namespace NUVCom {
// Calendar conversions of COM dates, shared with the variant coercions and the database layer.
bool DateFromParts(int year, int month, int day, int hour, int minute, int second, DATE& out);
// Splits a date; false outside years 100..9999.
bool DateToParts(DATE dt, int& year, int& month, int& day, int& hour, int& minute, int& second);
}  // namespace NUVCom
