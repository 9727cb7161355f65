#include "app/batch_progress.h"

#include <cmath>

int FilePercentOf(int elapsedSeconds, int durationSeconds) {
  return static_cast<int>(std::trunc(static_cast<double>(elapsedSeconds) / durationSeconds * 100));
}

int TotalPercentOf(int filePercent, int finishedFiles, int fileCount) {
  const long double n = fileCount;
  return static_cast<int>(std::trunc((1 / n) * filePercent + (finishedFiles / n) * 100));
}
