#include <gtest/gtest.h>

#include "app/receiver.h"
#include "input/setup_file.h"
#include "support/recording_events.h"
#include "support/sample_sentences.h"
#include "support/temp_dir.h"

namespace app {
namespace {

using testing_support::ClassAReport;
using testing_support::Join;
using testing_support::Sentences;

// A sentence whose payload was damaged on the way: one character of the
// position changed, the checksum left as it was.
std::string CorruptedReport() {
    std::string s = Join(Sentences(ClassAReport(257000001, 59.5, 5.25, 12.3f)));
    const size_t payload = s.find(",A,") + 3;
    s[payload + 12] = s[payload + 12] == 'w' ? 'v' : 'w';
    return s;
}

// Without a setup file the checksum test starts on, so the damaged report
// makes no entry; a setup file that turned it off keeps it off.
TEST(FirstRun, ChecksumsAreCheckedWithoutASetupFile) {
    testing_support::TempDir dir;
    dir.write("kept.ini", "\"REM Data tests\"\r\n#FALSE#,#FALSE#\r\n");
    struct Row {
        const char* file;
        bool checked;
    } rows[] = {{"missing.ini", true}, {"kept.ini", false}};
    for (const Row& r : rows) {
        base::ManualClock clock{base::DateTime::fromCalendar(2026, 12, 6, 12, 0, 0)};
        testing_support::RecordingEvents events;
        Receiver rx{clock, events};
        input::CommSettings comm;
        base::RecordingMessageSink sink;
        input::LoadSetup((dir / r.file).string(), comm, rx.state(), sink);
        EXPECT_EQ(rx.state().CheckChecksum, r.checked) << r.file;
        rx.receive(input::InputKind::Tcp, CorruptedReport());
        EXPECT_EQ(rx.targets().TargetCount, r.checked ? 0 : 1) << r.file;
        EXPECT_EQ(rx.state().ChecksumErrorCount, r.checked ? 1 : 0) << r.file;
    }
}

}  // namespace
}  // namespace app
