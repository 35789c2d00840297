#include "qt/QtFonts.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QScreen>
#include <array>
#include <cmath>

namespace qtui {
namespace {

struct StandIn {
    const char* face;
    QStringList families;
};

const std::array<StandIn, 4>& standIns() {
    static const std::array<StandIn, 4> table{{
        {"ＭＳ Ｐゴシック", {QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")}},
        {"ＭＳ ゴシック", {QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("IPAGothic")}},
        {"ＭＳ Ｐ明朝", {QStringLiteral("Noto Serif CJK JP"), QStringLiteral("IPAPMincho")}},
        {"ＭＳ 明朝", {QStringLiteral("IPAMincho"), QStringLiteral("Noto Serif CJK JP")}},
    }};
    return table;
}

} // namespace

QStringList fontFamilies(const std::string& face) {
    QStringList families;
    if (!face.empty())
        families << QString::fromStdString(face);
    bool known = false;
    for (const StandIn& standIn : standIns()) {
        if (face == standIn.face) {
            families << standIn.families;
            known = true;
        }
    }
    // Any other face still gets a Japanese one behind it: the captions are Japanese.
    if (!known)
        families << QStringLiteral("Noto Sans CJK JP");
    return families;
}

QFont designFont(const std::string& face, double points, bool bold) {
    QFont font;
    font.setFamilies(fontFamilies(face));
    if (points > 0)
        font.setPointSizeF(points);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

QFont designFont(const port::FontRecord& record) {
    return designFont(record.name, record.points, record.bold);
}

QFont standardFont() {
    return designFont("ＭＳ Ｐゴシック", 9);
}

int lineHeight(const QFont& font) {
    return static_cast<int>(std::ceil(QFontMetricsF(font).height()));
}

double unitsPerInch(const QWidget* widget) {
    const QScreen* screen = widget ? widget->screen() : QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 0;
    return dpi > 0 ? dpi : 96;
}

std::jthread warmUpFonts(const port::FontRecord& font) {
    // Qt's font database is shared by every thread and locked, and so is what it found for each
    // script of a family (a face missing here costs a search per script); the fonts a thread loads
    // stay its own. The sample holds every script of the window's texts.
    return std::jthread([face = designFont(font)] {
        QFontMetricsF(face).boundingRect(QStringLiteral("CD-ROM ドライブを登録"));
    });
}

} // namespace qtui
