// What nuvdb's commands share: the parsed command line, the one way a command fails (a message,
// exit status 2, nothing changed), opening a database, and text crossing into and out of the
// database layer, which takes UTF-16: UTF-8 from the command line and files goes straight there.
#pragma once

#include <string>
#include <vector>

#include "db/ADODatabase.h"

namespace nuvdb {

struct Failure {
    std::string message;
};

[[noreturn]] inline void Fail(const std::string& message) { throw Failure{message}; }

struct Args {
    std::vector<std::string> positional;
    const char* password = nullptr;
    bool csv = false;
    bool force = false;
    bool help = false;
};

// Opens the database file; read-only for the commands that only read, so that the engine itself
// refuses any write they might be tricked into.
void Open(CADODatabase& db, const std::string& file, const char* password, bool readOnly);

// The path the database layer will open for a file name (it matches names as the host's file
// system does), to compare files by identity.
std::string NativePath(const std::string& file);

// UTF-8 to the layer's wide strings and back, every character kept.
_bstr_t Wide(const std::string& utf8);
std::string Utf8(const _bstr_t& text);

// The description line of a captured error report, or the whole report without it.
std::string Reason(const CString& report);
std::string Message(const _com_error& e);

int ImportCsv(const Args& a);

}  // namespace nuvdb
