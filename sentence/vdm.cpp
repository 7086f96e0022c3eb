#include "sentence/vdm.h"

#include <bit>
#include <cmath>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/number_format.h"

namespace input {

int16_t ReadFieldValue(std::string_view field, bool& ok) {
    ok = true;
    if (field.empty()) return base::kNotAvailable;
    // Fragment numbers, counts, identifiers and fill bits are one digit.
    if (field.size() == 1 && field[0] >= '0' && field[0] <= '9') return static_cast<int16_t>(field[0] - '0');
    size_t i = 0;
    while (i < field.size() && (field[i] == ' ' || field[i] == '\t')) ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) negative = field[i++] == '-';
    double value = 0;
    bool any = false;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
        value = value * 10 + (field[i] - '0');
        any = true;
        if (value > 1e9) break;  // far out of range already
    }
    if (i < field.size() && field[i] == '.') {
        double scale = 0.1;
        for (++i; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i, scale /= 10) {
            value += (field[i] - '0') * scale;
            any = true;
        }
    }
    if (!any) return 0;
    if (negative) value = -value;
    const double rounded = std::nearbyint(value);  // default rounding mode: halves to even
    if (rounded < -32768.0 || rounded > 32767.0) {
        ok = false;
        return 0;
    }
    return static_cast<int16_t>(rounded);
}

namespace {

// The positions of the first kMaxCommas commas of a sentence (count stops
// there: that many means too many fields).
struct Commas {
    static constexpr int kMaxCommas = 7;
    std::array<size_t, kMaxCommas> at{};
    int count = 0;

    // Notes one comma; false once there are kMaxCommas.
    bool add(size_t position) {
        at[static_cast<size_t>(count)] = position;
        return ++count < kMaxCommas;
    }
    // Notes the commas of a block from `from`, given one bit per byte.
    bool addBits(unsigned bits, size_t from) {
        for (; bits != 0; bits &= bits - 1) {
            if (!add(from + static_cast<size_t>(std::countr_zero(bits)))) return false;
        }
        return true;
    }
};

// One pass over the sentence, sixteen bytes a step where the processor
// compares them at once, instead of one search per field: each of the seven
// searches paid a call and its set-up for the few bytes up to the next comma.
Commas FindCommas(std::string_view s) {
    Commas c;
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i comma = _mm_set1_epi8(',');
    const auto commasAt = [&](size_t at) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + at));
        return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, comma)));
    };
    for (; i + 16 <= s.size(); i += 16) {
        if (!c.addBits(commasAt(i), i)) return c;
    }
    if (i < s.size() && s.size() >= 16) {
        // The last sixteen bytes, less those already looked at: no read past the end.
        const size_t at = s.size() - 16;
        c.addBits(commasAt(at) >> (i - at), i);
        return c;
    }
#endif
    for (; i < s.size(); ++i) {
        if (s[i] == ',' && !c.add(i)) return c;
    }
    return c;
}

}  // namespace

ExtractResult ExtractVDM(std::string_view sentence, VDMFields& fields, std::string* errorText) {
    const Commas commas = FindCommas(sentence);
    if (commas.count == Commas::kMaxCommas) {
        if (errorText) *errorText = "too many fields";
        return ExtractResult::Malformed;
    }
    std::array<std::string_view, 7> f{};
    size_t from = 0;
    for (int k = 0; k < commas.count; ++k) {
        const size_t c = commas.at[static_cast<size_t>(k)];
        f[static_cast<size_t>(k)] = sentence.substr(from, c - from);
        from = c + 1;
    }
    const std::string_view rest = sentence.substr(from);
    // The text after the last comma becomes the next field, cut before its
    // checksum; fields after it stay empty (an empty fill-bit field reads as
    // not available, and the message is still decoded).
    const size_t star = rest.find('*');
    std::string_view last = star == std::string_view::npos ? rest : rest.substr(0, star);
    if (star == std::string_view::npos) {
        // No checksum: drop the line end.
        while (!last.empty() && (last.back() == '\n' || last.back() == '\r')) last.remove_suffix(1);
    }
    f[static_cast<size_t>(commas.count)] = last;

    bool ok1 = true, ok2 = true, ok3 = true, ok6 = true;
    const int16_t count = ReadFieldValue(f[1], ok1);
    const int16_t number = ReadFieldValue(f[2], ok2);
    const int16_t sequence = ReadFieldValue(f[3], ok3);
    const int16_t fill = ReadFieldValue(f[6], ok6);
    if (!(ok1 && ok2 && ok3 && ok6)) {
        if (errorText) {
            std::string s(sentence);
            *errorText = "Error 6 : Overflow  VDM-message : " + s;
        }
        return ExtractResult::ConversionError;
    }
    fields.FragmentCount = count;
    fields.FragmentNumber = number;
    fields.SequentialMessageID = sequence;
    fields.Channel = f[4].empty() ? ' ' : f[4][0];
    fields.Payload = f[5];
    fields.FillBits = fill;
    return ExtractResult::Ok;
}

