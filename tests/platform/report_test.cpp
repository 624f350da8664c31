#include "platform/report.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <string>
#include <vector>

using testsupport::TempDir;

namespace {

// Serves a server on its own thread, as the window code's event loop would; stops before the
// server goes.
class Pump {
public:
    explicit Pump(plat::ReportServer& server)
        : thread_([this, &server] {
              while (!stop_) {
                  pollfd p{server.fd(), POLLIN, 0};
                  if (poll(&p, 1, 20) > 0) server.ProcessPending();
              }
          }) {}
    ~Pump() {
        stop_ = true;
        thread_.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class ReportTest : public ::testing::Test {
protected:
    std::string socketPath(long pid) const {
        return runtime_.path() + "/quarver/" + std::to_string(pid) + ".sock";
    }

    // A raw client connection to this process's server.
    int connectRaw() const {
        int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::string path = socketPath(getpid());
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        return fd;
    }

    TempDir runtime_;
    testsupport::ScopedEnv runtimeEnv_{"XDG_RUNTIME_DIR", runtime_.path().c_str()};
};

TEST_F(ReportTest, RecordsReachTheirWindowAndGetItsAnswer) {
    plat::ReportServer server;
    EXPECT_EQ(plat::ReportServer::Instance(), nullptr);
    ASSERT_TRUE(server.Listen());
    EXPECT_EQ(plat::ReportServer::Instance(), &server);

    std::vector<plat::ReportRecord> taken;
    plat::WindowHandle main = server.RegisterWindow([&](const plat::ReportRecord& r) {
        taken.push_back(r);
        return r.identifier == plat::kToolReportIdentifier && r.hasData ? 1 : 0;
    });
    plat::WindowHandle refusing =
        server.RegisterWindow([](const plat::ReportRecord&) { return 0; });
    plat::WindowHandle closed = server.RegisterWindow([](const plat::ReportRecord&) { return 1; });
    server.UnregisterWindow(closed);
    EXPECT_EQ(main / 1000, static_cast<plat::WindowHandle>(getpid()));
    EXPECT_NE(main, refusing);
    Pump pump(server);

    plat::ReportRecord report;
    report.text = "Done\r\n2 files";
    plat::ReportRecord other = report;
    other.identifier = 4661;
    plat::ReportRecord restore;
    restore.message = plat::kRestoreMessage;
    restore.identifier = 0;
    restore.hasData = false;
    plat::ReportRecord binary;
    binary.text = std::string("a\0b", 3);
    plat::ReportRecord largest;
    largest.text = std::string(plat::kMaxRecordText, 'x');

    struct Case {
        const char* name;
        plat::WindowHandle handle;
        const plat::ReportRecord& record;
        int answer;
        bool reachesMain;
    } cases[] = {
        {"tool report", main, report, 1, true},
        {"other identifier passes through", main, other, 0, true},
        {"restore message without data", main, restore, 0, true},
        {"text with a NUL byte", main, binary, 1, true},
        {"largest record", main, largest, 1, true},
        {"window answering 0", refusing, report, 0, false},
        {"closed window", closed, report, 0, false},
        {"window of another instance", main + 1000, report, -1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        size_t before = taken.size();
        EXPECT_EQ(plat::SendReport(c.handle, c.record, 10000), c.answer);
        ASSERT_EQ(taken.size(), before + (c.reachesMain ? 1 : 0));
        if (c.reachesMain) {
            const plat::ReportRecord& got = taken.back();
            EXPECT_EQ(got.message, c.record.message);
            EXPECT_EQ(got.identifier, c.record.identifier);
            EXPECT_EQ(got.hasData, c.record.hasData);
            EXPECT_EQ(got.text, c.record.text);
        }
    }
}

TEST_F(ReportTest, OversizedAndMalformedRecordsAreRefused) {
    plat::ReportServer server;
    ASSERT_TRUE(server.Listen());
    int calls = 0;
    plat::WindowHandle window = server.RegisterWindow([&](const plat::ReportRecord&) {
        ++calls;
        return 1;
    });
    Pump pump(server);

    plat::ReportRecord tooLarge;
    tooLarge.text = std::string(plat::kMaxRecordText + 1, 'x');
    EXPECT_EQ(plat::SendReport(window, tooLarge, 10000), 0);

    int fd = connectRaw();
    std::string garbage(64, 'G');
    ASSERT_EQ(send(fd, garbage.data(), garbage.size(), MSG_NOSIGNAL), 64);
    unsigned char answer = 9;
    EXPECT_EQ(recv(fd, &answer, 1, 0), 1);
    EXPECT_EQ(answer, 0);
    EXPECT_LE(recv(fd, &answer, 1, 0), 0) << "the connection is closed after the answer";
    close(fd);
    EXPECT_EQ(calls, 0);
}

TEST_F(ReportTest, SilentClientsDoNotBlockAndAreDropped) {
    plat::ReportServer server;
    ASSERT_TRUE(server.Listen());
    plat::WindowHandle window = server.RegisterWindow([](const plat::ReportRecord&) { return 1; });

    int silent = connectRaw();
    int halfHeader = connectRaw();
    ASSERT_EQ(send(halfHeader, "QVRP", 4, MSG_NOSIGNAL), 4);
    // Served on this thread: a blocking read of either client would hang the test here.
    for (int i = 0; i < 5; ++i)
        server.ProcessPending();

    std::atomic<int> answer{-2};
    std::thread client([&] { answer = plat::SendReport(window, plat::ReportRecord{}, 10000); });
    while (answer == -2) {
        pollfd p{server.fd(), POLLIN, 0};
        if (poll(&p, 1, 20) > 0) server.ProcessPending();
    }
    client.join();
    EXPECT_EQ(answer, 1);

    // The idle clients are closed after a few seconds, woken by the server's own timer.
    pollfd p{silent, POLLIN, 0};
    for (int i = 0; i < 1000 && poll(&p, 1, 0) == 0; ++i) {
        pollfd s{server.fd(), POLLIN, 0};
        if (poll(&s, 1, 20) > 0) server.ProcessPending();
    }
    char byte;
    EXPECT_EQ(recv(silent, &byte, 1, MSG_DONTWAIT), 0);
    EXPECT_EQ(recv(halfHeader, &byte, 1, MSG_DONTWAIT), 0);
    close(silent);
    close(halfHeader);
}

TEST_F(ReportTest, DeadInstancesAreUnreachable) {
    // A pid that is certainly free: a child that has ended and been reaped.
    pid_t dead = fork();
    if (dead == 0) _exit(0);
    waitpid(dead, nullptr, 0);
    plat::WindowHandle handle = static_cast<plat::WindowHandle>(dead) * 1000 + 1;
    EXPECT_EQ(plat::SendReport(handle, plat::ReportRecord{}, 10000), -1) << "no socket at all";
    EXPECT_EQ(plat::SendReport(0, plat::ReportRecord{}, 10000), -1);

    // A socket file its instance left behind when it died.
    mkdir((runtime_.path() + "/quarver").c_str(), 0700);
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string stale = socketPath(dead);
    std::strncpy(address.sun_path, stale.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(fd);
    EXPECT_EQ(plat::SendReport(handle, plat::ReportRecord{}, 10000), -1) << "a stale socket";

    // The next instance to start clears it away; its own socket goes with it.
    {
        plat::ReportServer server;
        ASSERT_TRUE(server.Listen());
        EXPECT_FALSE(testsupport::exists(stale));
        EXPECT_TRUE(testsupport::exists(socketPath(getpid())));
    }
    EXPECT_FALSE(testsupport::exists(socketPath(getpid())));
    EXPECT_EQ(plat::ReportServer::Instance(), nullptr);
}

TEST_F(ReportTest, RefusesADirectoryOthersCouldUse) {
    std::string directory = runtime_.path() + "/quarver";
    ASSERT_EQ(mkdir(directory.c_str(), 0755), 0);
    plat::ReportServer open;
    EXPECT_FALSE(open.Listen());
    rmdir(directory.c_str());

    TempDir elsewhere;
    ASSERT_EQ(symlink(elsewhere.path().c_str(), directory.c_str()), 0);
    plat::ReportServer linked;
    EXPECT_FALSE(linked.Listen());
    EXPECT_EQ(plat::ReportServer::Instance(), nullptr);
}

} // namespace
