// String functions. Strings are GBK bytes; lengths and positions count bytes, as the host's
// multi-byte build does (a Chinese character counts 2), while case changes, trimming and
// wildcard matching treat a double-byte character as one.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "acad/AcutWcMatch.h"
#include "acad/LispMachine.h"
#include "acad/LispPrinter.h"
#include "acad/LispReader.h"
#include "acad/LispText.h"
#include "win/FileSystem.h"

namespace NUVAcad {

namespace {

LispValue strcat(LispMachine& m, LispArgs a) {
    std::size_t total = 0;
    for (int i = 0; i < a.n; ++i) total += m.strArg(a, i).size();
    std::string s;
    if (total > (std::size_t(64) << 20)) m.raise("string too long");
    s.reserve(total);
    for (int i = 0; i < a.n; ++i) s += a[i].as<LispString>()->text;
    return m.makeString(std::move(s));
}

LispValue strlen(LispMachine& m, LispArgs a) {
    std::int64_t n = 0;
    for (int i = 0; i < a.n; ++i) n += static_cast<std::int64_t>(m.strArg(a, i).size());
    return LispValue::integer(static_cast<std::int32_t>(n));
}

LispValue substr(LispMachine& m, LispArgs a) {
    const std::string& s = m.strArg(a, 0);
    const std::int32_t start = m.intArg(a, 1);
    if (start < 1) m.raise("bad argument value: positive " + std::to_string(start));
    std::size_t count = std::string::npos;
    if (a.n > 2) {
        const std::int32_t n = m.intArg(a, 2);
        if (n < 0) m.raise("bad argument value: non-negative: " + std::to_string(n));
        count = static_cast<std::size_t>(n);
    }
    const std::size_t first = static_cast<std::size_t>(start) - 1;
    if (first >= s.size()) return m.makeString("");
    return m.makeString(s.substr(first, count));
}

LispValue strcase(LispMachine& m, LispArgs a) {
    const std::string& s = m.strArg(a, 0);
    const bool lower = a.n > 1 && !a[1].isNil();
    return m.makeString(lower ? lispToLower(s) : lispToUpper(s));
}

LispValue itoa(LispMachine& m, LispArgs a) { return m.makeString(std::to_string(m.intArg(a, 0))); }

std::size_t skipSpaces(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r')) ++i;
    return i;
}

LispValue atoi(LispMachine& m, LispArgs a) {
    const std::string& s = m.strArg(a, 0);
    std::size_t i = skipSpaces(s);
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    std::int64_t v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        v = v * 10 + (s[i] - '0');
        if (v > 2147483648LL) v = 2147483648LL;  // saturates, as the runtime's atoi does
    }
    if (negative) v = -v;
    if (v > INT32_MAX) v = INT32_MAX;
    return LispValue::integer(static_cast<std::int32_t>(v));
}

// The longest prefix (after blanks) that reads as a number; 0.0 when there is none.
double leadingReal(const std::string& s) {
    std::size_t i = skipSpaces(s);
    const std::size_t start = i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
    }
    if (digits == 0) return 0.0;
    std::size_t end = i;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        const std::size_t expStart = j;
        while (j < s.size() && s[j] >= '0' && s[j] <= '9') ++j;
        if (j > expStart) end = j;
    }
    std::string_view t(s.data() + start, end - start);
    if (!t.empty() && t[0] == '+') t.remove_prefix(1);
    double d = 0;
    auto r = std::from_chars(t.data(), t.data() + t.size(), d);
    if (r.ec == std::errc::result_out_of_range) {
        const std::size_t e = t.find_first_of("eE");
        const bool tiny = e != std::string_view::npos && e + 1 < t.size() && t[e + 1] == '-';
        d = tiny ? 0.0 : HUGE_VAL;
        if (!t.empty() && t[0] == '-') d = -d;
    }
    return d;
}

LispValue atof(LispMachine& m, LispArgs a) { return LispValue::real(leadingReal(m.strArg(a, 0))); }

LispValue read(LispMachine& m, LispArgs a) {
    const std::string& s = m.strArg(a, 0);
    m.step(1 + s.size() / 16);
    LispReader reader(m, s);
    LispValue v;
    reader.read(v);
    return v;
}

