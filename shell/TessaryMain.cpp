#include <QApplication>
#include <QLabel>
#include <clocale>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    QLabel label(QStringLiteral("Tessary: the main window is not built yet."));
    label.setWindowTitle(QStringLiteral("Tessary"));
    label.resize(420, 120);
    label.setAlignment(Qt::AlignCenter);
    label.show();
    return app.exec();
}
