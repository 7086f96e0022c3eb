#include "cli/options.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace cli {

namespace {

bool hasName(std::string_view names, std::string_view arg) {
    while (!names.empty()) {
        const size_t bar = names.find('|');
        if (names.substr(0, bar) == arg) return true;
        if (bar == std::string_view::npos) break;
        names.remove_prefix(bar + 1);
    }
    return false;
}

}  // namespace

int Option::valueCount() const {
    if (args.empty()) return 0;
    int words = 1;
    for (char c : args) words += c == ' ';
    return words;
}

Option HelpOption(std::string_view help) {
    Option o{"--help|-h", "", help, nullptr};
    o.isHelp = true;
    return o;
}

std::function<int(const Values&)> Store(std::string& target) {
    return [&target](const Values& v) {
        target = v[0];
        return kGoOn;
    };
}

std::function<int(const Values&)> Flag(bool& target, bool value) {
    return [&target, value](const Values&) {
        target = value;
        return kGoOn;
    };
}

const Option* OptionTable::find(std::string_view arg) const {
    for (const Option& o : options) {
        if (!o.names.empty() && hasName(o.names, arg)) return &o;
    }
    return nullptr;
}

int OptionTable::parse(int argc, char** argv) const {
    if (helpAnywhere) {
        for (int i = 1; i < argc; ++i) {
            const Option* o = find(argv[i]);
            if (o && o->isHelp) {
                printUsage(stdout);
                return 0;
            }
        }
    }
    for (int i = 1; i < argc; ++i) {
        const Option* o = find(argv[i]);
        const int count = o ? o->valueCount() : 0;
        if (o && o->isHelp) {
            printUsage(stdout);
            return 0;
        }
        if (!o || (i + count >= argc && missing == MissingValue::AsOther)) {
            if (const int rc = other(argv[i]); rc != kGoOn) return rc;
            continue;
        }
        const int given = std::min(count, argc - 1 - i);
        if (const int rc = o->set(Values(argv + i + 1, given)); rc != kGoOn) return rc;
        i += given;
    }
    return kGoOn;
}

std::string OptionTable::usage() const {
    std::string text(head);
    for (const Option& o : options) {
        if (o.names.empty()) {
            text += o.help;
            continue;
        }
        if (o.help.empty()) continue;
        std::string label(o.names.substr(0, o.names.find('|')));
        if (!o.args.empty()) label += ' ' + std::string(o.args);
        // A name wider than its column keeps two blanks before the description.
        label.resize(std::max(label.size() + 2, static_cast<size_t>(column)), ' ');
        std::string_view help = o.help;
        for (bool first = true; !help.empty(); first = false) {
            const size_t lf = help.find('\n');
            text += "  " + (first ? label : std::string(static_cast<size_t>(column), ' '));
            text += help.substr(0, lf);
            text += '\n';
            help.remove_prefix(lf == std::string_view::npos ? help.size() : lf + 1);
        }
    }
    return text + std::string(tail);
}

void OptionTable::printUsage(FILE* out) const {
    const std::string text = usage();
    std::fwrite(text.data(), 1, text.size(), out);
}

std::function<int(const char* arg)> InputArgument(const char* command, const OptionTable& table, const char*& path) {
    return [command, &table, &path](const char* arg) {
        const std::string_view a = arg;
        if ((a == "-" || a.empty() || a[0] != '-') && !path) {
            path = arg;
            return kGoOn;
        }
        std::fprintf(stderr, "%s: unexpected argument '%s'\n", command, arg);
        table.printUsage(stderr);
        return 2;
    };
}

FILE* OpenInput(const char* command, const char* path) {
    if (!path || std::strcmp(path, "-") == 0) return stdin;
    FILE* in = std::fopen(path, "rb");
    if (!in) std::fprintf(stderr, "%s: cannot open '%s': %s\n", command, path, std::strerror(errno));
    return in;
}

}  // namespace cli
