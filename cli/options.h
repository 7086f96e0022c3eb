// The command-line options of a sub-command as one table: each row names the
// option's spellings, the values that follow it, its lines in the usage text
// and what it sets. The same table parses the arguments and prints the usage.
//
//   cli::OptionTable t{kHead, 24, kTail};
//   t.options = {
//       {"--standard", "imo236|iala", "numbering of binary application messages",
//        [&](const cli::Values& v) { return setStandard(v[0]); }},
//       cli::HelpOption("this text"),
//   };
//   t.other = [&](const char* arg) { ... };   // FILE, or an error
//   if (const int rc = t.parse(argc, argv); rc != cli::kGoOn) return rc;
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// What a setter returns to go on with the next argument; any other value ends
// the parse and is the command's exit status.
constexpr int kGoOn = -1;

// The values that followed an option; a value that was not given is null
// (only with MissingValue::ToSetter).
class Values {
public:
    Values(char** first, int count) : first_(first), count_(count) {}
    const char* operator[](int i) const { return i < count_ ? first_[i] : nullptr; }

private:
    char** first_;
    int count_;
};

struct Option {
    // Every spelling, separated by '|' ("--centre|--center"); the first is the
    // one the usage shows. Empty: a row of usage text (a heading, a note)
    // printed as it is.
    std::string_view names;
    // The value names shown after the option ("LAT LON"); one value follows
    // per word.
    std::string_view args;
    // The description in the usage; lines after the first are indented to
    // the description column. An option with none is not shown.
    std::string_view help;
    std::function<int(const Values&)> set;
    bool isHelp = false;  // prints the usage on standard output; exit status 0

    int valueCount() const;
};

// --help and -h.
Option HelpOption(std::string_view help);

// Setters for the common cases: the value as text, a flag.
std::function<int(const Values&)> Store(std::string& target);
std::function<int(const Values&)> Flag(bool& target, bool value = true);

// What happens to an option given without all of its values.
enum class MissingValue {
    AsOther,   // the option's name goes to `other` like any argument
    ToSetter,  // the setter runs with the missing values null
};

struct OptionTable {
    OptionTable(std::string_view usageHead, int nameColumn, std::string_view usageTail = {})
        : head(usageHead), column(nameColumn), tail(usageTail) {}

    std::string_view head;  // the usage up to the option rows
    int column = 0;         // width of the name column, its two leading blanks excluded
    std::string_view tail;  // the usage after the option rows
    std::vector<Option> options;
    // An argument that is no option (a file, a number, an unknown option):
    // kGoOn to go on, or an exit status.
    std::function<int(const char* arg)> other;
    MissingValue missing = MissingValue::AsOther;
    // --help wins wherever it stands, before any other argument is looked at.
    bool helpAnywhere = false;

    // kGoOn when every argument was taken, else the exit status.
    int parse(int argc, char** argv) const;
    std::string usage() const;
    void printUsage(FILE* out) const;

private:
    const Option* find(std::string_view arg) const;
};

// `other` for a command that reads one FILE or standard input ("-"): the
// first such argument is the path; anything else is an error that names the
// command and prints the usage (exit status 2).
std::function<int(const char* arg)> InputArgument(const char* command, const OptionTable& table, const char*& path);

// The input `path` names, or standard input for none or "-". Null after
// saying on standard error why the file cannot be opened.
FILE* OpenInput(const char* command, const char* path);

}  // namespace cli
