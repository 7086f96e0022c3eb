// What goes on to the outputs, and when a played-back line is due.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/checksum.h"
#include "input/forwarder.h"
#include "input/playback.h"
#include "input/port_monitor.h"
#include "input/tag_block.h"

namespace input {
namespace {

using R = IntakeResult;

std::string sum(const std::string& text) { return text + "*" + NMEAChecksum(text) + "\r\n"; }

TEST(Forwarder, PassesValidSentencesAsReceivedOrBare) {
    const std::string vdm = sum("!AIVDM,1,1,,A,13aG?P0P00PD;88MD5MTDww@2<0L,0");
    const std::string tag = FormatTagBlock("r1", 1700000000);
    const std::string badTag = "\\s:r1*00\\";
    const std::string gga = sum("$GPGGA,120000,5930.000,N");
    std::string wrong = vdm;
    wrong[wrong.size() - 3] ^= 1;
    struct Row {
        std::string sentence;
        R result;
        std::string kept, stripped;
    } rows[] = {
        {vdm, R::Message, vdm, vdm},
        {tag + vdm, R::FragmentPending, tag + vdm, vdm},
        {tag + vdm, R::FragmentDropped, tag + vdm, vdm},
        {badTag + vdm, R::Message, "", vdm},  // checksum test off: the bad tag block does not go on
        {wrong, R::Message, "", ""},         // nor a wrong checksum
        {tag + vdm, R::ChecksumError, "", ""},
        {vdm, R::Malformed, "", ""},
        {gga, R::NotAIS, gga, gga},
        {"noise\r\n", R::NotAIS, "", ""},
        {tag + "\r\n", R::TagOnly, tag + "\r\n", ""},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(Forwarder::Forwarded(r.sentence, r.result, false), r.kept) << r.sentence;
        EXPECT_EQ(Forwarder::Forwarded(r.sentence, r.result, true), r.stripped) << r.sentence;
    }
}

// Lines with c: times are due by them (from the first), others at the rate
// after the line before; time never runs backwards.
TEST(Playback, LinesAreDueByTheirTimesOrTheRate) {
    auto at = [](int64_t t) { return FormatTagBlock("", t) + "!AIVDM\r\n"; };
    const std::vector<std::string> lines = {"!A\r\n", at(1700000100), "!B\r\n", at(1700000103), at(1700000101),
                                            at(1700000110500)};
    PlaybackPacer pacer(4);
    std::vector<double> due;
    for (const auto& l : lines) due.push_back(pacer.due(l));
    EXPECT_EQ(due, (std::vector<double>{0, 0.25, 0.5, 3.25, 3.25, 10.75}));
}

}  // namespace
}  // namespace input
