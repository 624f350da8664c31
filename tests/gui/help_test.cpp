#include "dialogfixture.h"
#include "dialogs/List.h"
#include "dialogs/str.h"
#include "platform/paths.h"
#include "shell/helpbook.h"
#include "support/testsupport.h"

#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>

using qv::DialogLayer;
using qv::HelpBook;

namespace {

const char* const kFixture = R"(# a comment
@topic 1083
@title Command tab
@keywords Command tab; commands; batch files
Type a command & press <Enter>.

- DIR lists a directory.
- CD changes it,
  also to another drive.

See [[1086]] or [[1070|the overview]].
@topic 1086
@title Recent commands
@keywords recent commands; Commands
The last 30.
@topic 1070
@title How do I...?
@keywords QuarvScript; How do I
Start here.
)";

QListWidget* IndexList(QWidget* window) {
    return window->findChild<QListWidget*>(QStringLiteral("helpindex"));
}

QStringList Items(QListWidget* list) {
    QStringList items;
    for (int row = 0; row < list->count(); ++row)
        items.append(list->item(row)->text());
    return items;
}

TEST(HelpBookTest, ReadsTopicsTitlesKeywordsAndText) {
    const std::optional<HelpBook> book = HelpBook::Parse(QString::fromUtf8(kFixture));
    ASSERT_TRUE(book);
    ASSERT_EQ(book->topics().size(), 3);
    const qv::HelpTopicText* command = book->find(1083);
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(command->title, QStringLiteral("Command tab"));
    EXPECT_EQ(command->keywords, (QStringList{"Command tab", "commands", "batch files"}));
    EXPECT_TRUE(command->body.startsWith(QStringLiteral("Type a command")));
    EXPECT_EQ(book->find(9999), nullptr);

    const QString html = book->html(*command);
    EXPECT_TRUE(html.contains(QStringLiteral("&amp; press &lt;Enter&gt;")));
    EXPECT_TRUE(html.contains(QStringLiteral("<li>CD changes it, also to another drive.</li>")));
    EXPECT_TRUE(html.contains(QStringLiteral("<a href=\"topic:1086\">Recent commands</a>")));
    EXPECT_TRUE(html.contains(QStringLiteral("<a href=\"topic:1070\">the overview</a>")));
}

TEST(HelpBookTest, RejectsBrokenFilesWithTheLine) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"@topic\n@title x\n", "line 1: no topic number"},
        {"@topic 5\n\n@topic 5\n", "line 3: topic 5 given twice"},
        {"# fine\nstray text\n@topic 5\n", "line 2: text before the first topic"},
    };
    for (const auto& c : cases) {
        QString error;
        EXPECT_FALSE(HelpBook::Parse(QString::fromUtf8(c.text), &error)) << c.text;
        EXPECT_EQ(error, QString::fromUtf8(c.error));
    }
}

TEST(HelpBookTest, KeywordSearchIsPartialAndIgnoresCase) {
    const HelpBook book = *HelpBook::Parse(QString::fromUtf8(kFixture));
    // "commands" is given twice in different case: it is listed once.
    EXPECT_EQ(book.keywords(), (QStringList{"batch files", "Command tab", "commands", "How do I",
                                            "QuarvScript", "recent commands"}));
    EXPECT_EQ(book.matchKeywords("COMM"),
              (QStringList{"Command tab", "commands", "recent commands"}));
    EXPECT_EQ(book.matchKeywords("tab"), (QStringList{"Command tab"}));
    EXPECT_EQ(book.matchKeywords(""), book.keywords());
    // Nothing holds the whole key: the nearest entries, as a paper index would.
    EXPECT_EQ(book.matchKeywords("QuarvScript: loop"), (QStringList{"QuarvScript"}));
    EXPECT_TRUE(book.matchKeywords("xyz").isEmpty());
    EXPECT_EQ(book.topicsFor("COMMANDS"), (QList<int>{1083, 1086}));
}

