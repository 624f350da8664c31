// The tool stand-ins, run as the program runs them: as separate processes in a working directory,
// with QUARVER_TOOL_LOG set so that the exact arguments they received can be checked.
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/report.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using testsupport::TempDir;

namespace {

struct ToolRun {
    int exitCode = -1;
    std::string output; // what the tool printed: its report when it has no "/#"
};

// Runs a program in `cwd` with QUARVER_TOOL_LOG pointing at `log`. `path` replaces PATH when given.
ToolRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::string& cwd, const std::string& log, const std::string& path = {}) {
    std::vector<std::string> argvText{program};
    argvText.insert(argvText.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argvText)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::string logVar = "QUARVER_TOOL_LOG=" + log;
    std::vector<std::string> envText{logVar, "HOME=" + cwd,
                                     "PATH=" + (path.empty() ? "/usr/bin:/bin" : path)};
    std::vector<char*> envp;
    for (std::string& e : envText)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    int fds[2];
    if (pipe(fds) != 0) return {};
    pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 1);
        dup2(fds[1], 2);
        close(fds[0]);
        close(fds[1]);
        if (chdir(cwd.c_str()) != 0) _exit(126);
        execve(program.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    close(fds[1]);
    ToolRun run;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0)
        run.output.append(buffer, size_t(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

ToolRun RunTool(const std::string& name, const std::vector<std::string>& args,
                const std::string& cwd, const std::string& log, const std::string& path = {}) {
    return RunProgram(testsupport::binDir() + "/" + name, args, cwd, log, path);
}

uint32_t LE32(const std::string& bytes, size_t offset) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= uint32_t(uint8_t(bytes[offset + i])) << (8 * i);
    return v;
}

uint16_t LE16(const std::string& bytes, size_t offset) {
    return uint16_t(uint8_t(bytes[offset]) | (uint8_t(bytes[offset + 1]) << 8));
}

// The frame table as the analysis reads it, checked against the file's length.
std::vector<int32_t> CheckedFrameSizes(const std::string& qrv) {
    EXPECT_GE(qrv.size(), 104u);
    if (qrv.size() < 104) return {};
    EXPECT_EQ(qrv.substr(0, 4), "QRV2");
    int32_t count = int32_t(LE32(qrv, 12));
    std::vector<int32_t> sizes;
    uint64_t data = 0;
    for (int32_t i = 0; i < count; ++i) {
        sizes.push_back(int32_t(LE32(qrv, 104 + 4 * size_t(i))));
        EXPECT_GE(sizes.back(), 0);
        data += uint64_t(sizes.back());
    }
    uint64_t sound = LE32(qrv, 28);
    EXPECT_EQ(qrv.size(), 104 + 4 * uint64_t(count) + data + sound);
    return sizes;
}

std::string Bytes(size_t count, unsigned seed) {
    std::string s(count, '\0');
    for (size_t i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        s[i] = char(seed >> 16);
    }
    return s;
}

class ToolsTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string log = dir.file("tools.log");

    ToolRun run(const std::string& name, const std::vector<std::string>& args) {
        return RunTool(name, args, dir.path(), log);
    }
    std::string read(const std::string& relative) {
        return testsupport::readFile(dir.file(relative));
    }
};

TEST_F(ToolsTest, EveryToolAnswersItsSwitchList) {
    for (const char* name :
         {"QuarvC", "QuarvMix", "QuarvPlW", "QuarvPly", "QuarvPW6", "QuarvScW", "ImgProc",
          "AudProc", "QrvInfo", "QuarvFR", "QrvCompi", "RodUDU", "webgo"}) {
        ToolRun r = run(name, {"/?"});
        EXPECT_EQ(r.exitCode, 0) << name;
        EXPECT_NE(r.output.find(name), std::string::npos) << name << ": " << r.output;
    }
}

