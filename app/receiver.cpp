#include "app/receiver.h"

namespace app {

Receiver::Receiver(const Clock& clock, ReceiverEvents& events)
    : clock_(clock),
      events_(events),
      serialFramer_(input::InputKind::Serial, state_, events, *this),
      tcpFramer_(input::InputKind::Tcp, state_, events, *this) {}

void Receiver::receive(input::InputKind kind, std::string_view bytes) {
    (kind == input::InputKind::Serial ? serialFramer_ : tcpFramer_).receive(bytes);
}

void Receiver::handleSentence(std::string_view sentence) {
    state_.SentenceCount++;
    if (state_.PortMonitorOpen) events_.sentenceSeen(sentence);
}

}  // namespace app
