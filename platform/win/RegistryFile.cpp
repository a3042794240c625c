#include "win/RegistryFile.h"

#include <cstdio>

namespace NUVWin::RegFile {
namespace {

constexpr std::uint32_t kSz = 1, kBinary = 3, kDword = 4;
constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kOldHeader = "REGEDIT4";
constexpr std::size_t kBytesPerLine = 25;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Value lookups run once per line while a file is read, so they must not allocate.
bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && EqualNoCase(s.substr(0, prefix.size()), prefix);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Parses 1 to 8 hex digits making up the whole of s.
bool ParseHex32(std::string_view s, std::uint32_t& out) {
    if (s.empty() || s.size() > 8) return false;
    std::uint32_t v = 0;
    for (char c : s) {
        int d = HexDigit(c);
        if (d < 0) return false;
        v = (v << 4) | static_cast<std::uint32_t>(d);
    }
    out = v;
    return true;
}

// Reads a quoted string starting at s[pos] == '"'; `\\` and `\"` are escapes, any other
// backslash is kept as written. On success pos is just past the closing quote.
bool ParseQuoted(std::string_view s, std::size_t& pos, std::string& out) {
    out.clear();
    std::size_t i = pos + 1;
    while (i < s.size()) {
        char c = s[i];
        if (c == '"') {
            pos = i + 1;
            return true;
        }
        if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
            out += s[i + 1];
            i += 2;
            continue;
        }
        out += c;
        ++i;
    }
    return false;
}

// "aa,bb , cc" -> bytes; an empty list is an empty value.
bool ParseHexBytes(std::string_view s, std::string& out) {
    out.clear();
    s = Trim(s);
    if (s.empty()) return true;
    std::size_t start = 0;
    for (;;) {
        std::size_t comma = s.find(',', start);
        std::string_view item = Trim(s.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (item.size() != 2) return false;
        int hi = HexDigit(item[0]), lo = HexDigit(item[1]);
        if (hi < 0 || lo < 0) return false;
        out += static_cast<char>(hi * 16 + lo);
        if (comma == std::string_view::npos) return true;
        start = comma + 1;
    }
}

void AppendQuoted(std::string& out, std::string_view s) {
    out += '"';
    for (char c : s) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    out += '"';
}

// A text the quoted form can carry: it must stay on one line.
bool QuotableText(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

}  // namespace

std::string Fold(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = Lower(c);
    return out;
}

std::string NormalizeKeyPath(std::string_view path) {
    std::string out;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos) end = path.size();
        if (end > start) {
            if (!out.empty()) out += '\\';
            out.append(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return out;
}

std::string CanonicalRoot(std::string_view name) {
    std::string f = Fold(name);
    if (f == "hkey_current_user" || f == "hkcu") return "HKEY_CURRENT_USER";
    if (f == "hkey_local_machine" || f == "hklm") return "HKEY_LOCAL_MACHINE";
    return {};
}

Document::Document(std::string root) : root_(std::move(root)) { keys_.emplace("", Key{"", {}}); }

Key* Document::Find(std::string_view path) {
    auto it = keys_.find(Fold(NormalizeKeyPath(path)));
    return it == keys_.end() ? nullptr : &it->second;
}

const Key* Document::Find(std::string_view path) const {
    auto it = keys_.find(Fold(NormalizeKeyPath(path)));
    return it == keys_.end() ? nullptr : &it->second;
}

Key& Document::Create(std::string_view path, bool* created) {
    std::string norm = NormalizeKeyPath(path);
    if (created) *created = false;
    Key* key = &keys_.at("");
    // Each ancestor keeps the spelling it already has; new ones take the caller's.
    std::size_t pos = 0;
    while (pos < norm.size()) {
        std::size_t end = norm.find('\\', pos);
        if (end == std::string::npos) end = norm.size();
        std::string prefix = norm.substr(0, end);
        auto [it, inserted] = keys_.try_emplace(Fold(prefix), Key{key->path.empty() ? norm.substr(pos, end - pos) : key->path + '\\' + norm.substr(pos, end - pos), {}});
        if (inserted && created) *created = true;
        key = &it->second;
        pos = end + 1;
    }
    if (created && norm.empty()) *created = false;
    return *key;
}

bool Document::Remove(std::string_view path) {
    std::string folded = Fold(NormalizeKeyPath(path));
    auto it = keys_.find(folded);
    if (it == keys_.end()) return false;
    if (folded.empty()) {
        keys_.clear();
        keys_.emplace("", Key{"", {}});
        return true;
    }
    std::string below = folded + '\\';
    keys_.erase(it);
    for (auto c = keys_.lower_bound(below); c != keys_.end() && c->first.compare(0, below.size(), below) == 0;) c = keys_.erase(c);
    return true;
}

std::vector<std::string> Document::Children(std::string_view path) const {
    std::vector<std::string> out;
    std::string folded = Fold(NormalizeKeyPath(path));
    std::string prefix = folded.empty() ? "" : folded + '\\';
    for (auto it = keys_.lower_bound(prefix); it != keys_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
        if (it->first.size() == prefix.size()) continue;  // the root itself
        if (it->first.find('\\', prefix.size()) != std::string::npos) continue;
        out.push_back(it->second.path);
    }
    return out;
}

Value* Document::FindValue(Key& key, std::string_view name) {
    for (Value& v : key.values)
        if (EqualNoCase(v.name, name)) return &v;
    return nullptr;
}

const Value* Document::FindValue(const Key& key, std::string_view name) {
    return FindValue(const_cast<Key&>(key), name);
}

void Document::SetValue(Key& key, Value value) {
    if (Value* v = FindValue(key, value.name)) {
        v->type = value.type;
        v->data = std::move(value.data);
    } else {
        key.values.push_back(std::move(value));
    }
}

bool Document::DeleteValue(Key& key, std::string_view name) {
    for (auto it = key.values.begin(); it != key.values.end(); ++it) {
        if (EqualNoCase(it->name, name)) {
            key.values.erase(it);
            return true;
        }
    }
    return false;
}

bool operator==(const Document& a, const Document& b) {
    if (a.root_ != b.root_ || a.keys_.size() != b.keys_.size()) return false;
    for (auto i = a.keys_.begin(), j = b.keys_.begin(); i != a.keys_.end(); ++i, ++j) {
        if (i->first != j->first || i->second.path != j->second.path) return false;
        const auto& va = i->second.values;
        const auto& vb = j->second.values;
        if (va.size() != vb.size()) return false;
        for (std::size_t k = 0; k < va.size(); ++k)
            if (va[k].name != vb[k].name || va[k].type != vb[k].type || va[k].data != vb[k].data) return false;
    }
    return true;
}

ParseResult Parse(std::string_view text, std::string_view root) {
    ParseResult result{Document(CanonicalRoot(root).empty() ? std::string(root) : CanonicalRoot(root)), {}};
    Document& doc = result.document;
    auto problem = [&](int line, std::string message) { result.problems.push_back({line, std::move(message)}); };

    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }

    bool headerSeen = false;
    Key* current = nullptr;
    bool sectionRejected = false;  // its own line was reported; its values are skipped quietly
    for (std::size_t li = 0; li < lines.size(); ++li) {
        const int lineNo = static_cast<int>(li + 1);
        std::string_view t = Trim(lines[li]);
        if (t.empty() || t[0] == ';') continue;
        if (!headerSeen) {
            headerSeen = true;
            if (t == kHeader || t == kOldHeader) continue;
            problem(lineNo, "missing header \"" + std::string(kHeader) + "\"");
        }

        if (t[0] == '[') {
            current = nullptr;
            sectionRejected = true;
            if (t.back() != ']' || t.size() < 2) {
                problem(lineNo, "unterminated key name");
                continue;
            }
            std::string_view inner = t.substr(1, t.size() - 2);
            bool removal = !inner.empty() && inner[0] == '-';
            if (removal) inner.remove_prefix(1);
            std::size_t slash = inner.find('\\');
            std::string_view rootName = inner.substr(0, slash);
            if (CanonicalRoot(rootName) != doc.Root()) {
                problem(lineNo, "key outside " + doc.Root());
                continue;
            }
            std::string_view sub = slash == std::string_view::npos ? std::string_view() : inner.substr(slash + 1);
            if (removal) {
                doc.Remove(sub);
                continue;
            }
            current = &doc.Create(sub);
            sectionRejected = false;
            continue;
        }

        if (t[0] != '"' && t[0] != '@') {
            problem(lineNo, "not a key or a value");
            continue;
        }
        std::string name;
        std::size_t pos = t[0] == '@' ? 1 : 0;
        if (t[0] == '"' && !ParseQuoted(t, pos, name)) {
            problem(lineNo, "unterminated value name");
            continue;
        }
        std::string_view rest = Trim(t.substr(pos));
        if (rest.empty() || rest[0] != '=') {
            problem(lineNo, "expected = after the value name");
            continue;
        }
        rest = Trim(rest.substr(1));

        Value value{name, kSz, {}};
        bool remove = false;
        if (rest == "-") {
            remove = true;
        } else if (!rest.empty() && rest[0] == '"') {
            std::size_t p = 0;
            if (!ParseQuoted(rest, p, value.data) || !Trim(rest.substr(p)).empty()) {
                problem(lineNo, "malformed string value");
                continue;
            }
        } else if (StartsWithNoCase(rest, "dword:")) {
            std::uint32_t v;
            if (!ParseHex32(Trim(rest.substr(6)), v)) {
                problem(lineNo, "malformed dword value");
                continue;
            }
            value.type = kDword;
            for (int i = 0; i < 4; ++i) value.data += static_cast<char>((v >> (8 * i)) & 0xFF);
        } else if (StartsWithNoCase(rest, "hex")) {
            std::string_view spec = rest.substr(3);
            std::size_t colon = spec.find(':');
            std::uint32_t type = kBinary;
            bool ok = colon != std::string_view::npos;
            if (ok && colon > 0) {
                std::string_view paren = spec.substr(0, colon);
                ok = paren.size() > 2 && paren.front() == '(' && paren.back() == ')' &&
                     ParseHex32(paren.substr(1, paren.size() - 2), type);
            }
            // Long byte lists continue on the next line after a trailing backslash.
            std::string bytes(ok ? spec.substr(colon + 1) : std::string_view());
            while (ok && !Trim(bytes).empty() && Trim(bytes).back() == '\\') {
                bytes = std::string(Trim(bytes));
                bytes.pop_back();
                if (li + 1 >= lines.size()) break;
                bytes += Trim(lines[++li]);
            }
            if (!ok || !ParseHexBytes(bytes, value.data)) {
                problem(lineNo, "malformed hex value");
                continue;
            }
            value.type = type;
        } else {
            problem(lineNo, "unknown value type");
            continue;
        }

        if (!current) {
            if (!sectionRejected) problem(lineNo, "value outside a key");
            continue;
        }
        if (remove)
            Document::DeleteValue(*current, value.name);
        else
            Document::SetValue(*current, std::move(value));
    }
    return result;
}

std::string Serialize(const Document& document) {
    std::string out(kHeader);
    out += "\n\n";
    for (const auto& [folded, key] : document.Keys()) {
        if (key.path.empty() && key.values.empty()) continue;
        out += '[';
        out += document.Root();
        if (!key.path.empty()) {
            out += '\\';
            out += key.path;
        }
        out += "]\n";
        for (const Value& v : key.values) {
            if (v.name.empty())
                out += '@';
            else
                AppendQuoted(out, v.name);
            out += '=';
            if (v.type == kSz && QuotableText(v.data)) {
                AppendQuoted(out, v.data);
            } else if (v.type == kDword && v.data.size() == 4) {
                std::uint32_t n = 0;
                for (int i = 3; i >= 0; --i) n = (n << 8) | static_cast<unsigned char>(v.data[static_cast<std::size_t>(i)]);
                char buf[16];
                std::snprintf(buf, sizeof buf, "dword:%08x", n);
                out += buf;
            } else {
                char buf[24];
                if (v.type == kBinary)
                    out += "hex:";
                else {
                    std::snprintf(buf, sizeof buf, "hex(%x):", v.type);
                    out += buf;
                }
                for (std::size_t i = 0; i < v.data.size(); ++i) {
                    if (i > 0) out += (i % kBytesPerLine == 0) ? ",\\\n  " : ",";
                    std::snprintf(buf, sizeof buf, "%02x", static_cast<unsigned char>(v.data[i]));
                    out += buf;
                }
            }
            out += '\n';
        }
        out += '\n';
    }
    return out;
}

}  // namespace NUVWin::RegFile
