#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quarver for Windows");
    QMainWindow window;
    window.setWindowTitle("Quarver for Windows");
    window.resize(744, 417);
    window.show();
    return app.exec();
}
