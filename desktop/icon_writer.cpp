// Build tool: writes the program's icon for the desktop's icon theme, one PNG file per size:
//   sonvarra_icon_writer <folder> <size>...   makes <folder>/<size>x<size>/apps/sonvarra.png
#include <QDir>
#include <QImage>
#include <cstdio>
#include <cstdlib>

#include "app/pictures.h"

int main(int argc, char* argv[]) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <folder> <size>...\n", argv[0]);
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  for (int i = 2; i < argc; ++i) {
    const int size = std::atoi(argv[i]);
    if (size <= 0 || size > 1024) {
      std::fprintf(stderr, "%s: not an icon size: %s\n", argv[0], argv[i]);
      return 2;
    }
    const QString apps = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
    const QString file = apps + "/sonvarra.png";
    if (!QDir().mkpath(apps) || !DesktopIcon(size).save(file, "PNG")) {
      std::fprintf(stderr, "%s: cannot write %s\n", argv[0], qPrintable(file));
      return 1;
    }
  }
  return 0;
}
