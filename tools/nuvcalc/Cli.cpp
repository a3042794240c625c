#include "Cli.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "Csv.h"

namespace nuvcalc {

const Option kCommonOptions[6] = {
    {"help", "", "show this help and exit"},
    {"json", "", "print the result as JSON"},
    {"csv", "", "print the result as CSV"},
    {"xlsx", "FILE", "also write the result as a formatted workbook (.xlsx)"},
    {"digits", "N", "decimals of the workbook's quantities with units, 0 to 10 (default 2)"},
    {"force", "", "replace the --xlsx file if it exists"},
};

FileWriter g_fileWriter;

namespace {

std::string Quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

const Option* Lookup(std::span<const Option> options, std::string_view name) {
    for (const Option& o : kCommonOptions)
        if (o.name == name) return &o;
    for (const Option& o : options)
        if (o.name == name) return &o;
    return nullptr;
}

std::string Dashed(std::string_view name) { return "--" + std::string(name); }

}  // namespace

const char* NumberProblem(std::string_view text, double& value) {
    std::string_view t = text;
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t' || t.back() == '\r')) t.remove_suffix(1);
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    value = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size()) return "is not a number";
    if (!std::isfinite(value)) return "is not a finite number";
    return nullptr;
}

double ParseNumber(std::string_view text, std::string_view what) {
    double value = 0;
    if (const char* problem = NumberProblem(text, value))
        throw UsageError(std::string(what) + ": " + Quoted(text) + " " + problem);
    return value;
}

Options::Options(const Args& args, std::span<const Option> options) : command_(args.Command()) {
    const auto& words = args.Words();
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (w.size() < 3 || w.compare(0, 2, "--") != 0) {
            positionals_.push_back(w);
            continue;
        }
        std::string name = w.substr(2);
        std::string value;
        bool inlineValue = false;
        if (const auto eq = name.find('='); eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
            inlineValue = true;
        }
        const Option* o = Lookup(options, name);
        if (!o) throw UsageError("unknown option " + Dashed(name));
        if (Find(name)) throw UsageError(Dashed(name) + " is given more than once");
        if (o->metavar.empty()) {
            if (inlineValue) throw UsageError(Dashed(name) + " takes no value");
        } else if (!inlineValue) {
            if (i + 1 >= words.size()) throw UsageError(Dashed(name) + " needs a value");
            value = words[++i];
        }
        values_.emplace_back(std::move(name), std::move(value));
    }
    if (Has("json") && Has("csv")) throw UsageError("--json and --csv cannot be combined");
    for (const char* workbookOnly : {"digits", "force"})
        if (Has(workbookOnly) && !Has("xlsx")) throw UsageError(Dashed(workbookOnly) + " applies to the workbook: give --xlsx FILE too");
    if (Has("digits")) Whole("digits", 2, 0, 10);
    if (Has("xlsx") && !Has("help")) {
        if (!g_fileWriter.check) throw UsageError("--xlsx is not available in this program");
        g_fileWriter.check(*this);
    }
}

const std::string* Options::Find(std::string_view name) const {
    for (const auto& [n, v] : values_)
        if (n == name) return &v;
    return nullptr;
}

bool Options::Has(std::string_view name) const { return Find(name) != nullptr; }

Format Options::OutputFormat() const {
    if (Has("json")) return Format::Json;
    if (Has("csv")) return Format::Csv;
    return Format::Table;
}

std::string Options::Text(std::string_view name) const {
    const std::string* v = Find(name);
    if (!v) throw UsageError("missing required option " + Dashed(name));
    return *v;
}

double Options::Number(std::string_view name) const {
    return ParseNumber(Text(name), Dashed(name));
}

double Options::Number(std::string_view name, double fallback) const {
    const std::string* v = Find(name);
    return v ? ParseNumber(*v, Dashed(name)) : fallback;
}

double Options::Positive(std::string_view name) const {
    const double v = Number(name);
    if (!(v > 0)) throw UsageError(Dashed(name) + " must be greater than 0");
    return v;
}

