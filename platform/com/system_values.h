// MulDiv and the user's locale, as the runtime gives them to controls.
#pragma once

#include "platform/com/automation.h"

// number × numerator / denominator through a 64-bit product, rounded to the nearest integer with
// halves away from zero; -1 on overflow or a denominator of 0.
int WINAPI MulDiv(int number, int numerator, int denominator);

constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
constexpr WORD SUBLANG_DEFAULT = 0x01;
constexpr WORD SORT_DEFAULT = 0x0;
constexpr WORD MAKELANGID(WORD primary, WORD sub) { return static_cast<WORD>((sub << 10) | primary); }
constexpr LCID MAKELCID(WORD language, WORD sort) { return (static_cast<LCID>(sort) << 16) | language; }

// From the environment's locale (LC_ALL, LC_MESSAGES, LANG): its language with the default
// sublanguage, English (0x0409) when it names none the runtime knows.
LCID WINAPI GetUserDefaultLCID();
