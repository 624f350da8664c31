#include "topwinfixture.h"

#include "tabs/Command.h"
#include "tabs/Main.h"

#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>

using qv::DialogLayer;
using qv::Ttopwin;

namespace {

class TopwinTest : public TopwinFixture {
protected:
    std::string prompt() { return window().settings().CommandDirectory + "> "; }
};

TEST_F(TopwinTest, OpensWithEightPagesAndTheStoredTab) {
    config_.write("quarver/Quarver.INI", "[QuarvMain]\nX=30\nY=40\nCurrentTab=3\n");
    Ttopwin& w = open();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Quarver for Windows"));
    // The outer size counts the frame, which the window learns once it is shown.
    EXPECT_TRUE(waitFor([&] {
        return w.frameGeometry().size() == QSize(Ttopwin::kOuterWidth, Ttopwin::kOuterHeight);
    })) << w.frameGeometry().width()
        << "x" << w.frameGeometry().height();
    EXPECT_EQ(w.minimumSize(), w.maximumSize()) << "the window is not resizable";
    EXPECT_FALSE(w.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(w.pos(), QPoint(30, 40));
    const char* sheets[] = {"Main",     "Quarv",   "Mix",        "Player",
                            "Scriptor", "Convert", "Multimedia", "Command"};
    const char* captions[] = {
        "Main",   "Quarv", "Mixer", "Player", "Scriptor", "Graphics Processor", "Sound Processor",
        "Command"};
    ASSERT_EQ(w.maintab->count(), 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(w.maintab->widget(i)->objectName(), QLatin1String(sheets[i]));
        EXPECT_EQ(w.maintab->tabText(i), QLatin1String(captions[i]));
    }
    // The stored page is shown with its form, docked in its own sheet.
    EXPECT_EQ(w.maintab->currentIndex(), 3);
    ASSERT_NE(w.CurrentTabForm(), nullptr);
    EXPECT_EQ(w.CurrentTabForm()->windowTitle(), QStringLiteral("Player"));
    EXPECT_TRUE(w.maintab->widget(3)->isAncestorOf(w.CurrentTabForm()));
    EXPECT_EQ(qv::HelpTopic(), 1078);
    EXPECT_EQ(w.engine().history.Lines(), std::vector<std::string>{prompt()})
        << "the first show starts the history with a prompt";
}

TEST_F(TopwinTest, StoredTabOutsideTheRangeOpensTheMainTab) {
    config_.write("quarver/Quarver.INI", "[QuarvMain]\nCurrentTab=9\n");
    Ttopwin& w = open();
    EXPECT_EQ(w.maintab->currentIndex(), 0);
    EXPECT_NE(qobject_cast<qv::Tmainform*>(w.CurrentTabForm()), nullptr);
}

TEST_F(TopwinTest, FunctionKeysChangePagesAndTheCommandHistorySurvives) {
    Ttopwin& w = open();
    ASSERT_NE(qobject_cast<qv::Tmainform*>(w.CurrentTabForm()), nullptr);
    EXPECT_EQ(w.focusWidget(), formChild<QPushButton>("quarv"));
    EXPECT_EQ(qv::HelpTopic(), 1107);

    ASSERT_TRUE(selectByKey(Qt::Key_F9, 7));
    auto* field = formChild<QLineEdit>("commandtorun");
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(w.focusWidget(), field);
    EXPECT_EQ(qv::HelpTopic(), 1083);
    EXPECT_TRUE(w.IsCommandTabShown());
    QTest::keyClicks(field, "echo kept");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(w.engine().history.Lines(),
              (std::vector<std::string>{prompt() + "echo kept", prompt()}));

    ASSERT_TRUE(selectByKey(Qt::Key_F4, 2));
    EXPECT_EQ(w.CurrentTabForm()->windowTitle(), QStringLiteral("Mixer"));
    EXPECT_FALSE(w.IsCommandTabShown());
    w.engine().RunCommand({}, "echo while away");
    ASSERT_TRUE(selectByKey(Qt::Key_F2, 0));
    EXPECT_EQ(w.focusWidget(), formChild<QPushButton>("quarv"));
    EXPECT_EQ(w.settings().Main.CurrentTab, 0);

    ASSERT_TRUE(selectByKey(Qt::Key_F9, 7));
    auto* box = formChild<QPlainTextEdit>("commandhistory");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->toPlainText().toStdString(),
              prompt() + "echo kept\n" + prompt() + "echo while away\n" + prompt());
    EXPECT_EQ(box->textCursor().position(), box->document()->characterCount() - 1)
        << "the caret is at the end of the history";
}

TEST_F(TopwinTest, OnlyTheLastRequestIsServed) {
    Ttopwin& w = open();
    w.SetTabRequest(5);
    w.SetTabRequest(6);
    ASSERT_TRUE(waitFor([&] { return w.TabRequest() == qv::kTabRequestIdle; }));
    EXPECT_EQ(w.maintab->currentIndex(), 6);
    EXPECT_EQ(w.CurrentTabForm()->windowTitle(), QStringLiteral("Sound Processor"));
}

TEST_F(TopwinTest, MainTabButtonsReachTheirPages) {
    Ttopwin& w = open();
    formChild<QPushButton>("cmdline")->click();
    ASSERT_TRUE(waitFor([&] { return w.IsCommandTabShown(); }));
    // The Command form's "Back to Main" destroys its own form only after its handler is done.
    formChild<QPushButton>("commandmain")->click();
    ASSERT_TRUE(waitFor([&] { return w.maintab->currentIndex() == 0; }));
    EXPECT_NE(qobject_cast<qv::Tmainform*>(w.CurrentTabForm()), nullptr);
}

TEST_F(TopwinTest, ToolReportsReachTheHistory) {
    Ttopwin& w = open();
    QSignalSpy refreshed(&w, &Ttopwin::fileListsRefreshed);
    const std::string p = prompt();

    plat::ReportRecord report;
    report.text = "Done\r\n2 files";
    EXPECT_EQ(sendReport(w.reportHandle(), report), 1);
    EXPECT_EQ(w.engine().history.Lines(), (std::vector<std::string>{p, "  Done", "2 files", p}));
    ASSERT_TRUE(waitFor([&] { return refreshed.count() == 1; }));

    struct {
        const char* what;
        uint32_t identifier;
        bool hasData;
    } ignored[] = {{"another identifier", 4661, true}, {"no record", 4660, false}};
    for (const auto& c : ignored) {
        SCOPED_TRACE(c.what);
        plat::ReportRecord other;
        other.identifier = c.identifier;
        other.hasData = c.hasData;
        other.text = "Not for us";
        EXPECT_EQ(sendReport(w.reportHandle(), other), 0);
        EXPECT_EQ(w.engine().history.Count(), 4u);
    }

    plat::ReportRecord empty;
    empty.text = "";
    EXPECT_EQ(sendReport(w.reportHandle(), empty), 1);
    EXPECT_EQ(w.engine().history.Count(), 4u) << "nothing but a prompt, which is there already";
    plat::ReportRecord trailing;
    trailing.text = "Finished\n";
    EXPECT_EQ(sendReport(w.reportHandle(), trailing), 1);
    EXPECT_EQ(w.engine().history.Lines(),
              (std::vector<std::string>{p, "  Done", "2 files", p, "  Finished", p}));
}

TEST_F(TopwinTest, RestoreMessageBringsBackAMinimizedWindow) {
    Ttopwin& w = open();
    w.showMinimized();
    plat::ReportRecord restore;
    restore.message = plat::kRestoreMessage;
    restore.hasData = false;
    sendReport(w.reportHandle(), restore);
    EXPECT_FALSE(w.isMinimized());
    EXPECT_TRUE(w.isVisible());
}

TEST_F(TopwinTest, CloseIsRefusedWhileAModalWindowIsOpen) {
    Ttopwin& w = open();
    QDialog modal(&w);
    modal.setWindowModality(Qt::ApplicationModal);
    modal.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &modal);
    const qv::GlobalSettings before = w.settings();

