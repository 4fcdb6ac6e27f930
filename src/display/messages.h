// Console lines and menu texts of the display resource files, code page
// 932 bytes (the readable text beside each).
// Each stage's texts are its own (not inline, so not merged with another
// stage's text of the same name).
#pragma once

#include "base/messages.h"

// Menu items.
// "フォルダ    " (four trailing spaces)
constexpr char kMenuFolder[] = "\x83t\x83H\x83\x8B\x83_    ";
// インデックス
constexpr char kMenuIndex[] =
    "\x83"
    "C\x83\x93\x83"
    "f\x83"
    "b\x83N\x83X";
// ランダム再生
constexpr char kMenuRandomPlay[] = "\x83\x89\x83\x93\x83_\x83\x80\x8D\xC4\x90\xB6";
// OPT→電源オフ
constexpr char kMenuOptPowerOff[] =
    "OPT\x81\xA8\x93"
    "d\x8C\xB9\x83I\x83t";
// 項目数変更
constexpr char kMenuItemCount[] = "\x8D\x80\x96\xDA\x90\x94\x95\xCF\x8DX";
// 電源オフ
constexpr char kMenuPowerOff[] =
    "\x93"
    "d\x8C\xB9\x83I\x83t";
// GLCDリセット
constexpr char kMenuDisplayReset[] =
    "GLCD\x83\x8A\x83Z\x83"
    "b\x83g";
// スピーカ ON/OFF
constexpr char kMenuSpeaker[] = "\x83X\x83s\x81[\x83J ON/OFF";
// ステレオ／モノラル
constexpr char kMenuStereoMono[] =
    "\x83X\x83"
    "e\x83\x8C\x83I\x81^\x83\x82\x83m\x83\x89\x83\x8B";
