// Keyboard shortcuts as the system writes them: a virtual key with the shift keys added as flags.
#pragma once

#include <QKeySequence>
#include <QList>

#include "framework/controls.h"

using TShortCut = WORD;
constexpr TShortCut scNone = 0;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;

TShortCut ShortCut(WORD key, TShiftState shift);
// The key sequences that Qt knows the shortcut by: both Enter keys for VK_RETURN, none for a key
// that has no Qt name here.
QList<QKeySequence> ShortCutToKeySequences(TShortCut shortCut);