namespace {

// A fragment field or the fill bits: one digit, or empty (not available).
// Sets value and moves past the comma or star that ends it; false when the
// field is anything else.
bool PlainDigitField(std::string_view s, size_t& i, char end, int16_t& value) {
    if (i < s.size() && s[i] == end) {
        value = base::kNotAvailable;
        ++i;
        return true;
    }
    if (i + 1 >= s.size() || s[i] < '0' || s[i] > '9' || s[i + 1] != end) return false;
    value = static_cast<int16_t>(s[i] - '0');
    i += 2;
    return true;
}

// Where the payload starting at `from` ends (its comma), or npos when a star
// or the end of the sentence comes first.
size_t PayloadEnd(std::string_view s, size_t from) {
    size_t i = from;
#if defined(__SSE2__)
    for (; i + 16 <= s.size(); i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + i));
        const unsigned comma = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(','))));
        const unsigned star = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('*'))));
        if ((comma | star) == 0) continue;
        const size_t at = i + static_cast<size_t>(std::countr_zero(comma | star));
        return s[at] == ',' ? at : std::string_view::npos;
    }
#endif
    for (; i < s.size(); ++i) {
        if (s[i] == ',') return i;
        if (s[i] == '*') return std::string_view::npos;
    }
    return std::string_view::npos;
}

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

// The exclusive-or of s[1, end) for end >= 9, eight bytes a step; the last
// few bytes from one more word that ends at `end`, the bytes already taken
// shifted out of it.
unsigned char XorOf(std::string_view s, size_t end) {
    uint64_t wide = 0;
    size_t i = 1;
    for (; i + 8 <= end; i += 8) {
        uint64_t w;
        std::memcpy(&w, s.data() + i, sizeof w);
        wide ^= w;
    }
    if (i < end) {
        uint64_t w;
        std::memcpy(&w, s.data() + end - 8, sizeof w);
        const size_t taken = 8 * (8 - (end - i));
        wide ^= std::endian::native == std::endian::little ? w >> taken : w << taken;
    }
    wide ^= wide >> 32;
    wide ^= wide >> 16;
    wide ^= wide >> 8;
    return static_cast<unsigned char>(wide);
}

}  // namespace

bool ReadPlainVDM(std::string_view s, VDMFields& fields, bool& checksumValid) {
    // "!AIVDM," then count, number and sequential identifier.
    VDMFields f;
    size_t i = 7;
    if (s.size() < i || s[6] != ',') return false;
    if (!PlainDigitField(s, i, ',', f.FragmentCount) || !PlainDigitField(s, i, ',', f.FragmentNumber) ||
        !PlainDigitField(s, i, ',', f.SequentialMessageID)) {
        return false;
    }
    // The channel: none, or one character that is neither a comma nor a star.
    if (i < s.size() && s[i] != ',') {
        if (s[i] == '*') return false;
        f.Channel = s[i++];
    }
    if (i >= s.size() || s[i] != ',') return false;
    const size_t payloadAt = ++i;
    const size_t comma = PayloadEnd(s, payloadAt);
    if (comma == std::string_view::npos) return false;
    f.Payload = s.substr(payloadAt, comma - payloadAt);
    i = comma + 1;
    if (!PlainDigitField(s, i, '*', f.FillBits)) return false;
    // Two hexadecimal digits, then the end of the line.
    const size_t star = i - 1;
    if (i + 2 > s.size() || !IsHexDigit(s[i]) || !IsHexDigit(s[i + 1])) return false;
    const size_t rest = s.size() - (i + 2);
    const bool lineEnd = rest == 0 || (rest == 1 && s.back() == '\n') ||
                         (rest == 2 && s[s.size() - 2] == '\r' && s.back() == '\n');
    if (!lineEnd) return false;
    static constexpr char kHex[] = "0123456789ABCDEF";
    const unsigned char x = XorOf(s, star);
    checksumValid = s[i] == kHex[x >> 4] && s[i + 1] == kHex[x & 15];
    fields = f;
    return true;
}

