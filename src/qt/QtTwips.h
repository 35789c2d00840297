#pragma once
// Twips on Qt: the presenters measure in twips, the screen in pixels of its logical DPI.
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace qtui {

inline constexpr double kDefaultTwipsPerPixel = 15; // 96 DPI

// 1440 / the logical DPI of the screen the widget is on (the primary screen for none).
inline double twipsPerPixel(const QWidget* widget = nullptr) {
    const QScreen* screen = widget ? widget->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return kDefaultTwipsPerPixel;
    const double dpi = screen->logicalDotsPerInchY();
    return dpi > 0 ? 1440.0 / dpi : kDefaultTwipsPerPixel;
}

// A length in twips at the nearest whole pixel.
inline int toPixels(double twips, double perPixel) {
    return static_cast<int>(std::lround(twips / perPixel));
}

} // namespace qtui
