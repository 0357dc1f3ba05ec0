#pragma once

// A Unix socket that listens while it lives and never answers: a client's
// connect succeeds and whatever it sends stays unread, like a sound server
// that hangs.

#include <cstring>
#include <string>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

class ListeningSocket {
public:
    explicit ListeningSocket(const std::string& path) {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        listening_ =
            fd_ >= 0 &&
            ::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
            ::listen(fd_, 4) == 0;
    }
    ~ListeningSocket() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    ListeningSocket(const ListeningSocket&) = delete;
    ListeningSocket& operator=(const ListeningSocket&) = delete;
    bool listening() const { return listening_; }

private:
    int fd_ = -1;
    bool listening_ = false;
};
