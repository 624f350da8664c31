#include "dialogs/Mess.h"

#include "dialogs/dialoglayer.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include <algorithm>

namespace qv {

namespace {

constexpr int kDesignWidth = 418;
constexpr int kDesignHeight = 81;
constexpr int kPromptLeft = 71;
constexpr int kPromptTop = 15;
constexpr int kPromptWidth = 318;
constexpr int kButtonTop = 49;
constexpr int kButtonWidth = 89;
constexpr int kButtonHeight = 25;
constexpr int kFirstLeft = 116;
constexpr int kSecondLeft = 212;
constexpr int kThirdLeft = 308;

const QString kCancelCaption = QStringLiteral("&Cancel");

// Paths are long words without blanks; a zero-width space after each separator lets them wrap
// at the separators instead of running out of the label. A piece still wider than the label (a
// long name without separators) may break anywhere, so that no part of the message is cut off.
QString WrappableText(QString text, const QFontMetrics& metrics) {
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\u200B"));
    text.replace(QLatin1Char('/'), QStringLiteral("/\u200B"));
    QString wrappable;
    wrappable.reserve(text.size());
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && !text[end].isSpace() && text[end] != QChar(0x200B))
            ++end;
        const QString piece = text.mid(start, end - start);
        if (metrics.horizontalAdvance(piece) > kPromptWidth) {
            for (QChar c : piece) {
                wrappable += c;
                if (!c.isHighSurrogate()) wrappable += QChar(0x200B);
            }
        } else {
            wrappable += piece;
        }
        if (end < text.size()) wrappable += text[end];
        start = end + 1;
    }
    return wrappable;
}

class Tmessform : public QDialog {
public:
    Tmessform() {
        setObjectName(QStringLiteral("Tmessform"));
        PrepareDialog(this, false);
        // Callers often show the hourglass while they work; the box itself wants the arrow.
        QApplication::setOverrideCursor(Qt::ArrowCursor);
        cursorPushed_ = true;

        prompt = new QLabel(this);
        prompt->setObjectName(QStringLiteral("prompt"));
        prompt->setTextFormat(Qt::PlainText);
        prompt->setGeometry(kPromptLeft, kPromptTop, kPromptWidth, 13);

        const auto makeIcon = [this](const char* name, QStyle::StandardPixmap kind) {
            auto* icon = new QLabel(this);
            icon->setObjectName(QLatin1String(name));
            icon->setGeometry(12, 8, 33, 33);
            icon->setAlignment(Qt::AlignCenter);
            icon->setPixmap(style()->standardIcon(kind, nullptr, this).pixmap(32, 32));
            icon->hide();
            return icon;
        };
        info = makeIcon("info", QStyle::SP_MessageBoxInformation);
        stop = makeIcon("stop", QStyle::SP_MessageBoxCritical);
        quest = makeIcon("quest", QStyle::SP_MessageBoxQuestion);

        const auto makeButton = [this](const char* name, const QString& caption, int left,
                                       int tag) {
            auto* button = new QPushButton(caption, this);
            button->setObjectName(QLatin1String(name));
            button->setGeometry(left, kButtonTop, kButtonWidth, kButtonHeight);
            button->setProperty("tag", tag);
            connect(button, &QPushButton::clicked, this, [this, tag] { done(tag); });
            return button;
        };
        yes = makeButton("yes", QStringLiteral("&Yes"), kFirstLeft, 1);
        no = makeButton("no", QStringLiteral("&No"), kSecondLeft, 2);
        cancel = makeButton("cancel", kCancelCaption, kThirdLeft, 3);

        resize(kDesignWidth, kDesignHeight);
        const OwnerRect main = DialogOwnerRect();
        PlaceDialog(this, main.left + (main.width - DialogOuterWidth(this)) / 2,
                    main.top + (main.height - DialogOuterHeight(this)) / 2);
    }

    ~Tmessform() override { restoreCursor(); }

    void done(int result) override {
        restoreCursor();
        QDialog::done(result);
    }

    // A close without a button (Alt+F4, the layer's close) is result 0, not the Cancel button.
    void reject() override { done(0); }

