#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/shared_library.h"

#define TEST_LIBC_FUNCTIONS(X) X(strlen) X(strnlen)

namespace base {
namespace {

ORVANTA_SHARED_FUNCTIONS(Libc, "libc.so.6", TEST_LIBC_FUNCTIONS)

// A function found is the library's own; a library or a function that is not
// there is a failure that names it, never a crash or a null call later.
TEST(SharedLibrary, BindsFunctionsAndNamesWhatIsMissing) {
    struct Case {
        const char* soname;
        const char* function;
        bool found;
        std::string error;
    };
    for (const Case& c : {Case{"libm.so.6", "cos", true, ""},
                          Case{"libm.so.6", "orvanta_no_such_function", false,
                               "libm.so.6 has no function orvanta_no_such_function"},
                          Case{"liborvanta-missing.so.1", "cos", false, "cannot load liborvanta-missing.so.1: "}}) {
        SharedLibrary lib(c.soname);
        double (*fn)(double) = nullptr;
        EXPECT_EQ(lib.bind(fn, c.function), c.found) << c.soname << " " << c.function;
        if (c.found) {
            EXPECT_EQ(fn(0.0), 1.0);
        }
        EXPECT_EQ(lib.error().substr(0, c.error.size()), c.error);
    }
}

// A table is whole or not given at all: one missing function fails it.
TEST(SharedLibrary, TableIsWholeOrNone) {
    std::string error = "untouched";
    const Libc* libc = LoadLibc(&error);
    ASSERT_NE(libc, nullptr);
    EXPECT_EQ(libc->strlen("four"), 4u);
    EXPECT_EQ(libc->strnlen("four", 2), 2u);
    EXPECT_EQ(error, "untouched");
    EXPECT_EQ(LoadLibc(nullptr), libc);  // loaded once

    const auto partial = LoadFunctions<Libc>("libc.so.6", [](SharedLibrary& lib, Libc& t) {
        return lib.bind(t.strlen, "strlen") && lib.bind(t.strnlen, "orvanta_strnlen");
    });
    EXPECT_EQ(partial.get(&error), nullptr);
    EXPECT_EQ(error, "libc.so.6 has no function orvanta_strnlen");
}

}  // namespace
}  // namespace base
