#include "app/file_items.h"

TFileItems FileItems;
