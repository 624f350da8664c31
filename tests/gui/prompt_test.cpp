// The one-line prompt and the list chooser.
#include "dialogfixture.h"
#include "dialogs/List.h"
#include "dialogs/str.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using qv::DialogAnswer;
using qv::DialogLayer;

namespace {

class PromptTest : public DialogFixture {};

TEST_F(PromptTest, ShowsTheCallersTextsPlacedRightOfCentre) {
    qv::HelpTopic() = 1083;
    int topicWhileOpen = 0;
    inspect([&](QDialog* prompt) {
        EXPECT_EQ(prompt->windowTitle(), QStringLiteral("Find Text:"));
        EXPECT_EQ(child<QLabel>(prompt, "strlabel")->text(), QStringLiteral("Find:"));
        EXPECT_EQ(child(prompt, "strok")->text(), QStringLiteral("&Find Next"));
        EXPECT_EQ(child(prompt, "strcancel")->text(), QStringLiteral("&Cancel"));
        EXPECT_EQ(child(prompt, "strhelp")->text(), QStringLiteral("&Help"));
        auto* edit = child<QLineEdit>(prompt, "strtext");
        EXPECT_EQ(edit->text(), QStringLiteral("last time"));
        EXPECT_EQ(edit->selectedText(), QStringLiteral("last time"));
        EXPECT_EQ(prompt->focusWidget(), edit);
        EXPECT_EQ(edit->width(), 201);
        const QRect main = ownerFrame();
        EXPECT_EQ(prompt->pos(),
                  QPoint(main.left() + main.width() - 201, main.top() + main.height() / 2));
        topicWhileOpen = qv::HelpTopic();
        child(prompt, "strok")->click();
    });
    QString text = QStringLiteral("last time");
    EXPECT_TRUE(qv::AskText("Find Text:", "Find:", "&Find Next", 1098, text));
    EXPECT_EQ(topicWhileOpen, 1098);
    EXPECT_EQ(qv::HelpTopic(), 1083);
}

TEST_F(PromptTest, EveryWayOfClosingHandsTheTextBack) {
    struct Case {
        const char* what;
        std::function<void(QDialog*)> act;
        bool accepted;
    };
    const std::vector<Case> cases = {
        {"OK", [](QDialog* d) { child(d, "strok")->click(); }, true},
        {"Enter in the edit box",
         [](QDialog* d) { QTest::keyClick(child<QLineEdit>(d, "strtext"), Qt::Key_Return); }, true},
        {"Cancel", [](QDialog* d) { child(d, "strcancel")->click(); }, false},
        {"Esc", [](QDialog* d) { QTest::keyClick(child<QLineEdit>(d, "strtext"), Qt::Key_Escape); },
         false},
        {"close box", [](QDialog* d) { d->close(); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        inspect([&](QDialog* d) {
            child<QLineEdit>(d, "strtext")->setText(QStringLiteral("  new dir  "));
            c.act(d);
        });
        QString text = QStringLiteral("old");
        EXPECT_EQ(qv::AskText("Make New Directory:", "Make in C:\\:", "&Make Dir.", 1096, text),
                  c.accepted);
        // Exactly as typed, and also after Cancel: the caller decides by the result.
        EXPECT_EQ(text, QStringLiteral("  new dir  "));
    }
}

TEST_F(PromptTest, QueuedAndUnansweredPrompts) {
    QString text = QStringLiteral("C:\\work");
    DialogLayer::queueAnswer(DialogAnswer::Text(true, "D:\\clips"));
    EXPECT_TRUE(
        qv::AskText("Enter a Directory Name:", "Switch to directory:", "&Switch", 1094, text));
    EXPECT_EQ(text, QStringLiteral("D:\\clips"));

    DialogLayer::queueAnswer(DialogAnswer::KeepText(false));
    EXPECT_FALSE(qv::AskText("Find a File Name:", "Find what file:", "&Find", 1092, text));
    EXPECT_EQ(text, QStringLiteral("D:\\clips"));

    // An answer meant for another kind of dialog is not used for this one.
    DialogLayer::queueAnswer(DialogAnswer::Button(1));
    EXPECT_FALSE(qv::AskText("Goto Line Number:", "Goto:", "&Goto", 1097, text));

    // Nobody answers: Cancel, and the text is untouched.
    EXPECT_FALSE(qv::AskText("Goto Line Number:", "Goto:", "&Goto", 1097, text));
    EXPECT_EQ(text, QStringLiteral("D:\\clips"));

    ASSERT_EQ(DialogLayer::shown().size(), 4u);
    const qv::ShownDialog& first = DialogLayer::shown().front();
    EXPECT_EQ(first.kind, qv::DialogKind::Text);
    EXPECT_EQ(first.caption, QStringLiteral("Enter a Directory Name:"));
    EXPECT_EQ(first.message, QStringLiteral("Switch to directory:"));
    EXPECT_EQ(first.buttons, (QStringList{"&Switch", "&Cancel", "&Help"}));
    EXPECT_EQ(first.text, QStringLiteral("C:\\work"));
    EXPECT_EQ(first.helpTopic, 1094);
    EXPECT_FALSE(DialogLayer::shown().back().answered);
}

TEST_F(PromptTest, LongLabelKeepsBothEnds) {
    const QString label = QStringLiteral("Rename C:\\") +
                          QStringLiteral("a_rather_long_directory\\").repeated(5) +
                          QStringLiteral("clips to:");
    inspect([&](QDialog* d) {
        auto* shown = child<QLabel>(d, "strlabel");
        EXPECT_TRUE(shown->text().startsWith(QStringLiteral("Rename C:")));
        EXPECT_TRUE(shown->text().endsWith(QStringLiteral("to:")));
        EXPECT_LE(shown->fontMetrics().horizontalAdvance(shown->text()), shown->width());
        EXPECT_EQ(shown->toolTip(), label);
    });
    QString text;
    qv::AskText("Rename Directory To:", label, "&Rename", 1095, text);
}

class ChooserTest : public DialogFixture {
protected:
    const QStringList entries{"c:\\work\\clip.qrv", "c:\\work\\song.wav", "d:\\intro.avi"};
};

TEST_F(ChooserTest, SelectIsEnabledOnlyWithASelection) {
    qv::HelpTopic() = 1083;
    int topicWhileOpen = 0;
    inspect([&](QDialog* d) {
        auto* list = child<QListWidget>(d, "List");
        auto* ok = child(d, "ok");
        EXPECT_EQ(d->windowTitle(), QStringLiteral("List of Recent Files:"));
        EXPECT_EQ(child<QGroupBox>(d, "prompt")->title(),
                  QStringLiteral(" Select a recently used file: "));
        EXPECT_EQ(ok->text(), QStringLiteral("&Select"));
        EXPECT_EQ(list->count(), 3);
        EXPECT_EQ(list->width(), 277);
        EXPECT_TRUE(list->selectedItems().isEmpty());
        EXPECT_FALSE(ok->isEnabled());
        topicWhileOpen = qv::HelpTopic();

        const QRect main = ownerFrame();
        EXPECT_EQ(d->pos(), QPoint(main.left() + main.width() - 277 - 89,
                                   main.top() + main.height() + 25 - d->frameGeometry().height()));

        // Double-click and Enter without a selection do nothing.
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                           QPoint(5, list->viewport()->height() - 5));
        QTest::keyClick(list, Qt::Key_Return);
        EXPECT_TRUE(d->isVisible());

        list->setCurrentRow(1, QItemSelectionModel::ClearAndSelect);
        EXPECT_TRUE(ok->isEnabled());
        list->clearSelection();
        EXPECT_FALSE(ok->isEnabled());
        list->setCurrentRow(2, QItemSelectionModel::ClearAndSelect);
        ok->click();
        EXPECT_FALSE(d->isVisible());
        EXPECT_EQ(list->count(), 0); // emptied on closing
    });
    EXPECT_EQ(qv::ChooseFromList("List of Recent Files:", " Select a recently used file: ", entries,
                                 1101),
              QStringLiteral("d:\\intro.avi"));
    EXPECT_EQ(topicWhileOpen, 1101);
    EXPECT_EQ(qv::HelpTopic(), 1083);
}

TEST_F(ChooserTest, DoubleClickChoosesCancelAndEscDoNot) {
    inspect([](QDialog* d) {
        auto* list = child<QListWidget>(d, "List");
        const QRect first = list->visualItemRect(list->item(0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, first.center());
    });
    EXPECT_EQ(qv::ChooseFromList("List of Recent Files:", " Select a recently used file: ", entries,
                                 1101),
              QStringLiteral("c:\\work\\clip.qrv"));

    const std::vector<std::function<void(QDialog*)>> cancels = {
        [](QDialog* d) { child(d, "cancel")->click(); },
        [](QDialog* d) { QTest::keyClick(child<QListWidget>(d, "List"), Qt::Key_Escape); },
        [](QDialog* d) { d->close(); },
    };
    for (const auto& cancel : cancels) {
        inspect([&](QDialog* d) {
            child<QListWidget>(d, "List")->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
            cancel(d);
        });
        EXPECT_EQ(qv::ChooseFromList("List of Recent Files:", " x ", entries, 1101), QString());
    }
}

TEST_F(ChooserTest, EmptyListCanOnlyBeCancelled) {
    inspect([](QDialog* d) {
        QTest::keyClick(child<QListWidget>(d, "List"), Qt::Key_Down);
        QTest::keyClick(child<QListWidget>(d, "List"), Qt::Key_Return);
        EXPECT_FALSE(child(d, "ok")->isEnabled());
        EXPECT_TRUE(d->isVisible());
    });
    EXPECT_EQ(qv::ChooseFromList("List of Found Files:", " Select a found file: ", {}, 1099),
              QString());
}

TEST_F(ChooserTest, FocusGoesIntoTheListOnceShown) {
    inspect([](QDialog* d) {
        auto* timer = child<QTimer>(d, "Timer1");
        EXPECT_EQ(timer->interval(), 1);
        EXPECT_TRUE(QTest::qWaitFor([timer] { return !timer->isActive(); }));
        EXPECT_EQ(d->focusWidget(), child<QListWidget>(d, "List"));
        child(d, "cancel")->click();
    });
    qv::ChooseFromList("List of Recent Commands:", " Select a recently used command: ", entries,
                       1086);
}

TEST_F(ChooserTest, QueuedChoices) {
    DialogLayer::queueAnswer(DialogAnswer::Choice("c:\\work\\song.wav"));
    DialogLayer::queueAnswer(DialogAnswer::Choice("not there"));
    DialogLayer::queueAnswer(DialogAnswer::Choice(QString()));
    EXPECT_EQ(qv::ChooseFromList("a", "b", entries, 1100), QStringLiteral("c:\\work\\song.wav"));
    EXPECT_EQ(qv::ChooseFromList("a", "b", entries, 1100), QString());
    EXPECT_EQ(qv::ChooseFromList("a", "b", entries, 1100), QString());
    EXPECT_EQ(qv::ChooseFromList("a", "b", entries, 1100), QString()); // nobody answers
    ASSERT_EQ(DialogLayer::shown().size(), 4u);
    const qv::ShownDialog& first = DialogLayer::shown().front();
    EXPECT_EQ(first.kind, qv::DialogKind::List);
    EXPECT_EQ(first.entries, entries);
    EXPECT_EQ(first.helpTopic, 1100);
    EXPECT_EQ(first.buttons, (QStringList{"&Select", "&Cancel", "&Help"}));
    EXPECT_FALSE(DialogLayer::shown().back().answered);
}

} // namespace
