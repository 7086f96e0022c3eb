#include "cli/sim/outputs.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace sim {
namespace {

double Now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void SetNonBlocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL, 0) | O_NONBLOCK); }

bool Resolve(const std::string& host, uint16_t port, int socktype, bool passive, sockaddr_storage& addr,
             socklen_t& len, int& family, std::string& error) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = socktype;
    if (passive) hints.ai_flags = AI_PASSIVE;
    addrinfo* res = nullptr;
    const std::string service = std::to_string(port);
    const int rc = ::getaddrinfo(host.empty() ? nullptr : host.c_str(), service.c_str(), &hints, &res);
    if (rc != 0 || !res) {
        error = "cannot resolve '" + host + "': " + ::gai_strerror(rc);
        return false;
    }
    std::memcpy(&addr, res->ai_addr, res->ai_addrlen);
    len = res->ai_addrlen;
    family = res->ai_family;
    ::freeaddrinfo(res);
    return true;
}

}  // namespace

bool ParseHostPort(std::string_view text, std::string& host, uint16_t& port) {
    const size_t colon = text.rfind(':');
    if (colon == std::string_view::npos || colon + 1 >= text.size()) return false;
    std::string_view h = text.substr(0, colon);
    if (h.size() >= 2 && h.front() == '[' && h.back() == ']') h = h.substr(1, h.size() - 2);
    const std::string p(text.substr(colon + 1));
    char* end = nullptr;
    const long v = std::strtol(p.c_str(), &end, 10);
    if (*end != '\0' || v < 0 || v > 65535) return false;
    host = std::string(h);
    port = static_cast<uint16_t>(v);
    return true;
}

// ---------------------------------------------------------------- TCP

TcpServer::~TcpServer() {
    for (auto& c : clients_) ::close(c.fd);
    if (listenFd_ >= 0) ::close(listenFd_);
}

bool TcpServer::listen(const std::string& host, uint16_t port, std::string& error) {
    sockaddr_storage addr{};
    socklen_t len = 0;
    int family = AF_INET;
    if (!Resolve(host, port, SOCK_STREAM, true, addr, len, family, error)) return false;
    listenFd_ = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    const int one = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), len) != 0 || ::listen(listenFd_, 16) != 0) {
        error = "cannot listen on " + host + ":" + std::to_string(port) + ": " + std::strerror(errno);
        ::close(listenFd_);
        listenFd_ = -1;
        return false;
    }
    SetNonBlocking(listenFd_);
    sockaddr_storage bound{};
    socklen_t blen = sizeof bound;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&bound), &blen);
    port_ = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                              : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
    return true;
}

void TcpServer::acceptAll() {
    for (;;) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return;
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);  // keeps split writes apart
        clients_.push_back(Client{fd, {}, 0, 0});
        ++accepted_;
    }
}

bool TcpServer::flush(Client& c) {
    while (!c.chunks.empty()) {
        const std::string& front = c.chunks.front();
        const ssize_t n = ::send(c.fd, front.data() + c.sentOfFront, front.size() - c.sentOfFront,
                                 MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno == EAGAIN || errno == EWOULDBLOCK;
        }
        c.sentOfFront += static_cast<size_t>(n);
        c.pending -= static_cast<size_t>(n);
        if (c.sentOfFront == front.size()) {
            c.chunks.pop_front();
            c.sentOfFront = 0;
        }
    }
    return true;
}

void TcpServer::close(size_t index) {
    ::close(clients_[index].fd);
    clients_.erase(clients_.begin() + static_cast<std::ptrdiff_t>(index));
    ++dropped_;
}

void TcpServer::write(std::string_view bytes, const std::vector<size_t>& splits) {
    if (listenFd_ >= 0) acceptAll();
    if (clients_.empty() || bytes.empty()) return;
    for (size_t i = clients_.size(); i-- > 0;) {
        Client& c = clients_[i];
        size_t from = 0;
        for (size_t at : splits) {
            if (at <= from || at >= bytes.size()) continue;
            c.chunks.emplace_back(bytes.substr(from, at - from));
            from = at;
        }
        c.chunks.emplace_back(bytes.substr(from));
        c.pending += bytes.size();
        if (!flush(c)) close(i);
    }
    // A client that does not keep up holds the writer back for a while, then is dropped.
    const double started = Now();
    for (size_t i = clients_.size(); i-- > 0;) {
        while (i < clients_.size() && clients_[i].pending > kMaxPending) {
            if (Now() - started > kStallSeconds) {
                close(i);
                break;
            }
            pollfd p{clients_[i].fd, POLLOUT, 0};
            ::poll(&p, 1, 50);
            if ((p.revents & (POLLERR | POLLHUP)) || !flush(clients_[i])) {
                close(i);
                break;
            }
        }
    }
}

