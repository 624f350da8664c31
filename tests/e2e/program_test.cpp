// The program as a user meets it: started with a batch file, running a tool from it, saving its
// history, and ended by the system, which must leave its settings written.
#include "platform/paths.h"
#include "support/testsupport.h"

#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

namespace {

bool WaitForFile(const std::string& hostPath, QProcess& program) {
    // A generous safety limit; the run takes well under a second.
    for (int waited = 0; waited < 60000; waited += 50) {
        if (testsupport::exists(hostPath)) return true;
        if (program.state() == QProcess::NotRunning) return false;
        QThread::msleep(50);
    }
    return false;
}

TEST(ProgramTest, StartUpBatchRunsAToolAndTheSettingsAreWrittenAtTermination) {
    testsupport::TempDir config;
    testsupport::TempDir work;
    const std::string log = work.file("tools.log");
    const std::string history = work.file("saved.txt");
    const std::string workDir = plat::ProgramPath(work.path());
    work.write("job.qbt", "cd " + workDir + "\r\nQuarvC in.avi out.qrv\r\nsavehist " +
                              plat::ProgramPath(history) + "\r\n");

    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", QString::fromStdString(config.path()));
    environment.insert("QUARVER_TOOL_LOG", QString::fromStdString(log));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QString::fromStdString(testsupport::binDir() + "/quarver"),
                  {QString::fromStdString(work.file("job.qbt"))});
    ASSERT_TRUE(program.waitForStarted());
    const qint64 pid = program.processId();

    ASSERT_TRUE(WaitForFile(history, program)) << "the batch did not save the history";
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);

    // The history holds the batch, its tool line and the tool's report, in that order.
    const std::string saved = testsupport::readFile(history);
    const std::size_t batch = saved.find("job.qbt\r\n");
    const std::size_t tool = saved.find("> QuarvC in.avi out.qrv\r\n");
    const std::size_t save = saved.find("> savehist ");
    ASSERT_NE(batch, std::string::npos) << saved;
    ASSERT_NE(tool, std::string::npos) << saved;
    ASSERT_NE(save, std::string::npos) << saved;
    EXPECT_LT(batch, tool);
    EXPECT_LT(tool, save);
    EXPECT_NE(saved.substr(tool, save - tool).find("\r\n  "), std::string::npos)
        << "the tool's report is missing:\n"
        << saved;

    // The tool was told the batch runner's window, with the marker of a batch line.
    const QString logged = QString::fromStdString(testsupport::readFile(log));
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^QuarvC\\t(.*)\\t/#(\\d+)/#$"),
                           QRegularExpression::MultilineOption)
            .match(logged);
    ASSERT_TRUE(match.hasMatch()) << logged.toStdString();
    EXPECT_EQ(match.captured(2).toLongLong() / 1000, pid) << logged.toStdString();

    // The settings were written on the way out: the Command tab was the page shown.
    const std::string ini = testsupport::readFile(config.file("quarver/Quarver.INI"));
    EXPECT_NE(ini.find("CurrentTab=7"), std::string::npos) << ini;
    EXPECT_NE(ini.find("[QuarvCommand]\r\nDirectory=" + workDir), std::string::npos) << ini;
}

} // namespace
