// The validated edit field. The checks work on the text's bytes in place (no copies, no heap);
// the window side reads the text once per validation and paints with the brush of the verdict.
#include "controls/SuperEdit.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "mfc/WindowApi.h"

namespace {

// The characters of each class (0 and 1 take none from here).
const char* const kClassChars[] = {
    "",
    "",
    " abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789",
    " abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ",
    "0123456789",
    "-+0123456789",
    "abcdefABCDEF0123456789",
    "01234567",
    "01",
    "0123456789+-.Ee",
};

const COLORREF kDefaultColours[6] = {0 /* window */, 0 /* window */, 0x0000FF, 0x80FFFF, 0xC4C4FF, 0xFFBEBE};

COLORREF DefaultColour(int brush) { return brush <= 1 ? GetSysColor(COLOR_WINDOW) : kDefaultColours[brush]; }

bool Numeric(VVEset set) { return set >= VVE_UINT && set <= VVE_FLOAT; }

bool In(char c, const char* set) { return c && std::strchr(set, c) != nullptr; }

// Skips the leading characters of a set.
const char* SkipLeading(const char* p, const char* set) {
    while (In(*p, set)) ++p;
    return p;
}

std::size_t Run(const char* p, const char* set) {
    std::size_t n = 0;
    while (In(p[n], set)) ++n;
    return n;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The runtime's reading of a 64-bit integer: blanks, a sign, digits, stopping at anything else.
long long ReadInteger(const char* p) {
    while (*p == ' ' || *p == '\t') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    unsigned long long v = 0;
    for (; IsDigit(*p); ++p) {
        if (v > 922337203685477580ULL) v = 9223372036854775807ULL;  // saturate, as the runtime does
        else v = v * 10 + static_cast<unsigned>(*p - '0');
        if (v > 9223372036854775807ULL) v = 9223372036854775807ULL;
    }
    return negative ? -static_cast<long long>(v) : static_cast<long long>(v);
}

// A decimal floating-point number at the start of p (blanks, sign, digits, point, exponent), as
// the platform's runtime reads one: no hexadecimal, no "inf" or "nan". end is where it stops.
double ReadDouble(const char* p, const char** end) {
    const char* s = p;
    while (*s == ' ' || *s == '\t') ++s;
    const char* start = s;
    if (*s == '+' || *s == '-') ++s;
    bool digits = false;
    while (IsDigit(*s)) ++s, digits = true;
    if (*s == '.') {
        ++s;
        while (IsDigit(*s)) ++s, digits = true;
    }
    if (!digits) {
        *end = p;
        return 0.0;
    }
    if (*s == 'e' || *s == 'E') {
        const char* e = s + 1;
        if (*e == '+' || *e == '-') ++e;
        if (IsDigit(*e)) {
            while (IsDigit(*e)) ++e;
            s = e;
        }
    }
    // strtod reads the same digits; copying them keeps it from reading further (hex, inf).
    char buffer[512];
    const std::size_t n = static_cast<std::size_t>(s - start);
    double v;
    if (n < sizeof buffer) {
        std::memcpy(buffer, start, n);
        buffer[n] = '\0';
        v = std::strtod(buffer, nullptr);
    } else {
        // A number longer than any field allows: its value is all that matters.
        v = std::strtod(start, nullptr);
    }
    *end = s;
    return v;
}

}  // namespace

BEGIN_MESSAGE_MAP(CSuperEdit, CEdit)
ON_WM_CTLCOLOR_REFLECT()
ON_WM_CHAR()
ON_CONTROL_REFLECT_EX(EN_CHANGE, OnChange)
ON_WM_SETFOCUS()
ON_WM_KILLFOCUS()
ON_COMMAND(ID_VVE_UNDO, OnUndo)
ON_COMMAND(ID_VVE_CUT, OnCut)
ON_COMMAND(ID_VVE_COPY, OnCopy)
ON_COMMAND(ID_VVE_PASTE, OnPaste)
ON_COMMAND(ID_VVE_CLEAR, OnClear)
ON_COMMAND(ID_VVE_SELECTALL, OnSelectAll)
END_MESSAGE_MAP()

CSuperEdit::CSuperEdit() {
    for (int i = 0; i < 6; ++i) brushes[i].CreateSolidBrush(DefaultColour(i));
    SetValidCharSet(VVE_ANY);
}

CSuperEdit::~CSuperEdit() = default;

// Configuration.

void CSuperEdit::SetValidCharSet(VVEset set, const char* chars) {
    std::memset(allowed, 0, sizeof allowed);
    validSet = set;
    const int index = static_cast<int>(set);
    anyChar = (index < 0 || index > 9 || set == VVE_ANY) ? 1 : 0;
    rangeCheck = Numeric(set) ? 1 : 0;
    const char* list = set == VVE_CUSTOM ? (chars ? chars : "") : (anyChar ? "" : kClassChars[index]);
    if (set == VVE_CUSTOM) customChars = list;
    for (const char* p = list; *p; ++p) allowed[static_cast<unsigned char>(*p)] = 1;
}

void CSuperEdit::SetValidChars(const char* chars) {
    customChars = chars ? chars : "";
    if (validSet == VVE_CUSTOM) {
        std::memset(allowed, 0, sizeof allowed);
        for (const char* p = customChars.GetString(); *p; ++p) allowed[static_cast<unsigned char>(*p)] = 1;
    }
}

void CSuperEdit::GetValidChars(CString& chars) const { chars = customChars; }

void CSuperEdit::SetTextLenMinMax(int min, int max) {
    if (max < 0 || max > 65535) max = 65535;
    if (min < 0 || min > 65535) min = 0;
    if (max < min) std::swap(min, max);
    minLen = min;
    maxLen = max;
    if (m_hWnd) SetLimitText(static_cast<UINT>(max));
}

void CSuperEdit::SetAllValue(double def, double min, double max) {
    if (max < min) std::swap(min, max);
    if (def < min || def > max) def = min;
    defaultValue = def, minValue = min, maxValue = max;
    if (!m_hWnd) return;
    CString text;
    GetWindowText(text);
    double v = 0.0;
    const bool outside = !text.IsEmpty() && ReadValue(text, v) && (v < min || v > max);
    if ((text.IsEmpty() && !emptyValid) || outside) SetWindowValue(def);
}

void CSuperEdit::GetAllValue(double& def, double& min, double& max) const {
    def = defaultValue, min = minValue, max = maxValue;
}

void CSuperEdit::SetInputNumber(VVEset set, double def, double min, double max, int empty, int tip,
                                const char* text) {
    SetValidCharSet(set);
    emptyValid = empty;
    rangeCheck = lengthCheck = valueCheck = 1;
    disableValidation = 0;
    SetAllValue(def, min, max);
    tipEnabled = tip;
    SetTipText(text);
}

void CSuperEdit::SetInputFloat(double def, double min, double max, int empty, int tip, const char* text) {
    SetInputNumber(VVE_FLOAT, def, min, max, empty, tip, text);
}

void CSuperEdit::SetInputSInt(int def, int min, int max, int empty, int tip, const char* text) {
    SetInputNumber(VVE_SINT, def, min, max, empty, tip, text);
}

void CSuperEdit::SetInputInt(int def, int min, int max, int empty, int tip, const char* text) {
    SetInputNumber(VVE_UINT, def, min, max, empty, tip, text);
}

void CSuperEdit::SetInputFloatSim(double def, int empty, int tip, const char* text) {
    SetInputFloat(def, 0.0, 1e30, empty, tip, text);
}
void CSuperEdit::SetInputSIntSim(int def, int empty, int tip, const char* text) {
    SetInputSInt(def, -100000, 100000, empty, tip, text);
}
void CSuperEdit::SetInputIntSim(int def, int empty, int tip, const char* text) {
    SetInputInt(def, 0, 100000, empty, tip, text);
}

void CSuperEdit::SetCustomErrorIsValid(int which, int isValid) {
    if (which == 1 || which == 2) customErrorValid[which - 1] = isValid;
}

int CSuperEdit::GetCustomErrorIsValid(int which, int& isValid) const {
    if (which != 1 && which != 2) return 0;
    isValid = customErrorValid[which - 1];
    return 1;
}

void CSuperEdit::SetTipText(const char* text) {
    if (!text) {
        tipText.Empty();
        tipIsCustom = 0;
    } else {
        tipText = text;
        tipIsCustom = 1;
    }
}

int CSuperEdit::BrushOf(int s) {
    switch (s) {
        case VVE_EMPTY_ERROR:
        case VVE_EMPTY_OK:
            return BRUSH_NORMAL;
        case VVE_VALID:
            return BRUSH_VALID;
        case VVE_BAD_CHAR:
        case VVE_BELOW_MIN:
        case VVE_ABOVE_MAX:
            return BRUSH_ERROR;
        case VVE_INCOMPLETE:
        case VVE_TOO_SHORT:
        case VVE_TOO_LONG:
        case VVE_TYPE_RANGE:
            return BRUSH_WARNING;
        case VVE_CUSTOM_ERROR1:
            return BRUSH_CUSTOM1;
        case VVE_CUSTOM_ERROR2:
            return BRUSH_CUSTOM2;
        default:
            return -1;
    }
}

int CSuperEdit::SetBrushColour(VVEbrush which, COLORREF colour) {
    const int b = BrushOf(which);
    if (b >= 0) {
        brushes[b].DeleteObject();
        brushes[b].CreateSolidBrush(colour);
        if (m_hWnd) Invalidate();
    }
    return 0;
}

COLORREF CSuperEdit::GetBrushColour(VVEbrush which) const {
    const int b = BrushOf(which);
    if (b < 0) return GetSysColor(COLOR_WINDOW);
    LOGBRUSH lb{};
    if (!brushes[b].GetLogBrush(&lb)) return DefaultColour(b);
    return lb.lbColor;
}

// Queries.

int CSuperEdit::IsValid() const { return disableValidation ? 1 : valid; }
int CSuperEdit::IsValidSyntax() const { return disableValidation ? 1 : syntaxValid; }
int CSuperEdit::IsValidLength() const { return (disableValidation || emptyValid || !lengthCheck) ? 1 : lengthValid; }
int CSuperEdit::IsValidValue() const { return (disableValidation || !valueCheck) ? 1 : valueValid; }

int CSuperEdit::CheckRange(VVEset set, const char* text) {
    if (!text) text = "";
    switch (set) {
        case VVE_UINT: {
            const char* p = SkipLeading(text, "0-+ ");
            if (Run(p, "-+0123456789") > 11) return 1;
            const long long v = ReadInteger(text);
            return v < 0 ? -1 : v > 4294967295LL ? 1 : 0;
        }
        case VVE_HEX: {
            const char* p = SkipLeading(text, "0 ");
            return Run(p, "0123456789abcdefABCDEF") > 8 ? 1 : 0;
        }
        case VVE_OCT: {
            const char* p = SkipLeading(text, "0");
            const std::size_t n = Run(p, "01234567");
            if (n <= 10) return 0;
            if (n == 11) return std::strncmp(p, "37777777777", 11) > 0 ? 1 : 0;
            return 1;
        }
        case VVE_BIN: {
            const char* p = SkipLeading(text, "0 ");
            return Run(p, "01") > 32 ? 1 : 0;
        }
        case VVE_FLOAT: {
            const char* p = SkipLeading(text, "0 ");
            const char* end = nullptr;
            const double v = ReadDouble(p, &end);
            if (std::strstr(end, "INF")) return 1;
            if (!std::isfinite(v)) return 1;
            if (v == 0.0 && std::strpbrk(text, "123456789")) return -1;  // underflow
            return 0;
        }
        default: {
            const char* p = SkipLeading(text, "0-+ ");
            if (Run(p, "-+0123456789") > 11) return 1;
            const long long v = ReadInteger(text);
            return v < -2147483648LL ? -1 : v > 2147483647LL ? 1 : 0;
        }
    }
}

int CSuperEdit::CheckRange(VVEset set, double value) {
    if (!std::isfinite(value)) return 1;
    switch (set) {
        case VVE_UINT:
        case VVE_HEX:
        case VVE_OCT:
        case VVE_BIN:
            return value < 0 ? -1 : value > 4294967295.0 ? 1 : 0;
        case VVE_FLOAT:
            return 0;
        default:
            return value < -2147483648.0 ? -1 : value > 2147483647.0 ? 1 : 0;
    }
}

int CSuperEdit::CheckRange() const {
    CString text;
    if (m_hWnd) GetWindowText(text);
    return CheckRange(validSet, text);
}

bool CSuperEdit::ReadValue(const char* text, double& value) const {
    while (*text == ' ' || *text == '\t') ++text;
    if (!*text) return false;
    int base = 0;
    switch (validSet) {
        case VVE_UINT: base = 10; break;
        case VVE_HEX: base = 16; break;
        case VVE_OCT: base = 8; break;
        case VVE_BIN: base = 2; break;
        case VVE_FLOAT: {
            const char* end = nullptr;
            const double v = ReadDouble(text, &end);
            if (end == text) return false;
            value = v;
            return true;
        }
        default: {
            char* end = nullptr;
            errno = 0;
            const long v = std::strtol(text, &end, 10);
            if (end == text) return false;
            value = static_cast<double>(std::clamp<long>(v, -2147483648L, 2147483647L));
            return true;
        }
    }
    // An unsigned 32-bit number in the class's base; a value beyond it reads as the largest.
    if (*text == '-' || *text == '+') return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long long v = std::strtoull(text, &end, base);
    if (end == text) return false;
    value = static_cast<double>(std::min<unsigned long long>(v, 4294967295ULL));
    return true;
}

int CSuperEdit::GetWindowValue(double& value) const {
    CString text;
    GetWindowText(text);
    double v = 0.0;
    if (!ReadValue(text, v)) return 0;
    value = v;
    return 1;
}

int CSuperEdit::GetWindowValue(long& value) const {
    double v = 0.0;
    if (!GetWindowValue(v)) return 0;
    value = static_cast<long>(std::clamp(v, -9.2e18, 9.2e18));
    return 1;
}

int CSuperEdit::GetWindowValue(unsigned long& value) const {
    double v = 0.0;
    if (!GetWindowValue(v) || v < 0) return 0;
    value = static_cast<unsigned long>(std::min(v, 1.8e19));
    return 1;
}

double CSuperEdit::GetWindowValue() const {
    double v = 0.0;
    return GetWindowValue(v) ? v : 0.0;
}

int CSuperEdit::SetWindowValue(double value, int decimals) {
    // The integer classes write the value truncated to an integer (of 32 bits, as stored).
    const double clamped = std::isfinite(value) ? std::clamp(value, -9.2e18, 9.2e18) : 0.0;
    const long long whole = static_cast<long long>(clamped);
    const unsigned u = static_cast<unsigned>(whole);
    CString text;
    switch (validSet) {
        case VVE_UINT: text.Format("%u", u); break;
        case VVE_HEX: text.Format("%x", u); break;
        case VVE_OCT: text.Format("%o", u); break;
        case VVE_BIN: {
            char bits[33];
            int n = 0;
            for (unsigned v = u; v; v >>= 1) bits[n++] = static_cast<char>('0' + (v & 1));
            if (!n) bits[n++] = '0';
            for (int i = 0; i < n; ++i) text += bits[n - 1 - i];
            break;
        }
        case VVE_FLOAT: {
            CString format;
            format.Format("%%.%df", decimals);
            text.Format(format, value);
            break;
        }
        default: text.Format("%d", static_cast<int>(whole)); break;
    }
    if (m_hWnd) SetWindowText(text);
    const int s = ValidateText(text);
    (void)s;
    return (IsValidSyntax() && CheckRange(validSet, text) == 0) ? 1 : 0;
}

int CSuperEdit::SetWindowValue(long value) { return SetWindowValue(static_cast<double>(value), 0); }
int CSuperEdit::SetWindowValue(unsigned long value) { return SetWindowValue(static_cast<double>(value), 0); }

// Validation.

void CSuperEdit::AskParent(const char* text) {
    HWND parent = m_hWnd ? ::GetParent(m_hWnd) : nullptr;
    VVEINFO info{m_hWnd, m_hWnd ? static_cast<UINT>(GetDlgCtrlID()) : 0, state};
    DWORD_PTR answer = 0;
    const LRESULT ok = parent ? SendMessageTimeout(parent, WM_VVE_VALIDATE, reinterpret_cast<WPARAM>(&info),
                                                   reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 1, &answer)
                              : 0;
    const auto result = static_cast<LONG_PTR>(answer);
    if (!ok || result <= 0 || result > VVE_CUSTOM_ERROR2) {
        // No answer, or none the field knows: the parent leaves it to the field.
        state = VVE_EMPTY_ERROR;
        brush = BRUSH_NORMAL;
        customHandled = 0;
        return;
    }
    customHandled = 1;
    if (result == VVE_BELOW_MIN || result == VVE_ABOVE_MAX) {
        state = VVE_EMPTY_ERROR;
        brush = BRUSH_NORMAL;
        return;
    }
    state = static_cast<int>(result);
    brush = BrushOf(state);
}

int CSuperEdit::ValidateText(const char* text) {
    if (!text) text = "";
    const std::size_t length = std::strlen(text);
    state = VVE_VALID;
    brush = BRUSH_VALID;
    const bool enabled = !disableValidation;

    if (customValidation && enabled) {
        AskParent(text);
    } else if (validSet == VVE_FLOAT) {
        // The number automaton: s0 start, s1 digits, s2 after the point, s3 after the exponent
        // mark, s4 the exponent's digits.
        int s = 0;
        for (const char* p = text; *p;) {
            const char c = *p;
            auto complete = [&] { state = VVE_VALID, brush = BRUSH_VALID; };
            auto incomplete = [&] { state = VVE_INCOMPLETE, brush = BRUSH_WARNING; };
            bool again = false, invalid = false;
            if (c == ' ' || c == '\t') {
                if (s != 0) invalid = true;
            } else if (c == '+' || c == '-') {
                if (s == 0) s = 1, incomplete();
                else if (s == 3) s = 4, incomplete();
                else invalid = true;
            } else if (IsDigit(c)) {
                if (s == 0) s = 1, again = true;
                else if (s == 3) s = 4, again = true;
                else complete();
            } else if (c == '.') {
                if (s == 0) s = 2, incomplete();
                else if (s == 1) s = 2, brush = BRUSH_VALID;
                else invalid = true;
            } else if (c == 'E' || c == 'e') {
                if (s <= 2) s = 3, incomplete();
                else invalid = true;
            } else {
                invalid = true;
            }
            if (invalid) {
                state = VVE_BAD_CHAR;
                brush = BRUSH_ERROR;
                break;
            }
            if (!again) ++p;
        }
    } else {
        if (!anyChar) {
            for (const char* p = text; *p; ++p) {
                if (!allowed[static_cast<unsigned char>(*p)]) {
                    state = VVE_BAD_CHAR;
                    brush = BRUSH_ERROR;
                    break;
                }
            }
        }
        if (validSet == VVE_SINT && brush == BRUSH_VALID) {
            const char* b = text;
            const char* e = text + length;
            while (b < e && *b == ' ') ++b;
            while (e > b && e[-1] == ' ') --e;
            for (const char* p = b; p < e; ++p) {
                if ((p > b && (*p == '+' || *p == '-')) || *p == ' ') {
                    state = VVE_BAD_CHAR;
                    brush = BRUSH_ERROR;
                    break;
                }
            }
            if (brush == BRUSH_VALID && e - b == 1 && (*b == '+' || *b == '-')) {
                state = VVE_INCOMPLETE;
                brush = BRUSH_WARNING;
            }
        }
    }
    // Step 5: the natural range.
    if (brush == BRUSH_VALID && rangeCheck && CheckRange(validSet, text) != 0) {
        state = VVE_TYPE_RANGE;
        brush = BRUSH_WARNING;
    }
    // Step 6: the length.
    const int len = static_cast<int>(length);
    int lengthResult = 0;
    if (lengthCheck && enabled) lengthResult = len < minLen ? -1 : len > maxLen ? 1 : 0;
    // Step 7: the value.
    int valueResult = 0;
    if (length == 0) {
        valueResult = emptyValid ? 0 : -1;
        valueValid = emptyValid ? 1 : 0;
    } else {
        valueValid = 1;
        if (valueCheck && enabled && Numeric(validSet)) {
            double v = 0.0;
            if (!ReadValue(text, v)) v = 0.0;
            valueResult = v < minValue ? -1 : v > maxValue ? 2 : 0;
            valueValid = valueResult == 0 ? 1 : 0;
        }
    }
    // Step 8: the syntax.
    bool syntax = brush == BRUSH_VALID;
    if (state == VVE_CUSTOM_ERROR1 && customErrorValid[0]) syntax = true;
    if (state == VVE_CUSTOM_ERROR2 && customErrorValid[1]) syntax = true;
    if (customValidation && enabled && !customHandled) syntax = true;
    bool lengthOk = lengthResult == 0;
    if (length == 0 && emptyValid) syntax = true, lengthOk = true;
    // Step 9.
    if (syntax && lengthResult == 0) state = VVE_VALID;
    if (lengthResult != 0 && (syntax || lengthCheck)) {
        state = lengthResult < 0 ? VVE_TOO_SHORT : VVE_TOO_LONG;
        brush = BRUSH_WARNING;
    }
    // Step 10: the empty text.
    if (length == 0) {
        if (minLen == 0 && emptyValid) {
            state = VVE_EMPTY_OK;
            brush = BRUSH_NORMAL;
        } else {
            state = VVE_EMPTY_ERROR;
            brush = BRUSH_ERROR;
            lengthOk = false;
        }
    }
    // Step 11: the value's limits.
    if (valueCheck && (valueResult == -1 || valueResult == 2)) {
        state = valueResult < 0 ? VVE_BELOW_MIN : VVE_ABOVE_MAX;
        brush = BRUSH_ERROR;
    }
    // Step 12.
    syntaxValid = syntax ? 1 : 0;
    lengthValid = lengthOk ? 1 : 0;
    const int now = (syntaxValid && lengthValid && valueValid) ? 1 : 0;
    if (now != valid) {
        valid = now;
        TellValidity();
    }
    return state;
}

void CSuperEdit::TellValidity() {
    HWND parent = m_hWnd ? ::GetParent(m_hWnd) : nullptr;
    if (!parent) return;
    VVEINFO info{m_hWnd, static_cast<UINT>(GetDlgCtrlID()), state};
    DWORD_PTR ignored = 0;
    SendMessageTimeout(parent, WM_VVE_VALIDCHANGE, reinterpret_cast<WPARAM>(&info), valid, SMTO_BLOCK, 1, &ignored);
}

void CSuperEdit::DoValidation(int redraw) {
    if (redraw && m_hWnd && IsWindowVisible()) {
        Invalidate();
        UpdateWindow();
        return;
    }
    CString text;
    if (m_hWnd) GetWindowText(text);
    ValidateText(text);
}

// Window behaviour.

HBRUSH CSuperEdit::CtlColor(CDC* dc, UINT nCtlColor) {
    // A read-only or disabled field asks for static colours: it is painted as usual and not
    // validated.
    if (nCtlColor != CTLCOLOR_EDIT) return nullptr;
    if (disableValidation) {
        brush = BRUSH_NORMAL;
    } else {
        CString text;
        GetWindowText(text);
        ValidateText(text);
    }
    LOGBRUSH lb{};
    brushes[brush].GetLogBrush(&lb);
    dc->SetBkColor(lb.lbColor);
    return brushes[brush];
}

void CSuperEdit::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) {
    const bool filtered = nChar >= 0x20 && nChar <= 0xFF && !disableValidation && !anyChar && !allCharEntry;
    if (filtered && !allowed[nChar & 0xFF]) {
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    CEdit::OnChar(nChar, nRepCnt, nFlags);
}

BOOL CSuperEdit::OnChange() {
    if (!disableValidation && IsWindowEnabled() && !(GetStyle() & ES_READONLY)) {
        CString text;
        GetWindowText(text);
        ValidateText(text);
    }
    Invalidate();
    return FALSE;  // the parent hears of the change too
}

void CSuperEdit::OnSetFocus(CWnd* oldWnd) {
    CEdit::OnSetFocus(oldWnd);
    if (!tipEnabled) return;
    if (valueCheck && !tipIsCustom) {
        tipText.Format(NUV_GBK("最小值:%g\n最大值:%g\n默认值:%g"), minValue, maxValue, defaultValue);
    }
    if (!tipRegistered) {
        if (!tooltip.Create(this) || !tooltip.AddTool(this, tipText)) {
            std::fprintf(stderr, "Create ToolTip Error!\n");
            return;
        }
        tooltip.SetMaxTipWidth(400);
        tipRegistered = true;
    }
    tooltip.UpdateTipText(tipText, this);
    tooltip.Activate(TRUE);
}

void CSuperEdit::OnKillFocus(CWnd* newWnd) {
    CEdit::OnKillFocus(newWnd);
    if (!m_hWnd) return;
    if (valueCheck && !disableValidation) {
        CString text;
        GetWindowText(text);
        ValidateText(text);
        if (!valid) SetWindowValue(defaultValue, 2);
    }
}

BOOL CSuperEdit::PreTranslateMessage(MSG* msg) {
    if (tipEnabled && tipRegistered && msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST) {
        // Moving the mouse hides the tip; it shows again once the mouse rests.
        if (msg->message == WM_MOUSEMOVE && !tooltip.GetShownText().IsEmpty()) tooltip.Pop();
        tooltip.RelayEvent(msg);
    }
    return CEdit::PreTranslateMessage(msg);
}

void CSuperEdit::OnUndo() { Undo(); }
void CSuperEdit::OnCut() { Cut(); }
void CSuperEdit::OnCopy() { Copy(); }
void CSuperEdit::OnPaste() { Paste(); }
void CSuperEdit::OnClear() { Clear(); }

void CSuperEdit::OnSelectAll() {
    SetFocus();
    SetSel(0, -1);
    SendMessage(EM_SCROLLCARET);
}
