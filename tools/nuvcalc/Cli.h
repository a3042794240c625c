// The pieces every nuvcalc subcommand shares: the command-line parser, number checks, and the
// report model with its three output formats (aligned table, JSON, CSV). A subcommand declares
// its options, reads them through Options and hands a Report to Emit.
#pragma once

#include <functional>
#include <ostream>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace nuvcalc {

// A wrong command line or input file. The dispatcher prints it to stderr, prints no result and
// exits with status 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One option of a subcommand: --name VALUE, or a flag when metavar is empty.
struct Option {
    std::string_view name;     // without the leading "--"
    std::string_view metavar;  // e.g. "MM"; empty for a flag
    std::string_view help;
};

// Accepted by every subcommand: --help, --json, --csv, --xlsx FILE, --digits N, --force.
extern const Option kCommonOptions[6];

// The words of a command line after the subcommand name.
class Args {
public:
    Args(std::string command, std::vector<std::string> words)
        : command_(std::move(command)), words_(std::move(words)) {}
    const std::string& Command() const { return command_; }
    const std::vector<std::string>& Words() const { return words_; }

private:
    std::string command_;
    std::vector<std::string> words_;
};

enum class Format { Table, Json, Csv };

// Parses text as a finite decimal number; the error names `what` (an option or a column).
double ParseNumber(std::string_view text, std::string_view what);
// The same without the message: nullptr and the value, or what is wrong ("is not a number").
const char* NumberProblem(std::string_view text, double& value);

// Args matched against a subcommand's options (the common ones are always accepted). Accepts
// "--name VALUE" and "--name=VALUE"; a value may begin with '-'. Throws UsageError for an
// unknown option, a missing value or a repeated option, and checks the common options before
// any work starts: --digits and --force need --xlsx, and the workbook's file may be written.
class Options {
public:
    Options(const Args& args, std::span<const Option> options);

    const std::string& Command() const { return command_; }
    bool Has(std::string_view name) const;
    bool Help() const { return Has("help"); }
    Format OutputFormat() const;
    const std::vector<std::string>& Positionals() const { return positionals_; }

    std::string Text(std::string_view name) const;  // required
    // Required numbers, and numbers with a default; Positive insists on a value above 0.
    double Number(std::string_view name) const;
    double Number(std::string_view name, double fallback) const;
    double Positive(std::string_view name) const;
    double Positive(std::string_view name, double fallback) const;
    double NonNegative(std::string_view name) const;
    // Rejects a value outside [lo, hi] with a message naming the option.
    double Within(std::string_view name, double fallback, double lo, double hi) const;
    // The same for a whole number (2.5 is refused, 2.0 is 2).
    int Whole(std::string_view name, int fallback, int lo, int hi) const;

private:
    const std::string* Find(std::string_view name) const;

    std::string command_;
    std::vector<std::pair<std::string, std::string>> values_;
    std::vector<std::string> positionals_;
};

// Help text: usage line, description and one line per option.
void PrintHelp(std::ostream& out, std::string_view usage, std::string_view description,
               std::span<const Option> options);

// ---- Reports ----

using Cell = std::variant<std::monostate, double, std::string>;  // empty, number, text
using Row = std::vector<Cell>;
using RowSink = std::function<void(const Row&)>;

struct Quantity {
    std::string key;    // JSON and CSV name
    std::string label;  // table text
    std::string unit;
    Cell value;
    std::string note;
};

struct Column {
    std::string key;  // JSON and CSV name; carries the unit, e.g. "loss_pa"
    std::string label;
    std::string unit;
};

// A report is a title and blocks in order: each block is a list of quantities or a table.
struct Block {
    std::string key;    // JSON member name
    std::string title;  // heading in table output
    std::vector<Quantity> quantities;
    std::vector<Column> columns;
    std::vector<Row> rows;
    // A table too long to hold makes its rows on demand instead: each call hands every row to the
    // sink, in order. Writers may call it more than once (a table output measures, then prints).
    std::function<void(const RowSink&)> stream;
    std::size_t rowCount = 0;  // of a streamed table
    bool IsTable() const { return !columns.empty(); }
    void ForEachRow(const RowSink& sink) const;
    std::size_t RowCount() const { return stream ? rowCount : rows.size(); }
};

struct Report {
    std::string title;
    std::vector<Block> blocks;

    Block& AddQuantities(std::string key, std::string title = {});
    Block& AddTable(std::string key, std::string title, std::vector<Column> columns);
};

// Adds a quantity to a block (a small convenience for the subcommands).
void Put(Block& block, std::string key, std::string label, std::string unit, Cell value,
         std::string note = {});

void WriteTable(const Report& report, std::ostream& out);
void WriteJson(const Report& report, std::ostream& out);
void WriteCsv(const Report& report, std::ostream& out);

// Refuses a report holding a number that is not finite (an input outside what the formulas can
// compute), naming the quantity and its value. Streamed rows are checked with CheckRow by the
// command that makes them, before anything is written.
void CheckFinite(const Report& report);
void CheckRow(const Block& block, const Row& row, const std::string& where);

// Checks the report and writes the --xlsx file if the options ask for one.
void WriteFile(const Report& report, const Options& options);
// WriteFile, then the report in the format the options ask for. Nothing reaches `out` when a
// check fails.
void Emit(const Report& report, const Options& options, std::ostream& out);

// The --xlsx workbook writer (XlsxReport.cpp registers it; without it the option is refused).
struct FileWriter {
    void (*check)(const Options& options) = nullptr;  // before any work: may the file be written?
    void (*write)(const Report& report, const Options& options) = nullptr;
};
extern FileWriter g_fileWriter;

// Number text for humans (table) and for machines (JSON/CSV, shortest round-trip form).
std::string HumanNumber(double value);
std::string ExactNumber(double value);

}  // namespace nuvcalc
