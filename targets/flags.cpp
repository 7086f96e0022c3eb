#include "targets/flags.h"

#include <charconv>
#include <cstdint>

#include "base/text_file.h"

namespace targets {
namespace {

bool parseMid(const std::string& text, int& mid) {
    if (text.empty()) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), mid);
    return ec == std::errc() && end == text.data() + text.size() && mid >= INT16_MIN && mid <= INT16_MAX;
}

bool isSafeIconCode(const std::string& code) {
    return !code.empty() && code.find_first_of(std::string_view("/\\\0", 3)) == std::string::npos;
}

}  // namespace

void FlagIndex::setDataDir(const std::filesystem::path& dataDir) {
    if (dataDir == dataDir_) return;
    dataDir_ = dataDir;
    loaded_ = false;
    summary_ = {};
    iconCode_.clear();
}

void FlagIndex::ensureLoaded() {
    if (loaded_) return;
    loaded_ = true;
    const base::TextFileLines file = base::ReadTextLines(dataDir_ / "Flags" / "FlagIndex.ini");
    summary_.indexFound = file.ok;
    if (!file.ok) return;
    for (const std::string& line : file.lines) {
        if (line.find_first_not_of(" \t") == std::string::npos) continue;
        const auto fields = base::SplitQuotedFields(line);
        int mid = 0;
        if (!fields || fields->size() < 2 || !parseMid((*fields)[0], mid) || !isSafeIconCode((*fields)[1])) {
            ++summary_.skippedLines;
            continue;
        }
        iconCode_.try_emplace(mid, (*fields)[1]);  // first entry wins
    }
    summary_.entries = static_cast<int>(iconCode_.size());
}

std::string FlagIndex::FindFlagIcon(int mid) {
    ensureLoaded();
    const auto it = iconCode_.find(mid);
    if (it == iconCode_.end()) return {};
    return (dataDir_ / "Flags" / ("D" + it->second + ".ico")).string();
}

FlagIndex::Summary FlagIndex::summary() {
    ensureLoaded();
    return summary_;
}

}  // namespace targets
