// What the receiver tells the outside world. The desktop program implements
// it with widgets, the command-line tool with printing, tests with a recorder.
// Every call is made on the caller's thread, synchronously, and must not feed
// bytes back into the receiver.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ais/message_notice.h"
#include "ais/message_record.h"
#include "base/operator_messages.h"
#include "targets/target_table.h"

namespace app {

// A text, binary or inquiry message (type 6, 8, 10, 12 or 14) that an entry
// of the table took. Valid only during the call.
struct MessageToShow {
    int messageType = 0;
    int entry = 0;              // the sender's entry in the target table
    ais::MessageNotice notice;  // what the "AIS Message received" window shows
    // Types 6 and 8: the decoded message an application window opens from
    // (notice.window); null for the others.
    const ais::BinaryMessage* binary = nullptr;
    // The receiver keeps a message log and could not append this notice to it;
    // logError says why.
    bool logFailed = false;
    std::string logError;
};

class ReceiverEvents : public base::MessageSink {
public:
    // Status bar panel (1-7) of the main window gets a new text.
    virtual void statusPanelChanged(int panel, const std::string& text) {}
    // The port monitor's view of the input buffer (only while the monitor is open).
    virtual void inputBufferChanged(std::string_view text) {}
    // A sentence reached the sentence handler (only while the port monitor is open).
    virtual void sentenceSeen(std::string_view sentence) {}
    // The same with the number of its input; by default passed on to the above.
    virtual void sentenceSeenOn(int input, std::string_view sentence) { sentenceSeen(sentence); }
    // The unfinished line of an input (only while the port monitor is open).
    virtual void inputBufferChangedOn(int input, std::string_view text) { inputBufferChanged(text); }
    // Entry n (1-based, in the target table) took a message; its list row
    // should be redrawn.
    virtual void targetChangedByMessage(int entry) {}
    // A message moved the reference position (its followed vessel reported).
    virtual void referenceMoved() {}
    // Ageing changed entry n's Status and nothing else.
    virtual void targetStatusChanged(int entry) {}
    // These entries were freed (silent too long, or a lost station making
    // room for a new one); their rows, ascending, are gone from DisplayOrder.
    // Raised before any event of a station that takes one of the numbers.
    virtual void targetsRemoved(const std::vector<targets::RemovedTarget>& removed) {}
    // The own ship moved (or changed): every entry's CPA and TCPA may be new.
    virtual void approachesChanged() {}
    // Entry n has just become dangerous (collision alarm). logFailed: the
    // alarm log could not be written, logError says why.
    virtual void collisionAlarm(int entry, bool logFailed, const std::string& logError) {}
    // A message to beep for and show in the message windows.
    virtual void aisMessageToShow(const MessageToShow& message) {}

    void operatorMessage(base::MessageIcon, const std::string&, const std::string&) override {}
};

}  // namespace app
