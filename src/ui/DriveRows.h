#pragma once
// What a drive's row and its pop-up menu line show, made from the drive's state: the texts, the
// button's picture (loaded here from the drive's icon reference) and whether the button can be clicked.
#include "drives/DriveRecord.h"
#include "port/MainView.h"

#include <string>

namespace ui {

port::DriveRow rowOf(const drives::DriveState& state, port::IIcons& icons);
// "(E:) LABEL".
std::string menuCaption(const drives::DriveState& state);

} // namespace ui
