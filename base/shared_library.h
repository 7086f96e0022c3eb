// SharedLibrary: a shared library opened when it is first wanted, not by
// the loader at every start. libpq and libnetcdf each pull in some twenty
// libraries of their own (TLS, Kerberos, LDAP, HDF5, curl, ICU); mapping and
// relocating them took about 20 ms of every run of orvanta-cli, though only
// a postgresql:// store and a GSHHG coastline file use them. (The desktop
// program and the station link GDAL, which brings both anyway.)
//
//   #define MATHS_FUNCTIONS(X) X(cos) X(sin)
//   ORVANTA_SHARED_FUNCTIONS(Maths, "libm.so.6", MATHS_FUNCTIONS)
//   if (const Maths* m = LoadMaths(&error)) m->cos(0.5);   // else error says why
//
// A library once opened stays open for the life of the program.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace base {

class SharedLibrary {
public:
    // Opens the library by its file name (its SONAME, e.g. "libpq.so.5");
    // when it cannot be opened, ok() is false and error() says why.
    explicit SharedLibrary(const char* soname);
    bool ok() const { return handle_ != nullptr; }
    const std::string& error() const { return error_; }

    // Sets fn to the library's function `name`; false (error() set) when
    // the library has none.
    template <typename F>
    bool bind(F*& fn, const char* name) {
        fn = reinterpret_cast<F*>(symbol(name));
        return fn != nullptr;
    }

private:
    void* symbol(const char* name);

    std::string soname_;
    void* handle_ = nullptr;
    std::string error_;
};

// A table of a library's functions, loaded once: the table, or why not.
template <typename Table>
struct LoadedFunctions {
    std::optional<Table> table;
    std::string error;

    // The table, nullptr with *why (when given) set when the library or
    // one of its functions could not be loaded. Safe from any thread once
    // made (a function-local static is).
    const Table* get(std::string* why = nullptr) const {
        if (!table && why) *why = error;
        return table ? &*table : nullptr;
    }
};

// Opens `soname` and fills a Table through bind(library, table), which binds
// each function and returns false at the first one missing.
template <typename Table, typename Bind>
LoadedFunctions<Table> LoadFunctions(const char* soname, Bind&& bind) {
    LoadedFunctions<Table> out;
    SharedLibrary library(soname);
    Table table;
    if (library.ok() && bind(library, table)) out.table = std::move(table);
    else out.error = library.error();
    return out;
}

}  // namespace base

// Declares `struct Table`, with a member for each function LIST names (LIST(X)
// expands X(name) for each, the names as the library's header declares
// them), and `const Table* Load<Table>(std::string* error)`, which opens
// the library `soname` the first time and is nullptr (error set) when it
// or one of the functions is missing. For use at namespace scope.
#define ORVANTA_SHARED_MEMBER(f) decltype(&::f) f = nullptr;
#define ORVANTA_SHARED_BIND(f) library.bind(table.f, #f) &&
#define ORVANTA_SHARED_FUNCTIONS(Table, soname, LIST)                                                      \
    struct Table {                                                                                         \
        LIST(ORVANTA_SHARED_MEMBER)                                                                        \
    };                                                                                                     \
    const Table* Load##Table(std::string* error) {                                                         \
        static const auto loaded =                                                                         \
            ::base::LoadFunctions<Table>(soname, [](::base::SharedLibrary& library, Table& table) {        \
                return LIST(ORVANTA_SHARED_BIND) true;                                                     \
            });                                                                                            \
        return loaded.get(error);                                                                          \
    }
