#include "topwinfixture.h"

#include "engine/textutil.h"
#include "tabs/Command.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using qv::DialogAnswer;
using qv::DialogLayer;

namespace {

class CommandTabTest : public TopwinFixture {
protected:
    void SetUp() override {
        TopwinFixture::SetUp();
        config_.write("quarver/Quarver.INI", "[QuarvMain]\nCurrentTab=7\n");
        open();
        form = qobject_cast<qv::Tcommandform*>(window().CurrentTabForm());
        ASSERT_NE(form, nullptr);
    }
    std::string prompt() { return window().settings().CommandDirectory + "> "; }
    void type(const QString& text) {
        form->commandtorun->clear();
        QTest::keyClicks(form->commandtorun, text);
    }

    qv::Tcommandform* form = nullptr;
};

TEST_F(CommandTabTest, ControlsAndCaptions) {
    const struct {
        const char* name;
        const char* caption;
    } buttons[] = {{"commandmain", "Back to &Main"},
                   {"commandhelp", "&Help"},
                   {"commandhow", "Ho&w do I...?"},
                   {"commandrun", "&Run Specific"},
                   {"newbatch", "&New Batch"}};
    for (const auto& b : buttons) {
        auto* button = form->findChild<QPushButton*>(QLatin1String(b.name));
        ASSERT_NE(button, nullptr) << b.name;
        EXPECT_EQ(button->text(), QLatin1String(b.caption));
    }
    const struct {
        const char* name;
        const char* caption;
        QKeySequence keys;
    } actions[] = {{"histmenucopy", "&Copy", QKeySequence("Ctrl+C")},
                   {"histclear", "Clear &History", QKeySequence("Ctrl+H")},
                   {"histmenusaveas", "Save &As", QKeySequence("Ctrl+A")},
                   {"commandmenucmds", "Recent &Commands", QKeySequence("Ctrl+C")},
                   {"commandmenudirs", "Recen&t Directories", QKeySequence("Ctrl+T")}};
    for (const auto& a : actions) {
        auto* action = form->findChild<QAction*>(QLatin1String(a.name));
        ASSERT_NE(action, nullptr) << a.name;
        EXPECT_EQ(action->text(), QLatin1String(a.caption));
        EXPECT_EQ(action->shortcut(), a.keys);
    }
    EXPECT_TRUE(form->commandhistory->isReadOnly());
    EXPECT_EQ(form->commandhistory->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_TRUE(form->commandhistory->font().fixedPitch());
    EXPECT_TRUE(form->commandrun->isDefault());
}

TEST_F(CommandTabTest, RunSpecificNeedsMoreThanBlanks) {
    EXPECT_FALSE(form->commandrun->isEnabled());
    type(QStringLiteral("   "));
    EXPECT_FALSE(form->commandrun->isEnabled());
    QTest::keyClick(form->commandtorun, Qt::Key_Return);
    EXPECT_EQ(window().engine().history.Count(), 1u) << "nothing ran";
    type(QStringLiteral(" echo hi "));
    EXPECT_TRUE(form->commandrun->isEnabled());
    QTest::keyClick(form->commandtorun, Qt::Key_Return);
    EXPECT_EQ(window().engine().history.Lines(),
              (std::vector<std::string>{prompt() + "echo hi", prompt()}));
    EXPECT_TRUE(form->commandtorun->text().isEmpty());
    EXPECT_FALSE(form->commandrun->isEnabled());
    EXPECT_FALSE(window().engine().FromCommandTab);
}

TEST_F(CommandTabTest, UpAndDownRecallRecentCommands) {
    auto& recent = window().settings().RecentCommands;
    // Up and Down with nothing to recall leave the field alone.
    recent.clear();
    type(QStringLiteral("typed"));
    QTest::keyClick(form->commandtorun, Qt::Key_Up);
    QTest::keyClick(form->commandtorun, Qt::Key_Down);
    EXPECT_EQ(form->commandtorun->text(), QStringLiteral("typed"));

    recent = {"c0", "c1", "c2"};
    form->commandtorun->clear();
    QStringList seen;
    for (Qt::Key key : {Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Down, Qt::Key_Down,
                        Qt::Key_Down}) {
        QTest::keyClick(form->commandtorun, key);
        EXPECT_EQ(form->commandtorun->selectedText(), form->commandtorun->text());
        seen.append(form->commandtorun->text());
    }
    EXPECT_EQ(seen, QStringList({"c0", "c1", "c2", "c0", "c1", "c0", "c2"}));
    // Typing starts the recall from the newest entry again.
    type(QStringLiteral("x"));
    QTest::keyClick(form->commandtorun, Qt::Key_Up);
    EXPECT_EQ(form->commandtorun->text(), QStringLiteral("c0"));
}

TEST_F(CommandTabTest, EscClearsTheFieldThenShowsTheMainTab) {
    type(QStringLiteral("dir"));
    QTest::keyClick(form->commandtorun, Qt::Key_Escape);
    EXPECT_TRUE(form->commandtorun->text().isEmpty());
    EXPECT_EQ(window().TabRequest(), qv::kTabRequestIdle);
    QTest::keyClick(form->commandtorun, Qt::Key_Escape);
    ASSERT_TRUE(waitFor([&] { return window().maintab->currentIndex() == 0; }));
}

TEST_F(CommandTabTest, EscAwayFromTheFieldAndTheHistoryBoxKeys) {
    for (int i = 0; i < 60; ++i)
        window().engine().RunCommand({}, "echo line " + std::to_string(i));
    QTest::keyClick(form->commandhistory, Qt::Key_Home, Qt::ControlModifier);
    ASSERT_EQ(form->commandhistory->textCursor().position(), 0);
    QTest::keyClick(form->commandhistory, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(form->commandhistory->textCursor().position(),
              form->commandhistory->document()->characterCount() - 1);

    // Esc anywhere but in the command field asks for the Main tab.
    for (QWidget* target :
         {static_cast<QWidget*>(form->commandhistory), static_cast<QWidget*>(form->commandhelp)}) {
        SCOPED_TRACE(target->objectName().toStdString());
        window().SetTabRequest(qv::kTabRequestIdle);
        QTest::keyClick(target, Qt::Key_Escape);
        EXPECT_EQ(window().TabRequest(), 0);
        window().SetTabRequest(qv::kTabRequestIdle);
    }

    // Ctrl+T in the field offers the recent directories; Ctrl+A in the box saves the history.
    QTest::keyClick(form->commandtorun, Qt::Key_T, Qt::ControlModifier);
    QTest::keyClick(form->commandhistory, Qt::Key_A, Qt::ControlModifier);
    ASSERT_EQ(DialogLayer::shown().size(), 2u);
    EXPECT_EQ(DialogLayer::shown()[0].caption, QStringLiteral("List of Recent Directories:"));
    EXPECT_EQ(DialogLayer::shown()[0].message,
              QStringLiteral(" Select a recently used directory: "));
    EXPECT_EQ(DialogLayer::shown()[0].helpTopic, 1100);
    EXPECT_EQ(DialogLayer::shown()[1].caption, QStringLiteral("Save Command History:"));
    EXPECT_EQ(DialogLayer::shown()[1].message, QStringLiteral(" Save As: "));
}

TEST_F(CommandTabTest, ClearAndSaveTheHistory) {
    testsupport::TempDir dir;
    window().engine().RunCommand({}, "echo one");
    const std::string text = window().engine().history.Text();

    const std::string target = dir.file("hist.txt");
    DialogLayer::queueAnswer(DialogAnswer::Text(true, QString::fromStdString(programPath(target))));
    form->histmenusaveas->trigger();
    ASSERT_EQ(DialogLayer::shown().size(), 1u);
    EXPECT_EQ(DialogLayer::shown()[0].caption, QStringLiteral("Save Command History:"));
    EXPECT_EQ(DialogLayer::shown()[0].helpTopic, 1090);
    EXPECT_EQ(DialogLayer::shown()[0].text.toStdString(),
              qv::AddBackslash(window().settings().CommandDirectory) + "untitled.txt");
    EXPECT_EQ(testsupport::readFile(target), text);

    DialogLayer::queueAnswer(
        DialogAnswer::Text(true, QString::fromStdString(programPath(dir.mkdir("taken")))));
    form->histmenusaveas->trigger();
    ASSERT_EQ(DialogLayer::shown().size(), 3u);
    EXPECT_EQ(DialogLayer::shown()[2].message,
              QStringLiteral("Error: could not save command history."));
    EXPECT_EQ(window().engine().history.Text(), text);

    QTest::keyClick(form->commandhistory, Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(window().engine().history.Lines(), std::vector<std::string>{prompt()});
    EXPECT_EQ(form->commandhistory->toPlainText().toStdString(), prompt());
}

TEST_F(CommandTabTest, RecentChoosers) {
    testsupport::TempDir dir;
    const std::string target = programPath(dir.mkdir("Target"));
    window().settings().RecentCommands = {"dir", "echo x"};
    window().settings().RecentDirectories = {target};

    DialogLayer::queueAnswer(DialogAnswer::Choice(QStringLiteral("echo x")));
    QTest::keyClick(form->commandtorun, Qt::Key_C, Qt::ControlModifier);
    ASSERT_EQ(DialogLayer::shown().size(), 1u);
    EXPECT_EQ(DialogLayer::shown()[0].caption, QStringLiteral("List of Recent Commands:"));
    EXPECT_EQ(DialogLayer::shown()[0].helpTopic, 1086);
    EXPECT_EQ(form->commandtorun->text(), QStringLiteral("echo x"));
    EXPECT_EQ(form->commandtorun->cursorPosition(), 6);
    EXPECT_EQ(window().engine().history.Count(), 1u) << "chosen, not run";

    const std::string before = prompt();
    DialogLayer::queueAnswer(DialogAnswer::Choice(QString::fromStdString(target)));
    form->commandmenudirs->trigger();
    EXPECT_EQ(DialogLayer::shown()[1].caption, QStringLiteral("List of Recent Directories:"));
    EXPECT_TRUE(plat::SameText(window().settings().CommandDirectory, target));
    ASSERT_EQ(window().engine().history.Count(), 2u);
    EXPECT_EQ(window().engine().history.Lines()[0].rfind(before, 0), 0u);
    EXPECT_NE(window().engine().history.Lines()[0].find("CD"), std::string::npos);
}

TEST_F(CommandTabTest, LongHistoriesAreTrimmedInTheBoxToo) {
    for (int i = 0; i < 400; ++i)
        window().engine().RunCommand({}, "echo line " + std::to_string(i));
    const auto& lines = window().engine().history.Lines();
    EXPECT_LE(window().engine().history.TextLength(), qv::CommandHistory::kMaxTextLength + 200);
    QStringList expected;
    for (const std::string& line : lines)
        expected.append(QString::fromStdString(line));
    EXPECT_EQ(form->commandhistory->toPlainText(), expected.join(QLatin1Char('\n')));
}

} // namespace
