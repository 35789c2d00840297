// The floor of the Linux start: a bare Qt tool window with an icon in the notification area, as a plain
// tray program makes them (the icon first, then the window). Titled "bare"; ends with its window.
#include <QApplication>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QPixmap picture(32, 32);
    picture.fill(Qt::blue);
    QSystemTrayIcon tray{QIcon(picture)};
    tray.show();
    QWidget window(nullptr, Qt::Tool);
    window.setWindowTitle(QStringLiteral("bare"));
    window.resize(133, 98);
    window.show();
    return QApplication::exec();
}
