// orvanta-cli decode: NMEA text in, one JSON object per decoded AIS message out.
//
// Input is cut into sentences by the program's framer (input/framer.h: at line
// feeds, a carriage return stays in the sentence, a line whose text before its
// line feed outgrows the framer's bound is dropped whole; a last line without
// a line feed is handed over as it is) and handed to the intake
// (input/intake.h): sentences other than VDM/VDO are skipped, the
// checksum is tested unless --no-checksum, and the fragments of multi-sentence
// messages are collected per sentence kind, sequential identifier and channel.
// Each complete message is decoded and printed as one line holding exactly the
// fields its decoder wrote, keyed by the record's field names, in input order.
#include <algorithm>
#include <array>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "ais/binary_message.h"
#include "ais/bit_writer.h"
#include "ais/decoder.h"
#include "ais/message_fields_walk.h"
#include "ais/message_json.h"
#include "base/clock.h"
#include "cli/command.h"
#include "cli/options.h"
#include "cli/progress.h"
#include "base/json_writer.h"
#include "sentence/framer.h"
#include "sentence/intake.h"

namespace {

constexpr size_t kBlock = 1 << 20;
constexpr size_t kFlushAt = 1 << 20;
constexpr size_t kBatchText = 1 << 20;

constexpr std::string_view kUsageHead =
    "usage: orvanta-cli decode [FILE|-] [--standard imo236|iala] [--no-checksum] [--time]\n"
    "                          [--tags]\n"
    "\n"
    "Reads NMEA 0183 text (FILE, or standard input when FILE is '-' or missing),\n"
    "decodes every complete !AIVDM/!AIVDO message and prints one JSON object per\n"
    "message on standard output, in input order. An object holds exactly the fields\n"
    "the decoder wrote for that message, under the record's field names; -9999 means\n"
    "not available. Every type 1-27 is decoded. Sentences that are not decoded\n"
    "(other sentence types, checksum errors, incomplete or malformed messages, types\n"
    "0 and 28-63) print nothing; a summary of counts goes to standard error at the end.\n"
    "\n"
    "Dates (ETA, TimeReceived) are local times written as \"yyyy-mm-ddThh:mm\" (with\n"
    "\":ss\" for TimeReceived), or null when there is no date. The three positions of\n"
    "a tidal window carry their number in the key (TideLatitude1, ...), as do the\n"
    "sub-areas of an area notice (SubArea1AreaShape, ...). Binary data (types 17, 25,\n"
    "26) is hex text with its length in bits (DataBits); a structured type 25 or 26\n"
    "adds the Description and fields of its application.\n"
    "\n"
    "options:\n";

struct Counts {
    int64_t lines = 0;
    int64_t vdm = 0;
    int64_t other = 0;
    int64_t checksumErrors = 0;
    int64_t malformed = 0;
    int64_t overlong = 0;
    int64_t messages = 0;
    int64_t printed = 0;
    int64_t noDecoder = 0;
};

// A run of complete messages handed from the reading thread to a formatting
// thread, and the JSON text made of them.
struct Batch {
    struct Message {
        size_t payloadAt, payloadSize, sourceAt, sourceSize;
        int fillBits;
        int64_t time;
    };
    std::string text;  // the payloads and tag sources of the messages
    std::vector<Message> messages;
    base::OutputBuffer out{nullptr, kBatchText};
    int64_t printed = 0;
    int64_t noDecoder = 0;
    bool done = false;  // formatted; guarded by the pipeline's mutex

    void add(std::string_view payload, int fillBits, std::string_view source, int64_t time) {
        messages.push_back({text.size(), payload.size(), text.size() + payload.size(), source.size(), fillBits, time});
        text.append(payload).append(source);
    }
    void clear() {
        text.clear();
        messages.clear();
        out.truncate(0);
        printed = noDecoder = 0;
        done = false;
    }
};

// Decodes messages and writes each as one JSON line; one per formatting thread.
class Formatter {
public:
    Formatter(int standard, bool withTime, bool withTags, base::DateTime start)
        : standard_(standard), withTime_(withTime), withTags_(withTags), now_(start) {}

    void format(Batch& batch) {
        for (const Batch::Message& m : batch.messages) {
            const std::string_view text(batch.text);
            format(text.substr(m.payloadAt, m.payloadSize), m.fillBits, text.substr(m.sourceAt, m.sourceSize), m.time,
                   batch);
        }
    }

private:
    void format(std::string_view payload, int fillBits, std::string_view source, int64_t time, Batch& batch) {
        if (withTime_) now_ = clock_.now();
        bits_.load(payload);
        const int type = ais::DecodeAISMessage(bits_, record_, fillBits, standard_, now_);
        base::OutputBuffer& out = batch.out;
        const size_t mark = out.size();
        base::JsonObjectWriter json(out);
        ais::JsonFields visitor(json);
        // A type without a decoder has no fields of its own: nothing is printed.
        if (!ais::VisitDecodedFieldsWith(record_, type, visitor, withTime_) || visitor.fields == 0) {
            out.truncate(mark);
            batch.noDecoder++;
            return;
        }
        if (withTags_) {
            static constexpr base::JsonKey kTagSource("TagSource"), kTagTime("TagTime");
            json.key(kTagSource);
            if (source.empty()) json.null(); else json.value(source);
            json.key(kTagTime);
            if (time < 0) json.null(); else json.value(time);
        }
        json.end();
        out.push('\n');
        batch.printed++;
    }

