// Play back: reads a recorded (or any NMEA) file and hands its lines over at
// the pace they were received. A line's time is the c: time of its tag block
// (UNIX seconds, counted from the first such time of the file); lines without
// one follow the line before at the chosen rate. Time never runs backwards: a
// line stamped earlier than the one before it is due at once.
//
// A recording can hold a break (the receiver was off for a night) or one wrong
// time (a transmitter's clock decades ahead): a jump forward of more than the
// longest gap (10 min unless set) is skipped, the line after it follows at the
// rate, the gap is reported once, and the lines after it keep their own pace
// from there. A jump back of more than that gap starts the pace afresh at the
// line too, so the lines after a wrong time are not held back behind it.
//
//   input::PlaybackReader reader;
//   reader.open(path, error);
//   reader.onGapSkipped([](double s) { notice(input::GapSkippedText(s)); });
//   std::string chunk;
//   while (reader.take(fileSecondsSoFar, chunk)) { rx.receive(n, chunk); chunk.clear(); ... }
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <limits>
#include <string>
#include <string_view>

namespace input {

inline constexpr double kDefaultMaxGap = 600;

// "gap of 31688738 s skipped": what a skipped gap is reported as.
std::string GapSkippedText(double seconds);

class PlaybackPacer {
public:
    // maxGap: the longest jump of the file's times that is waited for (seconds, > 0).
    explicit PlaybackPacer(double linesPerSecond = 10, double maxGap = kDefaultMaxGap)
        : step_(linesPerSecond > 0 ? 1 / linesPerSecond : 0), maxGap_(maxGap) {}
    // Seconds after the start of the file at which this line is due.
    double due(std::string_view line);
    // The wait skipped before the last line (seconds), 0 when none was.
    double skipped() const { return skipped_; }
    void setMaxGap(double seconds) { maxGap_ = seconds; }
    // The c: time of the latest line that had one (UNIX seconds, -1 none).
    int64_t lastTagTime() const { return lastTagTime_; }

private:
    int64_t lastTagTime_ = -1;
    double step_;
    double maxGap_;
    double offset_ = 0;  // file seconds minus tag seconds
    bool haveTime_ = false;
    double last_ = 0;
    bool first_ = true;
    double skipped_ = 0;
};

class PlaybackReader {
public:
    static constexpr size_t kMaxLine = 64 * 1024;

    explicit PlaybackReader(double linesPerSecond = 10, double maxGap = kDefaultMaxGap)
        : pacer_(linesPerSecond, maxGap), rate_(linesPerSecond), maxGap_(maxGap) {}
    ~PlaybackReader();
    PlaybackReader(const PlaybackReader&) = delete;
    PlaybackReader& operator=(const PlaybackReader&) = delete;

    bool open(const std::string& path, std::string& error);
    // Reads from a stream the caller opened (and closes).
    void attach(std::FILE* file);

    // Appends the lines due by fileSeconds (at most about maxBytes) to out.
    // Returns false once the whole file was handed over.
    bool take(double fileSeconds, std::string& out, size_t maxBytes = 1 << 20);
    // File time of the next line (infinity at the end).
    double nextDue();
    bool readFailed() const { return failed_; }
    void setMaxGap(double seconds);
    // The file's size in bytes when opened (0 for a stream that cannot tell),
    // and the offset of the first byte not handed over yet.
    int64_t size() const { return size_; }
    int64_t position() const { return filePos_ - static_cast<int64_t>(buffer_.size() - pos_) - (haveLine_ ? static_cast<int64_t>(line_.size()) : 0); }
    // Goes on from byte `offset` (clamped to the file), at the start of the
    // next line there, its pace starting afresh (the next line is due at
    // file second 0). False when the file cannot be positioned.
    bool seek(int64_t offset);
    // The c: time (UNIX seconds) of the latest line handed over (of the
    // latest before it with one), -1 none yet.
    int64_t feedTime() const { return feedTime_; }
    // Called once for each gap skipped, with its length in seconds, when the
    // line after it is read.
    void onGapSkipped(std::function<void(double seconds)> handler) { gapSkipped_ = std::move(handler); }

private:
    bool fill();

    PlaybackPacer pacer_;
    double rate_;
    double maxGap_;
    int64_t size_ = 0;
    int64_t filePos_ = 0;  // bytes read from the file into buffer_ so far
    bool skipToLine_ = false;
    std::function<void(double)> gapSkipped_;
    std::FILE* file_ = nullptr;
    bool owned_ = false;
    bool failed_ = false;
    bool eof_ = false;
    std::string buffer_;
    size_t pos_ = 0;
    std::string_view line_;  // the next line, read but not handed over
    double lineDue_ = 0;
    int64_t lineTime_ = -1;
    int64_t feedTime_ = -1;
    bool haveLine_ = false;
};

}  // namespace input