    EXPECT_FALSE(w.close());
    ASSERT_EQ(DialogLayer::shown().size(), 1u);
    EXPECT_EQ(DialogLayer::shown()[0].message, QStringLiteral("Error, cannot close now."));
    EXPECT_TRUE(w.isVisible());
    EXPECT_NE(w.CurrentTabForm(), nullptr);
    EXPECT_EQ(w.settings(), before);
    EXPECT_FALSE(testsupport::exists(settingsFile()));

    modal.close();
    EXPECT_TRUE(w.close());
    EXPECT_TRUE(testsupport::exists(settingsFile()));
}

TEST_F(TopwinTest, ClosingWritesTheSettings) {
    Ttopwin& w = open();
    ASSERT_TRUE(selectByKey(Qt::Key_F9, 7));
    QTest::keyClicks(formChild<QLineEdit>("commandtorun"), "echo remembered");
    formChild<QPushButton>("commandrun")->click();
    w.SetTabRequest(qv::kTabRequestExit);
    ASSERT_TRUE(waitFor([&] { return !w.isVisible(); }));
    EXPECT_EQ(w.CurrentTabForm(), nullptr);
    const std::string ini = testsupport::readFile(settingsFile());
    EXPECT_NE(ini.find("CurrentTab=7"), std::string::npos) << ini;
    EXPECT_NE(ini.find("Recall0=echo remembered"), std::string::npos) << ini;
    EXPECT_TRUE(DialogLayer::shown().empty());
}

