// _com_error: the error object a failing component call raises. It carries the result code, and
// optionally the source and description the failing object reported.
#pragma once

#include <memory>
#include <string>

#include "com/Bstr.h"
#include "com/ComTypes.h"

class _com_error {
public:
    explicit _com_error(HRESULT hr) : hr_(hr) {}
    _com_error(HRESULT hr, _bstr_t source, _bstr_t description)
        : hr_(hr), source_(std::move(source)), description_(std::move(description)) {}
    virtual ~_com_error() = default;

    HRESULT Error() const { return hr_; }
    std::uint16_t WCode() const;
    // The system message for the code without its trailing line break, or for codes the system
    // has no text for "IDispatch error #N" (0x80040201..0x8004FFFF) or "Unknown error 0x...".
    // Made once per error object and kept.
    const char* ErrorMessage() const;
    // Null when the failing object reported none.
    _bstr_t Source() const { return source_; }
    _bstr_t Description() const { return description_; }

private:
    HRESULT hr_;
    _bstr_t source_;
    _bstr_t description_;
    mutable std::shared_ptr<std::string> message_;
};

[[noreturn]] void _com_issue_error(HRESULT hr);
// Raises an error with the source and description of the object that failed.
[[noreturn]] void _com_issue_errorex(HRESULT hr, const char* source, const char* description);
