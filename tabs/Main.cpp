#include "tabs/Main.h"

#include "shell/help.h"
#include "tabs/About.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace qv {

namespace {

constexpr int kButtonHeight = 25;

QGroupBox* MakeGroup(QWidget* parent, const QString& caption, int left, int top, int width,
                     int buttons) {
    auto* group = new QGroupBox(caption, parent);
    group->setGeometry(left, top, width, 22 + buttons * 28);
    return group;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, int row) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(10, 20 + row * 28, parent->width() - 20, kButtonHeight);
    return button;
}

} // namespace

QString Tmainform::HomePageCommand() {
    return QStringLiteral("webgo >") + QLatin1String(kHomePageAddress);
}

Tmainform::Tmainform(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Tmainform"));
    setWindowTitle(QStringLiteral("Main"));
    setFixedSize(601, 279);
    setAutoFillBackground(true);
    QPalette silver = palette();
    silver.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    setPalette(silver);

    QGroupBox* compression =
        MakeGroup(this, QStringLiteral(" &Compression Options: "), 8, 6, 240, 2);
    compression->setObjectName(QStringLiteral("compressiongroup"));
    quarv = MakeButton(compression, "quarv", QStringLiteral("Quarv (compress) a graphics file"), 0);
    mix = MakeButton(compression, "mix", QStringLiteral("Mix sound into a Quarver file"), 1);

    QGroupBox* playback = MakeGroup(this, QStringLiteral(" &Playback Options: "), 8, 90, 240, 3);
    playback->setObjectName(QStringLiteral("playbackgroup"));
    play = MakeButton(playback, "play", QStringLiteral("Playback a Quarver file"), 0);
    script = MakeButton(playback, "script", QStringLiteral("Use the QuarvScript environment"), 1);
    quarvfr =
        MakeButton(playback, "quarvfr", QStringLiteral("Change a Quarver file frame rate"), 2);

    QGroupBox* utility = MakeGroup(this, QStringLiteral(" &Utility Options: "), 256, 6, 337, 3);
    utility->setObjectName(QStringLiteral("utilitygroup"));
    toanim = MakeButton(utility, "toanim", QStringLiteral("Convert a graphics file"), 0);
    tosnd = MakeButton(utility, "tosnd", QStringLiteral("Convert a sound file"), 1);
    cmdline = MakeButton(utility, "cmdline", QStringLiteral("Use the Quarver command line"), 2);

    QGroupBox* support = MakeGroup(this, QStringLiteral(" &Support Options: "), 256, 118, 214, 2);
    support->setObjectName(QStringLiteral("supportgroup"));
    homepage = MakeButton(support, "homepage", QStringLiteral("Visit the Quarver home page"), 0);
    homepage->setToolTip(QLatin1String(kHomePageAddress));
    sysinfo = MakeButton(support, "sysinfo", QStringLiteral("View your system information"), 1);

    const auto makeBottomButton = [this](const char* name, const QString& caption, int left) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(QLatin1String(name));
        button->setGeometry(left, 244, 89, kButtonHeight);
        return button;
    };
    exit = makeBottomButton("exit", QStringLiteral("E&xit"), 8);
    help = makeBottomButton("help", QStringLiteral("&Help"), 103);
    how = makeBottomButton("how", QStringLiteral("Ho&w do I...?"), 198);
    about = makeBottomButton("about", QStringLiteral("&About"), 293);

    mainquarv = new QLabel(this);
    mainquarv->setObjectName(QStringLiteral("mainquarv"));
    mainquarv->setGeometry(width() - 115 - 4, height() - 100 - 2, 115, 100);
    mainquarv->setPixmap(QuarverLogo(115, 100));

    const auto requestTab = [this](QPushButton* button, int request) {
        connect(button, &QPushButton::clicked, this,
                [this, request] { emit tabRequested(request); });
    };
    requestTab(quarv, 1);
    requestTab(mix, 2);
    requestTab(play, 3);
    requestTab(script, 4);
    requestTab(toanim, 5);
    requestTab(tosnd, 6);
    requestTab(cmdline, 7);
    requestTab(exit, 32);
    connect(quarvfr, &QPushButton::clicked, this, [this] {
        emit mixerFrameRateRequested();
        emit tabRequested(2);
    });
    connect(homepage, &QPushButton::clicked, this,
            [this] { emit startProgramRequested(HomePageCommand()); });
    connect(sysinfo, &QPushButton::clicked, this,
            [this] { emit runCommandRequested(QStringLiteral("RODUDU")); });
    connect(help, &QPushButton::clicked, this, [] { ShowContextHelp(); });
    connect(how, &QPushButton::clicked, this, [] { ShowHowDoI(); });
    connect(about, &QPushButton::clicked, this, [] { Taboutwin::ShowAbout(); });
}

void Tmainform::keyPressEvent(QKeyEvent* event) {
    // Esc belongs to "E&xit", wherever the focus is on this page.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        exit->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace qv
