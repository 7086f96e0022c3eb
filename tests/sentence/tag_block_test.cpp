#include "sentence/tag_block.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sentence/checksum.h"
#include "sentence/intake.h"

namespace input {
namespace {

using R = IntakeResult;

std::string sum(const std::string& text) { return text + "*" + NMEAChecksum(text) + "\r\n"; }

// Checksums worked out by hand (XOR of the text between '\' and '*').
const std::string kTag = "\\s:rcvr1,c:1700000000*1E\\";
const std::string kFirstOfGroup = "\\g:1-2-77,s:base,c:1700000123*5D\\";
const std::string kSecondOfGroup = "\\g:2-2-77*5D\\";

TEST(TagBlock, SplitsParametersAndChecksIts) {
    struct Row {
        std::string line;
        bool present, valid;
        int64_t time;
        std::string source;
        int number, size;
        int64_t group;
        std::string sentence;
    } rows[] = {
        {kTag + "!AIVDM\r\n", true, true, 1700000000, "rcvr1", 0, 0, -1, "!AIVDM\r\n"},
        {kFirstOfGroup + "!X", true, true, 1700000123, "base", 1, 2, 77, "!X"},
        {"\\s:rcvr1,c:1700000000*1F\\!X", true, false, 1700000000, "rcvr1", 0, 0, -1, "!X"},  // wrong checksum
        {"\\s:rcvr1,c:1700000000\\!X", true, false, 1700000000, "rcvr1", 0, 0, -1, "!X"},     // none
        {"\\g:3-2-9,x:1,c:-5,c:abc*00\\!X", true, false, -1, "", 0, 0, -1, "!X"},  // impossible values skipped
        {"\\s:open ended !AIVDM", false, false, -1, "", 0, 0, -1, "\\s:open ended !AIVDM"},
        {"!AIVDM,1,1,,A,1,0*00", false, false, -1, "", 0, 0, -1, "!AIVDM,1,1,,A,1,0*00"},
    };
    for (const Row& r : rows) {
        const TaggedLine t = SplitTagBlock(r.line);
        EXPECT_EQ(std::tuple(t.tags.present, t.tags.checksumValid, t.tags.time, std::string(t.tags.source),
                             t.tags.groupNumber, t.tags.groupSize, t.tags.groupId, std::string(t.sentence)),
                  std::tuple(r.present, r.valid, r.time, r.source, r.number, r.size, r.group, r.sentence))
            << r.line;
    }
    EXPECT_EQ(FormatTagBlock("rcvr1", 1700000000), kTag);
    EXPECT_EQ(FormatTagBlock("", -1, 2, 2, 77), kSecondOfGroup);
    EXPECT_EQ(TagSeconds(1700000000123), 1700000000.123);
}

// Lines fed to one intake in order, the result of each and the tags of the
// messages they complete.
TEST(TagBlock, IntakeGroupsAndCarriesTags) {
    const std::string first = "55P5TL01VIaAL@7WKO@mBplU@<PDhh000000001S;AJ::4A80?4i@E53";
    const std::string single = sum("!AIVDM,1,1,,A,13aG?P0P00PD;88MD5MTDww@2<0L,0");
    auto part = [&](int n, const std::string& p) { return sum("!AIVDM,2," + std::to_string(n) + ",3,B," + p + ",0"); };
    const std::string p1 = part(1, first), p2 = part(2, "1@0000000000000");
    const std::string p1b = part(1, "13aG?P0P00PD;88MD5MTDww@2<0L"), p2b = part(2, "0000");
    const std::string g78 = "\\g:1-2-78*51\\", g78b = "\\g:2-2-78*52\\";
    std::vector<std::string> busy;  // more traffic between two fragments than an untagged message survives
    for (int i = 0; i < VdmAssembler::kMaxSentencesBetween + 4; ++i) busy.push_back(single);

    struct Row {
        const char* what;
        bool checksum;
        std::vector<std::string> lines;
        std::vector<R> results;
        std::vector<std::string> sources;  // of the messages, in order
    } rows[] = {
        {"tagged single", true, {kTag + single}, {R::Message}, {"rcvr1"}},
        {"bad tag checksum", true, {"\\s:rcvr1,c:1700000000*00\\" + single}, {R::ChecksumError}, {}},
        {"bad tag, test off", false, {"\\s:rcvr1*00\\" + single}, {R::Message}, {"rcvr1"}},
        {"garbage before text", true, {"\\x\\$GPGGA,1*00\r\n", "\\bad*00\\\r\n"}, {R::NotAIS, R::NotAIS}, {}},
        {"tag-only names the next", true, {kTag + "\r\n", single, single},
         {R::TagOnly, R::Message, R::Message}, {"rcvr1", ""}},
        {"group interleaved with the same sequence id", true,
         {kFirstOfGroup + p1, g78 + p1b, kSecondOfGroup + p2, g78b + p2b}, {R::FragmentPending, R::FragmentPending, R::Message, R::Message},
         {"base", ""}},
        {"without groups the second first part takes the first's second", true, {p1, p1b, p2, p2b},
         {R::FragmentPending, R::FragmentPending, R::Message, R::FragmentDropped}, {""}},
        {"tag-only line of a group", true, {"\\g:1-3-77,s:base*2F\\\r\n", "\\g:2-3-77*5C\\" + p1, "\\g:3-3-77*5D\\" + p2},
         {R::TagOnly, R::FragmentPending, R::Message}, {"base"}},
    };
    for (const Row& r : rows) {
        Intake intake;
        std::vector<R> results;
        std::vector<std::string> sources;
        for (const std::string& line : r.lines) {
            const IntakeOutcome o = intake.take(line, 0, r.checksum);
            results.push_back(o.result);
            if (o.result == R::Message) sources.emplace_back(o.source);
        }
        EXPECT_EQ(results, r.results) << r.what;
        EXPECT_EQ(sources, r.sources) << r.what;
    }

    // A group outlives any amount of other traffic (within the age bound).
    Intake intake;
    EXPECT_EQ(intake.take(kFirstOfGroup + p1, 0, true).result, R::FragmentPending);
    for (const std::string& s : busy) intake.take(s, 0, true);
    const IntakeOutcome o = intake.take(kSecondOfGroup + p2, 1, true);
    EXPECT_EQ(std::tuple(o.result, o.payload, o.time), std::tuple(R::Message, first + "1@0000000000000", 1700000123));
}

}  // namespace
}  // namespace input