int VdmAssembler::pendingCount() const {
    int n = 0;
    for (const auto& p : pending_) n += p.used ? 1 : 0;
    return n;
}

int VdmAssembler::pendingFragments() const {
    int n = 0;
    for (const auto& p : pending_) n += p.used ? p.received : 0;
    return n;
}

void VdmAssembler::discard(Pending& p) {
    if (!p.used) return;
    --inUse_;
    incompleteMessages_++;
    incompleteFragments_ += p.received;
    p.used = false;
    p.text.clear();
}

void VdmAssembler::discardAll() {
    for (auto& p : pending_) discard(p);
}

void VdmAssembler::expire(double now) {
    if (inUse_ == 0) return;  // the usual case: nothing collected, nothing to look at
    for (auto& p : pending_) {
        if (p.used && (now - p.started > kMaxAgeSeconds ||
                       (p.group < 0 && sentences_ - p.last - 1 > kMaxSentencesBetween))) {
            discard(p);
        }
    }
}

VdmAssembler::Status VdmAssembler::add(SentenceKind kind, const VDMFields& fields, double now, int64_t group,
                                       std::string_view source, int64_t time) {
    ++sentences_;
    expire(now);
    const int count = fields.FragmentCount;
    const int number = fields.FragmentNumber;

    // One-sentence message (also when both fragment fields are empty or equal and
    // at most 1): decoded on its own payload.
    if (count == number && count <= 1) {
        payload_ = fields.Payload;
        fillBits_ = fields.FillBits;
        tags_.source.assign(source);
        tags_.time = time;
        return Status::Complete;
    }
    if (count < 2 || count > kMaxFragments || number < 1 || number > count) return Status::Malformed;

    Pending* slot = nullptr;
    for (auto& p : pending_) {
        if (p.used && p.kind == kind && p.group == group &&
            (group >= 0 || (p.sequence == fields.SequentialMessageID && p.channel == fields.Channel))) {
            slot = &p;
            break;
        }
    }

    if (number == 1) {
        if (slot) {
            discard(*slot);  // a new message reuses the key: the old one is lost
        } else {
            for (auto& p : pending_) {
                if (!p.used) {
                    slot = &p;
                    break;
                }
            }
            if (!slot) {
                // All keys busy: give up the oldest.
                slot = &pending_[0];
                for (auto& p : pending_) {
                    if (p.started < slot->started) slot = &p;
                }
                discard(*slot);
            }
        }
        slot->used = true;
        ++inUse_;
        slot->kind = kind;
        slot->sequence = fields.SequentialMessageID;
        slot->channel = fields.Channel;
        slot->group = group;
        slot->count = static_cast<int16_t>(count);
        slot->received = 1;
        slot->started = now;
        slot->last = sentences_;
        slot->text = fields.Payload;
        slot->tags.source.assign(source);
        slot->tags.time = time;
        return Status::Pending;
    }

    if (!slot || slot->count != count || slot->received + 1 != number) {
        if (slot) discard(*slot);
        incompleteMessages_++;
        incompleteFragments_++;
        return Status::Dropped;
    }
    slot->text.append(fields.Payload);
    slot->tags.fillFrom(source, time);
    slot->received++;
    slot->last = sentences_;
    if (number < count) return Status::Pending;

    joined_.swap(slot->text);
    payload_ = joined_;
    fillBits_ = fields.FillBits;
    tags_.source.swap(slot->tags.source);
    tags_.time = slot->tags.time;
    slot->used = false;
    --inUse_;
    slot->text.clear();
    slot->tags.source.clear();
    return Status::Complete;
}

}  // namespace input
