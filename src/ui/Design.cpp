#include "ui/Design.h"

#include <array>
#include <cmath>

namespace ui::design {

int toUnits(double length, double unitsPerInch) {
    return static_cast<int>(std::lround(length * unitsPerInch / 96));
}

const port::FontRecord kLabelFont{"ＭＳ Ｐゴシック", 11.25};

namespace {

using port::ControlKind;

// A control at its place in twips.
constexpr port::ControlLayout control(const char* name, ControlKind kind, int container, const char* caption,
                                      double left, double top, double width, double height, int tabIndex,
                                      const char* tooltip = "") {
    return {name,        kind,          container,      caption,  pixels(left),
            pixels(top), pixels(width), pixels(height), tabIndex, tooltip};
}

// Check boxes lie inside their frame, at places relative to it. The focus goes by tab index: the two
// buttons first, then each frame's lower box before its upper one.
constexpr std::array<port::ControlLayout, 11> kSettingsControls{{
    control("displayFrame", ControlKind::Frame, -1, "表示", 120, 120, 5295, 1095, 2),
    control("keepOnTopBox", ControlKind::CheckBox, 0, "ウィンドウを常に手前に表示する", 240, 240, 4815, 375,
            4, "ドライブ一覧のウィンドウを常に前面に表示します"),
    control("showLabelsBox", ControlKind::CheckBox, 0, "起動ボタンの横にボリュームラベルを表示する", 240, 600,
            4815, 375, 3, "ドライブ一覧ウィンドウのボリュームラベルを表示します"),
    control("discFrame", ControlKind::Frame, -1, "ＣＤ検出", 120, 1320, 5295, 1095, 5),
    control("openOnNewDiscBox", ControlKind::CheckBox, 3, "ＣＤが挿入されたらウィンドウを開く", 240, 240,
            4815, 375, 6, "ＣＤの挿入を検出したらドライブ一覧ウィンドウを自動的に開きます"),
    control("startMenuBox", ControlKind::CheckBox, 3,
            "自動実行可能なドライブをスタートメニューに自動登録する", 240, 600, 4815, 375, 7,
            "自動実行可能なドライブをスタートメニューに自動的に登録します"),
    control("residentFrame", ControlKind::Frame, -1, "動作", 120, 2520, 5295, 1095, 8),
    control("residentBox", ControlKind::CheckBox, 6, "タスクトレイに常駐する", 240, 240, 4815, 375, 9,
            "タスクトレイに常駐してＣＤの挿入を監視します"),
    control("startHiddenBox", ControlKind::CheckBox, 6, "起動時にウィンドウを開かないで直ちにに常駐", 240,
            600, 4815, 375, 10, "起動後直ちに常駐を開始します"),
    control("okButton", ControlKind::Button, -1, "OK", 2880, 3720, 1215, 375, 0),
    control("cancelButton", ControlKind::Button, -1, "キャンセル", 4200, 3720, 1215, 375, 1),
}};

// A label of the about box, in its own font.
constexpr port::ControlLayout aboutLabel(const char* name, const char* caption, double top, double height,
                                         double points, port::TextAlign align) {
    port::ControlLayout label = control(name, ControlKind::Label, -1, caption, 1800, top, 3495, height, -1);
    label.fontName = "ＭＳ Ｐ明朝";
    label.fontPoints = points;
    label.bold = true;
    label.align = align;
    return label;
}

constexpr std::array<port::ControlLayout, 3> kAboutControls{{
    control("iconImage", ControlKind::Image, -1, "", 120, 360, 1440, 1440, -1),
    aboutLabel("nameLabel", "Tavimoro", 240, 375, 18, port::TextAlign::Left),
    aboutLabel("versionLabel", "Version 0.00", 600, 255, 12, port::TextAlign::Right),
}};

} // namespace

const port::DialogLayout kSettingsDialog{"設定", pixels(5535), pixels(4230), kSettingsControls};
// The caption is written in half-width katakana, unlike the menu items that open the box.
const port::DialogLayout kAboutBox{"ﾊﾞｰｼﾞｮﾝ情報", pixels(5430), pixels(2145), kAboutControls};

} // namespace ui::design
