#include "debug_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "debug/dap_session.h"
#include "machine/machine.h"

namespace {

class TRunnerTarget : public TDapTarget {
public:
    explicit TRunnerTarget(TMachine& machine) : Runner(machine) {}
    TMachine& Machine() override { return Runner; }
    bool Running() const override { return !Runner.EmulationStopped; }
    void Resume() override { Runner.Start(); }
    void Pause() override { Runner.Stop(); }

private:
    TMachine& Runner;
};

// A socket closed when it goes out of scope.
struct TSocket {
    int Fd = -1;
    ~TSocket() {
        if (Fd >= 0) close(Fd);
    }
};

bool SendAll(int fd, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += size_t(n);
    }
    return true;
}

}  // namespace

int ServeDebugClient(TMachine& machine, uint16_t port, bool& breakpointHit) {
    TSocket listener{socket(AF_INET, SOCK_STREAM, 0)};
    const int yes = 1;
    setsockopt(listener.Fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    // Only this computer's programs can reach the machine's memory through it.
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (listener.Fd < 0 || bind(listener.Fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener.Fd, 1) != 0) {
        std::fprintf(stderr, "varlume-run: cannot listen on 127.0.0.1:%u: %s\n", port, std::strerror(errno));
        return 1;
    }
    std::printf("debug server listening on 127.0.0.1:%u\n", port);
    std::fflush(stdout);
    TSocket client{accept(listener.Fd, nullptr, nullptr)};
    if (client.Fd < 0) {
        std::fprintf(stderr, "varlume-run: no debug client: %s\n", std::strerror(errno));
        return 1;
    }

    machine.Stop();
    TRunnerTarget target(machine);
    bool connected = true;
    TDapSession session(target, [&](const std::string& bytes) { connected = connected && SendAll(client.Fd, bytes); });
    char buffer[65536];
    while (connected && !session.Ended()) {
        if (target.Running()) {
            breakpointHit = false;
            machine.RunFrame();
            if (breakpointHit) session.BreakpointReached();
        }
        pollfd wait{client.Fd, POLLIN, 0};
        const int ready = poll(&wait, 1, target.Running() ? 0 : -1);
        if (ready < 0 && errno != EINTR) break;
        if (ready <= 0) continue;
        const ssize_t n = recv(client.Fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        session.Receive(std::string_view(buffer, size_t(n)));
    }
    return 0;
}
