// The flag index reader on any "Flags/FlagIndex.ini".
//
// What must hold: every MID the index names gives an icon path inside the
// data folder's "Flags" folder, named D<code>.ico; MIDs outside 16 bits give
// nothing; the summary's counts cover the file.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <set>

#include "fuzz/fuzz_support.h"
#include "targets/flags.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fuzzing::ScratchDir dir;
    static const bool made = std::filesystem::create_directories(dir.path() / "Flags");
    (void)made;
    const std::string_view text = fuzzing::AsText(data, size);
    fuzzing::WriteFile(dir.path() / "Flags" / "FlagIndex.ini", text);

    targets::FlagIndex flags(dir.path());
    const targets::FlagIndex::Summary s = flags.summary();
    FUZZ_CHECK(s.indexFound);
    const int64_t lines = std::count(text.begin(), text.end(), '\n') + 1;
    FUZZ_CHECK(s.entries >= 0 && s.skippedLines >= 0 && s.entries + s.skippedLines <= lines);

    const std::filesystem::path folder = dir.path() / "Flags";
    // Every MID of an entry is one of the numbers written in the file.
    std::set<int> mids;
    for (size_t i = 0; i < text.size();) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) {
            ++i;
            continue;
        }
        size_t j = i;
        while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) ++j;
        int v = 0;
        if (std::from_chars(text.data() + i, text.data() + j, v).ec == std::errc()) {
            mids.insert(v);
            mids.insert(-v);
        }
        i = j;
    }
    int found = 0;
    for (int mid : mids) {
        const std::string icon = flags.FindFlagIcon(mid);
        if (icon.empty()) continue;
        ++found;
        const std::filesystem::path p(icon);
        FUZZ_CHECK(p.parent_path() == folder);
        const std::string name = p.filename().string();
        FUZZ_CHECK(name.size() > 5 && name[0] == 'D' && name.compare(name.size() - 4, 4, ".ico") == 0);
    }
    FUZZ_CHECK(found == s.entries);
    for (int mid : {-32769, 32768, 1 << 30}) FUZZ_CHECK(flags.FindFlagIcon(mid).empty());
    return 0;
}
