#include "platform/report.h"

#include "platform/errors.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/timerfd.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace plat {

namespace {

// One record a connection, as bytes (integers little-endian):
//   "QVRP", version u32, handle u64, message u32, identifier u32, flags u32 (1 = has data),
//   text length u32, text.
// The receiver answers with one byte and closes.
constexpr char kMagic[4] = {'Q', 'V', 'R', 'P'};
constexpr uint32_t kProtocolVersion = 1;
constexpr size_t kHeaderSize = 32;
constexpr uint32_t kHasDataFlag = 1;
constexpr WindowHandle kWindowsPerInstance = 1000; // handle = pid * 1000 + window number
constexpr auto kIdleLimit = std::chrono::seconds(5);
constexpr size_t kReadChunk = 65536;

using Clock = std::chrono::steady_clock;

ReportServer* liveServer = nullptr;

void Put32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void Put64(std::string& out, uint64_t value) {
    Put32(out, static_cast<uint32_t>(value));
    Put32(out, static_cast<uint32_t>(value >> 32));
}

uint32_t Get32(const std::string& in, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(in[at + static_cast<size_t>(i)]);
    return value;
}

uint64_t Get64(const std::string& in, size_t at) {
    return Get32(in, at) | (static_cast<uint64_t>(Get32(in, at + 4)) << 32);
}

bool Fail(int code, std::string text = {}) {
    SetLastError(code, std::move(text));
    return false;
}

// The per-user directory of the sockets. Anything but a private directory of this user is
// refused: another user could otherwise read the reports or pose as this program.
std::string SocketDirectory(bool create) {
    std::string directory;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/')
        directory = std::string(runtime) + "/quarver";
    else
        directory = "/tmp/quarver-" + std::to_string(getuid());
    if (create && mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST) {
        Fail(errno, "Cannot create " + directory + ": " + std::strerror(errno));
        return {};
    }
    struct stat st;
    if (lstat(directory.c_str(), &st) != 0) {
        Fail(errno);
        return {};
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != getuid() || (st.st_mode & 077) != 0) {
        Fail(EPERM, directory + " is not a private directory of this user");
        return {};
    }
    return directory;
}

std::string SocketPath(const std::string& directory, long pid) {
    return directory + "/" + std::to_string(pid) + ".sock";
}

bool MakeAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return Fail(ENAMETOOLONG, "Socket name too long: " + path);
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// Sockets left behind by instances that died without cleaning up.
void RemoveStaleSockets(const std::string& directory) {
    DIR* dir = opendir(directory.c_str());
    if (!dir) return;
    while (dirent* entry = readdir(dir)) {
        char* end = nullptr;
        long pid = std::strtol(entry->d_name, &end, 10);
        if (pid <= 0 || end == entry->d_name || std::strcmp(end, ".sock") != 0) continue;
        if (kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            unlink((directory + "/" + entry->d_name).c_str());
    }
    closedir(dir);
}

int RemainingMs(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

// Waits for one poll event until the deadline; false on timeout or error.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        int n = poll(&p, 1, RemainingMs(deadline));
        if (n > 0) return true;
        if (n == 0 || errno != EINTR) return false;
    }
}

} // namespace

struct ReportServer::Impl {
    struct Connection {
        std::string buffer;
        Clock::time_point lastActivity;
    };
    struct Ready {
        int fd;
        WindowHandle handle;
        ReportRecord record;
    };
    enum class ReadResult { Pending, Complete, Refused, Closed };

    int epollFd = -1;
    int timerFd = -1;
    int listenFd = -1;
    bool timerArmed = false;
    std::string socketPath;
    std::map<WindowHandle, Handler> windows; // by window number
    WindowHandle lastWindow = 0;
    std::map<int, Connection> connections;

    void Watch(int fd) {
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.fd = fd;
        epoll_ctl(epollFd, EPOLL_CTL_ADD, fd, &event);
    }

    void Forget(int fd) {
        epoll_ctl(epollFd, EPOLL_CTL_DEL, fd, nullptr);
        connections.erase(fd);
    }

    void Drop(int fd) {
        Forget(fd);
        close(fd);
    }

    static void Answer(int fd, int answer) {
        unsigned char byte = static_cast<unsigned char>(answer < 0     ? 0
                                                        : answer > 255 ? 255
                                                                       : answer);
        // One byte into an empty socket buffer; a peer that is gone simply misses it.
        ssize_t ignored = send(fd, &byte, 1, MSG_NOSIGNAL | MSG_DONTWAIT);
        (void)ignored;
        close(fd);
    }

