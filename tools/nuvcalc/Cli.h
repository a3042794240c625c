// The pieces every nuvcalc subcommand shares: the command-line parser, number checks, and the
// report model with its three output formats (aligned table, JSON, CSV). A subcommand declares
// its options, reads them through Options and hands a Report to Emit.
#pragma once

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

// Accepted by every subcommand: --help, --json, --csv, --xlsx FILE, --digits N.
extern const Option kCommonOptions[5];

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

// Args matched against a subcommand's options (the common ones are always accepted). Accepts
// "--name VALUE" and "--name=VALUE"; a value may begin with '-'. Throws UsageError for an
// unknown option, a missing value or a repeated option.
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
    std::vector<std::vector<Cell>> rows;
    bool IsTable() const { return !columns.empty(); }
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

// Writes the report in the format the options ask for. Another output format (a file writer such
// as an --xlsx option) belongs here: add its option to the subcommand's list and a branch below.
void Emit(const Report& report, const Options& options, std::ostream& out);

// Writes the report to the file --xlsx names (XlsxReport.cpp sets it; programs without it ignore
// the option).
extern void (*g_fileWriter)(const Report& report, const Options& options);

// Number text for humans (table) and for machines (JSON/CSV, shortest round-trip form).
std::string HumanNumber(double value);
std::string ExactNumber(double value);

}  // namespace nuvcalc
