#include "app/file_items.h"

TFileItems FileItems;

AnsiString AddedFilesText(int rows) { return "Added " + IntToStr(rows) + " file(s)."; }
