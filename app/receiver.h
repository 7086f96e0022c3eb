// Receiver: the core object behind one input stream. It owns the run state, the
// framers of both input paths and everything a sentence passes through on its
// way to the target table. The desktop program, `orvanta-cli replay` and the
// tests each make their own; nothing here is global.
//
//   app::ManualClock clock;
//   MyEvents events;                       // implements app::ReceiverEvents
//   app::Receiver rx(clock, events);
//   rx.receive(input::InputKind::Tcp, "!AIVDM,1,1,,A,...*hh\r\n");
#pragma once

#include <string_view>

#include "app/clock.h"
#include "app/receiver_events.h"
#include "app/run_state.h"
#include "input/framer.h"

namespace app {

class Receiver : public input::SentenceHandler {
public:
    Receiver(const Clock& clock, ReceiverEvents& events);

    // Bytes from the serial port or the TCP connection.
    void receive(input::InputKind kind, std::string_view bytes);

    // One framed sentence (line end included).
    void handleSentence(std::string_view sentence) override;

    RunState& state() { return state_; }
    const RunState& state() const { return state_; }
    const Clock& clock() const { return clock_; }
    ReceiverEvents& events() { return events_; }

private:
    const Clock& clock_;
    ReceiverEvents& events_;
    RunState state_;
    input::Framer serialFramer_;
    input::Framer tcpFramer_;
};

}  // namespace app
