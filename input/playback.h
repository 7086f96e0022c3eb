// Play back: reads a recorded (or any NMEA) file and hands its lines over at
// the pace they were received. A line's time is the c: time of its tag block
// (UNIX seconds, counted from the first such time of the file); lines without
// one follow the line before at the chosen rate. Time never runs backwards: a
// line stamped earlier than the one before it is due at once.
//
//   input::PlaybackReader reader;
//   reader.open(path, error);
//   std::string chunk;
//   while (reader.take(fileSecondsSoFar, chunk)) { rx.receive(n, chunk); chunk.clear(); ... }
#pragma once

#include <cstdio>
#include <limits>
#include <string>
#include <string_view>

namespace input {

class PlaybackPacer {
public:
    explicit PlaybackPacer(double linesPerSecond = 10) : step_(linesPerSecond > 0 ? 1 / linesPerSecond : 0) {}
    // Seconds after the start of the file at which this line is due.
    double due(std::string_view line);

private:
    double step_;
    double offset_ = 0;  // file seconds minus tag seconds
    bool haveTime_ = false;
    double last_ = 0;
    bool first_ = true;
};

class PlaybackReader {
public:
    static constexpr size_t kMaxLine = 64 * 1024;

    explicit PlaybackReader(double linesPerSecond = 10) : pacer_(linesPerSecond) {}
    ~PlaybackReader();
    PlaybackReader(const PlaybackReader&) = delete;
    PlaybackReader& operator=(const PlaybackReader&) = delete;

    bool open(const std::string& path, std::string& error);
    // Reads from a stream the caller opened (and closes).
    void attach(std::FILE* file) { file_ = file; }

    // Appends the lines due by fileSeconds (at most about maxBytes) to out.
    // Returns false once the whole file was handed over.
    bool take(double fileSeconds, std::string& out, size_t maxBytes = 1 << 20);
    // File time of the next line (infinity at the end).
    double nextDue();
    bool readFailed() const { return failed_; }

private:
    bool fill();

    PlaybackPacer pacer_;
    std::FILE* file_ = nullptr;
    bool owned_ = false;
    bool failed_ = false;
    bool eof_ = false;
    std::string buffer_;
    size_t pos_ = 0;
    std::string_view line_;  // the next line, read but not handed over
    double lineDue_ = 0;
    bool haveLine_ = false;
};

}  // namespace input
