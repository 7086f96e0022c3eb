#include "sentence/vdm.h"

#include <cmath>

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

ExtractResult ExtractVDM(std::string_view sentence, VDMFields& fields, std::string* errorText) {
    std::array<std::string_view, 7> f{};
    std::string_view rest = sentence;
    int commas = 0;
    for (; commas < 7; ++commas) {
        const size_t c = rest.find(',');
        if (c == std::string_view::npos) break;
        f[static_cast<size_t>(commas)] = rest.substr(0, c);
        rest.remove_prefix(c + 1);
    }
    if (commas == 7) {
        if (errorText) *errorText = "too many fields";
        return ExtractResult::Malformed;
    }
    // The text after the last comma becomes the next field, cut before its
    // checksum; fields after it stay empty (an empty fill-bit field reads as
    // not available, and the message is still decoded).
    const size_t star = rest.find('*');
    std::string_view last = star == std::string_view::npos ? rest : rest.substr(0, star);
    if (star == std::string_view::npos) {
        // No checksum: drop the line end.
        while (!last.empty() && (last.back() == '\n' || last.back() == '\r')) last.remove_suffix(1);
    }
    f[static_cast<size_t>(commas)] = last;

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
    fields.Payload.assign(f[5]);
    fields.FillBits = fill;
    return ExtractResult::Ok;
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
    incompleteMessages_++;
    incompleteFragments_ += p.received;
    p.used = false;
    p.text.clear();
}

void VdmAssembler::discardAll() {
    for (auto& p : pending_) discard(p);
}

void VdmAssembler::expire(double now) {
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
    slot->text += fields.Payload;
    slot->tags.fillFrom(source, time);
    slot->received++;
    slot->last = sentences_;
    if (number < count) return Status::Pending;

    payload_.swap(slot->text);
    fillBits_ = fields.FillBits;
    tags_.source.swap(slot->tags.source);
    tags_.time = slot->tags.time;
    slot->used = false;
    slot->text.clear();
    slot->tags.source.clear();
    return Status::Complete;
}

}  // namespace input
