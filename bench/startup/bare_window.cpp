// The floor for start-up: a bare Qt program that maps a plain frameless
// window of the toy's size and nothing else.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.resize(549, 550);
    window.show();
    return app.exec();
}
