#include "cli/sim/fault_injector.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "sentence/checksum.h"

namespace sim {
namespace {

// Position of the checksum's two hex digits, or npos.
size_t ChecksumAt(const std::string& s) {
    const size_t star = s.rfind('*');
    if (star == std::string::npos || star + 3 > s.size()) return std::string::npos;
    return star + 1;
}

bool HasHexLetter(const std::string& s) {
    const size_t at = ChecksumAt(s);
    return at != std::string::npos && (std::isupper(static_cast<unsigned char>(s[at])) ||
                                       std::isupper(static_cast<unsigned char>(s[at + 1])));
}

}  // namespace

const char* FaultName(Fault f) {
    switch (f) {
        case Fault::WrongChecksum: return "wrong-checksum";
        case Fault::LowerCaseChecksum: return "lower-case-checksum";
        case Fault::LostFragment: return "lost-fragment";
        case Fault::InterleavedFragments: return "interleaved-fragments";
        case Fault::TruncatedLine: return "truncated-line";
        case Fault::GarbageBytes: return "garbage-bytes";
        case Fault::LongLine: return "long-line";
        case Fault::OtherTalker: return "other-talker";
        case Fault::SplitWrite: return "split-write";
    }
    return "?";
}

FaultInjector::FaultInjector(const FaultOptions& options)
    : options_(options), rng_(options.seed ^ 0xFA0175ULL) {
    options_.rate = std::clamp(options_.rate, 0.0, 1.0);
}

void FaultInjector::write(std::string& out, const std::string& bytes) {
    out += bytes;
    counts_.bytesOut += static_cast<int64_t>(bytes.size());
    counts_.linesOut += std::count(bytes.begin(), bytes.end(), '\n');
}

void FaultInjector::spoilChecksum(std::string& s, bool lowerCase) {
    const size_t at = ChecksumAt(s);
    if (lowerCase) {
        s[at] = static_cast<char>(std::tolower(static_cast<unsigned char>(s[at])));
        s[at + 1] = static_cast<char>(std::tolower(static_cast<unsigned char>(s[at + 1])));
        return;
    }
    const unsigned good = static_cast<unsigned>(std::stoul(s.substr(at, 2), nullptr, 16));
    const unsigned bad = good ^ static_cast<unsigned>(rng_.range(1, 255));
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", bad);
    s[at] = hex[0];
    s[at + 1] = hex[1];
}

std::string FaultInjector::otherTalker() {
    std::string s;
    if (rng_.chance(0.5)) {
        char buf[96];
        std::snprintf(buf, sizeof buf, "$GPGGA,%02d%02d%02d.00,5158.%04d,N,00357.%04d,E,2,09,0.9,12.%d,M,46.%d,M,,",
                      rng_.range(0, 23), rng_.range(0, 59), rng_.range(0, 59), rng_.range(0, 9999),
                      rng_.range(0, 9999), rng_.range(0, 9), rng_.range(0, 9));
        s = buf;
    } else {
        // A voyage data recorder sentence: AIS-like, but not a type the receiver decodes.
        s = "!AIVDR,1,1,,A,13u?etPv2;0n:dDPwUM1U1Cb069D,0";
    }
    s += '*';
    s += input::NMEAChecksum(s);
    s += "\r\n";
    return s;
}

void FaultInjector::apply(const std::vector<std::string>& sentences, std::string& out, std::vector<size_t>* splits) {
    ++counts_.messages;
    lastFault_ = -1;
    counts_.sentencesIn += static_cast<int64_t>(sentences.size());
    const size_t startOfMessage = out.size();

    // A held message interleaves with the next multi-sentence one.
    if (!held_.empty()) {
        if (sentences.size() > 1) {
            const size_t n = std::max(held_.size(), sentences.size());
            for (size_t i = 0; i < n; ++i) {
                if (i < held_.size()) write(out, held_[i]);
                if (i < sentences.size()) write(out, sentences[i]);
            }
            held_.clear();
            count(Fault::InterleavedFragments);
            return;
        }
        if (++heldFor_ >= kMaxHold) flush(out);
    }

    if (options_.rate <= 0 || !rng_.chance(options_.rate) || sentences.empty()) {
        for (const auto& s : sentences) write(out, s);
        return;
    }

    const Fault fault = choose(sentences);
    const size_t victim = static_cast<size_t>(rng_.range(0, static_cast<int>(sentences.size()) - 1));
    if (inject(fault, victim, sentences, out, startOfMessage, splits)) count(fault);
}

Fault FaultInjector::choose(const std::vector<std::string>& sentences) {
    Fault candidates[kFaultKinds];
    size_t n = 0;
    const bool multi = sentences.size() > 1;
    const bool anyLetter = std::any_of(sentences.begin(), sentences.end(), HasHexLetter);
    for (size_t k = 0; k < kFaultKinds; ++k) {
        const Fault f = static_cast<Fault>(k);
        if ((f == Fault::LostFragment || f == Fault::InterleavedFragments) && (!multi || !held_.empty())) continue;
        if (f == Fault::LowerCaseChecksum && !anyLetter) continue;
        if (f == Fault::SplitWrite && !options_.splitWrites) continue;
        candidates[n++] = f;
    }
    return candidates[rng_.range(0, static_cast<int>(n) - 1)];
}

// A sentence cut short somewhere after its talker and before its checksum.
std::string FaultInjector::truncated(const std::string& s) {
    const size_t star = s.rfind('*');
    size_t cut = static_cast<size_t>(rng_.range(7, static_cast<int>(std::max<size_t>(star, 8)) - 1));
    // Without its '*' a line is checked against its own last two
    // characters, which can match by chance: cut such a line shorter.
    std::string line = s.substr(0, cut) + "\r\n";
    while (input::ChecksumValid(line) && cut > 7) line = s.substr(0, --cut) + "\r\n";
    return line;
}

// A line of random bytes (no line feed) that is not a VDM/VDO sentence.
std::string FaultInjector::garbage() {
    std::string g(static_cast<size_t>(rng_.range(1, 80)), ' ');
    for (char& c : g) {
        do c = static_cast<char>(rng_.range(0, 255));
        while (c == '\n');
    }
    if (g.size() >= 6 && (g.compare(3, 3, "VDM") == 0 || g.compare(3, 3, "VDO") == 0)) g[3] = '#';
    return g + "\r\n";
}

// Printable text without a line feed; now and then longer than a receiver keeps.
std::string FaultInjector::longLine() {
    const bool overlong = rng_.range(0, 15) == 0;
    const size_t length = overlong ? kOverlongBytes : static_cast<size_t>(rng_.range(200, 2000));
    std::string junk(length, ' ');
    for (char& c : junk) c = static_cast<char>(rng_.range(0x20, 0x7E));
    if (overlong) ++counts_.overlongLines;
    return junk;
}

bool FaultInjector::inject(Fault fault, size_t victim, const std::vector<std::string>& sentences, std::string& out,
                           size_t startOfMessage, std::vector<size_t>* splits) {
    switch (fault) {
        case Fault::WrongChecksum:
        case Fault::LowerCaseChecksum: {
            size_t k = victim;
            if (fault == Fault::LowerCaseChecksum)
                while (!HasHexLetter(sentences[k])) k = (k + 1) % sentences.size();
            for (size_t i = 0; i < sentences.size(); ++i) {
                if (i != k) {
                    write(out, sentences[i]);
                    continue;
                }
                std::string s = sentences[i];
                spoilChecksum(s, fault == Fault::LowerCaseChecksum);
                write(out, s);
            }
            break;
        }
        case Fault::LostFragment:
            for (size_t i = 0; i < sentences.size(); ++i)
                if (i != victim) write(out, sentences[i]);
            break;
        case Fault::InterleavedFragments:
            held_ = sentences;
            heldFor_ = 0;
            return false;  // counted when the partner arrives
        case Fault::TruncatedLine:
            for (size_t i = 0; i < sentences.size(); ++i) write(out, i == victim ? truncated(sentences[i]) : sentences[i]);
            break;
        case Fault::GarbageBytes:
        case Fault::LongLine:
        case Fault::OtherTalker:
            // A line of its own in front of the message.
            write(out, fault == Fault::GarbageBytes ? garbage() : fault == Fault::LongLine ? longLine() : otherTalker());
            for (const auto& s : sentences) write(out, s);
            break;
        case Fault::SplitWrite: {
            for (const auto& s : sentences) write(out, s);
            const size_t length = out.size() - startOfMessage;
            if (splits && length > 1) {
                const int pieces = rng_.range(1, 3);
                std::vector<size_t> at;
                for (int i = 0; i < pieces; ++i)
                    at.push_back(startOfMessage + static_cast<size_t>(rng_.range(1, static_cast<int>(length) - 1)));
                std::sort(at.begin(), at.end());
                at.erase(std::unique(at.begin(), at.end()), at.end());
                splits->insert(splits->end(), at.begin(), at.end());
            }
            break;
        }
    }
    return true;
}

void FaultInjector::flush(std::string& out) {
    for (const auto& s : held_) write(out, s);
    held_.clear();
    heldFor_ = 0;
}

}  // namespace sim
