#include "tabs/About.h"

#include "dialogs/dialoglayer.h"
#include "shell/hints.h"

#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTextEdit>

namespace qv {

QPixmap QuarverLogo(int width, int height) {
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area(0, 0, width, height);

    // A strip of film behind a large Q.
    const QRectF strip = area.adjusted(width * 0.04, height * 0.18, -width * 0.04, -height * 0.18);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 40, 48));
    painter.drawRoundedRect(strip, width * 0.04, width * 0.04);
    painter.setBrush(QColor(230, 230, 230));
    const double hole = strip.height() * 0.12;
    for (double x = strip.left() + hole; x + hole < strip.right(); x += hole * 2) {
        painter.drawRect(QRectF(x, strip.top() + hole * 0.4, hole, hole));
        painter.drawRect(QRectF(x, strip.bottom() - hole * 1.4, hole, hole));
    }

    QFont font(QStringLiteral("Sans Serif"));
    font.setBold(true);
    font.setPixelSize(qMax(8, int(height * 0.62)));
    QPainterPath path;
    path.addText(0, 0, font, QStringLiteral("Q"));
    const QRectF bounds = path.boundingRect();
    path.translate(area.center() - bounds.center());
    QLinearGradient gradient(area.topLeft(), area.bottomRight());
    gradient.setColorAt(0, QColor(255, 200, 40));
    gradient.setColorAt(1, QColor(210, 60, 20));
    painter.setBrush(gradient);
    painter.setPen(QPen(QColor(20, 20, 20), qMax(1.0, height / 60.0)));
    painter.drawPath(path);
    return pixmap;
}

namespace {

QTextEdit* MakeTextArea(QWidget* parent, const char* name, const QString& text) {
    auto* area = new QTextEdit(parent);
    area->setObjectName(QLatin1String(name));
    area->setPlainText(text);
    area->setReadOnly(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setTextInteractionFlags(Qt::NoTextInteraction);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette palette = area->palette();
    palette.setColor(QPalette::Base, parent->palette().color(QPalette::Window));
    area->setPalette(palette);
    return area;
}

} // namespace

Taboutwin::Taboutwin(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Taboutwin"));
    if (!parent) PrepareDialog(this, true);
    setWindowTitle(QStringLiteral("About Quarver for Windows..."));
    setFixedSize(493, 310);

    aboutquarv = new QLabel(this);
    aboutquarv->setObjectName(QStringLiteral("aboutquarv"));
    aboutquarv->setGeometry(12, 12, 180, 156);
    aboutquarv->setPixmap(QuarverLogo(180, 156));
    aboutquarv->setToolTip(QStringLiteral("Quarver for Windows"));

    aboutlabel = new QLabel(this);
    aboutlabel->setObjectName(QStringLiteral("aboutlabel"));
    aboutlabel->setGeometry(208, 20, 272, 24);
    QFont big = aboutlabel->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.4);
    aboutlabel->setFont(big);

    aboutcopy = new QLabel(this);
    aboutcopy->setObjectName(QStringLiteral("aboutcopy"));
    aboutcopy->setGeometry(208, 50, 272, 36);
    aboutcopy->setWordWrap(true);

    abouttext1 = MakeTextArea(this, "abouttext1",
                              QStringLiteral("Quarver Software\n"
                                             "Internet: %1\n"
                                             "E-mail: support@quarver.example")
                                  .arg(QLatin1String(kHomePageAddress)));
    abouttext1->setGeometry(208, 92, 272, 76);
    abouttext2 = MakeTextArea(
        this, "abouttext2",
        QStringLiteral("Quarver for Windows is the front end of the Quarver tools: it compresses "
                       "video and animation into Quarver files, mixes sound into them, plays them "
                       "back, runs QuarvScript playback scripts and converts graphics and sound "
                       "files. Pick the files, set the options on a tool's page and Quarver "
                       "builds and runs the command for you."));
    abouttext2->setGeometry(12, 180, 468, 80);

    aboutclose = new QPushButton(QStringLiteral("&Close"), this);
    aboutclose->setObjectName(QStringLiteral("aboutclose"));
    aboutclose->setGeometry(202, 272, 89, 25);
    aboutclose->setDefault(true);
    aboutclose->setToolTip(QStringLiteral("Close this window"));
    connect(aboutclose, &QPushButton::clicked, this, &QDialog::accept);

    // The texts are there to be read only: whatever reaches them goes on to "&Close".
    for (QTextEdit* area : {abouttext1, abouttext2}) {
        area->setFocusPolicy(Qt::NoFocus);
        area->installEventFilter(this);
        area->viewport()->installEventFilter(this);
    }
}

Taboutwin::~Taboutwin() {
    restoreHints();
}

void Taboutwin::showEvent(QShowEvent* event) {
    aboutlabel->setText(QStringLiteral("Quarver Version ") + QLatin1String(kVersionText));
    aboutcopy->setText(QString::fromUtf8(kMakersNotice));
    const OwnerRect main = DialogOwnerRect();
    PlaceDialog(this, main.left + 89, main.top + 25);
    if (!hintsSaved_) {
        hintsSaved_ = true;
        savedHints_ = HintsEnabled();
        SetHintsEnabled(true);
    }
    aboutclose->setFocus();
    QDialog::showEvent(event);
}

void Taboutwin::done(int result) {
    restoreHints();
    QDialog::done(result);
}

bool Taboutwin::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::FocusIn:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        aboutclose->setFocus();
        return event->type() != QEvent::FocusIn;
    default:
        return QDialog::eventFilter(watched, event);
    }
}

void Taboutwin::restoreHints() {
    if (hintsSaved_) {
        hintsSaved_ = false;
        SetHintsEnabled(savedHints_);
    }
}

void Taboutwin::ShowAbout() {
    Taboutwin about;
    ShownDialog record;
    record.kind = DialogKind::Window;
    record.caption = about.windowTitle();
    record.buttons = QStringList{about.aboutclose->text()};
    // The window's own show handler does the setting up, also when a test answers for the user.
    DialogLayer::run(&about, record, [&about](const DialogAnswer&) { about.aboutclose->click(); });
}

} // namespace qv
