// The bytes of a local path that Qt hands over as text or as an address.
//
// Qt reads file names as UTF-8 and shows each byte that is not (a Latin-1 name from an old disk)
// as U+FFFD, so its text for such a name names nothing, or a new file were it created. The real
// name is found among the entries of its folder by the text Qt shows for it.
#pragma once

#include <QString>
#include <QUrl>

#include "framework/sysutils.h"

// The path that the text stands for: its own encoding where that names something, otherwise each
// component with U+FFFD that names nothing replaced by the one entry of its folder that Qt shows
// by the same text. A component that no entry or more than one matches stays as the text has it.
AnsiString LocalPath(const QString& path);
// A file address keeps the bytes of the name it was made from (percent-encoded); its path is taken
// from them, and from its text only where they name nothing.
AnsiString LocalPath(const QUrl& url);
