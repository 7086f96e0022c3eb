// Recorder: writes every sentence of every input to a file exactly as it was
// received (tag block and line end included), for playing back later.
//
//   input::Recorder rec([] { return unixSecondsNow(); });
//   std::string error;
//   if (rec.open("/data/rec.nmea", true, false, error)) rx.addTap(&rec);
//   ...                       // once a second: rec.flush();
//   rx.removeTap(&rec); rec.close();
//
// With addTime, a sentence that came without a tag block gets one with its
// reception time ("\c:1700000000*hh\"), so the recording plays back at its own
// pace. Sentences are collected in memory and written when flush() is called
// (once a second) or when 64 KiB have come together, so a crash loses at most
// the last second; with syncToDisk each write is also forced to the disk.
// Nothing here blocks on anything but the file; a write that fails stops the
// recording and says why.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "sentence/intake.h"

namespace input {

class Recorder final : public SentenceTap {
public:
    using UnixTime = std::function<int64_t()>;
    static constexpr size_t kWriteAt = 64 * 1024;

    explicit Recorder(UnixTime unixTime) : unixTime_(std::move(unixTime)) {}
    ~Recorder() override { close(); }
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // Starts a recording into path (replaced). False with the reason when the
    // file cannot be made.
    bool open(const std::string& path, bool addTime, bool syncToDisk, std::string& error);
    // Writes what is left and closes the file; false when that write failed.
    bool close();
    bool isOpen() const { return fd_ >= 0; }
    // "Record with reception times" changed while recording: from the next sentence on.
    void setAddTime(bool addTime) { addTime_ = addTime; }

    void sentenceTaken(int input, std::string_view sentence, IntakeResult result) override;
    // Writes the collected sentences now; false (and closed) when the write failed.
    bool flush();

    int64_t sentences() const { return sentences_; }
    // Bytes recorded since open (written or still collected).
    int64_t bytes() const { return bytes_; }
    // Why the recording stopped; empty while it runs.
    const std::string& error() const { return error_; }

private:
    UnixTime unixTime_;
    int fd_ = -1;
    bool addTime_ = false;
    bool sync_ = false;
    std::string path_;
    std::string buffer_;
    std::string error_;
    int64_t sentences_ = 0;
    int64_t bytes_ = 0;
};

}  // namespace input