    int standard_;
    bool withTime_;
    bool withTags_;
    base::SystemClock clock_;
    base::DateTime now_;
    ais::PayloadBits bits_;
    ais::AISMessageRecord record_;
};

// Decoding and JSON text are most of the work of a run, and each message's
// text depends on that message alone, so they run on formatting threads while
// the reading thread frames sentences and collects fragments. Messages go
// over in batches, in a ring; batches are written in the order they were
// filled, so the output is the same bytes as from one thread. The reading
// thread waits when every batch of the ring is in use. On a busy feed the
// reading thread does about a fifth of the work (mix.nmea: 21 % of the
// samples), so two formatting threads keep two cores busy; on one core the
// hand-over costs about 3 % more instructions than doing it all in line.
class FormatPipeline {
public:
    FormatPipeline(int threads, const Formatter& formatter) {
        for (int i = 0; i < threads; ++i) {
            threads_.emplace_back([this, copy = formatter]() mutable { work(copy); });
        }
    }
    ~FormatPipeline() { finish(); }

    void add(std::string_view payload, int fillBits, std::string_view source, int64_t time) {
        Batch& b = ring_[submitted_ % kRing];
        b.add(payload, fillBits, source, time);
        if (b.messages.size() >= kBatchMessages) submit();
    }

    // Formats and writes what is left, and ends the threads.
    void finish() {
        if (threads_.empty()) return;
        if (!ring_[submitted_ % kRing].messages.empty()) submit();
        while (written_ < submitted_) writeNext();
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        work_.notify_all();
        for (std::thread& t : threads_) t.join();
        threads_.clear();
    }

    bool failed() const { return failed_; }
    int64_t printed() const { return printed_; }
    int64_t noDecoder() const { return noDecoder_; }

private:
    static constexpr size_t kRing = 8;
    static constexpr size_t kBatchMessages = 2048;

    void submit() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            ++submitted_;
        }
        work_.notify_one();
        // The next batch to fill must have been written.
        while (written_ + kRing <= submitted_) writeNext();
    }

    void writeNext() {
        Batch& b = ring_[written_ % kRing];
        {
            std::unique_lock<std::mutex> lock(mutex_);
            formatted_.wait(lock, [&] { return b.done; });
        }
        const std::string_view text = b.out.view();
        if (!failed_ && std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) failed_ = true;
        printed_ += b.printed;
        noDecoder_ += b.noDecoder;
        b.clear();
        ++written_;
    }

    void work(Formatter& formatter) {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            work_.wait(lock, [&] { return stop_ || taken_ < submitted_; });
            if (taken_ >= submitted_) return;
            Batch& b = ring_[taken_++ % kRing];
            lock.unlock();
            formatter.format(b);
            lock.lock();
            b.done = true;
            formatted_.notify_all();
        }
    }

    std::array<Batch, kRing> ring_;
    std::mutex mutex_;
    std::condition_variable work_;       // a batch was submitted, or stop
    std::condition_variable formatted_;  // a batch is done
    size_t submitted_ = 0;  // batches handed over (guarded by mutex_)
    size_t taken_ = 0;      // batches a thread took (guarded by mutex_)
    size_t written_ = 0;    // batches written (reading thread only)
    bool stop_ = false;
    bool failed_ = false;
    int64_t printed_ = 0;
    int64_t noDecoder_ = 0;
    std::vector<std::thread> threads_;
};

int FormatThreads() { return std::thread::hardware_concurrency() >= 2 ? 2 : 1; }

class Decoder final : public input::SentenceHandler {
public:
    Decoder(int standard, bool checksum, bool withTime, bool withTags)
        : checksum_(checksum), pipeline_(FormatThreads(), Formatter(standard, withTime, withTags, clock_.now())) {}

    void handleSentence(std::string_view s) override {
        counts_.lines++;
        // No clock for fragments: a file has no reception times, so only
        // the distance between fragments bounds a pending message.
        const input::IntakeOutcome o = intake_.take(s, 0.0, checksum_);
        if (o.result == input::IntakeResult::NotAIS || o.result == input::IntakeResult::TagOnly) {
            counts_.other++;
            return;
        }
        counts_.vdm++;
        if (o.result == input::IntakeResult::ChecksumError) counts_.checksumErrors++;
        if (o.result == input::IntakeResult::Malformed) counts_.malformed++;
        if (o.result != input::IntakeResult::Message) return;
        counts_.messages++;
        pipeline_.add(o.payload, o.fillBits, o.source, o.time);
    }

