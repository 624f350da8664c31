// The qrvrate program, run as a user runs it.
#include "platform/paths.h"
#include "qrvfixture.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>

using qrvfixture::QrvBytes;
using testsupport::TempDir;

namespace {

struct RunResult {
    int exitCode = -1;
    std::string out, err;
};

std::string Quote(const std::string& text) {
    return "'" + text + "'";
}

RunResult RunQrvrate(const TempDir& dir, const std::string& args) {
    const std::string out = dir.file("stdout"), err = dir.file("stderr");
    const std::string command = Quote(testsupport::binDir() + "/qrvrate") + " " + args + " >" +
                                Quote(out) + " 2>" + Quote(err);
    const int status = std::system(command.c_str());
    RunResult run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = testsupport::readFile(out);
    run.err = testsupport::readFile(err);
    return run;
}

const char kHeading[] = "\r\n\r\nFrame\tSize\tBytes per Second\r\n";

} // namespace

TEST(QrvrateTest, ValuesTextInBothUnits) {
    TempDir dir;
    const std::string host = dir.write("clip.qrv", QrvBytes(300, {6000, 3000, 9000}));
    const std::string programPath = plat::ProgramPath(host);

    RunResult perSecond = RunQrvrate(dir, Quote(host));
    EXPECT_EQ(perSecond.exitCode, 0);
    EXPECT_EQ(perSecond.out, "Quarver file: " + programPath + kHeading +
                                 "1\t6000\t20000\r\n2\t3000\t10000\r\n3\t9000\t30000\r\n");
    EXPECT_EQ(perSecond.err, "");

    // A program path works as well and is named as given.
    RunResult perFrame = RunQrvrate(dir, "--per-frame " + Quote(programPath));
    EXPECT_EQ(perFrame.exitCode, 0);
    EXPECT_EQ(perFrame.out, "Quarver file: " + programPath + kHeading +
                                "1\t6000\t20000\r\n2\t3000\t10000\r\n3\t9000\t30000\r\n");
}

TEST(QrvrateTest, SeriesWithScale) {
    TempDir dir;
    const std::string host = dir.write("clip.qrv", QrvBytes(300, {500, 30, 60, 90, 120}));

    RunResult perFrame = RunQrvrate(dir, "--per-frame --series " + Quote(host));
    EXPECT_EQ(perFrame.exitCode, 0);
    // 2x CD-ROM at a frame time of 30000 is 72000 bytes per frame: top 72000, step 14400.
    EXPECT_EQ(perFrame.out, "1\t500.000000\t0.000000\r\n"
                            "2\t30.000000\t15.000000\r\n"
                            "3\t60.000000\t30.000000\r\n"
                            "4\t90.000000\t60.000000\r\n"
                            "5\t120.000000\t90.000000\r\n"
                            "max\t500.000000\ttop\t72000.000000\tstep\t14400.000000\r\n");

    RunResult perSecond = RunQrvrate(dir, "--series " + Quote(host));
    EXPECT_EQ(perSecond.exitCode, 0);
    EXPECT_EQ(perSecond.out, "1\t1666.666667\t0.000000\r\n"
                             "2\t100.000000\t50.000000\r\n"
                             "3\t200.000000\t100.000000\r\n"
                             "4\t300.000000\t200.000000\r\n"
                             "5\t400.000000\t300.000000\r\n"
                             "max\t1666.666667\ttop\t240000.000000\tstep\t48000.000000\r\n");
}

TEST(QrvrateTest, FailuresGoToStandardError) {
    TempDir dir;
    const std::string bad = dir.write("bad.qrv", QrvBytes(67, {1, 2}, {}, "RIFF"));
    for (const std::string& file : {bad, dir.file("missing.qrv")}) {
        SCOPED_TRACE(file);
        for (const char* mode : {"", "--series ", "--per-frame --series "}) {
            RunResult run = RunQrvrate(dir, mode + Quote(file));
            EXPECT_EQ(run.exitCode, 1);
            EXPECT_EQ(run.out, "");
            EXPECT_EQ(run.err, "Error loading Quarver file.\n");
        }
    }
    RunResult usage = RunQrvrate(dir, "");
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_NE(usage.err.find("Usage: qrvrate"), std::string::npos);
}
