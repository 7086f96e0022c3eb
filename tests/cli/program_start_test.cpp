// orvanta-cli opens the PostgreSQL and netCDF client libraries when a
// postgresql:// store or a shoreline file first needs them: linked, they and
// the twenty libraries each brings cost each of its runs about 20 ms. (The
// desktop program and the station link GDAL for charts, which brings both.)
#include <gtest/gtest.h>

#include "cli_run.h"

TEST(ProgramStart, ServerAndShorelineLibrariesAreNotLoadedAtStart) {
    const clitest::Run ldd = clitest::Cli("", nullptr, "ldd");
    ASSERT_NE(ldd.out.find("libc.so"), std::string::npos) << ldd.out << ldd.err;
    EXPECT_EQ(ldd.out.find("libpq.so"), std::string::npos) << ldd.out;
    EXPECT_EQ(ldd.out.find("libnetcdf"), std::string::npos) << ldd.out;
}