TEST_F(TopwinTest, AFailedSettingsWriteIsReportedAndTheProgramStillEnds) {
    Ttopwin& w = open();
    // A directory where the file should be cannot be written.
    w.settings().SettingsFileName = programPath(config_.mkdir("blocked.ini"));
    EXPECT_TRUE(w.close());
    ASSERT_EQ(DialogLayer::shown().size(), 1u);
    EXPECT_EQ(DialogLayer::shown()[0].message.toStdString(),
              "Unable to write to " + w.settings().SettingsFileName);
    EXPECT_FALSE(w.isVisible());
}

TEST_F(TopwinTest, CommandLineBatchRunsOnTheCommandTab) {
    testsupport::TempDir dir;
    const std::string batch = dir.write("start job.qbt", "echo started %1\r\n");
    const std::string settings = dir.file("own.ini");
    Ttopwin& w = open({QString::fromStdString(batch), QString::fromStdString(settings)});
    EXPECT_EQ(w.maintab->currentIndex(), 7);
    ASSERT_TRUE(waitFor([&] { return historyText().find("echo started") != std::string::npos; }));
    const std::string name = programPath(batch);
    const std::string p = prompt();
    EXPECT_EQ(w.engine().history.Lines(),
              (std::vector<std::string>{p + plat::ToLower(name), p + "echo started", p}));
    EXPECT_EQ(w.settings().SettingsFileName, programPath(settings));
}

TEST_F(TopwinTest, ParametersAfterTheSettingsFileAreIgnored) {
    testsupport::TempDir dir;
    const std::string batch = dir.write("late.qbt", "echo late\r\n");
    Ttopwin& w =
        open({QString::fromStdString(dir.file("first.ini")), QString::fromStdString(batch)});
    EXPECT_TRUE(w.StartupCommand.empty());
    EXPECT_EQ(w.maintab->currentIndex(), 0);
    EXPECT_EQ(w.settings().SettingsFileName, programPath(dir.file("first.ini")));
}

TEST_F(TopwinTest, TerminationClosesAnOpenQuestionAndWritesTheSettings) {
    Ttopwin& w = open();
    QDialog question(&w);
    question.setWindowModality(Qt::ApplicationModal);
    question.show();
    w.RequestTermination();
    ASSERT_TRUE(waitFor([&] { return !w.isVisible(); }));
    EXPECT_FALSE(question.isVisible());
    EXPECT_TRUE(testsupport::exists(settingsFile()));
    EXPECT_TRUE(DialogLayer::shown().empty()) << "no error box on the way out";
}

} // namespace

namespace {

TEST_F(TopwinTest, EditorsThatAreNotThereYetSaySo) {
    Ttopwin& w = open();
    const struct {
        const char* command;
        const char* message;
    } cases[] = {{"edit job.qbt", "Error, the text editor is not available yet."},
                 {"listedit clips.lst", "Error, the list file editor is not available yet."}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        DialogLayer::reset();
        w.engine().RunCommand({}, c.command);
        ASSERT_EQ(DialogLayer::shown().size(), 1u);
        EXPECT_EQ(DialogLayer::shown()[0].message, QLatin1String(c.message));
        EXPECT_EQ(DialogLayer::shown()[0].icon, 2);
    }
}

} // namespace