TEST_F(ToolsTest, CompressorWritesAFrameTableThatAccountsForEveryByte) {
    dir.write("clip.avi", Bytes(50000, 7));
    ToolRun r = run("QuarvC", {"clip.avi", "clip.qrv", "/N240000/K20/V95/L0", "/R22050/B16/C2"});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(read("tools.log"),
              "QuarvC\tclip.avi\tclip.qrv\t/N240000/K20/V95/L0\t/R22050/B16/C2\n");
    std::string qrv = read("clip.qrv");
    std::vector<int32_t> sizes = CheckedFrameSizes(qrv);
    EXPECT_EQ(sizes.size(), 4u); // 50000 bytes of video in frames of 16384
    EXPECT_EQ(int32_t(LE32(qrv, 16)), -10000) << "10 frames per second unless /F says otherwise";
    EXPECT_NE(r.output.find("clip.qrv"), std::string::npos);

    // The same input gives the same file.
    ASSERT_EQ(run("QuarvC", {"clip.avi", "again.qrv"}).exitCode, 0);
    ASSERT_EQ(run("QuarvC", {"clip.avi", "again2.qrv"}).exitCode, 0);
    EXPECT_EQ(read("again.qrv"), read("again2.qrv"));
}

TEST_F(ToolsTest, CompressorTakesOneFramePerMemberOfASequenceOrList) {
    for (int i = 1; i <= 12; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "pic%04d.bmp", i);
        dir.write(name, Bytes(300 + 10 * size_t(i), unsigned(i)));
    }
    ToolRun r = run("QuarvC", {"pic????.bmp*1-12", "/F15"});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    std::string qrv = read("pic.qrv"); // the default output name drops the pattern
    EXPECT_EQ(CheckedFrameSizes(qrv).size(), 12u);
    EXPECT_EQ(int32_t(LE32(qrv, 16)), -6667) << "15 frames per second as a negated frame time";

    // A list beside its entries, run from another directory: bare entries are found beside the
    // list, and "/s" and "/e" cut the video entry to frames 2 to 3.
    dir.write("v/clip.avi", Bytes(5 * 16384, 3));
    dir.write("v/pic0001.bmp", Bytes(500, 9));
    dir.write("v/movie.lst", "pic0001.bmp\r\n\r\nclip.avi /S2 /e3\r\n");
    r = run("QuarvC", {"v\\movie.lst", "listed.qrv"});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(CheckedFrameSizes(read("listed.qrv")).size(), 3u);
}

TEST_F(ToolsTest, CompressorHonoursTheCompressionAmounts) {
    // Eight frames of random bytes (they do not pack), the last one short.
    dir.write("clip.avi", Bytes(7 * 16384 + 4000, 11));
    ASSERT_EQ(run("QuarvC", {"clip.avi", "full.qrv", "/N0"}).exitCode, 0);
    std::vector<int32_t> full = CheckedFrameSizes(read("full.qrv"));
    ASSERT_EQ(full.size(), 8u);
    int64_t average = 0;
    for (int32_t size : full)
        average += size;
    average /= int64_t(full.size());

    struct Case {
        const char* switches;
        std::function<int64_t(int32_t)> limit; // the most a frame of this lossless size may keep
    } cases[] = {
        // 24000 bytes per second at 10 frames per second leave 2400 bytes a frame.
        {"/N24000/F10", [](int32_t) { return int64_t(2400); }},
        {"/N40", [](int32_t s) { return int64_t(s) * 60 / 100; }},      // 40 % total error
        {"/N-25", [&](int32_t) { return average * 25 / 100; }},         // 25 % of the average
        {"/N-430", [](int32_t s) { return int64_t(s) * 30 / 100; }},    // 30 % of its size
        {"/N-430/K0", [](int32_t s) { return int64_t(s) * 30 / 100; }}, // frame 1 lossless
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.switches);
        std::remove(dir.file("cut.qrv").c_str());
        ASSERT_EQ(run("QuarvC", {"clip.avi", "cut.qrv", c.switches}).exitCode, 0);
        std::vector<int32_t> cut = CheckedFrameSizes(read("cut.qrv"));
        ASSERT_EQ(cut.size(), full.size());
        bool keyLossless = std::string(c.switches).find("/K0") != std::string::npos;
        for (size_t i = 0; i < cut.size(); ++i) {
            EXPECT_GT(cut[i], 0) << "frame " << i + 1;
            if (i == 0 && keyLossless)
                EXPECT_EQ(cut[i], full[i]);
            else
                EXPECT_LE(cut[i], std::max<int64_t>(1, c.limit(full[i]))) << "frame " << i + 1;
        }
    }
}

