// Settings on the registry (ZQSoft) and the drawing's records (ZQCAD's OxData).
#include "settings/SettingsStore.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "ZQCAD/OxData.h"
#include "ZQSoft/RegistryValues.h"

namespace NUV {
namespace {

const char kDictionary[] = "NUVSetting";

// atoi without its undefined overflow: the leading number, clamped to int.
int LeadingInt(const char* text) {
    char* end = nullptr;
    long long v = std::strtoll(text, &end, 10);
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

// atof, except that "inf" and "nan" are not numbers a setting can hold.
double LeadingDouble(const char* text) {
    double v = std::strtod(text, nullptr);
    return std::isfinite(v) ? v : 0.0;
}

// The two-level read: the drawing's record, else the user value, else 0.
int DrawingOrUserInt(const char* recordKey, const char* userName) {
    int v = 0;
    if (OxData::GetDWGxRecord(kDictionary, recordKey, 1070, v, 0) != 0) GetNUVKey(userName, v);
    return v;
}

double DrawingOrUserDouble(const char* recordKey, const char* userName) {
    double v = 0.0;
    if (OxData::GetDWGxRecord(kDictionary, recordKey, 1040, v, 0) != 0) GetNUVKey(userName, v);
    return v;
}

int WriteBothInt(const char* recordKey, const char* userName, int v) {
    OxData::SetDWGxRecord(kDictionary, recordKey, 1070, v, 0);
    return SetNUVKey(userName, v);
}

int WriteBothDouble(const char* recordKey, const char* userName, double v) {
    OxData::SetDWGxRecord(kDictionary, recordKey, 1040, v, 0);
    return SetNUVKey(userName, v);
}

double UserDouble(const char* userName, double start) {
    double v = start;
    GetNUVKey(userName, v);
    return v;
}

}  // namespace

int GetNUVKey(const char* name, CString& value) {
    return ZQ::GetRegStr(HKEY_CURRENT_USER, ZQ::GetSoftRegItem(), name, value) ? 1 : 0;
}

int GetNUVKey(const char* name, double& value) {
    CString text;
    if (!GetNUVKey(name, text)) return 0;
    value = LeadingDouble(text);
    return 1;
}

int GetNUVKey(const char* name, int& value) {
    CString text;
    if (!GetNUVKey(name, text)) return 0;
    value = LeadingInt(text);
    return 1;
}

int GetNUVKey(const char* name, char* buffer, unsigned size) {
    CString text;
    if (!buffer || !GetNUVKey(name, text)) return 0;
    if (static_cast<unsigned>(text.GetLength()) >= size) return 0;
    std::memcpy(buffer, text.GetString(), static_cast<std::size_t>(text.GetLength()) + 1);
    return 1;
}

int SetNUVKey(const char* name, const char* value) {
    return ZQ::SetRegStr(HKEY_CURRENT_USER, ZQ::GetSoftRegItem(), name, value) ? 1 : 0;
}

int SetNUVKey(const char* name, const double& value) {
    CString text;
    text.Format("%f", value);
    return SetNUVKey(name, text.GetString());
}

int SetNUVKey(const char* name, const int& value) {
    CString text;
    text.Format("%d", value);
    return SetNUVKey(name, text.GetString());
}

int GetNUVPrjName(CString& name) { return GetNUVKey("PrjName", name); }

int GetNUVScale() {
    int v = DrawingOrUserInt("NUVScale", "scale");
    return v < 1 ? 100 : v;
}

int SetNUVScale(int scale) { return scale < 1 ? 0 : WriteBothInt("NUVScale", "scale", scale); }

double GetNUVZwTextHigh() {
    double v = DrawingOrUserDouble("NUVZwTextHigh", "texthigh");
    return v > 0 ? v : 3.5;
}

int SetNUVZwTextHigh(double height) {
    if (!(height > 0) || !std::isfinite(height)) return 0;
    return WriteBothDouble("NUVZwTextHigh", "texthigh", height);
}

double GetNUVXwTextHigh() {
    double v = DrawingOrUserDouble("NUVXwTextHigh", "xwtexthigh");
    return v > 0 ? v : 2.5;
}

int SetNUVXwTextHigh(double height) {
    if (!(height > 0) || !std::isfinite(height)) return 0;
    return WriteBothDouble("NUVXwTextHigh", "xwtexthigh", height);
}

int GetNUVDecDig() {
    int v = DrawingOrUserInt("NUVDecDig", "NUVDecDig");
    return v < 0 ? 0 : v;
}

int SetNUVDecDig(int digits) { return WriteBothInt("NUVDecDig", "NUVDecDig", digits < 0 ? 0 : digits); }

double GetWindPipeFLOutLength() {
    double v = UserDouble("fgflc", 1.0);
    return v < 0 ? 0.0 : v;
}

int SetWindPipeFLOutLength(double length) {
    if (length < 0 || !std::isfinite(length)) return 0;
    return SetNUVKey("fgflc", length);
}

double GetNUVKTLgZj() {
    double v = UserDouble("ktlgzj", 1.0);
    return v < 0 ? 1.0 : v;
}

int SetNUVKTLgZj(double factor) { return SetNUVKey("ktlgzj", factor < 0 || !std::isfinite(factor) ? 1.0 : factor); }

double GetNUVKTSgZj() {
    double v = UserDouble("ktsgzj", 1.5);
    return v < 0 ? 1.5 : v;
}

int SetNUVKTSgZj(double factor) { return SetNUVKey("ktsgzj", factor < 0 || !std::isfinite(factor) ? 1.5 : factor); }

}  // namespace NUV
