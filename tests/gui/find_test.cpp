// The file finder window in both modes: order of the matches, which files count, the counts it
// shows, Cancel during a search and the chooser of interactive mode.
#include "dialogfixture.h"
#include "dialogs/Find.h"
#include "engine/engine.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

class FindWindowTest : public DialogFixture {
protected:
    void SetUp() override {
        DialogFixture::SetUp();
        plat::SetDriveMap({{'C', dir.path()}});
        engine.settings.CommandDirectory = "C:\\";
        engine.ShowPrompt();
    }
    void TearDown() override {
        plat::SetDriveMap(plat::DriveMapFromEnvironment());
        DialogFixture::TearDown();
    }
    Names LinesAfterPrompt() const {
        const auto& lines = engine.history.Lines();
        return {lines.begin() + 1, lines.end()};
    }
    testsupport::TempDir dir;
    qv::Engine engine;
};

TEST_F(FindWindowTest, CommandModeListsOwnFilesFirstThenSubdirectories) {
    for (const char* name :
         {"Clips/b.avi", "Clips/a.avi", "Clips/c.avi", "Clips/notes.txt", "Clips/Sub/e.avi",
          "Clips/Sub/d.avi", "Clips/.git/x.avi", "Clips/Sub/Deeper/none.txt"})
        dir.write(name, "x");
    int topicWhileOpen = 0;
    QTimer::singleShot(0, [&] { topicWhileOpen = qv::HelpTopic(); });
    const int topicBefore = qv::HelpTopic();
    {
        qv::Tfindform form("c:\\clips\\*.avi", &engine);
        form.exec();
        EXPECT_EQ(form.dirnum->text(), QStringLiteral("Directories searched: 3"));
        EXPECT_EQ(form.filenum->text(), QStringLiteral("Files found: 5"));
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Finding File..."));
    }
    EXPECT_EQ(LinesAfterPrompt(),
              (Names{"  c:\\clips\\a.avi", "  c:\\clips\\b.avi", "  c:\\clips\\c.avi",
                     "  c:\\clips\\sub\\d.avi", "  c:\\clips\\sub\\e.avi"}));
    EXPECT_EQ(topicWhileOpen, qv::Tfindform::kHelpTopic);
    EXPECT_EQ(qv::HelpTopic(), topicBefore);
}

TEST_F(FindWindowTest, HiddenFilesAreFoundButNotSystemFilesOrHiddenDirectories) {
    for (const char* name : {"t/hidden.txt", "t/system.txt", "t/plain.txt", "t/in/x.txt"})
        dir.write(name, "x");
    if (!plat::SetFileAttributes("C:\\t\\hidden.txt", plat::faHidden))
        GTEST_SKIP() << "the temporary folder keeps no user extended attributes";
    ASSERT_TRUE(plat::SetFileAttributes("C:\\t\\system.txt", plat::faSysFile));
    ASSERT_TRUE(plat::SetFileAttributes("C:\\t\\in", plat::faHidden));
    qv::FindFilesToHistory(engine, "c:\\t\\*.txt");
    EXPECT_EQ(LinesAfterPrompt(), (Names{"  c:\\t\\hidden.txt", "  c:\\t\\plain.txt"}));
}

TEST_F(FindWindowTest, NothingFoundInEitherMode) {
    dir.write("My Clips/a.txt", "x");
    qv::FindFilesToHistory(engine, "\"c:\\my clips\\*.avi\"");
    qv::FindFilesToHistory(engine, "c:\\nowhere\\*.*");
    EXPECT_EQ(LinesAfterPrompt(),
              (Names{"  No matching files found.", "  No matching files found."}));

    qv::DialogLayer::queueAnswer(qv::DialogAnswer::Button(1));
    EXPECT_EQ(qv::FindFileInteractive("c:\\my clips\\*.avi"), "");
    ASSERT_EQ(qv::DialogLayer::shown().size(), 1u);
    EXPECT_EQ(qv::DialogLayer::shown()[0].message,
              QStringLiteral("Error, no matching files found."));
}

TEST_F(FindWindowTest, InteractiveModeOffersTheMatchesInTheChooser) {
    for (const char* name : {"My Clips/one.avi", "My Clips/two.avi", "My Clips/x/three.avi"})
        dir.write(name, "x");
    qv::DialogLayer::queueAnswer(
        qv::DialogAnswer::Choice(QStringLiteral("c:\\my clips\\x\\three.avi")));
    EXPECT_EQ(qv::FindFileInteractive("\"C:\\My Clips\\*.AVI\""), "c:\\my clips\\x\\three.avi");
    ASSERT_EQ(qv::DialogLayer::shown().size(), 1u);
    const qv::ShownDialog& chooser = qv::DialogLayer::shown()[0];
    EXPECT_EQ(chooser.kind, qv::DialogKind::List);
    EXPECT_EQ(chooser.caption, QStringLiteral("List of Found Files:"));
    EXPECT_EQ(chooser.message, QStringLiteral(" Select a found file: "));
    EXPECT_EQ(chooser.helpTopic, 1099);
    EXPECT_EQ(chooser.entries, (QStringList{"c:\\my clips\\one.avi", "c:\\my clips\\two.avi",
                                            "c:\\my clips\\x\\three.avi"}));
}

TEST_F(FindWindowTest, CancelDuringTheSearchKeepsWhatWasFound) {
    for (int d = 0; d < 20; ++d)
        for (int f = 0; f < 5; ++f)
            dir.write("big/d" + std::to_string(d) + "/f" + std::to_string(f) + ".dat", "x");
    qv::DialogLayer::queueAnswer(qv::DialogAnswer::Button(1));
    qv::Tfindform form("c:\\big\\*.dat", &engine);
    form.setRefreshInterval(std::chrono::milliseconds(0));
    // Cancel as soon as the window shows a first match.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (form.filenum->text() != QStringLiteral("Files found: 0")) {
            poll.stop();
            form.outcancel->click();
        }
    });
    poll.start(0);
    form.exec();
    EXPECT_TRUE(form.totals().cancelled);
    const Names lines = LinesAfterPrompt();
    ASSERT_FALSE(lines.empty());
    EXPECT_LT(lines.size(), 100u);
    EXPECT_EQ(lines.front(), "  c:\\big\\d0\\f0.dat");
    for (const auto& line : lines)
        EXPECT_NE(line, "  No matching files found.");
    ASSERT_EQ(qv::DialogLayer::shown().size(), 1u);
    EXPECT_EQ(qv::DialogLayer::shown()[0].message, QStringLiteral("Cancel the file find ?"));
    EXPECT_EQ(qv::DialogLayer::shown()[0].defaultButton, 2);
}

} // namespace
