// A small JSON writer for the output of orvanta-cli and the exports, writing
// into an OutputBuffer that is flushed to a FILE in large blocks, so a run
// makes no heap allocation per object and few system calls.
//
//   base::OutputBuffer out(stdout);
//   base::JsonWriter j(out);
//   j.beginObject();
//   j.field("MMSI", int64_t{257000001});
//   j.field("SOG", 12.3f);            // singles: up to 7 significant digits
//   j.field("Latitude", 59.123456);   // doubles: shortest text that reads back exactly
//   j.field("Name", "EVER GIVEN  ");  // texts as given, escaped
//   j.endObject();                    // {"MMSI":257000001,"SOG":12.3,...}
//   out.push('\n');
//
// Any byte sequence gives valid JSON: quotes, backslashes and control
// characters are escaped, UTF-8 is copied as it is, and a byte that starts no
// valid UTF-8 sequence is written as \ufffd (the replacement character).
// Non-finite numbers are written as null. Keys are escaped the same way.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>

namespace base {

class OutputBuffer {
public:
    // sink may be null (the text then stays in the buffer, e.g. for tests).
    explicit OutputBuffer(FILE* sink = nullptr, size_t flushAt = size_t{1} << 20);
    ~OutputBuffer() { flush(); }
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;

    // Room for n more bytes; write them at the returned pointer, then commit.
    char* reserve(size_t n) {
        if (capacity_ - size_ < n) grow(n);
        return data_.get() + size_;
    }
    void commit(size_t n) { size_ += n; }
    void commitTo(const char* end) { size_ = static_cast<size_t>(end - data_.get()); }

    void push(char c) { *reserve(1) = c; ++size_; }
    void append(std::string_view s);

    size_t size() const { return size_; }
    void truncate(size_t size) { if (size < size_) size_ = size; }
    std::string_view view() const { return {data_.get(), size_}; }

    // Writes everything to the sink when at least flushAt bytes are waiting.
    void maybeFlush() { if (size_ >= flushAt_) flush(); }
    void flush();
    // A flush could not write everything to the sink; what follows is dropped.
    bool failed() const { return failed_; }

private:
    void grow(size_t n);

    FILE* sink_;
    size_t flushAt_;
    std::unique_ptr<char[]> data_;
    size_t size_ = 0;
    size_t capacity_ = 0;
    bool failed_ = false;
};

void AppendJsonString(OutputBuffer& out, std::string_view text);
void AppendJsonNumber(OutputBuffer& out, int64_t value);
void AppendJsonNumber(OutputBuffer& out, float value);
void AppendJsonNumber(OutputBuffer& out, double value);

class JsonWriter {
public:
    explicit JsonWriter(OutputBuffer& out) : out_(out) {}

    void beginObject() { open('{'); }
    void endObject() { close('}'); }
    void beginArray() { open('['); }
    void endArray() { close(']'); }

    // An object key; the next value belongs to it.
    void key(std::string_view name);
    // The same for a key known not to need escaping (a field name of ours):
    // copied as it is, which is what most of an output line consists of.
    void plainKey(std::string_view name);

    void value(int64_t v) { separate(); AppendJsonNumber(out_, v); }
    void value(float v) { separate(); AppendJsonNumber(out_, v); }
    void value(double v) { separate(); AppendJsonNumber(out_, v); }
    void value(std::string_view v) { separate(); AppendJsonString(out_, v); }
    void value(const char* v) { value(std::string_view(v)); }
    void value(bool v) { separate(); out_.append(v ? "true" : "false"); }
    void null() { separate(); out_.append("null"); }

    template <class T>
    void field(std::string_view name, T v) {
        key(name);
        value(v);
    }

private:
    void open(char c);
    void close(char c);
    void separate() {
        if (afterKey_) {
            afterKey_ = false;
        } else {
            comma();
        }
    }
    void comma() {
        if (depth_ > 0 && depth_ <= 64) {
            const uint64_t bit = uint64_t{1} << (depth_ - 1);
            if (needComma_ & bit) out_.push(',');
            needComma_ |= bit;
        }
    }

    OutputBuffer& out_;
    uint64_t needComma_ = 0;  // one bit per nesting level (up to 64)
    int depth_ = 0;
    bool afterKey_ = false;
};

}  // namespace base
