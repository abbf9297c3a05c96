#include "portblocker.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int boundSocket(int family, quint16 port, quint16 *chosenPort)
{
    const int fd = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -errno;
    int result = 0;
    if (family == AF_INET) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        result = ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
        socklen_t length = sizeof address;
        if (result == 0 && ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
            *chosenPort = ntohs(address.sin_port);
    } else {
        // Without this the IPv6 socket would also claim the IPv4 port.
        const int only = 1;
        ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &only, sizeof only);
        sockaddr_in6 address{};
        address.sin6_family = AF_INET6;
        address.sin6_port = htons(port);
        address.sin6_addr = in6addr_loopback;
        result = ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    }
    if (result != 0) {
        const int error = errno;
        ::close(fd);
        return -error;
    }
    return fd;
}

} // namespace

PortBlocker::PortBlocker(quint16 port)
{
    // A port the system picked for IPv4 may be taken on ::1; then pick again.
    const int attempts = port == 0 ? 20 : 1;
    for (int attempt = 0; attempt < attempts && !active; ++attempt)
        active = bindBoth(port);
}

bool PortBlocker::bindBoth(quint16 port)
{
    closeAll();
    ipv4Socket = boundSocket(AF_INET, port, &boundPort);
    if (ipv4Socket < 0)
        return false;
    const int v6 = boundSocket(AF_INET6, boundPort, &boundPort);
    if (v6 >= 0) {
        ipv6Socket = v6;
        return true;
    }
    // A system without IPv6 loopback cannot be reached over ::1 either; only a
    // taken port is a failure.
    return v6 == -EADDRNOTAVAIL || v6 == -EAFNOSUPPORT;
}

void PortBlocker::closeAll()
{
    if (ipv6Socket >= 0)
        ::close(ipv6Socket);
    if (ipv4Socket >= 0)
        ::close(ipv4Socket);
    ipv4Socket = -1;
    ipv6Socket = -1;
}

PortBlocker::~PortBlocker()
{
    closeAll();
}
