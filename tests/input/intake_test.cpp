#include "input/intake.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/checksum.h"

namespace input {
namespace {

using R = IntakeResult;
using Why = IntakeReason;

// The sentence with its checksum and line end.
std::string sum(const std::string& text) { return text + "*" + NMEAChecksum(text) + "\r\n"; }

const std::string kFirst = "55P5TL01VIaAL@7WKO@mBplU@<PDhh000000001S;AJ::4A80?4i@E53";
const std::string kSecond = "1@0000000000000";
const std::string kJoined = kFirst + kSecond;
const std::string kPart1 = sum("!AIVDM,2,1,3,B," + kFirst + ",0");
const std::string kPart2 = sum("!AIVDM,2,2,3,B," + kSecond + ",2");

struct Row {
    const char* what;
    std::vector<std::string> before;  // fed first, outcomes not looked at
    std::string sentence;
    bool checksum;
    IntakeOutcome expected;
};

// Sentence after sentence, the outcome each one gets: the type test, the
// checksum, the fields, the fragments.
TEST(Intake, EachSentenceGetsOneOutcome) {
    const std::string tooMany = sum("!AIVDM,1,1,,A,13aG,0,1");
    const std::string tooFew = sum("!AIVDM,1,1,,A,13aG");
    const std::string overflow = sum("!AIVDM,99999,1,,A,13aG,0");
    const std::string payload = "13aG?P0P00PD;88MD5MTDww@2<0L";
    const std::string single = sum("!AIVDM,1,1,,A," + payload + ",0");
    const std::string lowerSum = "!AIVDM,1,1,,B,177KQJ5000G?tO`K>RA1wUbN0TKH,0*5c\r\n";
    const std::string wrongSum = single.substr(0, single.size() - 4) + "00\r\n";
    const std::string error6 = "Error 6 : Overflow  VDM-message : " + overflow;
    const std::string errorMany = "Error : too many fields  VDM-message : " + tooMany;
    const IntakeOutcome none;
    auto vdm = [](R r, char ch = ' ', Why why = Why::None) {
        IntakeOutcome o;
        o.result = r, o.reason = why, o.channel = ch;
        return o;
    };
    auto message = [](SentenceKind kind, char ch, std::string_view payload, int fill, int sentences) {
        IntakeOutcome o;
        o.result = R::Message, o.kind = kind, o.channel = ch;
        o.payload = payload, o.fillBits = fill, o.sentences = sentences;
        return o;
    };
    auto malformed = [](Why why, std::string_view text, char ch = ' ') {
        IntakeOutcome o;
        o.result = R::Malformed, o.reason = why, o.channel = ch, o.errorText = text;
        return o;
    };
    IntakeOutcome other = none, shortLine = none;
    other.reason = Why::OtherSentence;
    shortLine.reason = Why::TooShort;

    const Row rows[] = {
        {"other sentence", {}, "$GPGGA,120000,5930.000,N*47\r\n", true, other},
        {"short", {}, "!AIV\n", true, shortLine},
        {"wrong checksum", {}, wrongSum, true, vdm(R::ChecksumError)},
        {"lower-case checksum", {}, lowerSum, true, vdm(R::ChecksumError)},
        {"checksum test off", {}, wrongSum, false, message(SentenceKind::VDM, 'A', payload, 0, 1)},
        {"too many fields", {}, tooMany, true, malformed(Why::FieldCount, errorMany)},
        {"no fill-bit field", {}, tooFew, true, message(SentenceKind::VDM, 'A', "13aG", -9999, 1)},
        {"field beyond 16 bits", {}, overflow, true, malformed(Why::FieldOverflow, error6)},
        {"fragment 3 of 2", {}, sum("!AIVDM,2,3,5,A,13aG,0"), true, malformed(Why::FragmentNumbers, "", 'A')},
        {"fragment 1 of 2", {}, kPart1, true, vdm(R::FragmentPending, 'B')},
        {"fragment 2 without 1", {}, kPart2, true, vdm(R::FragmentDropped, 'B')},
        {"fragment 2 after 1", {kPart1}, kPart2, true, message(SentenceKind::VDM, 'B', kJoined, 2, 2)},
        {"1 of 1", {}, single, true, message(SentenceKind::VDM, 'A', payload, 0, 1)},
        {"own ship", {}, sum("!AIVDO,1,1,,B,13aG,4"), true, message(SentenceKind::VDO, 'B', "13aG", 4, 1)},
        {"empty channel", {}, sum("!AIVDM,1,1,,,13aG,0"), true, message(SentenceKind::VDM, ' ', "13aG", 0, 1)},
        {"single between fragments", {kPart1}, single, true, message(SentenceKind::VDM, 'A', payload, 0, 1)},
    };
    for (const Row& r : rows) {
        Intake intake;
        for (const std::string& s : r.before) intake.take(s, 0, r.checksum);
        IntakeOutcome got = intake.take(r.sentence, 0, r.checksum);
        if (got.result < R::FragmentPending) got.kind = SentenceKind::VDM;  // not looked at before assembly
        EXPECT_TRUE(got == r.expected) << r.what << ": result " << int(got.result) << " reason " << int(got.reason)
                                       << " payload '" << got.payload << "' error '" << got.errorText << "'";
    }
}

}  // namespace
}  // namespace input
