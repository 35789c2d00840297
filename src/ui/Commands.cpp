#include "ui/Commands.h"

#include "ui/frm_main.h"

namespace app::commands {

const std::array<Command, 11> kPopupMenu{{
    {0, nullptr, nullptr}, // Menu_Dummy4
    {101, "開く(&O)", &frm_main::Menu_Open_Click},
    {0, nullptr, nullptr}, // Menu_Dummy5
    {102, "設定(&S)", &frm_main::Menu_Config_Click},
    {0, nullptr, nullptr}, // Menu_Dummy2
    {103, "バージョン情報(&A)", &frm_main::Menu_Version_Click},
    {104, "使い方(&H)", &frm_main::Menu_Help_Click},
    {0, nullptr, nullptr}, // Menu_Dummy1
    {105, "閉じる(&C)", nullptr},
    {0, nullptr, nullptr}, // Menu_Dummy3
    {106, "終了(&X)", &frm_main::Menu_Exit_Click},
}};

const std::array<Command, 7> kSystemMenu{{
    {1, nullptr, nullptr},
    {4, "バージョン情報(&A)", &frm_main::Menu_Version_Click},
    {5, "使い方(&H)", &frm_main::Menu_Help_Click},
    {6, nullptr, nullptr},
    {7, "設定(&S)", &frm_main::Menu_Config_Click},
    {8, nullptr, nullptr},
    {9, "終了(&X)", &frm_main::Menu_Exit_Click},
}};

} // namespace app::commands
