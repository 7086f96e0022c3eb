// Outputs of the simulator: a TCP server, a UDP sender, plain file
// descriptors (standard output, a file) and a pseudo-terminal. Plain POSIX
// sockets; nothing here blocks for long and no client can take the process
// down (SIGPIPE is ignored by the caller; sends use MSG_NOSIGNAL).
//
//   sim::TcpServer tcp;
//   std::string err;
//   if (!tcp.listen("127.0.0.1", 8040, err)) fail(err);
//   tcp.write(bytes, splits);   // to every client; split points give separate sends
//   tcp.service(100);           // accept, flush, notice departures (ms to wait)
//
// Memory is bounded: a client that stops reading holds at most kMaxPending
// bytes; write() then waits (up to kStallSeconds) for it to drain and drops it
// if it does not.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// "HOST:PORT" -> host and port; false when the text is not of that form.
bool ParseHostPort(std::string_view text, std::string& host, uint16_t& port);

class TcpServer {
public:
    static constexpr size_t kMaxPending = 4 * 1024 * 1024;
    static constexpr double kStallSeconds = 5.0;

    TcpServer() = default;
    ~TcpServer();
    TcpServer(const TcpServer&) = delete;
    TcpServer& operator=(const TcpServer&) = delete;

    bool listen(const std::string& host, uint16_t port, std::string& error);
    uint16_t port() const { return port_; }  // the bound port (useful with port 0)

    // Queues bytes for every connected client. splits are offsets into bytes
    // at which one send ends and the next begins.
    void write(std::string_view bytes, const std::vector<size_t>& splits = {});
    // Accepts newcomers, sends what is queued and closes clients that left.
    // Waits at most timeoutMs for something to happen.
    void service(int timeoutMs);
    // Sends everything queued (bounded by kStallSeconds per stalled client).
    void drain(double maxSeconds);

    size_t clientCount() const { return clients_.size(); }
    int64_t accepted() const { return accepted_; }
    int64_t dropped() const { return dropped_; }

private:
    struct Client {
        int fd = -1;
        std::deque<std::string> chunks;  // one send each
        size_t sentOfFront = 0;
        size_t pending = 0;
    };
    void acceptAll();
    bool flush(Client& c);  // false when the client is gone
    void close(size_t index);

    int listenFd_ = -1;
    uint16_t port_ = 0;
    std::vector<Client> clients_;
    int64_t accepted_ = 0;
    int64_t dropped_ = 0;
};

class UdpSender {
public:
    static constexpr size_t kMaxDatagram = 1400;
    ~UdpSender();
    bool open(const std::string& host, uint16_t port, std::string& error);
    // Sends whole lines, packed into datagrams of at most kMaxDatagram bytes
    // (a longer line goes in pieces).
    void write(std::string_view bytes);
    int64_t errors() const { return errors_; }

private:
    int fd_ = -1;
    int64_t errors_ = 0;
};

// A file descriptor written with large buffered writes (standard output, a file).
class FdWriter {
public:
    FdWriter(int fd, bool ownsFd, size_t bufferBytes);
    ~FdWriter();
    FdWriter(const FdWriter&) = delete;
    FdWriter& operator=(const FdWriter&) = delete;
    void write(std::string_view bytes);
    void flush();
    bool failed() const { return failed_; }
    int error() const { return error_; }  // errno of the failed write

private:
    int fd_;
    bool owns_;
    size_t limit_;
    std::string buffer_;
    bool failed_ = false;
    int error_ = 0;
};

// A pseudo-terminal pair: the simulator writes to the master; a program opens
// the slave's path like a serial port. The slave is put in raw mode so CR LF
// arrive unchanged. Bytes nobody reads are dropped (like a serial line with
// nothing attached), never buffered without bound.
class PtyOutput {
public:
    ~PtyOutput();
    bool open(std::string& error);
    const std::string& path() const { return path_; }
    void write(std::string_view bytes);
    int64_t droppedBytes() const { return dropped_; }

private:
    int master_ = -1;
    int slave_ = -1;  // kept open so the line stays up between readers
    std::string path_;
    int64_t dropped_ = 0;
};

}  // namespace sim
