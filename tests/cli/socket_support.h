// Test helpers: loopback sockets (and any readable descriptor) to check what
// the simulator's outputs send.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <string>

namespace socktest {

inline sockaddr_in Loopback(uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

// A TCP connection to a loopback port, retried for up to ten seconds while
// the server starts; -1 when none came about.
inline int Connect(uint16_t port) {
    const sockaddr_in a = Loopback(port);
    for (int i = 0; i < 1000; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0) return fd;
        ::close(fd);
        ::usleep(10000);
    }
    return -1;
}

// Reads until done(text) holds, the peer closes or `rounds` polls of 10 ms
// passed; idle() runs before each poll (a server that must be serviced).
inline std::string ReadUntil(int fd, const std::function<bool(const std::string&)>& done,
                             const std::function<void()>& idle = {}, int rounds = 500) {
    std::string text;
    for (int i = 0; i < rounds && !done(text); ++i) {
        if (idle) idle();
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 10) <= 0) continue;
        char buf[4096];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) break;
        text.append(buf, static_cast<size_t>(n));
    }
    return text;
}

}  // namespace socktest