double Options::Positive(std::string_view name, double fallback) const {
    const double v = Number(name, fallback);
    if (!(v > 0)) throw UsageError(Dashed(name) + " must be greater than 0");
    return v;
}

double Options::NonNegative(std::string_view name) const {
    const double v = Number(name);
    if (v < 0) throw UsageError(Dashed(name) + " must not be negative");
    return v;
}

double Options::Within(std::string_view name, double fallback, double lo, double hi) const {
    const double v = Number(name, fallback);
    if (v < lo || v > hi)
        throw UsageError(Dashed(name) + " must lie between " + HumanNumber(lo) + " and " + HumanNumber(hi));
    return v;
}

int Options::Whole(std::string_view name, int fallback, int lo, int hi) const {
    const double v = Number(name, fallback);
    if (v != std::floor(v)) throw UsageError(Dashed(name) + ": '" + Text(name) + "' is not a whole number");
    if (v < lo || v > hi)
        throw UsageError(Dashed(name) + " must lie between " + std::to_string(lo) + " and " + std::to_string(hi));
    return static_cast<int>(v);
}

void PrintHelp(std::ostream& out, std::string_view usage, std::string_view description,
               std::span<const Option> options) {
    out << "usage: " << usage << "\n\n" << description << "\n\noptions:\n";
    auto line = [&out](const Option& o) {
        std::string head = "  --" + std::string(o.name);
        if (!o.metavar.empty()) head += " " + std::string(o.metavar);
        out << head;
        out << std::string(head.size() < 24 ? 24 - head.size() : 1, ' ') << o.help << "\n";
    };
    for (const Option& o : options) line(o);
    for (const Option& o : kCommonOptions) line(o);
}

void Block::ForEachRow(const RowSink& sink) const {
    if (stream) {
        stream(sink);
        return;
    }
    for (const Row& r : rows) sink(r);
}

Block& Report::AddQuantities(std::string key, std::string title) {
    Block& b = blocks.emplace_back();
    b.key = std::move(key);
    b.title = std::move(title);
    return b;
}

Block& Report::AddTable(std::string key, std::string title, std::vector<Column> columns) {
    Block& b = AddQuantities(std::move(key), std::move(title));
    b.columns = std::move(columns);
    return b;
}

void Put(Block& block, std::string key, std::string label, std::string unit, Cell value, std::string note) {
    block.quantities.push_back(
        Quantity{std::move(key), std::move(label), std::move(unit), std::move(value), std::move(note)});
}

std::string HumanNumber(double value) {
    if (!std::isfinite(value)) return std::isnan(value) ? "nan" : (value > 0 ? "inf" : "-inf");
    if (value == 0) return "0";
    const double a = std::fabs(value);
    char buf[64];
    // to_chars formats as printf's %.*f and %.4e do, at a fraction of the cost (tables run to
    // millions of numbers).
    if (a >= 1e7 || a < 1e-4) return std::string(buf, std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 4).ptr);
    // Five significant digits without trailing zeros: 6, 0.6, 0.018514, 123457.
    const int decimals = std::max(0, 4 - static_cast<int>(std::floor(std::log10(a))));
    std::string s(buf, std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals).ptr);
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    return s == "-0" ? "0" : s;
}

std::string ExactNumber(double value) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, r.ptr);
}