TEST_F(ToolsTest, FrameRateChangerRewritesOnlyTheRateField) {
    dir.write("clip.avi", Bytes(40000, 5));
    ASSERT_EQ(run("QuarvC", {"clip.avi"}).exitCode, 0);
    std::string before = read("clip.qrv");
    ToolRun r = run("QuarvFR", {"clip.qrv", "/f-6667"});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    std::string after = read("clip.qrv");
    EXPECT_EQ(int32_t(LE32(after, 16)), -6667);
    after.replace(16, 4, before.substr(16, 4));
    EXPECT_EQ(after, before);

    ASSERT_EQ(run("QuarvFR", {"clip.qrv", "/f25"}).exitCode, 0);
    EXPECT_EQ(int32_t(LE32(read("clip.qrv"), 16)), -4000);
    ToolRun info = run("QrvInfo", {"clip.qrv"});
    EXPECT_EQ(info.exitCode, 0);
    EXPECT_NE(info.output.find("3 frames at 25 frames per second"), std::string::npos)
        << info.output;
}

TEST_F(ToolsTest, SoundProcessorWritesPcmWav) {
    // 8-bit mono raw input at the default 11025 hz, doubled in rate, depth and channels.
    dir.write("voice.raw", Bytes(11025, 2));
    ToolRun r = run("AudProc", {"voice.raw", "voice.wav", "/R22050/B16/C2"});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    std::string wav = read("voice.wav");
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(LE32(wav, 4), wav.size() - 8);
    EXPECT_EQ(LE16(wav, 20), 1); // PCM
    EXPECT_EQ(LE16(wav, 22), 2); // stereo
    EXPECT_EQ(LE32(wav, 24), 22050u);
    EXPECT_EQ(LE32(wav, 28), 22050u * 4);
    EXPECT_EQ(LE16(wav, 34), 16);
    EXPECT_EQ(wav.substr(36, 4), "data");
    EXPECT_EQ(LE32(wav, 40), 22050u * 4); // one second

    // Its own output reads back as WAV and converts down again.
    ASSERT_EQ(run("AudProc", {"voice.wav", "small.wav", "/R11025/B8/C1"}).exitCode, 0);
    EXPECT_EQ(LE32(read("small.wav"), 40), 11025u);
}

TEST_F(ToolsTest, MixerAttachesTheSoundAndKeepsTheFrames) {
    dir.write("clip.avi", Bytes(30000, 1));
    dir.write("take.wav", Bytes(777, 4));
    ASSERT_EQ(run("QuarvC", {"clip.avi"}).exitCode, 0);
    ToolRun r = run("QuarvMix", {"clip.qrv", "take.wav", "Mix_clip.qrv", "/M3"});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    std::string video = read("clip.qrv"), mixed = read("Mix_clip.qrv");
    EXPECT_EQ(CheckedFrameSizes(mixed), CheckedFrameSizes(video));
    EXPECT_EQ(LE32(mixed, 28), 777u);
    EXPECT_EQ(LE32(mixed, 32), 3u);
    EXPECT_EQ(mixed.substr(mixed.size() - 777), read("take.wav"));
}

TEST_F(ToolsTest, ExistingOutputIsReplacedOnlyWithOverwrite) {
    dir.write("clip.avi", Bytes(20000, 8));
    dir.write("clip.qrv", "keep me");
    ToolRun r = run("QuarvC", {"clip.avi", "clip.qrv"});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.output.find("clip.qrv already exists"), std::string::npos) << r.output;
    EXPECT_EQ(read("clip.qrv"), "keep me");
    ASSERT_EQ(run("QuarvC", {"clip.avi", "clip.qrv", "/O"}).exitCode, 0);
    EXPECT_EQ(read("clip.qrv").substr(0, 4), "QRV2");
}

