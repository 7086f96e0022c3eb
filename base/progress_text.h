// The text of a progress line for long work on a file of known size:
//
//   base::ProgressText({45'000'000, 100'000'000, 123456, 5.0}, "sentences")
//   // "[#########-----------]  45%  45.0/100.0 MB  9.0 MB/s  24691 sentences/s  0:06 left"
//   base::ProgressText({100'000'000, 100'000'000, 274000, 11.0, true}, "sentences")
//   // "[####################] 100%  100.0 MB in 0:11  9.1 MB/s  24909 sentences/s"
//
// Megabytes of 1,000,000 bytes; numbers with "." whatever the locale. Before
// any byte is done the time left is "--:--"; a total of 0 counts as done.
#pragma once

#include <cstdint>
#include <string>

namespace base {

struct ProgressState {
    uint64_t done = 0;   // bytes
    uint64_t total = 0;  // bytes
    int64_t items = 0;   // sentences, messages: whatever the work counts
    double elapsed = 0;  // seconds since the work started
    bool finished = false;
};

std::string ProgressText(const ProgressState& p, const char* itemName);

}  // namespace base
