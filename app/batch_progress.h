// The progress dialog's percentages. Labels show them as computed; gauges clamp to 0..100.
#pragma once

// trunc(elapsed / duration * 100); duration must not be 0.
int FilePercentOf(int elapsedSeconds, int durationSeconds);
// Each of the count files weighs 1/count; the finished ones count 100 each:
// trunc((1 / count) * filePercent + (finished / count) * 100), in extended precision.
int TotalPercentOf(int filePercent, int finishedFiles, int fileCount);