namespace {

std::string HumanCell(const Cell& c) {
    if (const double* d = std::get_if<double>(&c)) return HumanNumber(*d);
    if (const std::string* s = std::get_if<std::string>(&c)) return *s;
    return "-";
}

bool IsNumber(const std::string& s) {
    return !s.empty() && (std::isdigit(static_cast<unsigned char>(s.back())) || s == "inf" || s == "-inf" || s == "nan");
}

// Display width of UTF-8 text: one column per character (the labels use a few Greek letters and
// superscripts, all one column wide).
std::size_t Width(const std::string& s) {
    std::size_t n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n;
}

std::string Pad(const std::string& s, std::size_t width, bool right) {
    const std::size_t w = Width(s);
    if (w >= width) return s;
    const std::string fill(width - w, ' ');
    return right ? fill + s : s + fill;
}

void TableQuantities(const Block& b, std::ostream& out) {
    std::size_t wl = 0, wv = 0, wu = 0;
    std::vector<std::string> values;
    for (const Quantity& q : b.quantities) {
        values.push_back(HumanCell(q.value));
        wl = std::max(wl, Width(q.label));
        wv = std::max(wv, Width(values.back()));
        wu = std::max(wu, Width(q.unit));
    }
    for (std::size_t i = 0; i < b.quantities.size(); ++i) {
        const Quantity& q = b.quantities[i];
        std::string line = "  " + Pad(q.label, wl, false) + "  " + Pad(values[i], wv, IsNumber(values[i]));
        if (wu) line += "  " + Pad(q.unit, wu, false);
        if (!q.note.empty()) line += "  " + q.note;
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out << line << "\n";
    }
}

void TableRows(const Block& b, std::ostream& out) {
    const std::size_t n = b.columns.size();
    std::vector<std::string> head;
    for (const Column& c : b.columns) head.push_back(c.unit.empty() ? c.label : c.label + " " + c.unit);
    std::vector<std::size_t> width(n, 0);
    std::vector<bool> numeric(n, true);
    for (std::size_t j = 0; j < n; ++j) width[j] = Width(head[j]);
    // The widths need every row before the first is printed: one pass measures, one prints.
    b.ForEachRow([&](const Row& row) {
        for (std::size_t j = 0; j < n; ++j) {
            const Cell& c = j < row.size() ? row[j] : Cell{};
            if (std::holds_alternative<std::string>(c)) numeric[j] = false;
            width[j] = std::max(width[j], Width(HumanCell(c)));
        }
    });
    std::string line;
    auto emit = [&](auto cell) {
        line.clear();
        for (std::size_t j = 0; j < n; ++j) line += "  " + Pad(cell(j), width[j], numeric[j]);
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out << line << "\n";
    };
    emit([&](std::size_t j) { return head[j]; });
    b.ForEachRow([&](const Row& row) { emit([&](std::size_t j) { return HumanCell(j < row.size() ? row[j] : Cell{}); }); });
}

void JsonString(const std::string& s, std::ostream& out) {
    out << '"';
    for (unsigned char c : s) {
        switch (c) {
            case '"': out << "\\\""; break;
            case '\\': out << "\\\\"; break;
            case '\n': out << "\\n"; break;
            case '\t': out << "\\t"; break;
            case '\r': out << "\\r"; break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out << buf;
                } else {
                    out << static_cast<char>(c);
                }
        }
    }
    out << '"';
}

void JsonCell(const Cell& c, std::ostream& out) {
    if (const double* d = std::get_if<double>(&c)) {
        if (std::isfinite(*d))
            out << ExactNumber(*d);
        else
            out << "null";  // JSON has no infinity or NaN
    } else if (const std::string* s = std::get_if<std::string>(&c)) {
        JsonString(*s, out);
    } else {
        out << "null";
    }
}

using nuvtools::CsvField;

std::string CsvCell(const Cell& c) {
    if (const double* d = std::get_if<double>(&c)) return ExactNumber(*d);
    if (const std::string* s = std::get_if<std::string>(&c)) return CsvField(*s);
    return "";
}

}  // namespace

void WriteTable(const Report& report, std::ostream& out) {
    if (!report.title.empty()) out << report.title << "\n";
    for (const Block& b : report.blocks) {
        out << "\n";
        if (!b.title.empty()) out << b.title << "\n";
        if (b.IsTable())
            TableRows(b, out);
        else
            TableQuantities(b, out);
    }
}