LispValue chr(LispMachine& m, LispArgs a) {
    const std::int32_t n = m.intArg(a, 0);
    const auto code = static_cast<std::uint32_t>(n) & 0xFFFF;
    std::string s;
    if (code > 0xFF) {
        s += static_cast<char>(code >> 8);
        s += static_cast<char>(code & 0xFF);
    } else if (code != 0) {
        s += static_cast<char>(code);
    }
    return m.makeString(std::move(s));
}

LispValue ascii(LispMachine& m, LispArgs a) {
    const std::string& s = m.strArg(a, 0);
    if (s.empty()) return LispValue::integer(0);
    const auto b0 = static_cast<unsigned char>(s[0]);
    if (lispCharLength(s, 0) == 2) return LispValue::integer(b0 << 8 | static_cast<unsigned char>(s[1]));
    return LispValue::integer(b0);
}

LispValue stringSearch(LispMachine& m, LispArgs a) {
    const std::string& pattern = m.strArg(a, 0);
    const std::string& s = m.strArg(a, 1);
    std::int32_t start = a.n > 2 ? m.intArg(a, 2) : 0;
    if (start < 0) start = 0;
    m.step(1 + s.size() / 16);
    if (static_cast<std::size_t>(start) > s.size()) return LispValue();
    const std::size_t at = s.find(pattern, static_cast<std::size_t>(start));
    return at == std::string::npos ? LispValue() : LispValue::integer(static_cast<std::int32_t>(at));
}

LispValue wcmatch(LispMachine& m, LispArgs a) {
    const std::string& s = m.strArg(a, 0);
    const std::string& pattern = m.strArg(a, 1);
    m.step(1 + (s.size() + 1) * (pattern.size() + 1) / 16);
    return m.boolean(acutWcMatch(s.c_str(), pattern.c_str()) == RTNORM);
}

LispValue princToString(LispMachine& m, LispArgs a) { return m.makeString(lispPrint(a[0], false)); }
LispValue prin1ToString(LispMachine& m, LispArgs a) { return m.makeString(lispPrint(a[0], true)); }

// The characters (one or two bytes each) of a GBK string.
std::vector<std::string_view> characters(std::string_view s) {
    std::vector<std::string_view> out;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = lispCharLength(s, i);
        out.push_back(s.substr(i, n));
        i += n;
    }
    return out;
}

// vl-string-trim and its one-sided forms: the characters listed in the first string are
// removed from the ends of the second.
LispValue trim(LispMachine& m, LispArgs a, bool left, bool right) {
    const auto set = characters(m.strArg(a, 0));
    const std::string& s = m.strArg(a, 1);
    const auto chars = characters(s);
    auto listed = [&](std::string_view c) { return std::find(set.begin(), set.end(), c) != set.end(); };
    std::size_t first = 0, last = chars.size();
    if (left)
        while (first < last && listed(chars[first])) ++first;
    if (right)
        while (last > first && listed(chars[last - 1])) --last;
    m.step(1 + chars.size() / 16);
    if (first == last) return m.makeString("");
    const std::size_t begin = static_cast<std::size_t>(chars[first].data() - s.data());
    const std::size_t end = static_cast<std::size_t>(chars[last - 1].data() - s.data()) + chars[last - 1].size();
    return m.makeString(s.substr(begin, end - begin));
}

LispValue trimBoth(LispMachine& m, LispArgs a) { return trim(m, a, true, true); }
LispValue trimLeft(LispMachine& m, LispArgs a) { return trim(m, a, true, false); }
LispValue trimRight(LispMachine& m, LispArgs a) { return trim(m, a, false, true); }

// (vl-string-subst new pattern string [start]): the first occurrence at or after start replaced.
LispValue stringSubst(LispMachine& m, LispArgs a) {
    const std::string& replacement = m.strArg(a, 0);
    const std::string& pattern = m.strArg(a, 1);
    std::string s = m.strArg(a, 2);
    std::int32_t start = a.n > 3 ? m.intArg(a, 3) : 0;
    if (start < 0) start = 0;
    m.step(1 + s.size() / 16);
    if (static_cast<std::size_t>(start) <= s.size()) {
        const std::size_t at = s.find(pattern, static_cast<std::size_t>(start));
        if (at != std::string::npos) s.replace(at, pattern.size(), replacement);
    }
    return m.makeString(std::move(s));
}

