#include "dialogs/List.h"

#include "dialogs/dialoglayer.h"
#include "shell/help.h"

#include <QDialog>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

namespace qv {

namespace {

constexpr int kListWidth = 277;
constexpr int kButtonWidth = 89;
constexpr int kButtonHeight = 25;

class Tlistwin : public QDialog {
public:
    Tlistwin() {
        setObjectName(QStringLiteral("Tlistwin"));
        PrepareDialog(this, true);
        setFixedSize(410, 200);

        prompt = new QGroupBox(this);
        prompt->setObjectName(QStringLiteral("prompt"));
        prompt->setGeometry(8, 6, kListWidth + 20, 186);
        QFont bold = prompt->font();
        bold.setBold(true);
        prompt->setFont(bold);

        List = new QListWidget(prompt);
        List->setObjectName(QStringLiteral("List"));
        List->setFont(font());
        List->setSelectionMode(QAbstractItemView::SingleSelection);
        List->setGeometry(10, 22, kListWidth, 154);

        const auto makeButton = [this](const char* name, const QString& caption, int top) {
            auto* button = new QPushButton(caption, this);
            button->setObjectName(QLatin1String(name));
            button->setGeometry(313, top, kButtonWidth, kButtonHeight);
            return button;
        };
        ok = makeButton("ok", QStringLiteral("&Select"), 14);
        ok->setDefault(true);
        ok->setEnabled(false);
        cancel = makeButton("cancel", QStringLiteral("&Cancel"), 45);
        help = makeButton("help", QStringLiteral("&Help"), 76);
        help->setAutoDefault(false);

        // The list can only take the focus once the window is really up.
        Timer1 = new QTimer(this);
        Timer1->setObjectName(QStringLiteral("Timer1"));
        Timer1->setInterval(1);
        connect(Timer1, &QTimer::timeout, this, [this] {
            List->setFocus();
            Timer1->stop();
        });

        connect(List, &QListWidget::itemSelectionChanged, this,
                [this] { ok->setEnabled(!List->selectedItems().isEmpty()); });
        connect(List, &QListWidget::itemDoubleClicked, this, [this] { select(); });
        connect(ok, &QPushButton::clicked, this, [this] { select(); });
        connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
        connect(help, &QPushButton::clicked, this, [] { ShowContextHelp(); });
        AddHelpKey(this);
    }

    void reject() override {
        chosen.clear();
        done(Rejected);
    }

    void done(int result) override {
        List->clear();
        QDialog::done(result);
    }

    void place() {
        const OwnerRect main = DialogOwnerRect();
        PlaceDialog(this, main.left + main.width - kListWidth - kButtonWidth,
                    main.top + main.height + 25 - DialogOuterHeight(this));
    }

    QString chosen;
    QGroupBox* prompt;
    QListWidget* List;
    QPushButton* ok;
    QPushButton* cancel;
    QPushButton* help;
    QTimer* Timer1;

protected:
    void showEvent(QShowEvent* event) override {
        QDialog::showEvent(event);
        Timer1->start();
    }

private:
    void select() {
        const QList<QListWidgetItem*> selected = List->selectedItems();
        if (selected.isEmpty()) return;
        chosen = selected.first()->text();
        done(Accepted);
    }
};

} // namespace

QString ChooseFromList(const QString& caption, const QString& prompt, const QStringList& entries,
                       int helpTopic) {
    Tlistwin chooser;
    chooser.prompt->setTitle(prompt);
    chooser.setWindowTitle(caption);
    chooser.List->clear();
    chooser.List->addItems(entries);
    chooser.List->setCurrentRow(-1);
    chooser.List->clearSelection();

    const HelpTopicScope topic(helpTopic);
    chooser.place();

    ShownDialog record;
    record.kind = DialogKind::List;
    record.caption = caption;
    record.message = prompt;
    record.buttons = QStringList{chooser.ok->text(), chooser.cancel->text(), chooser.help->text()};
    record.helpTopic = helpTopic;
    record.entries = entries;

    DialogLayer::run(&chooser, record, [&chooser](const DialogAnswer& answer) {
        const QString wanted = answer.text.value_or(QString());
        const QList<QListWidgetItem*> found =
            wanted.isEmpty() ? QList<QListWidgetItem*>()
                             : chooser.List->findItems(wanted, Qt::MatchExactly);
        if (found.isEmpty()) {
            if (!wanted.isEmpty())
                qWarning("Quarver: \"%s\" is not in the list chooser; cancelled",
                         qPrintable(wanted));
            chooser.cancel->click();
            return;
        }
        chooser.List->setCurrentItem(found.first(), QItemSelectionModel::ClearAndSelect);
        chooser.ok->click();
    });
    return chooser.chosen;
}

} // namespace qv