    void AcceptAll() {
        for (int i = 0; i < 64; ++i) {
            int fd = accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd < 0) return;
            connections[fd] = Connection{{}, Clock::now()};
            Watch(fd);
        }
    }

    ReadResult Read(int fd, Connection& connection, Ready& ready) {
        char chunk[kReadChunk];
        for (;;) {
            size_t wanted = kHeaderSize;
            if (connection.buffer.size() >= kHeaderSize) {
                if (std::memcmp(connection.buffer.data(), kMagic, 4) != 0 ||
                    Get32(connection.buffer, 4) != kProtocolVersion ||
                    Get32(connection.buffer, 28) > kMaxRecordText)
                    return ReadResult::Refused;
                wanted = kHeaderSize + Get32(connection.buffer, 28);
            }
            if (connection.buffer.size() >= wanted && connection.buffer.size() >= kHeaderSize) {
                const std::string& b = connection.buffer;
                ready.fd = fd;
                ready.handle = Get64(b, 8);
                ready.record.message = Get32(b, 16);
                ready.record.identifier = Get32(b, 20);
                ready.record.hasData = (Get32(b, 24) & kHasDataFlag) != 0;
                ready.record.text = b.substr(kHeaderSize, wanted - kHeaderSize);
                return ReadResult::Complete;
            }
            size_t room = std::min(sizeof chunk, wanted - connection.buffer.size());
            ssize_t n = recv(fd, chunk, room, 0);
            if (n > 0) {
                connection.buffer.append(chunk, static_cast<size_t>(n));
                connection.lastActivity = Clock::now();
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return ReadResult::Pending;
            return ReadResult::Closed;
        }
    }

    // The timer wakes the window code while connections are open, so that idle ones go even
    // when nothing else happens.
    void UpdateTimer() {
        bool wanted = !connections.empty();
        if (wanted == timerArmed || timerFd < 0) return;
        itimerspec interval{};
        if (wanted) {
            interval.it_value.tv_sec = 1;
            interval.it_interval.tv_sec = 1;
        }
        timerfd_settime(timerFd, 0, &interval, nullptr);
        timerArmed = wanted;
    }
};

ReportServer::ReportServer() : impl_(std::make_unique<Impl>()) {
    impl_->epollFd = epoll_create1(EPOLL_CLOEXEC);
    impl_->timerFd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (impl_->epollFd >= 0 && impl_->timerFd >= 0) impl_->Watch(impl_->timerFd);
}

ReportServer::~ReportServer() {
    for (auto& [fd, connection] : impl_->connections)
        close(fd);
    if (impl_->listenFd >= 0) {
        close(impl_->listenFd);
        unlink(impl_->socketPath.c_str());
    }
    if (impl_->timerFd >= 0) close(impl_->timerFd);
    if (impl_->epollFd >= 0) close(impl_->epollFd);
    if (liveServer == this) liveServer = nullptr;
}

bool ReportServer::Listen() {
    if (impl_->listenFd >= 0) return true;
    if (liveServer && liveServer != this) return Fail(EBUSY, "Another report server is listening");
    if (impl_->epollFd < 0 || impl_->timerFd < 0) return Fail(EMFILE);
    std::string directory = SocketDirectory(true);
    if (directory.empty()) return false;
    RemoveStaleSockets(directory);
    std::string path = SocketPath(directory, static_cast<long>(getpid()));
    sockaddr_un address;
    if (!MakeAddress(path, address)) return false;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return Fail(errno);
    // A file of our own pid is left from a dead instance that had the same number.
    unlink(path.c_str());
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, 64) != 0) {
        int code = errno;
        close(fd);
        return Fail(code, "Cannot listen on " + path + ": " + std::strerror(code));
    }
    impl_->listenFd = fd;
    impl_->socketPath = path;
    impl_->Watch(fd);
    liveServer = this;
    return true;
}

int ReportServer::fd() const {
    return impl_->epollFd;
}

