#include "platform/dshow/media_type.h"

#include <cstring>
#include <utility>

namespace dshow {

MediaType::MediaType() : mt_{} {}

MediaType::MediaType(const AM_MEDIA_TYPE& other) : mt_{} {
  if (FAILED(CopyMediaType(&mt_, &other))) mt_ = AM_MEDIA_TYPE{};
}

MediaType::MediaType(MediaType&& other) noexcept : mt_(other.mt_) { other.mt_ = AM_MEDIA_TYPE{}; }

MediaType& MediaType::operator=(const MediaType& other) {
  if (this != &other) *this = MediaType(other);
  return *this;
}

MediaType& MediaType::operator=(MediaType&& other) noexcept {
  if (this != &other) {
    FreeMediaType(mt_);
    mt_ = std::exchange(other.mt_, AM_MEDIA_TYPE{});
  }
  return *this;
}

bool MediaType::SetFormat(const void* bytes, std::size_t size) {
  CoTaskMemFree(mt_.pbFormat);
  mt_.pbFormat = nullptr;
  mt_.cbFormat = 0;
  if (size == 0) return true;
  mt_.pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(size));
  if (!mt_.pbFormat) return false;
  std::memcpy(mt_.pbFormat, bytes, size);
  mt_.cbFormat = static_cast<ULONG>(size);
  return true;
}

void MediaType::Clear() {
  FreeMediaType(mt_);
  mt_ = AM_MEDIA_TYPE{};
}

const BITMAPINFOHEADER* MediaType::BitmapHeader() const { return BitmapHeaderOf(mt_); }
REFERENCE_TIME MediaType::AvgTimePerFrame() const { return AvgTimePerFrameOf(mt_); }
const WAVEFORMATEX* MediaType::WaveFormat() const { return WaveFormatOf(mt_); }

const BITMAPINFOHEADER* BitmapHeaderOf(const AM_MEDIA_TYPE& mt) {
  if (mt.majortype != MEDIATYPE_Video || !mt.pbFormat) return nullptr;
  if (mt.formattype == FORMAT_VideoInfo && mt.cbFormat >= sizeof(VIDEOINFOHEADER))
    return &reinterpret_cast<const VIDEOINFOHEADER*>(mt.pbFormat)->bmiHeader;
  if (mt.formattype == FORMAT_VideoInfo2 && mt.cbFormat >= sizeof(VIDEOINFOHEADER2))
    return &reinterpret_cast<const VIDEOINFOHEADER2*>(mt.pbFormat)->bmiHeader;
  return nullptr;
}

REFERENCE_TIME AvgTimePerFrameOf(const AM_MEDIA_TYPE& mt) {
  if (!BitmapHeaderOf(mt)) return 0;
  // Both headers keep the frame time at the same place.
  return reinterpret_cast<const VIDEOINFOHEADER*>(mt.pbFormat)->AvgTimePerFrame;
}

const WAVEFORMATEX* WaveFormatOf(const AM_MEDIA_TYPE& mt) {
  if (mt.formattype != FORMAT_WaveFormatEx || !mt.pbFormat || mt.cbFormat < sizeof(WAVEFORMATEX)) return nullptr;
  return reinterpret_cast<const WAVEFORMATEX*>(mt.pbFormat);
}

bool MatchesPartial(const AM_MEDIA_TYPE& type, const AM_MEDIA_TYPE& pattern) {
  if (pattern.majortype != GUID_NULL && pattern.majortype != type.majortype) return false;
  if (pattern.subtype != GUID_NULL && pattern.subtype != type.subtype) return false;
  if (pattern.formattype != GUID_NULL && pattern.formattype != type.formattype) return false;
  return true;
}

bool IsFullySpecified(const AM_MEDIA_TYPE& type) {
  return type.majortype != GUID_NULL && type.subtype != GUID_NULL && type.formattype != GUID_NULL;
}

}  // namespace dshow