    void setOverlong(int64_t n) { counts_.overlong = n; }
    int64_t lines() const { return counts_.lines; }

    void flush() {
        pipeline_.finish();
        counts_.printed = pipeline_.printed();
        counts_.noDecoder = pipeline_.noDecoder();
        std::fflush(stdout);
    }
    bool outputFailed() const { return pipeline_.failed(); }

    void summary() const {
        std::fprintf(stderr,
                     "decode: %lld lines, %lld VDM/VDO sentences, %lld other, %lld checksum errors, "
                     "%lld malformed, %lld overlong lines dropped; %lld messages, %lld printed, "
                     "%lld of types without a decoder; %lld incomplete messages (%lld fragments), "
                     "%lld fragments pending at the end\n",
                     static_cast<long long>(counts_.lines), static_cast<long long>(counts_.vdm),
                     static_cast<long long>(counts_.other), static_cast<long long>(counts_.checksumErrors),
                     static_cast<long long>(counts_.malformed), static_cast<long long>(counts_.overlong),
                     static_cast<long long>(counts_.messages), static_cast<long long>(counts_.printed),
                     static_cast<long long>(counts_.noDecoder),
                     static_cast<long long>(intake_.incompleteMessages()),
                     static_cast<long long>(intake_.incompleteFragments()),
                     static_cast<long long>(intake_.pendingFragments()));
    }

private:
    bool checksum_;
    base::SystemClock clock_;
    input::Intake intake_;
    Counts counts_;
    FormatPipeline pipeline_;
};

// Collects keys in the order they first come.
class KeyList final : public ais::FieldVisitor {
public:
    std::vector<std::string> keys;
    void integer(std::string_view n, int64_t) override { add(n); }
    void single(std::string_view n, float) override { add(n); }
    void real(std::string_view n, double) override { add(n); }
    void text(std::string_view n, std::string_view) override { add(n); }
    void dateTime(std::string_view n, base::DateTime) override { add(n); }

private:
    void add(std::string_view n) {
        if (std::find(keys.begin(), keys.end(), n) == keys.end()) keys.emplace_back(n);
    }
};

// The keys of every type: the fields its decoder writes, gathered over the
// variants that choose other fields (communication states, type 24 parts,
// addressed or structured forms, binary applications under both numberings,
// area notices with ten sub-areas of each shape), by decoding a message of
// each variant.
void PrintSchema() {
    struct Variant {
        int first, last;
        int64_t value;
    };
    std::vector<std::vector<Variant>> variants[28];
    for (int type : {1, 2, 3, 4, 9, 11, 18})
        for (int timeout = 0; timeout < 8; ++timeout) variants[type].push_back({{152, 154, timeout}});
    for (int part = 0; part < 2; ++part) variants[24].push_back({{39, 40, part}});
    for (int addressed = 0; addressed < 2; ++addressed) variants[22].push_back({{140, 140, addressed}});
    // Binary applications: (DAC, FI) pairs under both numberings.
    std::vector<std::pair<int, int>> apps = {{1, 31}, {1, 22}, {1, 24}, {200, 10}};
    for (int standard = 0; standard < 2; ++standard) {
        for (int app = 0; app <= static_cast<int>(ais::BinaryApp::PersonsOnBoard); ++app) {
            const int fi = ais::BinaryAppFI(static_cast<ais::BinaryApp>(app), standard);
            if (fi >= 0) apps.emplace_back(1, fi);
        }
    }
    for (const auto& [dac, fi] : apps) {
        variants[6].push_back({{73, 82, dac}, {83, 88, fi}});
        variants[8].push_back({{41, 50, dac}, {51, 56, fi}});
        for (int type : {25, 26}) {
            variants[type].push_back({{39, 39, 0}, {40, 40, 1}, {41, 50, dac}, {51, 56, fi}});
            variants[type].push_back({{39, 39, 1}, {40, 40, 1}, {71, 80, dac}, {81, 86, fi}});
        }
    }
    for (int type : {25, 26})
        for (int addressed = 0; addressed < 2; ++addressed) variants[type].push_back({{39, 39, addressed}, {40, 40, 0}});
    for (int type : {6, 8, 25, 26}) {
        const int shift = type == 6 ? 32 : 0;
        for (int shape = 0; shape < 8; ++shape) {
            std::vector<Variant> notice = {{41 + shift, 50 + shift, 1}, {51 + shift, 56 + shift, 22}};
            if (type >= 25) notice.insert(notice.end(), {{39, 39, 0}, {40, 40, 1}});
            for (int k = 0; k < ais::kMaxSubAreas; ++k)
                notice.push_back({112 + shift + 87 * k, 114 + shift + 87 * k, shape});
            variants[type].push_back(notice);
        }
    }
    base::OutputBuffer out(stdout, kFlushAt);
    base::JsonWriter json(out);
    json.beginObject();
    for (int type = 1; type <= 27; ++type) {
        if (variants[type].empty()) variants[type].push_back({});
        KeyList keys;
        for (const std::vector<Variant>& v : variants[type]) {
            ais::BitWriter w;
            w.put(1, 6, type);
            w.extendTo(type == 8 ? 981 : ais::kMaxPayloadBits);  // a type 8 holds ten whole sub-areas in 981 bits
            for (const Variant& f : v) w.put(f.first, f.last, f.value);
            int fill = 0;
            const std::string payload = w.armoured(fill);
            for (int standard = 0; standard < 2; ++standard) {
                ais::AISMessageRecord rec;
                ais::DecodeAISMessage(payload, rec, fill, standard, base::DateTime());
                ais::VisitDecodedFieldsWith(rec, type, keys, true);
            }
        }
        json.key(std::to_string(type));
        json.beginArray();
        for (const std::string& k : keys.keys) json.value(k);
        json.endArray();
    }
    json.endObject();
    out.push('\n');
    out.flush();
}