void WriteJson(const Report& report, std::ostream& out) {
    out << "{\n  \"title\": ";
    JsonString(report.title, out);
    for (const Block& b : report.blocks) {
        out << ",\n  ";
        JsonString(b.key, out);
        if (b.IsTable()) {
            out << ": [";
            bool first = true;
            b.ForEachRow([&](const Row& row) {
                out << (first ? "\n    {" : ",\n    {");
                first = false;
                for (std::size_t j = 0; j < b.columns.size(); ++j) {
                    if (j) out << ", ";
                    JsonString(b.columns[j].key, out);
                    out << ": ";
                    JsonCell(j < row.size() ? row[j] : Cell{}, out);
                }
                out << "}";
            });
            out << (first ? "]" : "\n  ]");
        } else {
            out << ": {";
            for (std::size_t i = 0; i < b.quantities.size(); ++i) {
                const Quantity& q = b.quantities[i];
                out << (i ? ",\n    " : "\n    ");
                JsonString(q.key, out);
                out << ": {\"value\": ";
                JsonCell(q.value, out);
                if (!q.unit.empty()) {
                    out << ", \"unit\": ";
                    JsonString(q.unit, out);
                }
                if (!q.note.empty()) {
                    out << ", \"note\": ";
                    JsonString(q.note, out);
                }
                out << "}";
            }
            out << (b.quantities.empty() ? "}" : "\n  }");
        }
    }
    out << "\n}\n";
}

void WriteCsv(const Report& report, std::ostream& out) {
    bool first = true;
    for (const Block& b : report.blocks) {
        if (!first) out << "\n";
        first = false;
        if (b.IsTable()) {
            for (std::size_t j = 0; j < b.columns.size(); ++j) out << (j ? "," : "") << CsvField(b.columns[j].key);
            out << "\n";
            b.ForEachRow([&](const Row& row) {
                for (std::size_t j = 0; j < b.columns.size(); ++j)
                    out << (j ? "," : "") << (j < row.size() ? CsvCell(row[j]) : "");
                out << "\n";
            });
        } else {
            out << "quantity,value,unit,note\n";
            for (const Quantity& q : b.quantities)
                out << CsvField(q.key) << "," << CsvCell(q.value) << "," << CsvField(q.unit) << ","
                    << CsvField(q.note) << "\n";
        }
    }
}

namespace {

std::string NotFinite(const std::string& what, double value) {
    return "the result " + what + " is " + HumanNumber(value) +
           ", not a finite number: the inputs lie outside what the formulas can compute";
}

}  // namespace

void CheckRow(const Block& block, const Row& row, const std::string& where) {
    for (std::size_t j = 0; j < row.size() && j < block.columns.size(); ++j) {
        const double* d = std::get_if<double>(&row[j]);
        if (!d || std::isfinite(*d)) continue;
        const Column& c = block.columns[j];
        throw UsageError(where + ": " + NotFinite(c.unit.empty() ? c.label : c.label + " (" + c.unit + ")", *d));
    }
}

void CheckFinite(const Report& report) {
    for (const Block& b : report.blocks) {
        for (const Quantity& q : b.quantities) {
            const double* d = std::get_if<double>(&q.value);
            if (d && !std::isfinite(*d)) throw UsageError(NotFinite(q.label, *d));
        }
        for (std::size_t r = 0; r < b.rows.size(); ++r) CheckRow(b, b.rows[r], (b.title.empty() ? b.key : b.title) + " row " + std::to_string(r + 1));
    }
}

void WriteFile(const Report& report, const Options& options) {
    CheckFinite(report);
    if (options.Has("xlsx")) g_fileWriter.write(report, options);
}

void Emit(const Report& report, const Options& options, std::ostream& out) {
    WriteFile(report, options);
    switch (options.OutputFormat()) {
        case Format::Json: WriteJson(report, out); break;
        case Format::Csv: WriteCsv(report, out); break;
        case Format::Table: WriteTable(report, out); break;
    }
}

}  // namespace nuvcalc
