// Country flags: MID -> path of a flag icon file, from the index
// "Flags/FlagIndex.ini" in the data folder.
//
// The index has one entry per line, three comma-separated fields (a text may
// be in double quotes): MID, icon code, free text (usually the country name):
//
//   257,NO,"Norway"
//
// The icon of that entry is <data folder>/Flags/DNO.ico. The first entry with
// a MID wins. Without an index file, or for a MID it lacks, there is no flag.
// Lines that hold no number in the first field, no icon code, or a code with
// a path separator in it are skipped, so an index can never point outside the
// "Flags" folder. The icon file itself is not looked at here.
//
//   FlagIndex flags(dataDir);
//   std::string icon = flags.FindFlagIcon(257);   // "" when none
//
// The index is read once, on the first lookup, and kept for the data folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <unordered_map>

namespace targets {

class FlagIndex {
public:
    FlagIndex() = default;
    explicit FlagIndex(std::filesystem::path dataDir) : dataDir_(std::move(dataDir)) {}

    // Points the index at another data folder; the index is read again on the
    // next lookup only when the folder changed.
    void setDataDir(const std::filesystem::path& dataDir);
    const std::filesystem::path& dataDir() const { return dataDir_; }

    // Icon file path for a MID, or an empty text when there is none.
    std::string FindFlagIcon(int mid);

    // What reading the index found (reads it when not done yet).
    struct Summary {
        bool indexFound = false;
        int entries = 0;         // distinct MIDs
        int skippedLines = 0;    // non-blank lines that held no usable entry
    };
    Summary summary();

private:
    void ensureLoaded();

    std::filesystem::path dataDir_;
    bool loaded_ = false;
    Summary summary_;
    std::unordered_map<int, std::string> iconCode_;  // MID -> first icon code
};

}  // namespace targets
