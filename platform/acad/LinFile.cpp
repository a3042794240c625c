// The reader works line by line and never trusts the text: every number must be whole and
// finite, brackets and quotes must close on their line, and an error costs only the definition
// it is in. Column numbers count bytes from 1.
#include "acad/LinFile.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <set>

#include "acad/DxfTags.h"

namespace NUVAcad {

namespace {

constexpr size_t kMaxDashes = 12;  // the host's limit of lengths per definition

std::string trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return std::string(s.substr(b, e - b));
}

bool number(const std::string& s, double& v) {
    if (s.empty()) return false;
    char* end = nullptr;
    v = std::strtod(s.c_str(), &end);
    return end == s.c_str() + s.size() && std::isfinite(v);
}

// A field of a definition line and the column it starts at.
struct Field {
    std::string text;
    size_t col;
};

// Splits at commas outside brackets and quotes; false (with the column) when one does not close.
bool split(std::string_view line, size_t base, std::vector<Field>& out, size_t& badCol) {
    std::string cur;
    size_t start = 0;
    int depth = 0;
    bool quoted = false;
    size_t quoteCol = 0, bracketCol = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (quoted) {
            if (c == '"') quoted = false;
        } else if (c == '"') {
            quoted = true;
            quoteCol = i;
        } else if (c == '[') {
            if (depth++ == 0) bracketCol = i;
        } else if (c == ']') {
            if (--depth < 0) {
                badCol = base + i;
                return false;
            }
        } else if (c == ',' && depth == 0) {
            out.push_back({cur, base + start});
            cur.clear();
            start = i + 1;
            continue;
        }
        cur.push_back(c);
    }
    if (quoted || depth != 0) {
        badCol = base + (quoted ? quoteCol : bracketCol);
        return false;
    }
    out.push_back({cur, base + start});
    return true;
}

bool validName(const std::string& n) {
    if (n.empty() || n.size() > 255) return false;
    for (char c : n)
        if (std::strchr("<>/\\\":;?*|,=`", c) || static_cast<unsigned char>(c) < 0x20) return false;
    return true;
}

class Parser {
public:
    Parser(const std::string& file, LinFile& out) : file_(file), out_(out) {}

    void header(const std::string& line, int lineNo) {
        finishPending();
        std::string body = line.substr(1);
        size_t comma = body.find(',');
        LinDefinition d;
        d.name = trim(body.substr(0, comma));
        d.description = comma == std::string::npos ? std::string() : trim(body.substr(comma + 1));
        d.line = lineNo;
        if (!validName(d.name)) {
            error(lineNo, 2, "\"" + d.name + "\" is not a valid line-type name");
            skipping_ = true;
            return;
        }
        pending_ = std::move(d);
        havePending_ = true;
        skipping_ = false;
    }

    void definition(const std::string& line, int lineNo, size_t indent) {
        if (!havePending_) {
            if (!skipping_) error(lineNo, indent + 1, "a definition line without a *NAME line before it");
            skipping_ = false;
            return;
        }
        havePending_ = false;
        LinDefinition d = std::move(pending_);
        std::vector<Field> fields;
        std::vector<size_t> cols;  // of each length
        size_t bad = 0;
        if (!split(line, indent + 1, fields, bad)) return error(lineNo, bad, "a bracket or quote that is not closed");
        std::string align = trim(fields[0].text);
        if (align != "A" && align != "a")
            return error(lineNo, fields[0].col, "the alignment must be A, not \"" + align + "\"");
        if (fields.size() < 2) return error(lineNo, fields[0].col, "no dash lengths after the alignment");
        for (size_t k = 1; k < fields.size(); ++k) {
            std::string f = trim(fields[k].text);
            size_t col = fields[k].col + (fields[k].text.find_first_not_of(" \t") == std::string::npos
                                              ? 0
                                              : fields[k].text.find_first_not_of(" \t"));
            if (!f.empty() && f.front() == '[') {
                if (d.elements.empty()) return error(lineNo, col, "a text or shape before any dash length");
                if (d.elements.back().kind != LinElement::Plain)
                    return error(lineNo, col, "two texts or shapes after one dash length");
                if (!complex(f, col, lineNo, d.elements.back())) return;
                continue;
            }
            double v;
            if (!number(f, v)) return error(lineNo, col, "\"" + f + "\" is not a length");
            if (d.elements.size() == kMaxDashes)
                return error(lineNo, col, "more than " + std::to_string(kMaxDashes) + " dash lengths");
            LinElement e;
            e.length = v;
            d.elements.push_back(e);
            cols.push_back(col);
        }
        if (d.elements.empty()) return error(lineNo, fields[0].col, "no dash lengths after the alignment");
        if (d.elements[0].length < 0)
            return error(lineNo, cols[0], "with alignment A the pattern must begin with a dash or a dot");
        if (d.elements.size() > 1 && d.elements[1].length >= 0)
            return error(lineNo, cols[1], "with alignment A the second length must be a gap");
        std::string key = upperName(d.name);
        if (!names_.insert(key).second) return error(d.line, 2, "\"" + d.name + "\" is defined again; the first one is kept");
        out_.types.push_back(std::move(d));
    }

