#include "ui/Commands.h"

#include "ui/MainWindow.h"

namespace ui::commands {

const std::array<Command, 11> kPopupMenu{{
    {0, nullptr, nullptr},
    {101, "開く(&O)", &MainWindow::openWindow},
    {0, nullptr, nullptr},
    {102, "設定(&S)", &MainWindow::showSettings},
    {0, nullptr, nullptr},
    {103, "バージョン情報(&A)", &MainWindow::showAbout},
    {104, "使い方(&H)", &MainWindow::showHelp},
    {0, nullptr, nullptr},
    {105, "閉じる(&C)", nullptr},
    {0, nullptr, nullptr},
    {106, "終了(&X)", &MainWindow::exit},
}};

const std::array<Command, 7> kSystemMenu{{
    {1, nullptr, nullptr},
    {4, "バージョン情報(&A)", &MainWindow::showAbout},
    {5, "使い方(&H)", &MainWindow::showHelp},
    {6, nullptr, nullptr},
    {7, "設定(&S)", &MainWindow::showSettings},
    {8, nullptr, nullptr},
    {9, "終了(&X)", &MainWindow::exit},
}};

} // namespace ui::commands
