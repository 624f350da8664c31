#include "dialogfixture.h"
#include "dialogs/Mess.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <map>

using qv::DialogAnswer;
using qv::DialogLayer;

namespace {

struct SeenButton {
    QString caption;
    int left = 0;
    bool focused = false;
};

// What the box looked like: visible buttons by name, the visible icon, and its geometry.
struct SeenBox {
    std::map<QString, SeenButton> buttons;
    QString icon;
    QString caption;
    QPoint pos;
    QSize size;
    int promptHeight = 0;
    int buttonTop = 0;
};

SeenBox Look(QDialog* box) {
    SeenBox seen;
    for (const char* name : {"yes", "no", "cancel"}) {
        auto* button = box->findChild<QPushButton*>(QLatin1String(name));
        if (!button->isHidden())
            seen.buttons[QLatin1String(name)] = {button->text(), button->x(),
                                                 box->focusWidget() == button};
        seen.buttonTop = button->y();
    }
    for (const char* name : {"info", "stop", "quest"})
        if (!box->findChild<QLabel*>(QLatin1String(name))->isHidden())
            seen.icon = QLatin1String(name);
    seen.caption = box->windowTitle();
    seen.pos = box->pos();
    seen.size = box->size();
    seen.promptHeight = box->findChild<QLabel*>(QStringLiteral("prompt"))->height();
    return seen;
}

class MessTest : public DialogFixture {};

struct LayoutCase {
    const char* what;
    std::function<void()> ask;
    std::map<QString, SeenButton> buttons; // name -> caption, left, focused
    QString icon;
};

TEST_F(MessTest, EachOperationShowsItsButtonsIconAndFocus) {
    const std::vector<LayoutCase> cases = {
        {"AskChoice, second default",
         [] { qv::AskChoice("Replace it?", "&Append", "&Overwrite", 2); },
         {{"yes", {"&Append", 116, false}},
          {"no", {"&Overwrite", 212, true}},
          {"cancel", {"&Cancel", 308, false}}},
         "quest"},
        {"AskYesNoCancel, third default",
         [] { qv::AskYesNoCancel("Save?", 3); },
         {{"yes", {"&Yes", 116, false}},
          {"no", {"&No", 212, false}},
          {"cancel", {"&Cancel", 308, true}}},
         "quest"},
        {"AskYesNo, first default",
         [] { qv::AskYesNo("Delete?", 1); },
         {{"yes", {"&Yes", 212, true}}, {"no", {"&No", 308, false}}},
         "quest"},
        {"AskYesNo naming the hidden third button falls back to the first",
         [] { qv::AskYesNo("Delete?", 3); },
         {{"yes", {"&Yes", 212, true}}, {"no", {"&No", 308, false}}},
         "quest"},
        {"ShowInfo", [] { qv::ShowInfo("Done."); }, {{"yes", {"&OK", 308, true}}}, "info"},
        {"ShowError", [] { qv::ShowError("Error, no."); }, {{"yes", {"&OK", 308, true}}}, "stop"},
        {"no icon, unknown default code",
         [] { qv::MessageDialog("Plain", "&One", "&Two", 0, 7, "&Cancel"); },
         {{"yes", {"&One", 116, true}},
          {"no", {"&Two", 212, false}},
          {"cancel", {"&Cancel", 308, false}}},
         ""},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.what);
        SeenBox seen;
        inspect([&](QDialog* box) { seen = Look(box); });
        c.ask();
        EXPECT_EQ(seen.icon, c.icon);
        ASSERT_EQ(seen.buttons.size(), c.buttons.size());
        for (const auto& [name, expected] : c.buttons) {
            SCOPED_TRACE(name.toStdString());
            const SeenButton& got = seen.buttons[name];
            EXPECT_EQ(got.caption, expected.caption);
            EXPECT_EQ(got.left, expected.left);
            EXPECT_EQ(got.focused, expected.focused);
        }
        EXPECT_EQ(seen.caption, QStringLiteral("Quarver for Windows"));
    }
}

