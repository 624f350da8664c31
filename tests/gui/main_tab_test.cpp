#include "dialogfixture.h"
#include "shell/hints.h"
#include "tabs/About.h"
#include "tabs/Main.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTextEdit>

using qv::DialogLayer;

namespace {

// Everything the Main tab asked of the main window, in order.
class Requests {
public:
    explicit Requests(qv::Tmainform& form) {
        QObject::connect(&form, &qv::Tmainform::tabRequested, &context,
                         [this](int tab) { log.append(QStringLiteral("tab %1").arg(tab)); });
        QObject::connect(&form, &qv::Tmainform::mixerFrameRateRequested, &context,
                         [this] { log.append(QStringLiteral("frame rate")); });
        QObject::connect(&form, &qv::Tmainform::runCommandRequested, &context,
                         [this](const QString& line) { log.append("run " + line); });
        QObject::connect(&form, &qv::Tmainform::startProgramRequested, &context,
                         [this](const QString& line) { log.append("start " + line); });
    }
    QObject context; // ends the connections with this recorder
    QStringList log;
};

class MainTabTest : public DialogFixture {};

TEST_F(MainTabTest, ButtonsAskForTheirTabOrProgram) {
    const struct {
        const char* button;
        const char* caption;
        QStringList requests;
    } cases[] = {
        {"quarv", "Quarv (compress) a graphics file", {"tab 1"}},
        {"mix", "Mix sound into a Quarver file", {"tab 2"}},
        {"play", "Playback a Quarver file", {"tab 3"}},
        {"script", "Use the QuarvScript environment", {"tab 4"}},
        {"quarvfr", "Change a Quarver file frame rate", {"frame rate", "tab 2"}},
        {"toanim", "Convert a graphics file", {"tab 5"}},
        {"tosnd", "Convert a sound file", {"tab 6"}},
        {"cmdline", "Use the Quarver command line", {"tab 7"}},
        {"sysinfo", "View your system information", {"run RODUDU"}},
        {"homepage", "Visit the Quarver home page", {"start webgo >https://www.quarver.example/"}},
        {"exit", "E&xit", {"tab 32"}},
    };
    qv::Tmainform form(&owner());
    EXPECT_EQ(form.size(), QSize(601, 279));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        Requests requests(form);
        auto* button = form.findChild<QPushButton*>(QLatin1String(c.button));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), QString::fromUtf8(c.caption));
        button->click();
        EXPECT_EQ(requests.log, c.requests);
    }
    QStringList groups;
    for (QGroupBox* group : form.findChildren<QGroupBox*>())
        groups.append(group->title());
    groups.sort();
    EXPECT_EQ(groups, (QStringList{" &Compression Options: ", " &Playback Options: ",
                                   " &Support Options: ", " &Utility Options: "}));
    EXPECT_TRUE(DialogLayer::shown().empty());
}

TEST_F(MainTabTest, EscAnywhereOnThePageAsksToClose) {
    qv::Tmainform form(&owner());
    Requests requests(form);
    QTest::keyClick(form.findChild<QPushButton*>(QStringLiteral("play")), Qt::Key_Escape);
    EXPECT_EQ(requests.log, (QStringList{"tab 32"}));
}

TEST_F(MainTabTest, HelpButtonsOpenTheirTopics) {
    qv::Tmainform form(&owner());
    qv::SetHelpFile(QString()); // the help file next to the program
    qv::HelpTopic() = 1107;
    const auto shown = [] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->objectName() == QLatin1String("helpwin") && widget->isVisible())
                return widget->findChild<QTextBrowser*>(QStringLiteral("helptext"))->toPlainText();
        return QString();
    };
    form.findChild<QPushButton*>(QStringLiteral("help"))->click();
    EXPECT_TRUE(shown().startsWith(QStringLiteral("Main tab"))) << shown().toStdString();
    form.findChild<QPushButton*>(QStringLiteral("how"))->click();
    EXPECT_TRUE(shown().startsWith(QStringLiteral("How do I...?")));
    EXPECT_TRUE(DialogLayer::shown().empty());
}

TEST_F(MainTabTest, AboutWindowShowsHintsWhileOpen) {
    qv::Tmainform form(&owner());
    qv::SetHintsEnabled(false);
    bool hintsWhileOpen = false;
    inspect([&](QDialog* about) {
        EXPECT_EQ(about->windowTitle(), QStringLiteral("About Quarver for Windows..."));
        EXPECT_EQ(about->size(), QSize(493, 310));
        EXPECT_EQ(child<QLabel>(about, "aboutlabel")->text(),
                  QStringLiteral("Quarver Version 4.0g"));
        EXPECT_FALSE(child<QLabel>(about, "aboutcopy")->text().isEmpty());
        EXPECT_EQ(child<QLabel>(about, "aboutquarv")->size(), QSize(180, 156));
        const QRect main = ownerFrame();
        EXPECT_EQ(about->pos(), main.topLeft() + QPoint(89, 25));
        hintsWhileOpen = qv::HintsEnabled();

        // The texts cannot be edited or focused: the focus stays on "&Close".
        auto* text = child<QTextEdit>(about, "abouttext1");
        EXPECT_TRUE(text->isReadOnly());
        QTest::mouseClick(text->viewport(), Qt::LeftButton);
        EXPECT_EQ(about->focusWidget(), child(about, "aboutclose"));
        QTest::keyClick(about, Qt::Key_Escape);
        EXPECT_FALSE(about->isVisible());
    });
    form.findChild<QPushButton*>(QStringLiteral("about"))->click();
    EXPECT_TRUE(hintsWhileOpen);
    EXPECT_FALSE(qv::HintsEnabled());
    qv::SetHintsEnabled(true);
    ASSERT_EQ(DialogLayer::shown().size(), 1u);
    EXPECT_EQ(DialogLayer::shown()[0].kind, qv::DialogKind::Window);
}

} // namespace
