// TJPEGImage: JPEG pictures through libjpeg. It takes a bitmap (Assign), compresses it with the
// quality and the speed chosen, optionally in progressive scans, and reads JPEG files back.
#pragma once

#include "framework/graphics.h"

enum class TJPEGPerformance { jpBestQuality, jpBestSpeed };
using TJPEGQualityRange = int;  // 1..100

// A JPEG file that libjpeg cannot read or write, with libjpeg's own message.
class EJPEG : public Exception {
 public:
  using Exception::Exception;
};

class TJPEGImage {
 public:
  TJPEGImage() = default;
  TJPEGImage(const TJPEGImage&) = delete;
  TJPEGImage& operator=(const TJPEGImage&) = delete;

  // The picture to compress; the bitmap is copied.
  void Assign(const TBitmap& bitmap) { bitmap_ = bitmap; }
  // The picture read last, or the one assigned.
  const TBitmap& Bitmap() const { return bitmap_; }
  int Width() const { return bitmap_.Width(); }
  int Height() const { return bitmap_.Height(); }

  // jpBestSpeed: the fast integer transform in both directions, and no smooth upsampling on reading.
  TJPEGPerformance Performance = TJPEGPerformance::jpBestQuality;
  TJPEGQualityRange CompressionQuality = 90;  // clamped to 1..100
  bool ProgressiveEncoding = false;
  // Reading shows the coarse scans first; kept for the caller, compression does not depend on it.
  bool ProgressiveDisplay = false;

  // The file is written whole or not at all (EFCreateError, EWriteError); EJPEG when there is
  // nothing to compress.
  void SaveToFile(const AnsiString& fileName) const;
  // EFOpenError when the file cannot be opened, EJPEG when it is no JPEG file.
  void LoadFromFile(const AnsiString& fileName);
  // The compressed bytes as SaveToFile writes them.
  std::vector<BYTE> Compress() const;

 private:
  TBitmap bitmap_;
};
