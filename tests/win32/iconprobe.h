#pragma once
// What the test driver and iconprobe.dll, the hook it places in the program, agree on. The driver posts
// the message to a drive button with a number in wParam; the hook answers in the button's property:
// the number shifted left 16 bits, plus the width of the button's icon (0: none); and in a second one the
// colour (0xRRGGBB) of the icon's centre pixel, which tells apart the images of an icon file.
#include <windows.h>

inline constexpr wchar_t kIconProbeMessage[] = L"TavimoroIconProbe";
inline constexpr wchar_t kIconProbeProperty[] = L"TavimoroIconProbe";
inline constexpr wchar_t kIconColourProperty[] = L"TavimoroIconColour";
inline constexpr char kIconProbeHook[] = "probeIcon";
