// The floor for the start-up measurement: a bare Qt Widgets window of the main window's size.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(1024, 768);
    window.show();
    return app.exec();
}
