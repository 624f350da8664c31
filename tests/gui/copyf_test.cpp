// The copy window: outcomes, the name it shows, the refusal to copy a file onto itself and Cancel
// while the copy runs.
#include "dialogfixture.h"
#include "dialogs/Copyf.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

namespace {

class CopyWindowTest : public DialogFixture {
protected:
    void SetUp() override {
        DialogFixture::SetUp();
        plat::SetDriveMap({{'C', dir.path()}});
    }
    void TearDown() override {
        plat::SetDriveMap(plat::DriveMapFromEnvironment());
        DialogFixture::TearDown();
    }
    // Presses the window's Cancel as soon as the event loop runs inside the copy.
    void PressCancelDuringTheCopy() {
        QTimer::singleShot(0, [] {
            for (QWidget* widget : QApplication::allWidgets())
                if (widget->objectName() == QLatin1String("Tcopyform"))
                    widget->findChild<QPushButton*>(QStringLiteral("outcancel"))->click();
        });
    }
    testsupport::TempDir dir;
};

TEST_F(CopyWindowTest, CopiesUnderTheSourceNameAndShowsIt) {
    const std::string content(3 * 8192 + 17, 'v');
    dir.write("In/Clip.AVI", content);
    dir.mkdir("out");
    QString caption;
    QTimer::singleShot(0, [&] {
        for (QWidget* widget : QApplication::allWidgets())
            if (widget->objectName() == QLatin1String("Tcopyform")) caption = widget->windowTitle();
    });
    std::string source = "\\in\\clip.avi";
    std::string target = "\\OUT\\*.*";
    EXPECT_EQ(qv::CopyWithProgress(source, target), qv::CopyOutcome::Copied);
    EXPECT_EQ(source, "c:\\in\\clip.avi");
    EXPECT_EQ(target, "c:\\out\\clip.avi");
    EXPECT_EQ(caption, QStringLiteral("Copying clip.avi..."));
    EXPECT_EQ(testsupport::readFile(dir.file("out/clip.avi")), content);
    EXPECT_TRUE(qv::DialogLayer::shown().empty());
}

TEST_F(CopyWindowTest, EmptySourceAndTheFullBar) {
    dir.write("empty.txt", "");
    qv::Tcopyform form("c:\\empty.txt", "c:\\copy.txt");
    form.exec();
    EXPECT_EQ(form.outcome(), qv::CopyOutcome::Copied);
    EXPECT_TRUE(testsupport::exists(dir.file("copy.txt")));
    EXPECT_EQ(testsupport::readFile(dir.file("copy.txt")), "");
    EXPECT_EQ(form.findChild<QWidget*>(QStringLiteral("bar")), form.bar);
    EXPECT_EQ(form.bar->fill(), qv::Tcopyform::kBarWidth) << "one round of one block";
}

TEST_F(CopyWindowTest, NeverOntoItselfWhateverTheSpelling) {
    dir.write("Clip.avi", "precious");
    for (std::string target : {"c:\\clip.avi", "C:\\CLIP.AVI", "c:\\*.*"}) {
        qv::DialogLayer::queueAnswer(qv::DialogAnswer::Button(1));
        std::string source = "c:\\clip.avi";
        EXPECT_EQ(qv::CopyWithProgress(source, target), qv::CopyOutcome::Failed) << target;
    }
    ASSERT_EQ(qv::DialogLayer::shown().size(), 3u);
    EXPECT_EQ(qv::DialogLayer::shown()[0].message,
              QStringLiteral("Error, cannot copy a file onto itself."));
    EXPECT_EQ(testsupport::readFile(dir.file("Clip.avi")), "precious");
}

TEST_F(CopyWindowTest, CancelAnsweredYesStopsAndLeavesNoPartialFile) {
    dir.write("big.bin", std::string(10 * 8192, 'b'));
    qv::DialogLayer::queueAnswer(qv::DialogAnswer::Button(1));
    PressCancelDuringTheCopy();
    std::string source = "c:\\big.bin";
    std::string target = "c:\\part.bin";
    EXPECT_EQ(qv::CopyWithProgress(source, target), qv::CopyOutcome::Cancelled);
    ASSERT_EQ(qv::DialogLayer::shown().size(), 1u);
    EXPECT_EQ(qv::DialogLayer::shown()[0].message,
              QStringLiteral("Do you want to cancel the file copy?"));
    EXPECT_EQ(qv::DialogLayer::shown()[0].defaultButton, 2);
    EXPECT_FALSE(testsupport::exists(dir.file("part.bin")));
}

TEST_F(CopyWindowTest, CancelAnsweredNoLetsTheCopyFinish) {
    dir.write("big.bin", std::string(10 * 8192, 'b'));
    qv::DialogLayer::queueAnswer(qv::DialogAnswer::Button(2));
    PressCancelDuringTheCopy();
    std::string source = "c:\\big.bin";
    std::string target = "c:\\whole.bin";
    EXPECT_EQ(qv::CopyWithProgress(source, target), qv::CopyOutcome::Copied);
    EXPECT_EQ(qv::DialogLayer::shown().size(), 1u);
    EXPECT_EQ(testsupport::readFile(dir.file("whole.bin")).size(), 10u * 8192);
}

} // namespace
