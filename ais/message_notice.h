// What the program shows and logs when a station sends a text, binary or
// inquiry message (types 6, 8, 10, 12 and 14): the texts of the "AIS Message
// received" window, the application window a binary message opens, and the
// block appended to the message log "AIS_Messages/AIS_Messages.txt".
//
//   MessageNotice n = ComposeMessageNotice(14, target.MMSI, target.Name,
//                                          target.LastMessageText, record, timeText);
//   window.show(n);
//   MessageLog log(dataDir);
//   if (!log.append(FormatMessageLogBlock(n))) ...   // the reason is in log.lastError()
//
// The log is plain UTF-8 text with CR LF line ends, only ever appended to. A
// block goes to the file in one write, so a crash leaves whole blocks behind.
// So that a busy or hostile feed cannot fill the disk, a log that would grow
// past kMessageLogMaxBytes is renamed AIS_Messages.1.txt (the older ones move
// on to .2 and .3, the oldest is removed) and a new one begun: a block is
// never split across two files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "ais/message_record.h"

namespace ais {

inline constexpr const char* kMessageLogFolder = "AIS_Messages";
inline constexpr const char* kMessageLogFileName = "AIS_Messages.txt";
inline constexpr std::uintmax_t kMessageLogMaxBytes = 10u * 1024u * 1024u;
inline constexpr int kMessageLogOldFiles = 3;

// The window of a decoded binary application a message opens, if any.
enum class ApplicationWindow { None, Meteorological, DangerousCargo, FairwayClosed, TidalWindow };

// Chosen by the start of a binary message's description ("FI 11" ...). Only
// the numbering where those FIs carry these applications opens a window.
ApplicationWindow ApplicationWindowFor(std::string_view description);

struct MessageNotice {
    std::string lblName;       // " 257012300 - BLUE HERON"
    std::string lblReceiver;   // destination MMSI, or "Broadcast - To all vessels"
    std::string lblTypeOfMsg;  // "12 - Safety related Addressed message"
    std::string lblTime;       // the target's latest message time as the caller formats it
    std::string txtMessage;    // the target's LastMessageText
    ApplicationWindow window = ApplicationWindow::None;
};

// The notice for a message of `type` (6, 8, 10, 12 or 14) that the target
// with `mmsi` and `name` sent; lastMessageText is what the target table kept
// for it, record the decoded message. Other types give an empty notice.
MessageNotice ComposeMessageNotice(int type, int32_t mmsi, std::string_view name, std::string_view lastMessageText,
                                   const AISMessageRecord& record, std::string timeText);

// The six lines the log keeps of one notice, each ended by CR LF.
std::string FormatMessageLogBlock(const MessageNotice& notice);

// Appends blocks to dataDir/AIS_Messages/AIS_Messages.txt, creating the
// folder and the file when missing.
class MessageLog {
public:
    explicit MessageLog(std::filesystem::path dataDir, std::uintmax_t maxBytes = kMessageLogMaxBytes)
        : dataDir_(std::move(dataDir)), maxBytes_(maxBytes) {}
    // False when the block could not be written whole; lastError() says why.
    bool append(std::string_view block);
    const std::string& lastError() const { return lastError_; }
    std::filesystem::path path() const { return dataDir_ / kMessageLogFolder / kMessageLogFileName; }
    // AIS_Messages.N.txt, the N-th older log (1 the newest of them).
    std::filesystem::path oldPath(int n) const;

private:
    void rotateFor(std::size_t blockBytes);

    std::filesystem::path dataDir_;
    std::uintmax_t maxBytes_;
    std::string lastError_;
};

}  // namespace ais
