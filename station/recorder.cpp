#include "station/recorder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "sentence/tag_block.h"

namespace input {

bool Recorder::open(const std::string& path, bool addTime, bool syncToDisk, std::string& error) {
    close();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0644);
    if (fd < 0) {
        error = "Cannot record to " + path + ": " + std::strerror(errno);
        return false;
    }
    fd_ = fd;
    path_ = path;
    addTime_ = addTime;
    sync_ = syncToDisk;
    error_.clear();
    sentences_ = 0;
    bytes_ = 0;
    return true;
}

bool Recorder::close() {
    if (fd_ < 0) return error_.empty();
    const bool ok = flush();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    return ok;
}

void Recorder::sentenceTaken(int, std::string_view sentence, IntakeResult) {
    if (fd_ < 0) return;
    const size_t before = buffer_.size();
    if (addTime_ && !SplitTagBlock(sentence).tags.present) buffer_ += FormatTagBlock({}, unixTime_());
    buffer_ += sentence;
    bytes_ += static_cast<int64_t>(buffer_.size() - before);
    ++sentences_;
    if (buffer_.size() >= kWriteAt) flush();
}

bool Recorder::flush() {
    if (fd_ < 0) return error_.empty();
    size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error_ = "Recording to " + path_ + " stopped: " + std::strerror(n < 0 ? errno : ENOSPC);
            ::close(fd_);
            fd_ = -1;
            buffer_.clear();
            return false;
        }
        done += static_cast<size_t>(n);
    }
    buffer_.clear();
    if (sync_ && done > 0) ::fdatasync(fd_);
    return true;
}

}  // namespace input
