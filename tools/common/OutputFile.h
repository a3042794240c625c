// The rule every tool follows before it writes a file the user named: a file that is already there
// is replaced only when the user said --force, and never when it is one of the files the command
// reads, however it is reached (another spelling, a symbolic or a hard link: the identity of the
// file decides, not its name).
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace nuvtools {

struct OutputRefused : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Throws OutputRefused naming `out` when the rule forbids writing it. Paths are native.
void CheckOutputFile(const std::string& out, bool force, const std::vector<std::string>& inputs);

// True when both paths lead to the same file (device and inode, through links); false when
// either does not exist.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace nuvtools
