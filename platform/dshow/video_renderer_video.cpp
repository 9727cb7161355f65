// IBasicVideo and IQualProp of the video renderer: the video's size and rectangles, the current
// picture, the frame counts.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/dshow/video_renderer.h"

namespace dshow {

// ---- IQualProp ----

HRESULT VideoRenderer::get_FramesDroppedInRenderer(int* pcFrames) {
  if (!pcFrames) return E_POINTER;
  *pcFrames = framesDropped_.load();
  return S_OK;
}
HRESULT VideoRenderer::get_FramesDrawn(int* pcFramesDrawn) {
  if (!pcFramesDrawn) return E_POINTER;
  *pcFramesDrawn = framesDrawn_.load();
  return S_OK;
}
HRESULT VideoRenderer::get_AvgFrameRate(int* piAvgFrameRate) {
  if (!piAvgFrameRate) return E_POINTER;
  std::lock_guard lock(formatLock_);
  const REFERENCE_TIME frameTime = format_.AvgTimePerFrame();
  *piAvgFrameRate = frameTime > 0 ? static_cast<int>(100 * UNITS / frameTime) : 0;
  return S_OK;
}
HRESULT VideoRenderer::get_Jitter(int* iJitter) {
  if (!iJitter) return E_POINTER;
  *iJitter = 0;
  return S_OK;
}
HRESULT VideoRenderer::get_AvgSyncOffset(int* piAvg) {
  if (!piAvg) return E_POINTER;
  *piAvg = 0;
  return S_OK;
}
HRESULT VideoRenderer::get_DevSyncOffset(int* piDev) {
  if (!piDev) return E_POINTER;
  *piDev = 0;
  return S_OK;
}

// ---- IBasicVideo ----

HRESULT VideoRenderer::get_AvgTimePerFrame(REFTIME* pAvgTimePerFrame) {
  if (!pAvgTimePerFrame) return E_POINTER;
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  std::lock_guard lock(formatLock_);
  *pAvgTimePerFrame = static_cast<double>(format_.AvgTimePerFrame()) / UNITS;
  return S_OK;
}

HRESULT VideoRenderer::get_BitRate(LONG* pBitRate) {
  if (!pBitRate) return E_POINTER;
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  std::lock_guard lock(formatLock_);
  *pBitRate = format_.BitmapHeader()
                  ? static_cast<LONG>(reinterpret_cast<const VIDEOINFOHEADER*>(format_->pbFormat)->dwBitRate)
                  : 0;
  return S_OK;
}

HRESULT VideoRenderer::get_BitErrorRate(LONG* pBitErrorRate) {
  if (!pBitErrorRate) return E_POINTER;
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  *pBitErrorRate = 0;
  return S_OK;
}

HRESULT VideoRenderer::GetVideoSize(LONG* pWidth, LONG* pHeight) {
  if (!pWidth || !pHeight) return E_POINTER;
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  std::lock_guard lock(formatLock_);
  const BITMAPINFOHEADER* header = format_.BitmapHeader();
  *pWidth = header ? header->biWidth : 0;
  *pHeight = header ? std::abs(header->biHeight) : 0;
  return S_OK;
}

HRESULT VideoRenderer::get_VideoWidth(LONG* pVideoWidth) {
  LONG height;
  return pVideoWidth ? GetVideoSize(pVideoWidth, &height) : E_POINTER;
}

HRESULT VideoRenderer::get_VideoHeight(LONG* pVideoHeight) {
  LONG width;
  return pVideoHeight ? GetVideoSize(&width, pVideoHeight) : E_POINTER;
}

HRESULT VideoRenderer::SetSourcePosition(LONG Left, LONG Top, LONG Width, LONG Height) {
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  LONG videoWidth, videoHeight;
  GetVideoSize(&videoWidth, &videoHeight);
  if (Left < 0 || Top < 0 || Width <= 0 || Height <= 0 || Left + Width > videoWidth || Top + Height > videoHeight)
    return E_INVALIDARG;
  shared_->SetSource(QRect(Left, Top, Width, Height));
  shared_->RequestPaint();
  return S_OK;
}

HRESULT VideoRenderer::GetSourcePosition(LONG* pLeft, LONG* pTop, LONG* pWidth, LONG* pHeight) {
  if (!pLeft || !pTop || !pWidth || !pHeight) return E_POINTER;
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  const QRect r = shared_->Source();
  *pLeft = r.left();
  *pTop = r.top();
  *pWidth = r.width();
  *pHeight = r.height();
  return S_OK;
}

HRESULT VideoRenderer::SetDefaultSourcePosition() {
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  shared_->SetSource(QRect());
  shared_->RequestPaint();
  return S_OK;
}

HRESULT VideoRenderer::SetSourcePart(int part, LONG value) {
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  const QRect r = WithRectPart(shared_->Source(), part, value);
  return SetSourcePosition(r.left(), r.top(), r.width(), r.height());
}

HRESULT VideoRenderer::GetSourcePart(int part, LONG* value) {
  if (!value) return E_POINTER;
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  *value = RectPart(shared_->Source(), part);
  return S_OK;
}

HRESULT VideoRenderer::SetDestinationPosition(LONG Left, LONG Top, LONG Width, LONG Height) {
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  if (Width <= 0 || Height <= 0) return E_INVALIDARG;
  shared_->SetDestination(QRect(Left, Top, Width, Height));
  shared_->RequestPaint();
  return S_OK;
}

HRESULT VideoRenderer::GetDestinationPosition(LONG* pLeft, LONG* pTop, LONG* pWidth, LONG* pHeight) {
  if (!pLeft || !pTop || !pWidth || !pHeight) return E_POINTER;
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  const QRect r = shared_->Destination();
  *pLeft = r.left();
  *pTop = r.top();
  *pWidth = r.width();
  *pHeight = r.height();
  return S_OK;
}

HRESULT VideoRenderer::SetDefaultDestinationPosition() {
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  shared_->SetDestination(QRect());
  shared_->RequestPaint();
  return S_OK;
}

HRESULT VideoRenderer::SetDestinationPart(int part, LONG value) {
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  const QRect r = WithRectPart(shared_->Destination(), part, value);
  return SetDestinationPosition(r.left(), r.top(), r.width(), r.height());
}

HRESULT VideoRenderer::GetDestinationPart(int part, LONG* value) {
  if (!value) return E_POINTER;
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  *value = RectPart(shared_->Destination(), part);
  return S_OK;
}

HRESULT VideoRenderer::GetVideoPaletteEntries(LONG, LONG, LONG* pRetrieved, LONG* pPalette) {
  if (!pRetrieved || !pPalette) return E_POINTER;
  *pRetrieved = 0;
  return VFW_E_NO_PALETTE_AVAILABLE;
}

HRESULT VideoRenderer::GetCurrentImage(LONG* pBufferSize, LONG* pDIBImage) {
  if (!pBufferSize) return E_POINTER;
  if (!IsConnected()) return VFW_E_NOT_CONNECTED;
  const QImage picture = shared_->CurrentPicture();
  if (picture.isNull()) return E_UNEXPECTED;
  const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
  const DWORD rowBytes = win32::DibRowBytes(rgb.width(), 32);
  const LONG needed = static_cast<LONG>(sizeof(BITMAPINFOHEADER) + rowBytes * rgb.height());
  if (!pDIBImage) {
    *pBufferSize = needed;
    return S_OK;
  }
  if (*pBufferSize < needed) return E_OUTOFMEMORY;
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = rgb.width();
  header.biHeight = rgb.height();
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = BI_RGB;
  header.biSizeImage = rowBytes * rgb.height();
  auto* out = reinterpret_cast<BYTE*>(pDIBImage);
  std::memcpy(out, &header, sizeof header);
  for (int y = 0; y < rgb.height(); ++y)
    std::memcpy(out + sizeof header + static_cast<std::size_t>(rowBytes) * (rgb.height() - 1 - y), rgb.constScanLine(y),
                rowBytes);
  *pBufferSize = needed;
  return S_OK;
}

HRESULT VideoRenderer::IsUsingDefaultSource() { return shared_->DefaultSource() ? S_OK : S_FALSE; }
HRESULT VideoRenderer::IsUsingDefaultDestination() { return shared_->DefaultDestination() ? S_OK : S_FALSE; }

}  // namespace dshow
