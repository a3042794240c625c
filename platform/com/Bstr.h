// _bstr_t: a shared, reference-counted wide string (BSTR, UTF-16). Narrow text crossing it is
// the kernel's code page 936 (GBK); the narrow form is made once and kept.
#pragma once

#include <memory>
#include <string>

#include "com/ComTypes.h"
#include "win/CString.h"

class _bstr_t {
public:
    _bstr_t() = default;  // a null string (no BSTR at all)
    _bstr_t(const char* gbk);
    _bstr_t(const CString& gbk) : _bstr_t(gbk.GetString()) {}
    _bstr_t(const std::string& gbk) : _bstr_t(gbk.c_str()) {}
    _bstr_t(const OLECHAR* wide);
    _bstr_t(std::u16string_view wide);
    // Wraps a BSTR; with copy false the string is adopted and freed by this object.
    _bstr_t(BSTR bstr, bool copy);

    // The GBK text; nullptr for a null string.
    operator const char*() const;
    // The wide text; nullptr for a null string.
    operator const OLECHAR*() const { return wstr(); }
    const OLECHAR* wstr() const { return data_ ? data_->wide : nullptr; }
    BSTR GetBSTR() const { return data_ ? data_->wide : nullptr; }
    // A fresh BSTR owned by the caller (SysFreeString).
    BSTR copy() const;
    // Releases the string and hands the BSTR to the caller.
    BSTR Detach();
    void Attach(BSTR bstr);
    void Assign(BSTR bstr);

    std::uint32_t length() const { return data_ ? SysStringLen(data_->wide) : 0; }
    bool operator!() const { return !data_; }
    // The text as UTF-8, straight from the wide form: every character kept (an unpaired surrogate,
    // which UTF-8 cannot hold, becomes U+FFFD).
    std::string utf8() const;
    std::u16string u16() const;

    _bstr_t& operator+=(const _bstr_t& o);
    friend _bstr_t operator+(const _bstr_t& a, const _bstr_t& b) {
        _bstr_t r = a.Clone();
        r += b;
        return r;
    }
    // Null and empty compare equal, as the runtime treats a null BSTR as an empty one.
    friend bool operator==(const _bstr_t& a, const _bstr_t& b) { return a.u16() == b.u16(); }
    friend bool operator<(const _bstr_t& a, const _bstr_t& b) { return a.u16() < b.u16(); }

private:
    struct Data {
        BSTR wide = nullptr;
        mutable std::unique_ptr<std::string> narrow;
        ~Data();
    };
    _bstr_t Clone() const;
    std::shared_ptr<Data> data_;
};
