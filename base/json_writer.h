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

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

#include "base/json_number.h"

namespace base {

class OutputBuffer {
public:
    // sink may be null (the text then stays in the buffer, e.g. for tests).
    explicit OutputBuffer(FILE* sink = nullptr, size_t flushAt = size_t{1} << 20);
    ~OutputBuffer() { flush(); }
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;

    // Room for n more bytes; write them at the returned pointer, then commit.
    [[gnu::always_inline]] char* reserve(size_t n) {
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

// An object key fixed at compile time (a field name of ours), kept as the
// text that goes before its value, ,"Name": , so writing it is one copy of a
// fixed size instead of quoting the name byte by byte. A name that is not
// letters, digits and '_', or longer than kMaxName, does not compile.
class JsonKey {
public:
    static constexpr size_t kMaxName = 26;
    static constexpr size_t kCopySize = kMaxName + 5;  // what a writer copies, with room to spare

    template <size_t N>
    explicit consteval JsonKey(const char (&name)[N]) : size_(static_cast<uint8_t>(N - 1 + 4)) {
        static_assert(N - 1 <= kMaxName, "JsonKey: name too long");
        text_[0] = ',';
        text_[1] = '"';
        for (size_t i = 0; i + 1 < N; ++i) {
            const char c = name[i];
            const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
            if (!plain) throw "JsonKey: a name is letters, digits and '_'";
            text_[i + 2] = c;
        }
        text_[N + 1] = '"';
        text_[N + 2] = ':';
    }

    constexpr std::string_view name() const { return {text_.data() + 2, size_ - 4u}; }
    constexpr operator std::string_view() const { return name(); }
    // ,"Name": followed by zeros up to kCopySize + 1 bytes.
    const char* text() const { return text_.data(); }
    size_t size() const { return size_; }

private:
    std::array<char, kCopySize + 1> text_{};
    uint8_t size_;
};

// One flat object {"Key":value,...} written straight into the buffer, for
// output of many small objects (orvanta-cli decode): no nesting to track, and
// a JsonKey is copied whole.
class JsonObjectWriter {
public:
    explicit JsonObjectWriter(OutputBuffer& out) : out_(out) { out_.push('{'); }

    // Key and integer writers are always inlined: a message line is mostly
    // these, called from a walk unrolled over its fields.
    [[gnu::always_inline]] void key(const JsonKey& k) {
        // Copy a fixed number of bytes (a few moves, no call) and keep only
        // the key; the first key of the object goes without its comma.
        char* p = out_.reserve(JsonKey::kCopySize);
        const size_t skip = first_ ? 1 : 0;
        std::memcpy(p, k.text() + skip, JsonKey::kCopySize);
        out_.commit(k.size() - skip);
        first_ = false;
    }
    // A key made at run time: escaped as any text.
    void key(std::string_view name);
    // Key and integer with one look at the buffer's room instead of two:
    // most members of a message line are these.
    [[gnu::always_inline]] void field(const JsonKey& k, int64_t v) {
        char* p = out_.reserve(JsonKey::kCopySize + kMaxNumberText);
        const size_t skip = first_ ? 1 : 0;
        std::memcpy(p, k.text() + skip, JsonKey::kCopySize);
        first_ = false;
        out_.commitTo(WriteInteger(p + (k.size() - skip), v));
    }

    [[gnu::always_inline]] void value(int64_t v) {
        char* p = out_.reserve(kMaxNumberText);
        out_.commitTo(WriteInteger(p, v));
    }
    void value(float v);
    void value(double v);
    void value(std::string_view v);
    void null();
    void end() { out_.push('}'); }

private:
    OutputBuffer& out_;
    bool first_ = true;
};

class JsonWriter {
public:
    explicit JsonWriter(OutputBuffer& out) : out_(out) {}

    void beginObject() { open('{'); }
    void endObject() { close('}'); }
    void beginArray() { open('['); }
    void endArray() { close(']'); }

    // An object key; the next value belongs to it.
    void key(std::string_view name);

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
