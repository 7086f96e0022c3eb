// What the receiver tells the outside world. The desktop program implements
// it with widgets, the command-line tool with printing, tests with a recorder.
// Every call is made on the caller's thread, synchronously, and must not feed
// bytes back into the receiver.
#pragma once

#include <string>
#include <string_view>

#include "base/operator_messages.h"

namespace app {

class ReceiverEvents : public base::MessageSink {
public:
    // Status bar panel (1-7) of the main window gets a new text.
    virtual void statusPanelChanged(int panel, const std::string& text) {}
    // The port monitor's view of the input buffer (only while the monitor is open).
    virtual void inputBufferChanged(std::string_view text) {}
    // A sentence reached the sentence handler (only while the port monitor is open).
    virtual void sentenceSeen(std::string_view sentence) {}
    // Entry n (1-based, in the target table) changed; its list row should be redrawn.
    virtual void targetRowChanged(int entry) {}
    // A message of type 6, 8, 10, 12 or 14 is to be shown in the message windows.
    virtual void aisMessageToShow(int messageType) {}

    void operatorMessage(base::MessageIcon, const std::string&, const std::string&) override {}
};

}  // namespace app