// Every topic the program asks for is in the help file that ships with it, and every link leads
// somewhere.
TEST(HelpBookTest, ShippedHelpFileHasEveryTopicTheProgramOpens) {
    QFile file(QStringLiteral(QUARVER_SOURCE_DIR "/resources/quarver.hlp"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    QString error;
    const std::optional<HelpBook> book = HelpBook::Parse(text, &error);
    ASSERT_TRUE(book) << error.toStdString();
    for (int topic : {1070, 1077, 1078, 1080, 1081, 1082, 1083, 1085, 1086, 1087, 1088,
                      1089, 1090, 1091, 1092, 1093, 1094, 1095, 1096, 1097, 1098, 1099,
                      1100, 1101, 1102, 1103, 1104, 1105, 1106, 1107, 1110, 1111})
        EXPECT_NE(book->find(topic), nullptr) << topic;
    const QRegularExpression link(QStringLiteral("\\[\\[(\\d+)"));
    for (auto it = link.globalMatch(text); it.hasNext();) {
        const int target = it.next().captured(1).toInt();
        EXPECT_NE(book->find(target), nullptr) << "link to " << target;
    }
    EXPECT_FALSE(book->matchKeywords("Analysis Window").isEmpty());
    EXPECT_TRUE(testsupport::exists(testsupport::binDir() + "/quarver.hlp"));
}

class HelpWindowTest : public DialogFixture {
protected:
    void SetUp() override {
        DialogFixture::SetUp();
        const std::string host = dir_.write("help/quarver.hlp", kFixture);
        helpFile_ = QString::fromStdString(plat::ProgramPath(host));
        qv::SetHelpFile(helpFile_);
    }
    void TearDown() override {
        DialogFixture::TearDown();
        qv::SetHelpFile(QString());
    }

    static QWidget* Window() {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->objectName() == QLatin1String("helpwin") && widget->isVisible())
                return widget;
        return nullptr;
    }
    static QString Shown() {
        return Window()->findChild<QTextBrowser*>(QStringLiteral("helptext"))->toPlainText();
    }

    testsupport::TempDir dir_;
    QString helpFile_;
};

TEST_F(HelpWindowTest, OpensTheCurrentTopicInOneWindow) {
    qv::HelpTopic() = 1083;
    qv::ShowContextHelp();
    ASSERT_NE(Window(), nullptr);
    EXPECT_TRUE(Shown().startsWith(QStringLiteral("Command tab")));
    QWidget* first = Window();

    qv::ShowHowDoI();
    EXPECT_EQ(Window(), first);
    EXPECT_TRUE(Shown().startsWith(QStringLiteral("How do I...?")));

    // Links lead to their topic.
    auto* text = first->findChild<QTextBrowser*>(QStringLiteral("helptext"));
    emit text->anchorClicked(QUrl(QStringLiteral("topic:1086")));
    EXPECT_TRUE(Shown().startsWith(QStringLiteral("Recent commands")));
    EXPECT_TRUE(DialogLayer::shown().empty());

    qv::QuitHelp();
    EXPECT_EQ(Window(), nullptr);
}

TEST_F(HelpWindowTest, SearchOpensTheIndexWithThePartialKey) {
    qv::SearchHelp(QStringLiteral("recent"));
    ASSERT_NE(Window(), nullptr);
    EXPECT_EQ(Window()->findChild<QTabWidget*>(QStringLiteral("helptabs"))->currentIndex(), 1);
    EXPECT_EQ(Window()->findChild<QLineEdit*>(QStringLiteral("helpsearch"))->text(),
              QStringLiteral("recent"));
    EXPECT_EQ(Items(IndexList(Window())), (QStringList{"recent commands"}));
    EXPECT_TRUE(Shown().startsWith(QStringLiteral("Recent commands")));

    // A keyword of several topics offers them all.
    qv::SearchHelp(QStringLiteral("commands"));
    EXPECT_TRUE(Shown().contains(QStringLiteral("Command tab")));
    EXPECT_TRUE(Shown().contains(QStringLiteral("Recent commands")));
}

TEST_F(HelpWindowTest, MissingFileOrTopicIsReported) {
    qv::HelpTopic() = 4711;
    qv::ShowContextHelp();
    EXPECT_EQ(Window(), nullptr);
    ASSERT_EQ(DialogLayer::shown().size(), 1u);
    EXPECT_EQ(DialogLayer::shown()[0].message,
              QStringLiteral("Error, help topic 4711 is not in the help file ") + helpFile_ + ".");
    EXPECT_EQ(DialogLayer::shown()[0].icon, 2);

    const QString missing = helpFile_ + QStringLiteral(".gone");
    qv::SetHelpFile(missing);
    qv::ShowHowDoI();
    qv::SearchHelp(QStringLiteral("x"));
    EXPECT_EQ(Window(), nullptr);
    ASSERT_EQ(DialogLayer::shown().size(), 3u);
    for (size_t i : {1u, 2u})
        EXPECT_EQ(DialogLayer::shown()[i].message,
                  QStringLiteral("Error, cannot open the help file ") + missing + ".");
}

TEST_F(HelpWindowTest, DialogsOpenTheirOwnTopicAndStayOpen) {
    qv::HelpTopic() = 1083;
    inspect([](QDialog* prompt) {
        // As in the running program, where the prompt blocks every other window.
        prompt->hide();
        prompt->setWindowModality(Qt::ApplicationModal);
        prompt->show();
        child(prompt, "strhelp")->click();
        EXPECT_TRUE(prompt->isVisible());
        EXPECT_TRUE(Shown().startsWith(QStringLiteral("Recent commands")));
        // The help window belongs to the modal prompt's family, so it can be used meanwhile.
        EXPECT_EQ(Window()->parentWidget(), prompt);
        prompt->reject();
    });
    QString text;
    qv::AskText("Caption", "Label", "&Go", 1086, text);
    ASSERT_NE(Window(), nullptr);
    EXPECT_EQ(Window()->parentWidget(), &owner());

    inspect([](QDialog* chooser) {
        QTest::keyClick(chooser, Qt::Key_F1);
        EXPECT_TRUE(chooser->isVisible());
        EXPECT_TRUE(Shown().startsWith(QStringLiteral("How do I")));
    });
    qv::ChooseFromList("Caption", "Group", {"a"}, 1070);
    EXPECT_EQ(qv::HelpTopic(), 1083);
}

} // namespace