// Hands the stream to the framer block by block; a last line without a line
// feed is handed over as it is at the end of input, unless it outgrew the
// framer's bound (then the framer counts it as overflow).
void ReadSentences(FILE* in, Decoder& decoder, cli::Progress& progress) {
    input::Framer framer(decoder);
    std::vector<char> buf(kBlock);
    uint64_t bytesRead = 0;
    for (;;) {
        const size_t got = std::fread(buf.data(), 1, buf.size(), in);
        bytesRead += got;
        if (got > 0) framer.receive(std::string_view(buf.data(), got));
        progress.update(bytesRead, decoder.lines());
        if (got == 0) break;
    }
    if (framer.droppingLine()) {
        framer.dropUnfinished();
    } else if (!framer.pending().empty()) {
        const std::string last(framer.pending());
        decoder.handleSentence(last);
    }
    decoder.setOverlong(framer.counts().Overflow);
    progress.finish(bytesRead, decoder.lines());
}

int runDecode(int argc, char** argv) {
    const char* path = nullptr;
    int standard = 0;
    bool checksum = true;
    bool withTime = false;
    bool withTags = false;
    cli::OptionTable options(kUsageHead, 24);
    options.options = {
        {"--standard", "imo236|iala",
         "numbering of binary application messages (types 6 and 8):\nIMO SN/Circ.236 (default) or the IALA proposal",
         [&](const cli::Values& v) {
             const std::string_view s = v[0];
             if (s != "imo236" && s != "iala") {
                 std::fprintf(stderr, "decode: unknown standard '%s' (imo236 or iala)\n", v[0]);
                 return 2;
             }
             standard = s == "iala" ? 1 : 0;
             return cli::kGoOn;
         }},
        {"--no-checksum", "",
         "decode sentences whatever their checksum (default: drop\nsentences whose checksum is wrong or missing)",
         cli::Flag(checksum, false)},
        {"--time", "", "add TimeReceived, the local time of decoding", cli::Flag(withTime)},
        {"--tags", "",
         "add TagSource and TagTime: source (s:) and reception\ntime (c:, UNIX seconds) from the message's NMEA 4.0 tag\n"
         "blocks, null when it had none",
         cli::Flag(withTags)},
        {"--json-schema", "",
         "print the keys each message type can have, as one JSON\nobject {\"1\": [keys...], ...}, and exit",
         [](const cli::Values&) {
             PrintSchema();
             return 0;
         }},
        cli::HelpOption("this text"),
    };
    options.other = cli::InputArgument("decode", options, path);
    if (const int rc = options.parse(argc, argv); rc != cli::kGoOn) return rc;
    FILE* in = cli::OpenInput("decode", path);
    if (!in) return 1;
    Decoder decoder(standard, checksum, withTime, withTags);
    cli::Progress progress(in, "lines");
    ReadSentences(in, decoder, progress);
    const bool readError = std::ferror(in) != 0;
    if (in != stdin) std::fclose(in);
    decoder.flush();
    decoder.summary();
    if (decoder.outputFailed() || !cli::FinishOutput("decode")) {
        if (decoder.outputFailed()) std::fprintf(stderr, "orvanta-cli decode: cannot write the output\n");
        return 1;
    }
    if (readError) {
        std::fprintf(stderr, "decode: read error\n");
        return 1;
    }
    return 0;
}

const cli::Registration kDecode{"decode", "NMEA in, one JSON object per decoded AIS message out", runDecode};

}  // namespace
