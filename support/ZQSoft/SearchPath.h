// The host's library search path: the process variable "Path", a list of folders separated by
// ";" (":" is read as a separator too). The host's module loader looks there for libraries a
// module needs; while "Path" is unset it reads "PATH" instead.
#pragma once

namespace ZQ {

// Name of the variable the host's loader reads.
inline constexpr const char* kSearchPathVariable = "Path";

// Appends the folder to "Path" (started from "PATH" when "Path" is unset), unless the list
// already holds it (compared without trailing separators). The folder is kept as given (GBK,
// either separator). False for a null or empty folder, or a folder whose name holds a list
// separator; the variable is then unchanged. The caller saves and restores "Path" around a load
// when the folder should not stay.
bool AddPathEnvironmentVariable(const char* folder);

}  // namespace ZQ
