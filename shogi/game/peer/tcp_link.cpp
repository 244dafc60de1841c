#include "tcp_link.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

int is_port(const std::string& text) {
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) return 0;
    return std::stoi(text) <= 65535;
}

// The addresses of host:port for a stream socket; null with the reason when none.
addrinfo* resolve(const std::string& host, const std::string& port, int passive, std::string& reason) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = passive ? AI_PASSIVE : 0;
    addrinfo* found = nullptr;
    int error = getaddrinfo(host.c_str(), port.c_str(), &hints, &found);
    if (error != 0) {
        reason = host + ":" + port + ": " + gai_strerror(error);
        return nullptr;
    }
    return found;
}

int open_socket(const addrinfo* a) {
    int fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
    if (fd >= 0) {
        int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    }
    return fd;
}

}  // namespace

int split_address(const std::string& text, int listening, std::string& host, std::string& port, std::string& reason) {
    std::size_t colon = text.rfind(':');
    if (colon == std::string::npos) {
        if (!listening) {
            reason = "\"" + text + "\" is not HOST:PORT";
            return 0;
        }
        host = "127.0.0.1";
        port = text;
    } else {
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
        if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    }
    if (host.empty() || !is_port(port)) {
        reason = "\"" + text + "\" is not " + (listening ? "[ADDRESS:]PORT" : "HOST:PORT");
        return 0;
    }
    return 1;
}

int TcpLink::listen_on(const std::string& host, const std::string& port, std::string& reason) {
    close_all();
    addrinfo* found = resolve(host, port, 1, reason);
    if (found == nullptr) return 0;
    for (addrinfo* a = found; a != nullptr && listener_ < 0; a = a->ai_next) {
        int fd = open_socket(a);
        int one = 1;
        if (fd >= 0) setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        if (fd >= 0 && bind(fd, a->ai_addr, a->ai_addrlen) == 0 && listen(fd, 1) == 0) {
            listener_ = fd;
        } else {
            reason = host + ":" + port + ": " + std::strerror(errno);
            if (fd >= 0) close(fd);
        }
    }
    freeaddrinfo(found);
    return listener_ >= 0;
}

int TcpLink::connect_to(const std::string& host, const std::string& port, std::string& reason) {
    close_all();
    addrinfo* found = resolve(host, port, 0, reason);
    if (found == nullptr) return 0;
    int fd = open_socket(found);
    if (fd < 0 || (connect(fd, found->ai_addr, found->ai_addrlen) != 0 && errno != EINPROGRESS)) {
        reason = host + ":" + port + ": " + std::strerror(errno);
        if (fd >= 0) close(fd);
        freeaddrinfo(found);
        return 0;
    }
    freeaddrinfo(found);
    socket_ = fd;
    connecting_ = 1;
    lines_.attach(fd, fd);
    return 1;
}

int TcpLink::wait_for_peer(int wait_ms, std::string& reason) {
    if (connected()) return 1;
    if (connecting_) {
        pollfd p{socket_, POLLOUT, 0};
        if (poll(&p, 1, wait_ms) <= 0) return 0;
        int error = 0;
        socklen_t size = sizeof error;
        getsockopt(socket_, SOL_SOCKET, SO_ERROR, &error, &size);
        if (error != 0) {
            reason = std::string("cannot connect: ") + std::strerror(error);
            close_all();
            return -1;
        }
        connecting_ = 0;
        return 1;
    }
    if (listener_ < 0) {
        reason = "the connection is closed";
        return -1;
    }
    pollfd p{listener_, POLLIN, 0};
    if (poll(&p, 1, wait_ms) <= 0) return 0;
    int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) return 0;
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    socket_ = fd;
    lines_.attach(fd, fd);
    return 1;
}

void TcpLink::close_all(void) {
    lines_.close_link();
    socket_ = -1;
    connecting_ = 0;
    if (listener_ >= 0) close(listener_);
    listener_ = -1;
}

int TcpLink::local_port(void) const {
    sockaddr_storage address{};
    socklen_t size = sizeof address;
    if (listener_ < 0 || getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0) return -1;
    if (address.ss_family == AF_INET) return ntohs(reinterpret_cast<sockaddr_in*>(&address)->sin_port);
    return ntohs(reinterpret_cast<sockaddr_in6*>(&address)->sin6_port);
}