void TcpServer::service(int timeoutMs) {
    if (listenFd_ < 0) return;
    std::vector<pollfd> fds;
    fds.reserve(clients_.size() + 1);
    fds.push_back({listenFd_, POLLIN, 0});
    for (const auto& c : clients_) fds.push_back({c.fd, static_cast<short>(POLLIN | (c.pending ? POLLOUT : 0)), 0});
    const int rc = ::poll(fds.data(), fds.size(), timeoutMs);
    if (rc <= 0) return;
    // Clients are handled from the back so closing one keeps the indices of the others.
    for (size_t i = clients_.size(); i-- > 0;) {
        const short ev = fds[i + 1].revents;
        bool gone = (ev & (POLLERR | POLLNVAL)) != 0;
        if (!gone && (ev & (POLLIN | POLLHUP))) {
            char sink[512];
            const ssize_t n = ::recv(clients_[i].fd, sink, sizeof sink, MSG_DONTWAIT);
            gone = n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
        }
        if (!gone && (ev & POLLOUT)) gone = !flush(clients_[i]);
        if (gone) close(i);
    }
    if (fds[0].revents & POLLIN) acceptAll();
}

void TcpServer::drain(double maxSeconds) {
    const double until = Now() + maxSeconds;
    for (;;) {
        bool pending = false;
        for (const auto& c : clients_) pending = pending || c.pending > 0;
        if (!pending || Now() > until) return;
        service(20);
    }
}

// ---------------------------------------------------------------- UDP

UdpSender::~UdpSender() {
    if (fd_ >= 0) ::close(fd_);
}

bool UdpSender::open(const std::string& host, uint16_t port, std::string& error) {
    sockaddr_storage addr{};
    socklen_t len = 0;
    int family = AF_INET;
    if (!Resolve(host, port, SOCK_DGRAM, false, addr, len, family, error)) return false;
    fd_ = ::socket(family, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0 || ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), len) != 0) {
        error = "cannot open UDP to " + host + ":" + std::to_string(port) + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void UdpSender::write(std::string_view bytes) {
    if (fd_ < 0) return;
    auto sendOne = [&](std::string_view d) {
        // Nobody listening gives ECONNREFUSED on the next send; that is counted, not fatal.
        if (::send(fd_, d.data(), d.size(), MSG_NOSIGNAL | MSG_DONTWAIT) < 0) ++errors_;
    };
    size_t start = 0;  // first byte of the datagram being packed
    size_t end = 0;    // end of the whole lines packed so far
    while (end < bytes.size()) {
        size_t lf = bytes.find('\n', end);
        const size_t lineEnd = lf == std::string_view::npos ? bytes.size() : lf + 1;
        if (lineEnd - start <= kMaxDatagram) {
            end = lineEnd;
            continue;
        }
        if (end > start) {
            sendOne(bytes.substr(start, end - start));
            start = end;
            continue;
        }
        // One line longer than a datagram: in pieces.
        sendOne(bytes.substr(start, kMaxDatagram));
        start += kMaxDatagram;
        end = start;
    }
    if (end > start) sendOne(bytes.substr(start, end - start));
}

// ---------------------------------------------------------------- fd

FdWriter::FdWriter(int fd, bool ownsFd, size_t bufferBytes) : fd_(fd), owns_(ownsFd), limit_(bufferBytes) {
    buffer_.reserve(bufferBytes + 4096);
}

FdWriter::~FdWriter() {
    flush();
    if (owns_ && fd_ >= 0) ::close(fd_);
}

void FdWriter::write(std::string_view bytes) {
    if (failed_) return;
    buffer_.append(bytes);
    if (buffer_.size() >= limit_) flush();
}

void FdWriter::flush() {
    size_t done = 0;
    while (!failed_ && done < buffer_.size()) {
        const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd p{fd_, POLLOUT, 0};
            ::poll(&p, 1, 100);
        } else {
            failed_ = true;  // reader gone (EPIPE) or disk full: stop writing here
            error_ = n < 0 ? errno : ENOSPC;
        }
    }
    buffer_.clear();
}

// ---------------------------------------------------------------- pty

PtyOutput::~PtyOutput() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
}

bool PtyOutput::open(std::string& error) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    const char* name = ::ptsname(master_);
    if (!name) {
        error = "ptsname failed";
        return false;
    }
    path_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ >= 0) {
        termios t{};
        if (::tcgetattr(slave_, &t) == 0) {
            ::cfmakeraw(&t);
            ::tcsetattr(slave_, TCSANOW, &t);
        }
    }
    SetNonBlocking(master_);
    return true;
}

void PtyOutput::write(std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            dropped_ += static_cast<int64_t>(bytes.size() - done);
            return;
        }
    }
}

}  // namespace sim
