#include "com/Bstr.h"

#include "win/Encoding.h"

_bstr_t::Data::~Data() { SysFreeString(wide); }

_bstr_t::_bstr_t(const char* gbk) {
    if (!gbk) return;
    data_ = std::make_shared<Data>();
    // Plain ASCII (names, SQL, numbers) widens byte by byte; only other text needs the converter.
    std::size_t n = 0;
    bool ascii = true;
    for (; gbk[n]; ++n)
        if (static_cast<unsigned char>(gbk[n]) >= 0x80) ascii = false;
    if (ascii) {
        data_->wide = SysAllocStringLen(nullptr, static_cast<std::uint32_t>(n));
        for (std::size_t i = 0; i < n; ++i) data_->wide[i] = static_cast<OLECHAR>(gbk[i]);
        return;
    }
    std::u16string w = NUVWin::GbkToUtf16(gbk);
    data_->wide = SysAllocStringLen(w.data(), static_cast<std::uint32_t>(w.size()));
}

_bstr_t::_bstr_t(const OLECHAR* wide) {
    if (!wide) return;
    data_ = std::make_shared<Data>();
    data_->wide = SysAllocString(wide);
}

_bstr_t::_bstr_t(std::u16string_view wide) {
    data_ = std::make_shared<Data>();
    data_->wide = SysAllocStringLen(wide.data(), static_cast<std::uint32_t>(wide.size()));
}

_bstr_t::_bstr_t(BSTR bstr, bool copy) {
    if (copy) {
        if (!bstr) return;
        data_ = std::make_shared<Data>();
        data_->wide = SysAllocStringLen(bstr, SysStringLen(bstr));
    } else {
        Attach(bstr);
    }
}

_bstr_t::operator const char*() const {
    if (!data_) return nullptr;
    if (!data_->narrow) {
        std::uint32_t n = SysStringLen(data_->wide);
        bool ascii = true;
        for (std::uint32_t i = 0; i < n && ascii; ++i) ascii = data_->wide[i] < 0x80;
        if (ascii) {
            auto narrow = std::make_unique<std::string>(n, '\0');
            for (std::uint32_t i = 0; i < n; ++i) (*narrow)[i] = static_cast<char>(data_->wide[i]);
            data_->narrow = std::move(narrow);
        } else {
            data_->narrow = std::make_unique<std::string>(NUVWin::Utf16ToGbk(u16()));
        }
    }
    return data_->narrow->c_str();
}

std::u16string _bstr_t::u16() const {
    if (!data_ || !data_->wide) return {};
    return std::u16string(data_->wide, SysStringLen(data_->wide));
}

std::string _bstr_t::utf8() const {
    if (!data_ || !data_->wide) return {};
    return NUVWin::Utf16ToUtf8(std::u16string_view(data_->wide, SysStringLen(data_->wide)));
}

BSTR _bstr_t::copy() const {
    if (!data_) return nullptr;
    return SysAllocStringLen(data_->wide, SysStringLen(data_->wide));
}

BSTR _bstr_t::Detach() {
    if (!data_) return nullptr;
    BSTR b;
    if (data_.use_count() == 1) {
        b = data_->wide;
        data_->wide = nullptr;
    } else {
        b = copy();
    }
    data_.reset();
    return b;
}

void _bstr_t::Attach(BSTR bstr) {
    data_.reset();
    if (!bstr) return;
    data_ = std::make_shared<Data>();
    data_->wide = bstr;
}

void _bstr_t::Assign(BSTR bstr) { *this = _bstr_t(bstr, true); }

_bstr_t _bstr_t::Clone() const {
    if (!data_) return {};
    return _bstr_t(data_->wide, true);
}

_bstr_t& _bstr_t::operator+=(const _bstr_t& o) {
    std::u16string s = u16() + o.u16();
    *this = _bstr_t(std::u16string_view(s));
    return *this;
}
