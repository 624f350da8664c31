#include "shell/help.h"

#include "dialogs/Mess.h"
#include "dialogs/dialoglayer.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "shell/helpbook.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include <optional>

namespace qv {

namespace {

struct HelpState {
    QString file;
    std::optional<HelpBook> book; // loaded on first use, dropped when the file changes
};

HelpState& State() {
    static HelpState state;
    return state;
}

// The help window: contents and keyword index on the left, the topic on the right.
class HelpWindow : public QWidget {
public:
    explicit HelpWindow(const HelpBook& book) : QWidget(DialogOwner(), Qt::Window), book_(book) {
        setObjectName(QStringLiteral("helpwin"));
        setAttribute(Qt::WA_DeleteOnClose);
        setWindowTitle(QStringLiteral("Quarver Help"));
        resize(760, 520);

        back_ = new QPushButton(QStringLiteral("&Back"));
        back_->setObjectName(QStringLiteral("helpback"));
        back_->setEnabled(false);
        auto* contentsButton = new QPushButton(QStringLiteral("C&ontents"));
        contentsButton->setObjectName(QStringLiteral("helpshowcontents"));
        auto* close = new QPushButton(QStringLiteral("&Close"));
        close->setObjectName(QStringLiteral("helpclose"));
        auto* buttons = new QHBoxLayout;
        buttons->addWidget(back_);
        buttons->addWidget(contentsButton);
        buttons->addStretch();
        buttons->addWidget(close);

        contents_ = new QListWidget;
        contents_->setObjectName(QStringLiteral("helpcontents"));
        for (const HelpTopicText& topic : book_.topics()) {
            auto* item = new QListWidgetItem(topic.title, contents_);
            item->setData(Qt::UserRole, topic.number);
        }

        search_ = new QLineEdit;
        search_->setObjectName(QStringLiteral("helpsearch"));
        search_->setPlaceholderText(QStringLiteral("Type a word to find"));
        index_ = new QListWidget;
        index_->setObjectName(QStringLiteral("helpindex"));
        auto* indexPage = new QWidget;
        auto* indexLayout = new QVBoxLayout(indexPage);
        auto* searchLabel = new QLabel(QStringLiteral("&Find keyword:"));
        searchLabel->setBuddy(search_);
        indexLayout->addWidget(searchLabel);
        indexLayout->addWidget(search_);
        indexLayout->addWidget(index_);

        tabs_ = new QTabWidget;
        tabs_->setObjectName(QStringLiteral("helptabs"));
        tabs_->addTab(contents_, QStringLiteral("Contents"));
        tabs_->addTab(indexPage, QStringLiteral("Index"));

        text_ = new QTextBrowser;
        text_->setObjectName(QStringLiteral("helptext"));
        text_->setOpenLinks(false);

        auto* splitter = new QSplitter;
        splitter->addWidget(tabs_);
        splitter->addWidget(text_);
        splitter->setStretchFactor(1, 1);
        splitter->setSizes({230, 530});

        auto* layout = new QVBoxLayout(this);
        layout->addLayout(buttons);
        layout->addWidget(splitter);

        connect(contents_, &QListWidget::itemActivated, this,
                [this](QListWidgetItem* item) { showTopic(item->data(Qt::UserRole).toInt()); });
        connect(contents_, &QListWidget::itemClicked, this,
                [this](QListWidgetItem* item) { showTopic(item->data(Qt::UserRole).toInt()); });
        connect(search_, &QLineEdit::textChanged, this, [this] { fillIndex(); });
        connect(search_, &QLineEdit::returnPressed, this, [this] {
            if (index_->count() > 0) showKeyword(index_->item(0)->text());
        });
        connect(index_, &QListWidget::itemActivated, this,
                [this](QListWidgetItem* item) { showKeyword(item->text()); });
        connect(index_, &QListWidget::itemClicked, this,
                [this](QListWidgetItem* item) { showKeyword(item->text()); });
        connect(text_, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
            if (url.scheme() == QLatin1String("topic")) showTopic(url.path().toInt());
        });
        connect(back_, &QPushButton::clicked, this, [this] { goBack(); });
        connect(contentsButton, &QPushButton::clicked, this, [this] { tabs_->setCurrentIndex(0); });
        connect(close, &QPushButton::clicked, this, &QWidget::close);
        fillIndex();
    }

    int currentTopic() const { return current_; }

    bool showTopic(int number) {
        const HelpTopicText* topic = book_.find(number);
        if (!topic) return false;
        if (current_ != 0 && current_ != number) {
            history_.append(current_);
            back_->setEnabled(true);
        }
        display(*topic);
        return true;
    }

    void searchKeyword(const QString& key) {
        tabs_->setCurrentIndex(1);
        search_->setText(key);
        search_->setFocus();
        if (index_->count() > 0) showKeyword(index_->item(0)->text());
    }

private:
    void display(const HelpTopicText& topic) {
        current_ = topic.number;
        text_->setHtml(book_.html(topic));
        for (int row = 0; row < contents_->count(); ++row)
            if (contents_->item(row)->data(Qt::UserRole).toInt() == topic.number)
                contents_->setCurrentRow(row);
    }