TEST_F(MessTest, RecordsWhatWasAsked) {
    owner().setWindowTitle(QStringLiteral("Quarver for Windows - busy"));
    DialogLayer::queueAnswer(DialogAnswer::Button(2));
    EXPECT_EQ(qv::AskChoice("Keep <b>both</b>?", "&Append", "&Overwrite", 2), 2);
    ASSERT_EQ(DialogLayer::shown().size(), 1u);
    const qv::ShownDialog& shown = DialogLayer::shown().front();
    EXPECT_EQ(shown.kind, qv::DialogKind::Message);
    EXPECT_EQ(shown.caption, QStringLiteral("Quarver for Windows - busy"));
    EXPECT_EQ(shown.message, QStringLiteral("Keep <b>both</b>?"));
    EXPECT_EQ(shown.buttons, (QStringList{"&Append", "&Overwrite", "&Cancel"}));
    EXPECT_EQ(shown.icon, qv::miQuestion);
    EXPECT_EQ(shown.defaultButton, 2);
    EXPECT_TRUE(shown.answered);
}

TEST_F(MessTest, ResultCodesForButtonsKeysAndClosing) {
    struct Case {
        const char* what;
        QString third; // empty: two buttons (AskYesNo's layout)
        std::function<void(QDialog*)> act;
        int result;
    };
    const auto press = [](const char* name) {
        return [name](QDialog* box) { child(box, name)->click(); };
    };
    const auto key = [](Qt::Key k) {
        return [k](QDialog* box) { QTest::keyClick(box->focusWidget(), k); };
    };
    const std::vector<Case> cases = {
        {"first button", "&Cancel", press("yes"), 1},
        {"second button", "&Cancel", press("no"), 2},
        {"third button", "&Cancel", press("cancel"), 3},
        {"Esc presses Cancel", "&Cancel", key(Qt::Key_Escape), 3},
        {"Enter presses the focused (default) button", "&Cancel", key(Qt::Key_Return), 2},
        {"closed without a button", "&Cancel", [](QDialog* box) { box->close(); }, 0},
        {"closed without a button, two buttons", QString(), [](QDialog* box) { box->close(); }, 0},
        {"Esc does nothing without Cancel", QString(),
         [](QDialog* box) {
             QTest::keyClick(box->focusWidget(), Qt::Key_Escape);
             EXPECT_TRUE(box->isVisible());
         },
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        inspect(c.act);
        EXPECT_EQ(qv::MessageDialog("Question?", "&Yes", "&No", qv::miQuestion, 2, c.third),
                  c.result);
    }
    // One "&OK": Enter presses it.
    inspect(key(Qt::Key_Return));
    EXPECT_EQ(qv::MessageDialog("Done.", "&OK", QString(), qv::miInformation, 1, QString()), 1);

    inspect([](QDialog* box) { box->close(); });
    EXPECT_FALSE(qv::AskYesNo("Delete?", 1));
}

TEST_F(MessTest, QueuedAnswersAndUnansweredQuestions) {
    DialogLayer::queueAnswer(DialogAnswer::Button(1));
    DialogLayer::queueAnswer(DialogAnswer::Button(2));
    DialogLayer::queueAnswer(DialogAnswer::Button(3));
    DialogLayer::queueAnswer(DialogAnswer::Button(3)); // not shown by AskYesNo: a close
    EXPECT_TRUE(qv::AskYesNo("a", 1));
    EXPECT_FALSE(qv::AskYesNo("b", 1));
    EXPECT_EQ(qv::AskYesNoCancel("c", 1), 3);
    EXPECT_EQ(qv::MessageDialog("d", "&Yes", "&No", qv::miQuestion, 1, QString()), 0);
    EXPECT_EQ(DialogLayer::pendingAnswers(), 0u);

    // Nobody answers: the question is recorded and closes at once.
    EXPECT_EQ(qv::AskYesNoCancel("Nobody?", 1), 0);
    ASSERT_EQ(DialogLayer::shown().size(), 5u);
    EXPECT_FALSE(DialogLayer::shown().back().answered);
    EXPECT_EQ(DialogLayer::shown().back().message, QStringLiteral("Nobody?"));
}

TEST_F(MessTest, HeightFollowsTheWrappedText) {
    const auto look = [this](const QString& message) {
        SeenBox seen;
        inspect([&](QDialog* box) { seen = Look(box); });
        qv::ShowInfo(message);
        return seen;
    };
    const SeenBox one = look(QStringLiteral("Short."));
    const int line = one.promptHeight;
    ASSERT_GT(line, 0);
    // The buttons sit half a button height under the text; the gap below them stays 7 pixels.
    EXPECT_EQ(one.buttonTop, 15 + line + 12);
    EXPECT_EQ(one.size, QSize(418, 15 + line + 12 + 32));
    if (line == 13) {
        EXPECT_EQ(one.size.height(), 81 - 9);
    }
    const SeenBox empty = look(QString());
    EXPECT_EQ(empty.promptHeight, line);
    EXPECT_EQ(empty.size, one.size);

    const QString words = QStringLiteral("This message is long enough to need several lines in "
                                         "a box whose text is only 318 pixels wide, so the "
                                         "buttons and the bottom edge move down.");
    const SeenBox three = look(words);
    EXPECT_GE(three.promptHeight, 2 * line);
    EXPECT_EQ(three.buttonTop, 15 + three.promptHeight + 12);
    EXPECT_EQ(three.size.height(), three.buttonTop + 32);

    // A long path has no blanks, yet it must wrap inside the box, not run out of it.
    const SeenBox path =
        look(QStringLiteral("Error, cannot open C:\\") +
             QStringLiteral("very_long_directory_name\\").repeated(6) + QStringLiteral("file.qrv"));
    EXPECT_GE(path.promptHeight, 2 * line);
    // Nor does a long name without any separator.
    const SeenBox name = look(QStringLiteral("Error, cannot delete ") +
                              QStringLiteral("averylongname").repeated(6) + QStringLiteral(".qrv"));
    EXPECT_GE(name.promptHeight, 2 * line);
}

TEST_F(MessTest, CentredOverTheMainWindowAtDesignSize) {
    SeenBox seen;
    QWidget* parent = nullptr;
    inspect([&](QDialog* box) {
        seen = Look(box);
        parent = box->parentWidget();
    });
    qv::ShowInfo("Where am I?");
    // Outer sizes on both sides: the box has the same kind of frame as the main window.
    const QRect main = ownerFrame();
    const QSize frame = main.size() - owner().size();
    EXPECT_EQ(seen.pos, QPoint(main.left() + (main.width() - 418 - frame.width()) / 2,
                               main.top() + (main.height() - 81 - frame.height()) / 2));
    EXPECT_EQ(parent, &owner());
}

TEST_F(MessTest, ArrowWhileOpenHourglassAfterwards) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Qt::CursorShape during = Qt::BlankCursor;
    inspect([&](QDialog*) { during = QApplication::overrideCursor()->shape(); });
    qv::ShowError("Error, busy.");
    EXPECT_EQ(during, Qt::ArrowCursor);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QApplication::restoreOverrideCursor();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MessTest, TextIsShownAsWritten) {
    QString shown;
    inspect([&](QDialog* box) {
        shown = child<QLabel>(box, "prompt")->text().remove(QChar(0x200B));
        EXPECT_EQ(child<QLabel>(box, "prompt")->textFormat(), Qt::PlainText);
    });
    qv::ShowInfo("Copy <a.txt> to C:\\dir\\b.txt?");
    EXPECT_EQ(shown, QStringLiteral("Copy <a.txt> to C:\\dir\\b.txt?"));
}

} // namespace
