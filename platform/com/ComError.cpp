#include "com/ComError.h"

#include <cstdio>
#include <cstring>

std::uint16_t _com_error::WCode() const {
    auto code = static_cast<std::uint32_t>(hr_);
    if (code >= 0x80040200u && code <= 0x8004FFFFu) return static_cast<std::uint16_t>(code - 0x80040200u);
    return 0;
}

const char* _com_error::ErrorMessage() const {
    if (!message_) {
        auto text = std::make_shared<std::string>();
        auto code = static_cast<std::uint32_t>(hr_);
        if (const char* sys = NUVCom::SystemMessage(hr_)) {
            *text = sys;
            // The system's texts end with a line break the report does not want.
            if (text->size() > 1 && text->back() == '\n') {
                text->pop_back();
                if (!text->empty() && text->back() == '\r') text->pop_back();
            }
        } else {
            char buf[64];
            if (code >= 0x80040201u && code <= 0x8004FFFFu)
                std::snprintf(buf, sizeof buf, "IDispatch error #%d", static_cast<int>(static_cast<std::uint16_t>(code - 0x80040200u)));
            else
                std::snprintf(buf, sizeof buf, "Unknown error 0x%0lX", static_cast<unsigned long>(code));
            *text = buf;
        }
        message_ = std::move(text);
    }
    return message_->c_str();
}

void _com_issue_error(HRESULT hr) { throw _com_error(hr); }

void _com_issue_errorex(HRESULT hr, const char* source, const char* description) {
    throw _com_error(hr, _bstr_t(source), _bstr_t(description));
}