WindowHandle ReportServer::RegisterWindow(Handler handler) {
    // Numbers go round rather than being reused at once, so that a late report for a closed
    // window does not reach the next one.
    WindowHandle number = impl_->lastWindow;
    for (WindowHandle tries = 1; tries < kWindowsPerInstance; ++tries) {
        number = number % (kWindowsPerInstance - 1) + 1;
        if (!impl_->windows.count(number)) {
            impl_->windows[number] = std::move(handler);
            impl_->lastWindow = number;
            return static_cast<WindowHandle>(getpid()) * kWindowsPerInstance + number;
        }
    }
    SetLastError(EMFILE, "Too many report windows");
    return 0;
}

void ReportServer::UnregisterWindow(WindowHandle handle) {
    impl_->windows.erase(handle % kWindowsPerInstance);
}

void ReportServer::ProcessPending() {
    Impl& impl = *impl_;
    if (impl.epollFd < 0) return;
    std::vector<Impl::Ready> ready;
    epoll_event events[32];
    int count = epoll_wait(impl.epollFd, events, 32, 0);
    for (int i = 0; i < count; ++i) {
        int fd = events[i].data.fd;
        if (fd == impl.listenFd) {
            impl.AcceptAll();
        } else if (fd == impl.timerFd) {
            uint64_t expirations;
            ssize_t ignored = read(impl.timerFd, &expirations, sizeof expirations);
            (void)ignored;
        } else if (auto found = impl.connections.find(fd); found != impl.connections.end()) {
            Impl::Ready record{};
            switch (impl.Read(fd, found->second, record)) {
            case Impl::ReadResult::Pending:
                break;
            case Impl::ReadResult::Complete:
                impl.Forget(fd);
                ready.push_back(std::move(record));
                break;
            case Impl::ReadResult::Refused:
                impl.Forget(fd);
                Impl::Answer(fd, 0);
                break;
            case Impl::ReadResult::Closed:
                impl.Drop(fd);
                break;
            }
        }
    }
    Clock::time_point now = Clock::now();
    std::vector<int> idle;
    for (const auto& [fd, connection] : impl.connections)
        if (now - connection.lastActivity > kIdleLimit) idle.push_back(fd);
    for (int fd : idle)
        impl.Drop(fd);
    impl.UpdateTimer();

    // Handlers run last, on a state that is already consistent: they may open windows, run
    // nested event loops and come back here.
    const WindowHandle instance = static_cast<WindowHandle>(getpid());
    for (Impl::Ready& item : ready) {
        int answer = 0;
        if (item.handle / kWindowsPerInstance == instance) {
            auto window = impl_->windows.find(item.handle % kWindowsPerInstance);
            if (window != impl_->windows.end()) {
                Handler handler = window->second;
                answer = handler(item.record);
            }
        }
        Impl::Answer(item.fd, answer);
    }
}

ReportServer* ReportServer::Instance() {
    return liveServer;
}

int SendReport(WindowHandle handle, const ReportRecord& record, int timeoutMs) {
    const Clock::time_point deadline =
        Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    WindowHandle pid = handle / kWindowsPerInstance;
    if (pid == 0 || pid > static_cast<WindowHandle>(INT_MAX)) return -1;
    std::string directory = SocketDirectory(false);
    sockaddr_un address;
    if (directory.empty() || !MakeAddress(SocketPath(directory, static_cast<long>(pid)), address))
        return -1;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    for (;;) {
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) break;
        // A full backlog of a busy program: try again until the time is up.
        if ((errno == EAGAIN || errno == EINTR) && RemainingMs(deadline) > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        close(fd);
        return -1;
    }

    std::string frame(kMagic, sizeof kMagic);
    Put32(frame, kProtocolVersion);
    Put64(frame, handle);
    Put32(frame, record.message);
    Put32(frame, record.identifier);
    Put32(frame, record.hasData ? kHasDataFlag : 0);
    Put32(frame, static_cast<uint32_t>(std::min<size_t>(record.text.size(), UINT32_MAX)));
    frame += record.text;
    size_t sent = 0;
    while (sent < frame.size()) {
        ssize_t n = send(fd, frame.data() + sent, frame.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!WaitFor(fd, POLLOUT, deadline)) break;
        } else {
            break; // the receiver stopped reading; it may still have answered
        }
    }

    int answer = -1;
    unsigned char byte = 0;
    while (WaitFor(fd, POLLIN, deadline)) {
        ssize_t n = recv(fd, &byte, 1, 0);
        if (n == 1) {
            answer = byte;
            break;
        }
        if (n == 0 || (errno != EINTR && errno != EAGAIN)) break;
    }
    close(fd);
    return answer;
}

} // namespace plat
