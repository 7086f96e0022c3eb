// Shared pieces of the fuzz harnesses in this folder.
//
// A harness states what must hold for every input, not only that nothing
// crashes: FUZZ_CHECK prints the broken condition and aborts, which libFuzzer
// reports as a crash and saves the input for a regression test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "targets/ship_database.h"

#define FUZZ_CHECK(cond)                                                                   \
    do {                                                                                   \
        if (!(cond)) {                                                                     \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                  \
        }                                                                                  \
    } while (0)

namespace fuzzing {

inline std::string_view AsText(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Small deterministic generator for choices that should not eat input bytes
// (chunk sizes, clock steps), so a seed keeps its meaning when mutated.
struct SplitMix {
    uint64_t s;
    uint64_t next() {
        uint64_t z = (s += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    size_t below(size_t n) { return n ? static_cast<size_t>(next() % n) : 0; }
};

// One folder per fuzz process for the file readers, under /dev/shm when it is
// there (files in memory keep the runs fast), removed at exit.
class ScratchDir {
public:
    ScratchDir() {
        std::error_code ec;
        std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec)
                                         ? std::filesystem::path("/dev/shm")
                                         : std::filesystem::temp_directory_path();
        // A run that stopped on a failed check left its folder behind.
        for (std::filesystem::directory_iterator it(base, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (name.rfind("orvanta-fuzz-", 0) != 0) continue;
            const long pid = std::atol(name.c_str() + 13);
            if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
                std::error_code removeEc;
                std::filesystem::remove_all(it->path(), removeEc);
            }
        }
        path_ = base / ("orvanta-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path_, ec);
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline std::string ReadFile(const std::filesystem::path& p) {
    std::string out;
    if (FILE* f = std::fopen(p.c_str(), "rb")) {
        char buf[4096];
        for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) out.append(buf, n);
        std::fclose(f);
    }
    return out;
}

// The lines of a text, each with its line feed (the last may have none).
inline std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> out;
    while (!text.empty()) {
        const size_t lf = text.find('\n');
        const size_t end = lf == std::string_view::npos ? text.size() : lf + 1;
        out.emplace_back(text.substr(0, end));
        text.remove_prefix(end);
    }
    return out;
}

// A ship record written as a file line: one line that reads back to the same
// numbers (texts are lower-cased and lose their quotes) and is written out the
// same again. Returns the line without its line end.
inline std::string ShipLineRoundTrip(const targets::ShipDataItem& item) {
    const auto bare = [](std::string line) {
        FUZZ_CHECK(line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0);
        line.resize(line.size() - 2);
        FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
        return line;
    };
    const std::string line = bare(targets::FormatShipDataLine(item));
    const auto back = targets::ParseShipDataLine(line);
    FUZZ_CHECK(back.has_value());
    targets::ShipDataItem expected = item;
    expected.Name = back->Name, expected.CallSign = back->CallSign;
    FUZZ_CHECK(*back == expected);
    FUZZ_CHECK(bare(targets::FormatShipDataLine(*back)) == line);
    return line;
}

inline void WriteFile(const std::filesystem::path& p, std::string_view bytes) {
    FILE* f = std::fopen(p.c_str(), "wb");
    FUZZ_CHECK(f != nullptr);
    if (!bytes.empty()) FUZZ_CHECK(std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size());
    FUZZ_CHECK(std::fclose(f) == 0);
}

}  // namespace fuzzing
