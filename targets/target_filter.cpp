#include "targets/target_filter.h"

#include <algorithm>
#include <string>

namespace targets {

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool contains(std::string_view text, std::string_view needle) {
    return std::search(text.begin(), text.end(), needle.begin(), needle.end(),
                       [](char a, char b) { return lower(a) == lower(b); }) != text.end();
}

}  // namespace

bool MatchesFilter(const TargetRecord& t, std::string_view typed) {
    const size_t first = typed.find_first_not_of(' ');
    if (first == std::string_view::npos) return true;
    const std::string_view needle = typed.substr(first, typed.find_last_not_of(' ') + 1 - first);
    return contains(t.Id.Name + t.NameExtension, needle) || contains(t.Name24, needle) || contains(t.Id.CallSign, needle) ||
           contains(t.CallSign24, needle) || contains(std::to_string(t.MMSI), needle);
}

}  // namespace targets
