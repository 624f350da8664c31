#include "topwinfixture.h"

#include "dialogs/Batch.h"
#include "engine/textutil.h"

#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <sys/stat.h>

using qv::DialogAnswer;
using qv::DialogLayer;

namespace {

class BatchRunnerTest : public TopwinFixture {
protected:
    void SetUp() override {
        TopwinFixture::SetUp();
        open();
        window().engine().RunCommand({}, "cd " + programPath(work_.path()));
        window().engine().history.Clear();
        window().engine().ShowPrompt();
    }

    // A compressor that holds back until the test lets it go, then runs the real stand-in. It
    // never keeps the test's output open, and it gives up when the test's folder is gone or after
    // a minute, so that no test leaves it behind.
    void installHeldTool() {
        const std::string script = "#!/bin/sh\nexec >/dev/null 2>&1\nn=0\nwhile [ ! -e '" + flag() +
                                   "' ]; do\n  [ -d '" + tools_.path() +
                                   "' ] && [ $n -lt 3000 ] || exit 0\n  n=$((n+1))\n"
                                   "  sleep 0.02\ndone\nexec '" +
                                   testsupport::binDir() + "/QuarvC' \"$@\"\n";
        const std::string tool = tools_.write("QuarvC", script);
        chmod(tool.c_str(), 0755);
        window().settings().ProgramDirectory = programPath(tools_.path()) + "\\";
    }
    std::string flag() const { return tools_.file("go"); }
    void release() const { tools_.write("go", ""); }

    bool historyHas(const std::string& text) {
        return historyText().find(text) != std::string::npos;
    }
    static qv::Tbatchform* runner() {
        return qobject_cast<qv::Tbatchform*>(QApplication::activeModalWidget());
    }
    // Runs `step` from the event loop, once, when `ready` holds; the batch runs meanwhile.
    void when(std::function<bool()> ready, std::function<void()> step) {
        auto* poll = new QTimer(&window());
        poll->setInterval(5);
        QObject::connect(poll, &QTimer::timeout, poll, [poll, ready, step] {
            if (!ready()) return;
            poll->stop();
            poll->deleteLater();
            step();
        });
        poll->start();
    }

