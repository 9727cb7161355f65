// MediaType: an owned AM_MEDIA_TYPE (deep copies, freed when it goes), with the questions filters
// ask of media types.
#pragma once

#include <cstddef>

#include "platform/dshow/media_types.h"

namespace dshow {

class MediaType {
 public:
  MediaType();
  explicit MediaType(const AM_MEDIA_TYPE& other);
  MediaType(const MediaType& other) : MediaType(other.mt_) {}
  MediaType(MediaType&& other) noexcept;
  MediaType& operator=(const MediaType& other);
  MediaType& operator=(MediaType&& other) noexcept;
  ~MediaType() { FreeMediaType(mt_); }

  const AM_MEDIA_TYPE& Get() const { return mt_; }
  AM_MEDIA_TYPE& Get() { return mt_; }
  const AM_MEDIA_TYPE* operator->() const { return &mt_; }
  AM_MEDIA_TYPE* operator->() { return &mt_; }
  // Replaces the format block with a copy of the bytes.
  bool SetFormat(const void* bytes, std::size_t size);
  void Clear();

  bool IsEmpty() const { return mt_.majortype == GUID_NULL; }
  const BITMAPINFOHEADER* BitmapHeader() const;
  REFERENCE_TIME AvgTimePerFrame() const;
  const WAVEFORMATEX* WaveFormat() const;

 private:
  AM_MEDIA_TYPE mt_;
};

// The bitmap header inside a video type's VIDEOINFOHEADER or VIDEOINFOHEADER2, or null.
const BITMAPINFOHEADER* BitmapHeaderOf(const AM_MEDIA_TYPE& mt);
// The frame time of a video type, 0 when not given.
REFERENCE_TIME AvgTimePerFrameOf(const AM_MEDIA_TYPE& mt);
// The wave format of an audio type, or null.
const WAVEFORMATEX* WaveFormatOf(const AM_MEDIA_TYPE& mt);

// Every field that the pattern gives (not GUID_NULL) is equal; a pattern format type of GUID_NULL
// accepts any format.
bool MatchesPartial(const AM_MEDIA_TYPE& type, const AM_MEDIA_TYPE& pattern);
// Major type, subtype and format type are all given.
bool IsFullySpecified(const AM_MEDIA_TYPE& type);

}  // namespace dshow
