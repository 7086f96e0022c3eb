// Reading the program's small data files (ship database, flag index,
// landmarks, flag icons): whole file in, lines out as UTF-8, plus the
// comma-separated field reader those files use.
//
//   TextFileLines f = ReadTextLines(dir / "Shipdata.dat");
//   if (f.exists && f.ok) for (const auto& line : f.lines) {
//       auto fields = SplitQuotedFields(line);   // nullopt for a broken line
//   }
//
// Files may come from older 8-bit versions (Latin-1) or be UTF-8; each line is
// taken as UTF-8 when it is valid UTF-8 and as Latin-1 otherwise. A leading
// byte-order mark is dropped; lines may end in LF or CR LF.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace base {

// Files above this size are refused rather than read into memory.
inline constexpr std::size_t kMaxTextFileBytes = 64u * 1024u * 1024u;

struct FileBytes {
    bool exists = false;  // something exists at the path
    bool ok = false;      // it is a regular file and was read whole
    std::string error;
    std::string bytes;
};

FileBytes ReadFileBytes(const std::filesystem::path& path, std::size_t maxBytes);

struct TextFileLines {
    bool exists = false;             // something exists at the path
    bool ok = false;                 // it is a regular file and was read whole
    std::string error;
    std::vector<std::string> lines;  // UTF-8, without line ends
};

TextFileLines ReadTextLines(const std::filesystem::path& path, std::size_t maxBytes = kMaxTextFileBytes);

bool IsValidUtf8(std::string_view bytes);
// Length (1-4) of the valid UTF-8 sequence at the start of text; 0 when the
// first byte starts none (stray continuation byte, overlong form, surrogate,
// beyond U+10FFFF, cut short) or text is empty.
std::size_t Utf8SequenceLength(std::string_view text);

// Valid UTF-8 is returned unchanged; anything else is read as Latin-1.
std::string Latin1OrUtf8ToUtf8(std::string_view bytes);

// Splits one line into comma-separated fields. A field whose first non-blank
// character is '"' runs to the next '"' (no escaping, so commas inside are
// text); only blanks may follow it before the next comma. Unquoted fields are
// trimmed of blanks. Returns nullopt for an unterminated quote or text after a
// closing quote.
std::optional<std::vector<std::string>> SplitQuotedFields(std::string_view line);

}  // namespace base
