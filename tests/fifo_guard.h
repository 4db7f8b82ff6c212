#pragma once
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

// Runs `use` on a named pipe that nobody writes to. Opening such a pipe for reading blocks until
// a writer comes, so after a second the guard comes as a writer and closes at once, which lets
// the blocked call go on (it reads an empty file): the test ends either way and learns whether
// the call had blocked.
template <class Use>
bool ReturnsWithoutBlocking(const std::filesystem::path& fifo, Use use) {
    ::mkfifo(fifo.c_str(), 0600);
    std::atomic<bool> done{false};
    std::atomic<bool> blocked{false};
    std::thread guard([&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (!done && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        while (!done) {
            blocked = true;
            const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
            if (writer >= 0) ::close(writer);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    use();
    done = true;
    guard.join();
    return !blocked;
}
