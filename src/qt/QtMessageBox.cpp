#include "qt/QtMessageBox.h"

#include "qt/QtFonts.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <cstdio>

namespace qtui {

QString messageText(const std::string& text) {
    QString out = QString::fromStdString(text);
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

void QtMessageBox::show(const std::string& text, const std::string& caption, port::MessageIcon icon) {
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        const QByteArray line =
            (QString::fromStdString(caption) + QStringLiteral(": ") + messageText(text)).toUtf8();
        std::fprintf(stderr, "%s\n", line.constData());
        std::fflush(stderr);
        return;
    }
    QMessageBox::Icon shown = QMessageBox::NoIcon;
    switch (icon) {
    case port::MessageIcon::None:
        shown = QMessageBox::NoIcon;
        break;
    case port::MessageIcon::Information:
        shown = QMessageBox::Information;
        break;
    case port::MessageIcon::Exclamation:
        shown = QMessageBox::Warning;
        break;
    case port::MessageIcon::Critical:
        shown = QMessageBox::Critical;
        break;
    }
    QMessageBox box(shown, QString::fromStdString(caption), messageText(text), QMessageBox::Ok);
    // The texts are Japanese: the box takes the Japanese face of the program's windows.
    box.setFont(standardFont());
    box.exec();
}

} // namespace qtui