TEST_F(ToolsTest, BadInputIsReportedAndChangesNothing) {
    std::string damaged =
        std::string("QRV2") + std::string(8, '\0') + "\x05" + std::string(91, '\0');
    damaged.resize(110); // five frames announced, the table cut short
    dir.write("damaged.qrv", damaged);
    dir.write("fake.qrv", "RIFF and not a video at all");
    dir.write("broken.wav", std::string("RIFF\x20\0\0\0WAVEfmt \x10\0\0\0", 20) + "\x55\0");
    dir.write("pic0001.bmp", "one");
    dir.write("pic0003.bmp", "three");
    struct Case {
        const char* tool;
        std::vector<std::string> args;
        const char* says; // part of the report
    } cases[] = {
        {"QuarvC", {"missing.avi", "out.qrv"}, "cannot find missing.avi"},
        {"QuarvC", {"nolist.lst", "out.qrv"}, "nolist.lst"},
        {"QuarvC", {"pic????.bmp*1-3", "out.qrv"}, "pic0002.bmp"},
        {"QuarvC", {"damaged.qrv", "out.qrv"}, "damaged.qrv is damaged"},
        {"QuarvC", {"pic0001.bmp", "out.qrv", "/Nabc"}, "/Nabc"},
        {"QuarvFR", {"damaged.qrv", "/f15"}, "damaged.qrv"},
        {"QuarvFR", {"fake.qrv", "/f15"}, "not a Quarver file"},
        {"QuarvFR", {"pic0001.bmp", "/f0"}, "/F0"},
        {"QrvInfo", {"damaged.qrv"}, "damaged.qrv is damaged"},
        {"QuarvMix", {"fake.qrv", "pic0001.bmp", "out.qrv"}, "fake.qrv"},
        {"QuarvPlW", {"missing.qrv"}, "missing.qrv"},
        {"QuarvPly", {"damaged.qrv"}, "cannot play damaged.qrv"},
        {"AudProc", {"broken.wav", "out.wav"}, "broken.wav"},
        {"ImgProc", {"missing.bmp", "out.bmp"}, "missing.bmp"},
        {"QrvCompi", {"nosuchplayer.exe", "out.exe", "", "damaged.qrv"}, "nosuchplayer"},
        {"QuarvScW", {"missing.qs"}, "missing.qs"},
    };
    for (const Case& c : cases) {
        ToolRun r = run(c.tool, c.args);
        EXPECT_NE(r.exitCode, 0) << c.tool << " " << c.args[0];
        EXPECT_NE(r.output.find("Error"), std::string::npos) << r.output;
        EXPECT_NE(r.output.find(c.says), std::string::npos) << c.tool << ": " << r.output;
        EXPECT_FALSE(testsupport::exists(dir.file("out.qrv"))) << c.tool << " " << c.args[0];
    }
    EXPECT_EQ(read("damaged.qrv"), damaged);
    EXPECT_EQ(read("fake.qrv"), "RIFF and not a video at all");
}

