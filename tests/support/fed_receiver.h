// A receiver on a manual clock with its events recorded, fed encoded records
// as TCP text, for tests of what the whole receive chain makes of them.
//
//   class ExportTest : public testing_support::FedReceiver {};
//   feed(testing_support::ClassAReport(257000001, 59.5, 5.25, 12.3f));
#pragma once

#include <gtest/gtest.h>

#include "station/receiver.h"
#include "support/recording_events.h"
#include "support/sample_sentences.h"

namespace testing_support {

class FedReceiver : public ::testing::Test {
protected:
    template <class Rec>
    void feed(const Rec& rec, bool ownShip = false) {
        rx.takeBytes(app::Receiver::kMainInput, Join(Sentences(rec, 'A', ownShip)));
    }

    base::ManualClock clock{base::DateTime::fromCalendar(2026, 12, 6, 14, 5, 9)};
    RecordingEvents events;
    app::Receiver rx{clock, events};
};

}  // namespace testing_support
