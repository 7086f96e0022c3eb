#include "ais/message_notice.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "ais/binary_message.h"
#include "base/number_format.h"

namespace ais {
namespace {

constexpr const char* kBroadcast = "Broadcast - To all vessels";

bool startsWithFI(std::string_view text, std::string_view fi) {
    if (text.substr(0, fi.size()) != fi) return false;
    // "FI 11" must not match "FI 110".
    return text.size() == fi.size() || text[fi.size()] == ' ';
}

}  // namespace

ApplicationWindow ApplicationWindowFor(std::string_view description) {
    if (startsWithFI(description, "FI 11")) return ApplicationWindow::Meteorological;
    if (startsWithFI(description, "FI 31")) return ApplicationWindow::Meteorological;  // IMO SN.1/Circ.289
    if (startsWithFI(description, "FI 12")) return ApplicationWindow::DangerousCargo;
    if (startsWithFI(description, "FI 13")) return ApplicationWindow::FairwayClosed;
    if (startsWithFI(description, "FI 14")) return ApplicationWindow::TidalWindow;
    return ApplicationWindow::None;
}

MessageNotice ComposeMessageNotice(int type, int32_t mmsi, std::string_view name, std::string_view lastMessageText,
                                   const AISMessageRecord& record, std::string timeText) {
    MessageNotice n;
    switch (type) {
        case 6:
            n.lblReceiver = std::to_string(record.Type6.DestinationMMSI);
            n.lblTypeOfMsg = "6 - Addressed Binary Message";
            break;
        case 8:
            n.lblReceiver = kBroadcast;
            n.lblTypeOfMsg = "8 - Broadcast Binary Message";
            break;
        case 10:
            n.lblReceiver = std::to_string(record.Type10.DestinationMMSI);
            n.lblTypeOfMsg = "10 - UTC & Date Inquiry";
            break;
        case 12:
            n.lblReceiver = std::to_string(record.Type12.DestinationMMSI);
            n.lblTypeOfMsg = "12 - Safety related Addressed message";
            break;
        case 14:
            n.lblReceiver = kBroadcast;
            n.lblTypeOfMsg = "14 - Safety related Broadcast message";
            break;
        default:
            return n;
    }
    n.lblName = base::NumberText(mmsi) + " - " + std::string(name);
    n.lblTime = std::move(timeText);
    n.txtMessage = std::string(lastMessageText);
    if (type == 6 || type == 8) {
        // A free text (FI 0) is shown as text even when it happens to start "FI 11".
        const int fi = type == 6 ? record.Type6.FI : record.Type8.FI;
        if (fi != 0) n.window = ApplicationWindowFor(lastMessageText);
    }
    return n;
}

std::string FormatMessageLogBlock(const MessageNotice& n) {
    std::string block;
    block.reserve(160 + n.lblName.size() + n.txtMessage.size());
    block += "AIS Message received from :" + n.lblName + "\r\n";
    block += "                       to : " + n.lblReceiver + "\r\n";
    block += "Type of Message           : " + n.lblTypeOfMsg + "\r\n";
    block += "Time                      :" + n.lblTime + "\r\n";
    block += "MESSAGE                   : " + n.txtMessage + "\r\n";
    block += "\r\n";
    return block;
}

std::filesystem::path MessageLog::oldPath(int n) const {
    return dataDir_ / kMessageLogFolder / ("AIS_Messages." + std::to_string(n) + ".txt");
}

// Starts a new log when this block would take the current one past the
// limit. A log that is still empty takes the block whatever its size.
void MessageLog::rotateFor(std::size_t blockBytes) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path(), ec);
    if (ec || size == 0 || size + blockBytes <= maxBytes_) return;
    std::filesystem::remove(oldPath(kMessageLogOldFiles), ec);
    for (int n = kMessageLogOldFiles - 1; n >= 1; --n) std::filesystem::rename(oldPath(n), oldPath(n + 1), ec);
    std::filesystem::rename(path(), oldPath(1), ec);
}

bool MessageLog::append(std::string_view block) {
    lastError_.clear();
    const std::filesystem::path folder = dataDir_ / kMessageLogFolder;
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        std::filesystem::create_directories(folder, ec);
        if (ec) {
            lastError_ = folder.string() + ": " + ec.message();
            return false;
        }
    }
    rotateFor(block.size());
    const std::filesystem::path file = path();
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        lastError_ = file.string() + ": " + std::strerror(errno);
        return false;
    }
    // One write per block: with O_APPEND it lands whole at the end of the file.
    std::size_t done = 0;
    while (done < block.size()) {
        const ssize_t n = ::write(fd, block.data() + done, block.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            lastError_ = file.string() + ": " + std::strerror(n < 0 ? errno : ENOSPC);
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0 && lastError_.empty()) lastError_ = file.string() + ": " + std::strerror(errno);
    if (done < block.size() && done > 0) {
        // A part of the block reached the file (disk full): cut it off again so
        // the log holds only whole blocks.
        const int again = ::open(file.c_str(), O_WRONLY | O_CLOEXEC);
        if (again >= 0) {
            struct stat st {};
            if (::fstat(again, &st) == 0 && st.st_size >= static_cast<off_t>(done)) {
                [[maybe_unused]] int r = ::ftruncate(again, st.st_size - static_cast<off_t>(done));
            }
            ::close(again);
        }
    }
    return lastError_.empty();
}

}  // namespace ais