    void goBack() {
        if (history_.isEmpty()) return;
        if (const HelpTopicText* topic = book_.find(history_.takeLast())) display(*topic);
        back_->setEnabled(!history_.isEmpty());
    }

    void fillIndex() {
        index_->clear();
        index_->addItems(book_.matchKeywords(search_->text()));
        if (index_->count() > 0) index_->setCurrentRow(0);
    }

    // One topic shows at once; several are offered as links.
    void showKeyword(const QString& keyword) {
        const QList<int> numbers = book_.topicsFor(keyword);
        if (numbers.size() == 1) {
            showTopic(numbers.first());
            return;
        }
        QString html =
            QStringLiteral("<h2>Topics found for \"%1\"</h2><ul>").arg(keyword.toHtmlEscaped());
        for (int number : numbers)
            html += QStringLiteral("<li><a href=\"topic:%1\">%2</a></li>")
                        .arg(number)
                        .arg(book_.find(number)->title.toHtmlEscaped());
        text_->setHtml(html + QStringLiteral("</ul>"));
    }

    const HelpBook& book_;
    QPushButton* back_;
    QTabWidget* tabs_;
    QListWidget* contents_;
    QLineEdit* search_;
    QListWidget* index_;
    QTextBrowser* text_;
    QList<int> history_;
    int current_ = 0;
};

QPointer<HelpWindow>& Window() {
    static QPointer<HelpWindow> window;
    return window;
}

// The loaded help file, or null after telling the user why there is none.
const HelpBook* Book() {
    HelpState& state = State();
    if (state.book) return &*state.book;
    const QString file = HelpFile();
    const std::optional<std::string> text = plat::ReadWholeFile(file.toStdString());
    if (!text) {
        ShowError(QStringLiteral("Error, cannot open the help file ") + file + ".");
        return nullptr;
    }
    QString error;
    state.book = HelpBook::Parse(QString::fromUtf8(text->data(), qsizetype(text->size())), &error);
    if (!state.book) {
        ShowError(QStringLiteral("Error, the help file ") + file + " cannot be read (" + error +
                  ").");
        return nullptr;
    }
    return &*state.book;
}

// A modal dialog blocks every window outside its own family. While one is up, the help window
// joins that family so that it can still be read and scrolled, and it goes back to the main window
// when the dialog closes.
void FollowModalDialog(HelpWindow* window) {
    QWidget* modal = QApplication::activeModalWidget();
    QWidget* parent = modal && modal != window ? modal : DialogOwner();
    if (window->parentWidget() == parent) return;
    const QRect geometry = window->geometry();
    const bool visible = window->isVisible();
    window->setParent(parent, Qt::Window);
    window->setGeometry(geometry);
    if (visible) window->show();
    if (auto* dialog = qobject_cast<QDialog*>(modal))
        QObject::connect(
            dialog, &QDialog::finished, window, [window] { FollowModalDialog(window); },
            Qt::SingleShotConnection);
}

HelpWindow* OpenWindow() {
    const HelpBook* book = Book();
    if (!book) return nullptr;
    if (!Window()) Window() = new HelpWindow(*book);
    HelpWindow* window = Window();
    FollowModalDialog(window);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

} // namespace

int& HelpTopic() {
    static int topic = kHelpTopicMainTab;
    return topic;
}

void SetHelpFile(const QString& programPath) {
    HelpState& state = State();
    if (state.file == programPath) return;
    // The window shows the old file's topics: it goes with it.
    QuitHelp();
    state.file = programPath;
    state.book.reset();
}

QString HelpFile() {
    if (!State().file.isEmpty()) return State().file;
    // Until the settings say where the program lies, the help file is the one next to it.
    return QString::fromStdString(plat::ProgramPath(plat::ExecutableDirectory() + "quarver.hlp"));
}

void ShowHelpTopic(int topic) {
    const HelpBook* book = Book();
    if (!book) return;
    if (!book->find(topic)) {
        ShowError(QStringLiteral("Error, help topic %1 is not in the help file ").arg(topic) +
                  State().file + ".");
        return;
    }
    if (HelpWindow* window = OpenWindow()) window->showTopic(topic);
}

void ShowContextHelp() {
    ShowHelpTopic(HelpTopic());
}

void ShowHowDoI() {
    ShowHelpTopic(kHelpTopicHowDoI);
}

void SearchHelp(const QString& keyword) {
    if (HelpWindow* window = OpenWindow()) window->searchKeyword(keyword);
}

namespace {

class HelpKeyFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
            ShowContextHelp();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void AddHelpKey(QWidget* window) {
    window->installEventFilter(new HelpKeyFilter(window));
}

void QuitHelp() {
    delete Window().data();
}

} // namespace qv
