// Finding files the way the host does: acedFindFile and the search order behind it (the current
// drawing's folder, the support path, the current folder), and the installation folder the
// host's own files live in.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Finds a file: a name with a folder is checked where it says (relative to the current folder);
// a bare name is looked for in the current drawing's folder, each folder of the support path
// and the current folder, in that order. The real path (as on disk, GBK) comes back in
// `result`. RTNORM, or RTERROR when the file is not found or the path does not fit (bufferLength
// bytes, terminator included; the two-argument form allows MAX_PATH).
int acedFindFile(const char* name, char* result, std::size_t bufferLength);
int acedFindFile(const char* name, char* result);

class AcApDocument;

namespace NUVAcad {

// The installation folder (share/nuv of the installation or build tree, or $NUV_INSTALL_DIR),
// native, without a trailing separator.
std::string InstallationFolder();
// The support path: the folders of $NUV_SUPPORT_PATH (separated by ";" or ":") then the
// installation's support folder, native.
std::vector<std::string> SupportPath();
// acedFindFile as a function: true and the real path (GBK). The drawing's folder is that of
// `document` (the current document when null).
bool FindFile(const std::string& gbkName, std::string& gbkFound, const AcApDocument* document = nullptr);
// The real path (native, absolute) of an existing regular file named by a GBK path, or empty.
std::string RealFilePath(const std::string& gbkPath);

}  // namespace NUVAcad
