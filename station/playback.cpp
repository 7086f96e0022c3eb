#include "station/playback.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "sentence/tag_block.h"

namespace input {

std::string GapSkippedText(double seconds) {
    return "gap of " + std::to_string(static_cast<long long>(std::llround(seconds))) + " s skipped";
}

double PlaybackPacer::due(std::string_view line) {
    const TagBlock tags = SplitTagBlock(line).tags;
    skipped_ = 0;
    double at = first_ ? 0 : last_ + step_;
    if (tags.present && tags.time >= 0) {
        lastTagTime_ = tags.time;
        const double t = TagSeconds(tags.time);
        if (!haveTime_) {
            offset_ = at - t;
            haveTime_ = true;
        }
        const double byTime = t + offset_;
        if (!first_ && byTime - last_ > maxGap_) {
            // A break in the recording: skipped, the pace goes on from this line.
            skipped_ = byTime - last_;
            offset_ = at - t;
        } else if (!first_ && last_ - byTime > maxGap_) {
            // Back by more than a break: this line is due now and sets the pace.
            at = last_;
            offset_ = at - t;
        } else {
            at = byTime;
        }
    }
    if (!first_ && at < last_) at = last_;
    first_ = false;
    last_ = at;
    return at;
}

PlaybackReader::~PlaybackReader() {
    if (file_ && owned_) std::fclose(file_);
}

bool PlaybackReader::open(const std::string& path, std::string& error) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = "Cannot play back " + path + ": " + std::strerror(errno);
        return false;
    }
    attach(f);
    owned_ = true;
    return true;
}

void PlaybackReader::attach(std::FILE* file) {
    file_ = file;
    size_ = 0;
    if (fseeko(file, 0, SEEK_END) == 0) size_ = std::max<int64_t>(0, ftello(file));
    std::rewind(file);
}

void PlaybackReader::setMaxGap(double seconds) {
    maxGap_ = seconds;
    pacer_.setMaxGap(seconds);
}

bool PlaybackReader::seek(int64_t offset) {
    if (!file_) return false;
    offset = std::clamp<int64_t>(offset, 0, size_);
    // From the byte before: a line that begins right at the offset is kept.
    const int64_t from = offset > 0 ? offset - 1 : 0;
    if (fseeko(file_, from, SEEK_SET) != 0) return false;
    std::clearerr(file_);
    buffer_.clear();
    pos_ = 0;
    filePos_ = from;
    eof_ = false;
    haveLine_ = false;
    skipToLine_ = offset > 0;
    pacer_ = PlaybackPacer(rate_, maxGap_);
    return true;
}

// Makes line_ the next line (line feed included; the last line of the file
// may lack it). A line beyond kMaxLine is handed over in pieces, which the
// framer then drops as overlong.
bool PlaybackReader::fill() {
    if (haveLine_) return true;
    for (;;) {
        if (skipToLine_) {
            // After a seek: the rest of the line the offset fell into is dropped.
            const size_t lf = buffer_.find('\n', pos_);
            pos_ = lf != std::string::npos ? lf + 1 : buffer_.size();
            skipToLine_ = lf == std::string::npos;
            if (skipToLine_ && eof_) return false;
        }
        const size_t lf = buffer_.find('\n', pos_);
        const bool full = buffer_.size() - pos_ >= kMaxLine;
        if (lf != std::string::npos || full || (eof_ && pos_ < buffer_.size())) {
            const size_t end = lf != std::string::npos ? lf + 1 : (full ? pos_ + kMaxLine : buffer_.size());
            line_ = std::string_view(buffer_).substr(pos_, end - pos_);
            pos_ = end;
            lineDue_ = pacer_.due(line_);
            lineTime_ = pacer_.lastTagTime();
            haveLine_ = true;
            if (pacer_.skipped() > 0 && gapSkipped_) gapSkipped_(pacer_.skipped());
            return true;
        }
        if (eof_ || !file_) return false;
        buffer_.erase(0, pos_);
        pos_ = 0;
        char block[64 * 1024];
        const size_t got = std::fread(block, 1, sizeof block, file_);
        buffer_.append(block, got);
        filePos_ += static_cast<int64_t>(got);
        if (got < sizeof block) {
            eof_ = true;
            failed_ = std::ferror(file_) != 0;
        }
    }
}

double PlaybackReader::nextDue() {
    return fill() ? lineDue_ : std::numeric_limits<double>::infinity();
}

bool PlaybackReader::take(double fileSeconds, std::string& out, size_t maxBytes) {
    const size_t start = out.size();
    while (fill()) {
        if (lineDue_ > fileSeconds || out.size() - start >= maxBytes) return true;
        out += line_;
        feedTime_ = lineTime_;
        haveLine_ = false;
    }
    return false;
}

}  // namespace input
