// Quarver for Windows: the main window and its event loop.
#include "shell/termination.h"
#include "shell/topwin.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quarver for Windows"));
    int result = 0;
    {
        qv::Ttopwin window(QApplication::arguments().mid(1));
        qv::InstallTerminationHandler(&window, [&window] { window.RequestTermination(); });
        window.show();
        result = QApplication::exec();
    }
    return result;
}