TEST_F(ToolsTest, PlayersAndHelpersReportWhatTheyDid) {
    dir.write("clip.avi", Bytes(20000, 6));
    ASSERT_EQ(run("QuarvC", {"clip.avi", "/F12.5"}).exitCode, 0);
    ToolRun play = run("QuarvPW6", {"clip.qrv", "/L3"});
    EXPECT_EQ(play.exitCode, 0);
    EXPECT_NE(play.output.find("QuarvPW6: played clip.qrv, 2 frames at 12.5 frames per second, 3 "
                               "times"),
              std::string::npos)
        << play.output;

    dir.write("show.qs", "; opening\r\nplay clip.qrv\r\n\r\nwait 10\r\n");
    ToolRun script = run("QuarvScW", {"show.qs"});
    EXPECT_EQ(script.exitCode, 0);
    EXPECT_NE(script.output.find("2 commands"), std::string::npos) << script.output;

    // The maker gets the player with ".exe", as the program names it; the result starts with the
    // player's own bytes, can be run, and ends with the marker a player looks for.
    std::string player = plat::ProgramPath(testsupport::binDir() + "/QuarvPlW") + ".exe";
    ToolRun compile = run("QrvCompi", {player, "show.exe", "/L/F10", "clip.qrv"});
    ASSERT_EQ(compile.exitCode, 0) << compile.output;
    std::string made = read("show.exe");
    std::string playerBytes = testsupport::readFile(testsupport::binDir() + "/QuarvPlW");
    EXPECT_EQ(made.substr(0, playerBytes.size()), playerBytes);
    EXPECT_NE(made.find(std::string("QRVARGS/L/F10\0", 14)), std::string::npos);
    EXPECT_EQ(made.substr(made.size() - 16, 8), "QRVSELF1");
    EXPECT_EQ(access(dir.file("show.exe").c_str(), X_OK), 0);
    // Run on its own, it plays what is attached, with the attached switches.
    ToolRun self = RunProgram(dir.file("show.exe"), {}, dir.path(), log);
    EXPECT_EQ(self.exitCode, 0) << self.output;
    EXPECT_NE(self.output.find("played clip.qrv (attached), 2 frames at 10 frames per second, "
                               "looping until stopped"),
              std::string::npos)
        << self.output;

    ToolRun info = run("RodUDU", {});
    EXPECT_EQ(info.exitCode, 0);
    EXPECT_NE(info.output.find("Memory:"), std::string::npos) << info.output;

    ASSERT_EQ(run("ImgProc", {"clip.avi", "clip.bmp"}).exitCode, 0);
    std::string bmp = read("clip0001.bmp");
    ASSERT_GE(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(LE32(bmp, 2), bmp.size());
    EXPECT_TRUE(testsupport::exists(dir.file("clip0002.bmp")));
}

TEST_F(ToolsTest, WebgoHandsTheAddressToXdgOpen) {
    std::string bin = dir.mkdir("fakebin");
    std::string opened = dir.file("opened.txt");
    dir.write("fakebin/xdg-open", "#!/bin/sh\necho \"$1\" > '" + opened + "'\n");
    chmod((bin + "/xdg-open").c_str(), 0755);
    ToolRun r =
        RunTool("webgo", {">https://example.org/quarver"}, dir.path(), log, bin + ":/usr/bin:/bin");
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(testsupport::readFile(opened), "https://example.org/quarver\n");

    ToolRun missing =
        RunTool("webgo", {">https://example.org"}, dir.path(), log, dir.file("empty"));
    EXPECT_NE(missing.exitCode, 0);
    EXPECT_NE(missing.output.find("xdg-open was not found"), std::string::npos) << missing.output;
}

// A tool started the way the program starts it reports back through the channel to the window
// named after "/#".
TEST(ToolsEndToEnd, StartedToolReportsToTheWindowOfItsHandle) {
    TempDir dir;
    dir.write("clip.avi", Bytes(20000, 12));
    std::string log = dir.file("tools.log");
    testsupport::ScopedEnv logEnv("QUARVER_TOOL_LOG", log.c_str());

    plat::ReportServer server;
    ASSERT_TRUE(server.Listen());
    std::vector<plat::ReportRecord> received;
    plat::WindowHandle handle = server.RegisterWindow([&](const plat::ReportRecord& record) {
        received.push_back(record);
        return 1;
    });
    std::string tool = plat::ProgramPath(testsupport::binDir() + "/QuarvC");
    std::string marker = "/#" + std::to_string(handle) + "/#";
    ASSERT_TRUE(plat::StartProcess("\"" + tool + "\" clip.avi clip.qrv /N0 " + marker,
                                   plat::ProgramPath(dir.path())));

    // A safety limit so that a lost report fails the test instead of hanging it.
    auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (received.empty() && std::chrono::steady_clock::now() < limit) {
        pollfd p{server.fd(), POLLIN, 0};
        poll(&p, 1, 100);
        server.ProcessPending();
    }
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].message, plat::kCopyDataMessage);
    EXPECT_EQ(received[0].identifier, plat::kToolReportIdentifier);
    EXPECT_NE(received[0].text.find("clip.qrv"), std::string::npos) << received[0].text;
    EXPECT_EQ(testsupport::readFile(dir.file("clip.qrv")).substr(0, 4), "QRV2");
    EXPECT_EQ(testsupport::readFile(log), "QuarvC\tclip.avi\tclip.qrv\t/N0\t" + marker + "\n");
}

} // namespace