    // A line that cannot be read at all (a NUL byte): its definition is refused.
    void refuse(const std::string& line, int lineNo, size_t col, const std::string& what) {
        if (line[0] == '*') finishPending();
        else if (!havePending_) skipping_ = false;
        error(lineNo, col, what);
        havePending_ = false;
        skipping_ = line[0] == '*';
    }

    void finishPending() {
        if (havePending_) error(pending_.line, 1, "*" + pending_.name + " has no definition line");
        havePending_ = false;
    }

private:
    void error(int line, size_t col, const std::string& what) {
        out_.errors.push_back(file_ + ":" + std::to_string(line) + ":" + std::to_string(col) + ": " + what);
    }

    bool complex(const std::string& f, size_t col, int lineNo, LinElement& e) {
        bool quoted = false;
        size_t close = std::string::npos;
        for (size_t i = 1; i < f.size() && close == std::string::npos; ++i) {
            if (f[i] == '"') quoted = !quoted;
            else if (f[i] == ']' && !quoted) close = i;
        }
        if (close != f.size() - 1) {
            error(lineNo, col + (close == std::string::npos ? 0 : close + 1), "text after the closing bracket");
            return false;
        }
        std::string inner = f.substr(1);
        inner.pop_back();
        std::vector<Field> parts;
        size_t bad = 0;
        if (!split(inner, col + 1, parts, bad)) {
            error(lineNo, bad, "a bracket or quote that is not closed");
            return false;
        }
        std::string first = trim(parts[0].text);
        if (first.size() >= 2 && first.front() == '"' && first.back() == '"') {
            e.kind = LinElement::Text;
            e.text = first.substr(1, first.size() - 2);
        } else if (!first.empty() && first.find('"') == std::string::npos) {
            e.kind = LinElement::Shape;
            e.text = first;
        } else {
            error(lineNo, parts[0].col, "a text must be in double quotes");
            return false;
        }
        if (parts.size() < 2 || trim(parts[1].text).empty()) {
            error(lineNo, parts[0].col, e.kind == LinElement::Text ? "a text needs a text style" : "a shape needs its shape file");
            return false;
        }
        e.style = trim(parts[1].text);
        bool rotated = false;
        for (size_t k = 2; k < parts.size(); ++k) {
            std::string p = trim(parts[k].text);
            size_t eq = p.find('=');
            std::string key = upperName(trim(p.substr(0, eq)));
            std::string val = eq == std::string::npos ? std::string() : trim(p.substr(eq + 1));
            double v = 0;
            if (key == "R" || key == "A") {
                double factor = M_PI / 180.0;
                if (!val.empty() && (val.back() == 'd' || val.back() == 'D')) val.pop_back();
                else if (!val.empty() && (val.back() == 'r' || val.back() == 'R')) val.pop_back(), factor = 1.0;
                else if (!val.empty() && (val.back() == 'g' || val.back() == 'G')) val.pop_back(), factor = M_PI / 200.0;
                if (!number(val, v)) return badValue(lineNo, parts[k].col, p);
                if (rotated) {
                    error(lineNo, parts[k].col, "two rotations in one element");
                    return false;
                }
                rotated = true;
                e.rotation = v * factor;
                e.absoluteRotation = key == "A";
            } else if (key == "S" || key == "X" || key == "Y") {
                if (!number(val, v)) return badValue(lineNo, parts[k].col, p);
                (key == "S" ? e.scale : key == "X" ? e.x : e.y) = v;
            } else {
                error(lineNo, parts[k].col, "unknown setting \"" + p + "\" (S=, R=, A=, X= or Y=)");
                return false;
            }
        }
        return true;
    }

    bool badValue(int lineNo, size_t col, const std::string& p) {
        error(lineNo, col, "\"" + p + "\" has no number");
        return false;
    }

    std::string file_;
    LinFile& out_;
    LinDefinition pending_;
    bool havePending_ = false;
    bool skipping_ = false;  // after a refused header its definition line is skipped silently
    std::set<std::string> names_;
};

}  // namespace

double LinDefinition::patternLength() const {
    double sum = 0;
    for (const LinElement& e : elements) sum += std::fabs(e.length);
    return sum;
}

LinFile ParseLinFile(std::string_view text, const std::string& fileName) {
    LinFile out;
    Parser p(fileName, out);
    int lineNo = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t nl = text.find('\n', pos);
        std::string_view raw = text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
        pos = nl == std::string_view::npos ? text.size() : nl + 1;
        ++lineNo;
        if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
        size_t indent = raw.find_first_not_of(" \t");
        if (indent == std::string_view::npos) continue;
        std::string line(raw.substr(indent));
        if (line[0] == ';') continue;
        if (size_t nul = line.find('\0'); nul != std::string::npos)
            p.refuse(line, lineNo, indent + nul + 1, "a NUL byte in the line");
        else if (line[0] == '*') p.header(line, lineNo);
        else p.definition(line, lineNo, indent);
    }
    p.finishPending();
    return out;
}

}  // namespace NUVAcad
