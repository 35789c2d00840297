// The floor of the Linux start: a bare Qt tool window with an icon in the notification area, as a plain
// tray program makes them (the icon first, then the window). Titled "bare"; ends with its window.
//   bare_tray [TEXT]   with TEXT: the window shows it in a label, which makes the start load the fonts
#include <QApplication>
#include <QLabel>
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
    if (argc > 1)
        (new QLabel(QString::fromUtf8(argv[1]), &window))->move(53, 8);
    window.show();
    return QApplication::exec();
}