LispValue stringToList(LispMachine& m, LispArgs a) {
    LispListBuilder b;
    const std::string& s = m.strArg(a, 0);
    m.step(s.size());
    for (char c : s) b.add(LispValue::integer(static_cast<unsigned char>(c)));
    return b.take();
}

LispValue listToString(LispMachine& m, LispArgs a) {
    std::string s;
    const LispValue* p = &m.listArg(a, 0);
    for (; p->isCons(); p = &p->as<LispCons>()->cdr) {
        const LispValue& c = p->as<LispCons>()->car;
        if (!c.isInt()) m.badType("fixnump", c);
        s += static_cast<char>(c.asInt() & 0xFF);
    }
    if (!p->isNil()) m.badType("listp", a[0]);
    return m.makeString(std::move(s));
}

// File names: "c:\\acad\\file.dwg" has the folder "c:\\acad", the base "file", the extension ".dwg".
LispValue filenameDirectory(LispMachine& m, LispArgs a) {
    return m.makeString(NUVWin::StripTrailingSeparators(NUVWin::FolderPart(CString(m.strArg(a, 0)))).str());
}

std::pair<std::string, std::string> baseAndExtension(const std::string& path) {
    const std::string name = NUVWin::FileNamePart(CString(path)).str();
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return {name, ""};
    return {name.substr(0, dot), name.substr(dot)};
}

LispValue filenameBase(LispMachine& m, LispArgs a) { return m.makeString(baseAndExtension(m.strArg(a, 0)).first); }

LispValue filenameExtension(LispMachine& m, LispArgs a) {
    std::string ext = baseAndExtension(m.strArg(a, 0)).second;
    return ext.empty() ? LispValue() : m.makeString(std::move(ext));
}

// acad_strlsort: a list of strings in alphabetical order (nil when an element is not a string).
LispValue sortStrings(LispMachine& m, LispArgs a) {
    std::vector<std::string> v;
    const LispValue* p = &m.listArg(a, 0);
    for (; p->isCons(); p = &p->as<LispCons>()->cdr) {
        const LispValue& x = p->as<LispCons>()->car;
        if (!x.isString()) return LispValue();
        v.push_back(x.as<LispString>()->text);
    }
    m.step(v.size() * 4 + 1);
    // Alphabetical: letter case does not count, then byte order decides.
    std::stable_sort(v.begin(), v.end(), [](const std::string& x, const std::string& y) {
        const std::string ux = lispToUpper(x), uy = lispToUpper(y);
        return ux != uy ? ux < uy : x < y;
    });
    LispListBuilder b;
    for (std::string& s : v) b.add(lispString(std::move(s)));
    return b.take();
}

const LispBuiltin kStrings[] = {
    {"strcat", strcat, 0, -1},
    {"strlen", strlen, 0, -1},
    {"substr", substr, 2, 3},
    {"strcase", strcase, 1, 2},
    {"itoa", itoa, 1, 1},
    {"atoi", atoi, 1, 1},
    {"atof", atof, 1, 1},
    {"read", read, 1, 1},
    {"chr", chr, 1, 1},
    {"ascii", ascii, 1, 1},
    {"vl-string-search", stringSearch, 2, 3},
    {"wcmatch", wcmatch, 2, 2},
    {"vl-princ-to-string", princToString, 1, 1},
    {"vl-prin1-to-string", prin1ToString, 1, 1},
    {"vl-string-trim", trimBoth, 2, 2},
    {"vl-string-left-trim", trimLeft, 2, 2},
    {"vl-string-right-trim", trimRight, 2, 2},
    {"vl-string-subst", stringSubst, 3, 4},
    {"vl-string->list", stringToList, 1, 1},
    {"vl-list->string", listToString, 1, 1},
    {"vl-filename-directory", filenameDirectory, 1, 1},
    {"vl-filename-base", filenameBase, 1, 1},
    {"vl-filename-extension", filenameExtension, 1, 1},
    {"acad_strlsort", sortStrings, 1, 1},
};

}  // namespace

std::span<const LispBuiltin> lispStringBuiltins() { return kStrings; }

}  // namespace NUVAcad
