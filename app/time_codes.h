// Seconds as a time code HH:MM:SS (and ".t" with tenths); every step truncates, never rounds.
#pragma once

#include "framework/sysutils.h"

AnsiString SecondsToTime(bool withTenths, double seconds);
