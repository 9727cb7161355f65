// A test hook of the program: with SONVARRA_SCREENSHOT_DIR set, the program shows each of its
// windows in turn, writes a picture of each into that folder (form1.png, form2.png, form3.png) and
// the rows of its source list (sources.txt), then closes the main window. With
// SONVARRA_SCREENSHOT_SOURCES (one path a line) it also adds those files, plays the first in the
// preview and pictures the main window so (form1-preview.png). Normal runs never set them.
#pragma once

#include "framework/sysutils.h"

void ScheduleScreenshots(const AnsiString& folder);