    testsupport::TempDir work_;
    testsupport::TempDir tools_;
};

TEST_F(BatchRunnerTest, NestedBatchesKeepTheirOwnParameters) {
    installHeldTool();
    work_.write("outer.qbt", "echo outer %1\r\n  \t\r\ninner second\r\necho back %1\r\n");
    // The inner batch waits for a tool, so that both runners can be looked at.
    work_.write("inner.qbt", "echo inner %1 %2\r\nQuarvC in.avi\r\n");
    QStringList captions;
    QStringList marked;
    when([] { return runner() && runner()->waiting(); },
         [&] {
             for (auto* form : window().findChildren<qv::Tbatchform*>()) {
                 captions.append(form->windowTitle());
                 marked.append(form->batchfile->toPlainText());
             }
             release();
         });
    const plat::WindowHandle mainHandle = window().engine().NotifyWindow;
    window().engine().RunCommand({}, "outer first");

    const std::string p = window().settings().CommandDirectory + "> ";
    const auto& lines = window().engine().history.Lines();
    ASSERT_GE(lines.size(), 7u) << historyText();
    EXPECT_NE(lines[0].find("outer.qbt"), std::string::npos);
    EXPECT_EQ(lines[1], p + "echo outer first");
    EXPECT_NE(lines[2].find("inner.qbt"), std::string::npos);
    EXPECT_EQ(lines[3], p + "echo inner second");
    EXPECT_EQ(lines[lines.size() - 2], p + "echo back first");
    EXPECT_EQ(lines.back(), p);
    EXPECT_TRUE(window().engine().BatchParameters.empty());
    EXPECT_FALSE(window().engine().InsideBatch);
    EXPECT_EQ(window().engine().NotifyWindow, mainHandle);
    ASSERT_EQ(captions.size(), 2);
    EXPECT_EQ(captions[0], QStringLiteral("Quarver for Windows Batch Player: outer.qbt"));
    EXPECT_EQ(marked[0],
              QStringLiteral("echo outer %1\n  \t\nCurrent ==> inner second\necho back %1"));
    EXPECT_EQ(marked[1], QStringLiteral("echo inner %1 %2\nCurrent ==> QuarvC in.avi"));
    EXPECT_TRUE(DialogLayer::shown().empty());
}

TEST_F(BatchRunnerTest, RunnerSitsOverTheMainWindowsLowerQuarterWithItsOwnTopic) {
    installHeldTool();
    work_.write("job.qbt", "QuarvC in.avi out.qrv\r\n");
    // The main window's outer size is known once the window system has framed it.
    ASSERT_TRUE(waitFor([&] {
        return window().frameGeometry().size() ==
               QSize(qv::Ttopwin::kOuterWidth, qv::Ttopwin::kOuterHeight);
    }));
    qv::HelpTopic() = 1083;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QRect frame;
    QSize client;
    QRect owner;
    int topic = 0;
    int cursor = -1;
    QStringList captions;
    when([] { return runner() && runner()->waiting(); },
         [&] {
             qv::Tbatchform* r = runner();
             frame = r->frameGeometry();
             client = r->size();
             owner = window().frameGeometry();
             topic = qv::HelpTopic();
             cursor = QApplication::overrideCursor()->shape();
             captions = {r->cancel->text(), r->quarvhelp->text(),
                         r->findChild<QGroupBox*>()->title()};
             release();
         });
    window().engine().RunCommand({}, "job");
    EXPECT_EQ(client, QSize(555, 117));
    EXPECT_EQ(frame.left(), owner.left() + (owner.width() - frame.width()) / 2);
    EXPECT_EQ(frame.top(), owner.top() + owner.height() * 3 / 4);
    EXPECT_EQ(topic, 1102);
    EXPECT_EQ(cursor, Qt::ArrowCursor);
    EXPECT_EQ(captions, QStringList({"&Cancel", "&Help", " Batch File contents: "}));
    EXPECT_EQ(qv::HelpTopic(), 1083);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QApplication::restoreOverrideCursor();

    // A batch file that cannot be read runs nothing and says so.
    const std::string missing = programPath(work_.file("gone.qbt"));
    qv::RunBatchFile(window().engine(), missing, "", qv::BatchHost{});
    ASSERT_EQ(DialogLayer::shown().size(), 1u);
    EXPECT_EQ(DialogLayer::shown()[0].message.toStdString(), "Error, couldn't load " + missing);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(BatchRunnerTest, AnsweringNoLetsTheBatchWaitForItsTool) {
    installHeldTool();
    work_.write("job.qbt", "QuarvC in.avi out.qrv\r\necho after\r\n");
    when([] { return runner() && runner()->waiting(); },
         [&] {
             DialogLayer::queueAnswer(DialogAnswer::Button(2));
             runner()->cancel->click();
             EXPECT_TRUE(runner()->waiting());
             release();
         });
    window().engine().RunCommand({}, "job");
    ASSERT_EQ(DialogLayer::shown().size(), 1u);
    EXPECT_EQ(DialogLayer::shown()[0].message, QStringLiteral("Cancel the batch file ?"));
    EXPECT_EQ(DialogLayer::shown()[0].defaultButton, 2);
    // The tool's report comes before the next line.
    const std::string text = historyText();
    const std::size_t tool = text.find("QuarvC");
    ASSERT_NE(tool, std::string::npos);
    const std::size_t report = text.find("\r\n  ", tool);
    const std::size_t after = text.find("echo after");
    ASSERT_NE(report, std::string::npos) << text;
    ASSERT_NE(after, std::string::npos) << text;
    EXPECT_LT(report, after);
}

TEST_F(BatchRunnerTest, CancellingEndsTheBatchAndTheLateReportStillArrives) {
    installHeldTool();
    work_.write("job.qbt", "QuarvC in.avi out.qrv\r\necho never\r\n");
    when([] { return runner() && runner()->waiting(); },
         [&] {
             DialogLayer::queueAnswer(DialogAnswer::Button(1));
             runner()->cancel->click();
         });
    window().engine().RunCommand({}, "job");
    EXPECT_EQ(DialogLayer::shown().size(), 1u);
    EXPECT_FALSE(historyHas("echo never"));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    const std::size_t lines = window().engine().history.Count();

    // The tool goes on by itself; what it reports still reaches the history.
    release();
    ASSERT_TRUE(waitFor([&] { return window().engine().history.Count() > lines; }));
}

TEST_F(BatchRunnerTest, ExitInsideABatchIsRefusedWhileTheRunnerIsOpen) {
    installHeldTool();
    work_.write("job.qbt", "exit\r\nQuarvC in.avi out.qrv\r\necho still here\r\n");
    when([] { return !DialogLayer::shown().empty(); }, [&] { release(); });
    window().engine().RunCommand({}, "job");
    ASSERT_EQ(DialogLayer::shown().size(), 1u);
    EXPECT_EQ(DialogLayer::shown()[0].message, QStringLiteral("Error, cannot close now."));
    EXPECT_TRUE(historyHas("echo still here"));
    EXPECT_TRUE(window().isVisible());
}

TEST_F(BatchRunnerTest, TerminationStopsAWaitingBatch) {
    installHeldTool();
    work_.write("job.qbt", "QuarvC in.avi out.qrv\r\necho never\r\n");
    when([] { return runner() && runner()->waiting(); }, [&] { window().RequestTermination(); });
    window().engine().RunCommand({}, "job");
    EXPECT_FALSE(historyHas("echo never"));
    EXPECT_TRUE(DialogLayer::shown().empty()) << "no question on the way out";
    ASSERT_TRUE(waitFor([&] { return !window().isVisible(); }));
    EXPECT_TRUE(testsupport::exists(settingsFile()));
    release();
}

} // namespace
