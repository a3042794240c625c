#include "ado/Errors.h"

#include "ado/TextConvert.h"

namespace NUVADO::detail {

void Raise(unsigned hr, const std::string& description, const char* source) {
    std::u16string d = NUVWin::Utf8ToUtf16(description);
    throw _com_error(static_cast<HRESULT>(hr), _bstr_t(source), _bstr_t(std::u16string_view(d)));
}

void RaiseClosed(const char* source) {
    Raise(adErrObjectClosed, "Operation is not allowed when the object is closed.", source);
}

void RaiseNoCurrentRecord() {
    Raise(adErrNoCurrentRecord,
          "Either BOF or EOF is True, or the current record has been deleted. Requested operation requires a current record.",
          kRecordsetSource);
}

void RaiseNotSupported(const std::string& what) {
    Raise(adErrFeatureNotAvailable,
          "Current Recordset does not support " + what + ". This may be a limitation of the provider, or of the selected locktype.",
          kRecordsetSource);
}

void RaiseBadArgument(const char* source) {
    Raise(adErrInvalidArgument, "Arguments are of the wrong type, are out of acceptable range, or are in conflict with one another.", source);
}

void RaiseItemNotFound(const std::string& name) {
    Raise(adErrItemNotFound,
          "Item cannot be found in the collection corresponding to the requested name or ordinal ('" + name + "').",
          kFieldsSource);
}

}  // namespace NUVADO::detail
