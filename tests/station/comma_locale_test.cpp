// Under a locale whose decimal mark is a comma (as the desktop program runs
// for a German user), every file is written with "." and reads back the same,
// and only the screen formatter follows the separator it is given.
#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <string>

#include "ais/message_notice.h"
#include "base/number_format.h"
#include "station/setup_file.h"
#include "plot/landmarks.h"
#include "support/temp_dir.h"
#include "targets/ship_database.h"

namespace {

class CommaLocale : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"}) {
            if (std::setlocale(LC_ALL, name)) {
                try {
                    std::locale::global(std::locale(name));
                } catch (const std::exception&) {
                }
                break;
            }
        }
        if (std::string(std::localeconv()->decimal_point) != ",") {
            GTEST_SKIP() << "no locale with a decimal comma installed (scripts/bootstrap makes de_DE.UTF-8)";
        }
    }
    void TearDown() override {
        std::setlocale(LC_ALL, "C");
        std::locale::global(std::locale::classic());
    }
};

TEST_F(CommaLocale, FilesKeepThePointAndReadBack) {
    testing_support::TempDir dir;

    input::CommSettings comm;
    input::SetSetupDefaults(comm);
    comm.BaudRate = 115200;
    targets::Reference state;
    state.moveTo(59.5, 10.25);
    state.setMode(2);
    state.setMMSI(257000001);
    const std::string setup = input::FormatSetup(comm, {}, state);
    EXPECT_NE(setup.find("\r\n59.5,10.25\r\n2,257000001\r\n"), std::string::npos) << setup;
    EXPECT_NE(setup.find("115200,8,"), std::string::npos) << setup;
    input::CommSettings comm2;
    targets::Reference state2;
    input::ReceiveSettings receive2;
    EXPECT_EQ(input::ParseSetup(setup, comm2, receive2, state2), "");
    EXPECT_EQ(std::tie(state2, comm2), std::tie(state, comm));

    const targets::ShipDataItem ship{257000001, "NORD", "LA1234", 9123456, 70, {1000, 200, 10, 12}, 1};
    ASSERT_TRUE(targets::SaveShipData(dir.path(), std::span(&ship, 1)).ok);
    EXPECT_EQ(dir.read("Shipdata.dat"), "257000001,\"nord\",\"LA1234\",9123456,1000,200,10,12,70,1\r\n");

    ais::MessageNotice notice;
    notice.lblName = base::NumberText(257000001) + " - NORD";
    notice.txtMessage = base::NumberText(12.5f);
    EXPECT_NE(ais::FormatMessageLogBlock(notice).find(" 12.5\r\n"), std::string::npos);

    const auto city = plot::ParseLandmarkLine("Oslo,59,54.5,10,45.25", plot::LandmarkKind::City);
    ASSERT_TRUE(city.has_value());
    EXPECT_DOUBLE_EQ(city->latitude, 59 + 54.5 / 60);
    EXPECT_DOUBLE_EQ(city->longitude, 10 + 45.25 / 60);

    EXPECT_EQ(base::FixedText(1852.5, 1), "1852.5");
    EXPECT_EQ(base::ParseDecimal("59.5"), 59.5);
    EXPECT_EQ(base::formatNumber(2.25, "0.0"), "2.3");
    base::setDecimalSeparator(',');  // the screen follows the user's separator
    EXPECT_EQ(base::formatNumber(2.25, "0.0"), "2,3");
    base::setDecimalSeparator('.');
}

}  // namespace
