// The registry's storage: one hive (HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE) per text file in the
// registry editor's export format, so a user can read and hand-edit it:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Suite]
//   "scale"="100"
//   @="default value"
//   "count"=dword:0000000a
//   "blob"=hex:01,02,ff
//
// Texts are UTF-8 here and in the file; the registry functions convert to GBK at their boundary.
// Key and value names compare ASCII-case-insensitively and keep the case they were created with.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace NUVWin::RegFile {

struct Value {
    std::string name;    // empty: the key's default value ("@")
    std::uint32_t type;  // REG_SZ, REG_DWORD, ...
    std::string data;    // REG_SZ: the text without terminator; others: the raw bytes
};

struct Key {
    std::string path;  // below the hive root, components joined by '\'; empty for the root itself
    std::vector<Value> values;
};

struct Problem {
    int line;
    std::string message;
};

// ASCII letters folded to lower case; every other byte unchanged.
std::string Fold(std::string_view s);

// A path with empty components dropped ("a\\b\" -> "a\b").
std::string NormalizeKeyPath(std::string_view path);

class Document {
public:
    explicit Document(std::string root = "HKEY_CURRENT_USER");

    const std::string& Root() const { return root_; }

    Key* Find(std::string_view path);
    const Key* Find(std::string_view path) const;
    // Finds or creates the key and every missing ancestor; `created` tells whether it was new.
    Key& Create(std::string_view path, bool* created = nullptr);
    // Removes the key and everything below it (the root only loses its contents).
    bool Remove(std::string_view path);
    // The direct subkeys' paths in the file's order.
    std::vector<std::string> Children(std::string_view path) const;

    static Value* FindValue(Key& key, std::string_view name);
    static const Value* FindValue(const Key& key, std::string_view name);
    // Replaces a value of the same name in place or appends a new one.
    static void SetValue(Key& key, Value value);
    static bool DeleteValue(Key& key, std::string_view name);

    const std::map<std::string, Key>& Keys() const { return keys_; }

    friend bool operator==(const Document&, const Document&);

private:
    std::string root_;
    std::map<std::string, Key> keys_;  // by folded path: parents come before their children
};

struct ParseResult {
    Document document;
    std::vector<Problem> problems;  // lines that could not be read; they are left out of the document
};

// Parses a hive file. `root` is the hive's name; sections under any other root are problems.
// Never fails: whatever can be read is read.
ParseResult Parse(std::string_view text, std::string_view root);

// The file text for a document; Parse of it gives the same document back with no problems.
std::string Serialize(const Document& document);

// The canonical root name for "HKEY_CURRENT_USER", "HKCU", ... (any case), or empty.
std::string CanonicalRoot(std::string_view name);

}  // namespace NUVWin::RegFile
