// SPDX-License-Identifier: MIT
// The second start's requests on POSIX systems: a Unix socket beside the instance lock.
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/instance_request.h"
#include "platform/single_instance_lock.h"

namespace tovrik {

namespace {

// How long a connected sender may take to write its request.
constexpr int kReadWaitMs = 1000;

std::string SocketPath(const std::string& name, const std::string& directory)
{
    const std::string folder =
        directory.empty() ? SingleInstanceLock::RuntimeDirectory() : directory;
    return folder.empty() ? std::string() : folder + "/" + name + ".socket";
}

bool MakeAddress(const std::string& path, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

bool Printable(const std::string& text)
{
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7f) {
            return false;
        }
    }
    return !text.empty();
}

// The first line a connected sender writes; empty when it writes none in time.
std::string ReadRequest(int fd)
{
    std::string text;
    char buffer[InstanceRequestListener::kMaxRequest + 1];
    while (text.size() <= InstanceRequestListener::kMaxRequest) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, kReadWaitMs) <= 0) {
            break;
        }
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got <= 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(got));
        if (text.find('\n') != std::string::npos) {
            break;
        }
    }
    const std::string line = text.substr(0, text.find('\n'));
    return line.size() <= InstanceRequestListener::kMaxRequest && Printable(line) ? line
                                                                                  : std::string();
}

}  // namespace

struct InstanceRequestListener::State {
    int fd = -1;
    std::string path;
};

InstanceRequestListener::InstanceRequestListener(std::unique_ptr<State> state)
    : state_(std::move(state))
{
}

InstanceRequestListener::~InstanceRequestListener()
{
    close(state_->fd);
    unlink(state_->path.c_str());
}

std::unique_ptr<InstanceRequestListener> InstanceRequestListener::Listen(
    const std::string& name, std::string& error, const std::string& directory)
{
    auto state = std::make_unique<State>();
    state->path = SocketPath(name, directory);
    sockaddr_un address{};
    if (!MakeAddress(state->path, address)) {
        error = "no room for the socket " + (state->path.empty() ? name : state->path);
        return nullptr;
    }
    state->fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (state->fd < 0) {
        error = std::string("cannot make a socket: ") + std::strerror(errno);
        return nullptr;
    }
    // Left by an instance that crashed: the caller holds the lock, so nobody listens there.
    unlink(state->path.c_str());
    const mode_t old = umask(0077);
    const int bound = bind(state->fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    umask(old);
    if (bound != 0 || listen(state->fd, 8) != 0) {
        error = state->path + ": " + std::strerror(errno);
        close(state->fd);
        return nullptr;
    }
    return std::make_unique<InstanceRequestListener>(std::move(state));
}

int InstanceRequestListener::WaitDescriptor() const
{
    return state_->fd;
}

std::vector<std::string> InstanceRequestListener::Take()
{
    std::vector<std::string> requests;
    for (;;) {
        const int client = accept4(state_->fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            break;
        }
        std::string request = ReadRequest(client);
        close(client);
        if (!request.empty()) {
            requests.push_back(std::move(request));
        }
    }
    return requests;
}

bool SendInstanceRequest(const std::string& name, const std::string& request,
                         const std::string& directory)
{
    sockaddr_un address{};
    if (!MakeAddress(SocketPath(name, directory), address) || request.empty() ||
        request.size() > InstanceRequestListener::kMaxRequest) {
        return false;
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    const std::string line = request + "\n";
    bool sent =
        connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        send(fd, line.data(), line.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(line.size());
    close(fd);
    return sent;
}

}  // namespace tovrik
