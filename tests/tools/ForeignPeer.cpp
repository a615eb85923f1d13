// Plays another local user against Holdra's single-instance socket; the suites
// run it as `nobody`.
//
// Usage: holdra_foreign_peer probe          exits 0 (can this user run us at all?)
//        holdra_foreign_peer listen PATH    serves PATH (open to everyone), prints
//                                           "ready", then "received N" once the
//                                           first client has gone
//        holdra_foreign_peer send PATH      sends an open request; prints the
//                                           reply, exits 0 only when one came

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// A stream socket, and PATH as its address; -1 when either cannot be had.
int socketFor(const char *path, sockaddr_un &address)
{
    address = {};
    address.sun_family = AF_UNIX;
    if (std::strlen(path) >= sizeof address.sun_path)
        return -1;
    std::strcpy(address.sun_path, path);
    return ::socket(AF_UNIX, SOCK_STREAM, 0);
}

int failed(const char *what)
{
    std::printf("cannot %s: %s\n", what, std::strerror(errno));
    return 2;
}

int listenOn(const char *path)
{
    sockaddr_un address;
    const int server = socketFor(path, address);
    if (server < 0 || ::bind(server, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::chmod(path, 0777) != 0 || ::listen(server, 4) != 0)
        return failed("listen");
    std::printf("ready\n");
    std::fflush(stdout);
    const int client = ::accept(server, nullptr, nullptr);
    size_t received = 0;
    char buffer[4096];
    for (ssize_t n; client >= 0 && (n = ::read(client, buffer, sizeof buffer)) > 0;)
        received += size_t(n);
    std::printf("received %zu\n", received);
    ::unlink(path);
    return 0;
}

int send(const char *path)
{
    sockaddr_un address;
    const int socket = socketFor(path, address);
    if (socket < 0 || ::connect(socket, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
        return failed("connect");
    const std::string request = "holdra-open 1\nfile:///etc/shadow\n\n";
    if (::write(socket, request.data(), request.size()) != ssize_t(request.size()))
        return failed("write");
    std::string reply;
    pollfd ready{socket, POLLIN, 0};
    char buffer[256];
    for (ssize_t n; ::poll(&ready, 1, 3000) > 0 && (n = ::read(socket, buffer, sizeof buffer)) > 0;)
        reply.append(buffer, size_t(n));
    std::printf("reply %s\n", reply.c_str());
    return reply.empty() ? 1 : 0;
}

} // namespace

int main(int argc, char *argv[])
{
    // Never outlive a test that forgot us.
    ::alarm(30);
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "probe")
        return 0;
    if (mode == "listen" && argc == 3)
        return listenOn(argv[2]);
    if (mode == "send" && argc == 3)
        return send(argv[2]);
    std::fprintf(stderr, "usage: %s probe | listen PATH | send PATH\n", argv[0]);
    return 64;
}
