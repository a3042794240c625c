// Raising the ADO layer's errors: _com_error with the real HRESULT, the object that failed as the
// source and the provider's wording as the description (callers match on both).
#pragma once

#include <string>

#include "ado/Ado.h"

namespace NUVADO::detail {

inline constexpr const char* kEngineSource = "Microsoft JET Database Engine";
inline constexpr const char* kRecordsetSource = "ADODB.Recordset";
inline constexpr const char* kFieldSource = "ADODB.Field";
inline constexpr const char* kFieldsSource = "ADODB.Fields";
inline constexpr const char* kConnectionSource = "ADODB.Connection";
inline constexpr const char* kCommandSource = "ADODB.Command";
inline constexpr const char* kParameterSource = "ADODB.Parameter";

// Raises _com_error with a UTF-8 description (converted for the error object).
[[noreturn]] void Raise(unsigned hr, const std::string& description, const char* source);
// The ADO messages for the common layer errors.
[[noreturn]] void RaiseClosed(const char* source);
[[noreturn]] void RaiseNoCurrentRecord();
[[noreturn]] void RaiseNotSupported(const std::string& what);
[[noreturn]] void RaiseBadArgument(const char* source);
[[noreturn]] void RaiseItemNotFound(const std::string& name);

}  // namespace NUVADO::detail