    QLabel* prompt;
    QLabel* info;
    QLabel* stop;
    QLabel* quest;
    QPushButton* yes;
    QPushButton* no;
    QPushButton* cancel;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
            // Esc belongs to the Cancel button and does nothing while it is hidden.
            if (!cancel->isHidden()) cancel->click();
            return;
        }
        QDialog::keyPressEvent(event);
    }

private:
    void restoreCursor() {
        if (cursorPushed_) {
            cursorPushed_ = false;
            QApplication::restoreOverrideCursor();
        }
    }

    bool cursorPushed_ = false;
};

} // namespace

int MessageDialog(const QString& message, const QString& first, const QString& second, int icon,
                  int defaultButton, const QString& third) {
    Tmessform box;
    QWidget* owner = DialogOwner();
    box.setWindowTitle(owner ? owner->windowTitle() : QStringLiteral("Quarver for Windows"));

    box.prompt->setText(WrappableText(message, box.prompt->fontMetrics()));
    box.prompt->setWordWrap(true);
    // An empty message still takes one line, so that the box keeps its one-line shape.
    const int promptHeight =
        std::max(box.prompt->heightForWidth(kPromptWidth), box.prompt->fontMetrics().height());
    box.prompt->resize(kPromptWidth, promptHeight);

    // The buttons go under the text; the box grows or shrinks by the same amount, keeping the
    // designed gap below them.
    const int buttonTop = kPromptTop + promptHeight + kButtonHeight / 2;
    box.setFixedSize(kDesignWidth, buttonTop + kDesignHeight - kButtonTop);
    for (QPushButton* button : {box.yes, box.no, box.cancel})
        button->move(button->x(), buttonTop);

    box.yes->setText(first);
    box.no->setText(second);
    if (third.isEmpty()) {
        box.yes->move(box.no->x(), buttonTop);
        box.no->move(box.cancel->x(), buttonTop);
        box.cancel->hide();
    }
    if (second.isEmpty()) {
        box.yes->move(box.no->x(), buttonTop);
        box.no->hide();
    }

    switch (icon) {
    case miQuestion:
        box.quest->show();
        break;
    case miStop:
        box.stop->show();
        break;
    case miInformation:
        box.info->show();
        break;
    default:
        break;
    }

    // A code naming a hidden button falls back to the first one, which is always there.
    QPushButton* focused = box.yes;
    if (defaultButton == 2 && !box.no->isHidden())
        focused = box.no;
    else if (defaultButton == 3 && !box.cancel->isHidden())
        focused = box.cancel;
    focused->setDefault(true);
    focused->setFocus();

    ShownDialog record;
    record.kind = DialogKind::Message;
    record.caption = box.windowTitle();
    record.message = message;
    QList<QPushButton*> visible;
    for (QPushButton* button : {box.yes, box.no, box.cancel})
        if (!button->isHidden()) visible.append(button);
    std::sort(visible.begin(), visible.end(),
              [](QPushButton* a, QPushButton* b) { return a->x() < b->x(); });
    for (QPushButton* button : visible)
        record.buttons.append(button->text());
    record.icon = icon;
    record.defaultButton = defaultButton;

    DialogLayer::run(&box, record, [&box](const DialogAnswer& answer) {
        QPushButton* button = answer.button == 1   ? box.yes
                              : answer.button == 2 ? box.no
                              : answer.button == 3 ? box.cancel
                                                   : nullptr;
        if (button && !button->isHidden())
            button->click();
        else
            box.reject();
    });
    return box.result();
}

int AskChoice(const QString& message, const QString& first, const QString& second,
              int defaultButton) {
    return MessageDialog(message, first, second, miQuestion, defaultButton, kCancelCaption);
}

int AskYesNoCancel(const QString& message, int defaultButton) {
    return MessageDialog(message, QStringLiteral("&Yes"), QStringLiteral("&No"), miQuestion,
                         defaultButton, kCancelCaption);
}

bool AskYesNo(const QString& message, int defaultButton) {
    return MessageDialog(message, QStringLiteral("&Yes"), QStringLiteral("&No"), miQuestion,
                         defaultButton, QString()) == 1;
}

void ShowInfo(const QString& message) {
    MessageDialog(message, QStringLiteral("&OK"), QString(), miInformation, 1, QString());
}

void ShowError(const QString& message) {
    MessageDialog(message, QStringLiteral("&OK"), QString(), miStop, 1, QString());
}

} // namespace qv
