// String values of the suite's registry key, read and written through the registry API.
#include "ZQSoft/RegistryValues.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "win/Encoding.h"

namespace ZQ {
namespace {

// %NAME% replaced by the variable's value; an undefined name or a lone % stays as written, as
// the platform's own expansion does. Values are taken as UTF-8 and turned into GBK.
std::string Expand(const std::string& text) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t open = text.find('%', i);
        if (open == std::string::npos) break;
        std::size_t close = text.find('%', open + 1);
        if (close == std::string::npos) break;
        out.append(text, i, open - i);
        std::string name = text.substr(open + 1, close - open - 1);
        const char* value = name.empty() ? nullptr : std::getenv(name.c_str());
        if (value) {
            out += NUVWin::Utf8ToGbk(value);
            i = close + 1;
        } else {
            // Keep "%NAME" and look again from the closing %, which may open the next reference.
            out.append(text, open, close - open);
            i = close;
        }
    }
    out.append(text, i, std::string::npos);
    return out;
}

}  // namespace

CString GetSoftRegItem() { return CString("Software\\NUV"); }

bool GetRegStr(HKEY hive, const char* subKey, const char* valueName, CString& out) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(hive, subKey ? subKey : "", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    DWORD type = 0, size = 0;
    LONG rc = RegQueryValueExA(key, valueName, nullptr, &type, nullptr, &size);
    std::vector<BYTE> data;
    // The value may change between the two calls (another process writes): ask again then.
    while (rc == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
        data.assign(size + 1, 0);
        DWORD got = size;
        rc = RegQueryValueExA(key, valueName, nullptr, &type, data.data(), &got);
        if (rc == ERROR_MORE_DATA) {
            size = got;
            rc = ERROR_SUCCESS;
            continue;
        }
        size = got;
        break;
    }
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    std::string text(reinterpret_cast<const char*>(data.data()), size);
    if (std::size_t zero = text.find('\0'); zero != std::string::npos) text.resize(zero);
    out = CString(type == REG_EXPAND_SZ ? Expand(text) : text);
    return true;
}

bool SetRegStr(HKEY hive, const char* subKey, const char* valueName, const char* value) {
    if (!value) return false;
    HKEY key = nullptr;
    if (RegCreateKeyExA(hive, subKey ? subKey : "", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    std::string text(value);
    LONG rc = RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

}  // namespace ZQ
