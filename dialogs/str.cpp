#include "dialogs/str.h"

#include "dialogs/dialoglayer.h"
#include "shell/help.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace qv {

namespace {

constexpr int kTextWidth = 201;
constexpr int kButtonLeft = 233;
constexpr int kButtonWidth = 89;
constexpr int kButtonHeight = 25;

class Tstrwin : public QDialog {
public:
    explicit Tstrwin(QString& text) : text_(text) {
        setObjectName(QStringLiteral("Tstrwin"));
        PrepareDialog(this, true);
        setFixedSize(330, 104);

        strlabel = new QLabel(QStringLiteral("Prompt"), this);
        strlabel->setObjectName(QStringLiteral("strlabel"));
        strlabel->setTextFormat(Qt::PlainText);
        strlabel->setGeometry(16, 24, kButtonLeft - 24, 16);

        strtext = new QLineEdit(this);
        strtext->setObjectName(QStringLiteral("strtext"));
        strtext->setGeometry(16, 44, kTextWidth, 23);
        strlabel->setBuddy(strtext);

        const auto makeButton = [this](const char* name, const QString& caption, int top) {
            auto* button = new QPushButton(caption, this);
            button->setObjectName(QLatin1String(name));
            button->setGeometry(kButtonLeft, top, kButtonWidth, kButtonHeight);
            return button;
        };
        strok = makeButton("strok", QStringLiteral("&Find Next"), 10);
        strok->setProperty("tag", 0);
        strok->setDefault(true);
        strcancel = makeButton("strcancel", QStringLiteral("&Cancel"), 41);
        strcancel->setProperty("tag", 1);
        strhelp = makeButton("strhelp", QStringLiteral("&Help"), 72);
        strhelp->setAutoDefault(false);

        connect(strok, &QPushButton::clicked, this, [this] { finish(true); });
        connect(strcancel, &QPushButton::clicked, this, [this] { finish(false); });
        connect(strhelp, &QPushButton::clicked, this, [] { ShowContextHelp(); });
        AddHelpKey(this);
    }

    // Esc, the close box and the system menu all end as Cancel does.
    void reject() override { finish(false); }

    // A label naming a long directory keeps both ends readable; the whole of it is the hint.
    void setLabel(const QString& label) {
        const QString shown =
            strlabel->fontMetrics().elidedText(label, Qt::ElideMiddle, strlabel->width());
        strlabel->setText(shown);
        strlabel->setToolTip(shown == label ? QString() : label);
    }

    // Placement, initial text and focus: what the window does when it comes up.
    void prepareShow() {
        const OwnerRect main = DialogOwnerRect();
        PlaceDialog(this, main.left + main.width - kTextWidth, main.top + main.height / 2);
        strtext->setText(text_);
        strtext->selectAll();
        strtext->setFocus();
    }

    bool accepted = false;
    QLabel* strlabel;
    QLineEdit* strtext;
    QPushButton* strok;
    QPushButton* strcancel;
    QPushButton* strhelp;

private:
    void finish(bool ok) {
        // Both buttons hand the edited text back; only OK says it is to be used.
        text_ = strtext->text();
        accepted = ok;
        done(ok ? Accepted : Rejected);
    }

    QString& text_;
};

} // namespace

bool AskText(const QString& caption, const QString& label, const QString& okCaption, int helpTopic,
             QString& text) {
    Tstrwin prompt(text);
    prompt.setWindowTitle(caption);
    prompt.setLabel(label);
    prompt.strok->setText(okCaption);

    const HelpTopicScope topic(helpTopic);
    prompt.prepareShow();

    ShownDialog record;
    record.kind = DialogKind::Text;
    record.caption = caption;
    record.message = label;
    record.buttons = QStringList{okCaption, prompt.strcancel->text(), prompt.strhelp->text()};
    record.helpTopic = helpTopic;
    record.text = text;

    DialogLayer::run(&prompt, record, [&prompt](const DialogAnswer& answer) {
        if (answer.text) prompt.strtext->setText(*answer.text);
        (answer.accepted ? prompt.strok : prompt.strcancel)->click();
    });
    return prompt.accepted;
}

} // namespace qv
