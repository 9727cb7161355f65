// TBitmap: plain pictures over QImage, device-independent sections, BMP files and stretched drawing.
#include <QPainter>
#include <algorithm>
#include <cstring>
#include <limits>

#include "framework/classes.h"
#include "framework/graphics.h"
#include "platform/win32/resources.h"

namespace {

constexpr char kInvalidBitmap[] = "Bitmap image is not valid";
constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
// Beyond this a section is refused rather than tried: no frame is that large.
constexpr std::uint64_t kLargestSection = std::uint64_t{1} << 30;

void PutLittle(std::vector<BYTE>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<BYTE>(value >> (8 * i)));
}

std::uint32_t GetLittle(const BYTE* in, int bytes) {
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | in[i];
  return value;
}

// Rows of the picture as they lie in a section or a file: bottom-up unless the height is negative.
QImage ImageFromRows(const BYTE* bits, int width, int height, int bitCount, bool bottomUp) {
  QImage image(width, height, bitCount == 32 ? QImage::Format_RGB32 : QImage::Format_BGR888);
  if (image.isNull()) return image;
  const DWORD rowBytes = win32::DibRowBytes(width, static_cast<WORD>(bitCount));
  const std::size_t used = static_cast<std::size_t>(width) * static_cast<std::size_t>(bitCount / 8);
  for (int y = 0; y < height; ++y) {
    const int row = bottomUp ? height - 1 - y : y;
    std::memcpy(image.scanLine(y), bits + static_cast<std::size_t>(row) * rowBytes, used);
  }
  return image;
}

// The picture without the pixels of its bottom-left pixel's colour.
QImage CutOutTransparentColor(const QImage& picture) {
  if (picture.isNull()) return picture;
  QImage image = picture.convertToFormat(QImage::Format_ARGB32);
  const QRgb key = image.pixel(0, image.height() - 1) | 0xFF000000u;
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x)
      if ((line[x] | 0xFF000000u) == key) line[x] = 0;
  }
  return image;
}

}  // namespace

int TBitmap::Width() const { return HasSection() ? static_cast<int>(sectionHeader_.biWidth) : image_.width(); }

int TBitmap::Height() const {
  if (!HasSection()) return image_.height();
  const LONG height = sectionHeader_.biHeight;
  return static_cast<int>(height < 0 ? -height : height);
}

bool TBitmap::NewSection(const BITMAPINFOHEADER& header) {
  const LONG width = header.biWidth;
  const std::int64_t height = header.biHeight < 0 ? -static_cast<std::int64_t>(header.biHeight) : header.biHeight;
  if (width <= 0 || height <= 0 || header.biPlanes != 1 || header.biCompression != BI_RGB ||
      (header.biBitCount != 24 && header.biBitCount != 32))
    return false;
  const std::uint64_t size =
      std::uint64_t{win32::DibRowBytes(width, header.biBitCount)} * static_cast<std::uint64_t>(height);
  if (size > kLargestSection) return false;
  std::vector<BYTE> bits;
  try {
    bits.resize(static_cast<std::size_t>(size));
  } catch (const std::bad_alloc&) {
    return false;
  }
  sectionHeader_ = header;
  sectionHeader_.biSize = sizeof(BITMAPINFOHEADER);
  sectionHeader_.biSizeImage = static_cast<DWORD>(size);
  sectionBits_ = std::move(bits);
  source_ = nullptr;
  image_ = QImage();
  sectionRead_ = false;
  return true;
}

BYTE* TBitmap::SectionBits() {
  sectionRead_ = false;  // the caller may write
  return sectionBits_.data();
}

const QImage& TBitmap::Image() const {
  if (HasSection() && !sectionRead_) {
    image_ =
        ImageFromRows(sectionBits_.data(), Width(), Height(), sectionHeader_.biBitCount, sectionHeader_.biHeight > 0);
    sectionRead_ = true;
  }
  return image_;
}

void TBitmap::LeaveSection() {
  if (!HasSection()) return;
  Image();
  sectionBits_.clear();
  sectionBits_.shrink_to_fit();
  sectionHeader_ = {};
}

void TBitmap::SetSize(int width, int height) {
  LeaveSection();
  source_ = nullptr;
  QImage image(width, height, QImage::Format_BGR888);
  image.fill(Qt::white);
  if (!image_.isNull()) {
    QPainter painter(&image);
    painter.drawImage(0, 0, image_);
  }
  image_ = std::move(image);
}

void TBitmap::Assign(const QImage& image) {
  LeaveSection();
  source_ = nullptr;
  image_ = image;
}

void TBitmap::LoadFromResourceName(HINSTANCE instance, const AnsiString& name) {
  if (TPictureSource source = FindPicture(name)) {
    Assign(source(1.0));
    source_ = std::move(source);
    return;
  }
  QImage image;
  TResourceStream stream(instance, name, RT_RCDATA);
  QByteArray bytes(static_cast<qsizetype>(stream.Size()), '\0');
  stream.ReadBuffer(bytes.data(), static_cast<long>(bytes.size()));
  if (!image.loadFromData(bytes)) throw EInvalidGraphic(kInvalidBitmap);
  Assign(image);
}

void TBitmap::SaveToFile(const AnsiString& fileName) const {
  const QImage image = Image().convertToFormat(QImage::Format_BGR888);
  const int width = image.width();
  const int height = image.height();
  const DWORD rowBytes = win32::DibRowBytes(width, 24);
  const std::uint64_t pixelBytes = std::uint64_t{rowBytes} * static_cast<std::uint64_t>(height);
  if (pixelBytes > std::numeric_limits<std::uint32_t>::max() - kFileHeaderSize - kInfoHeaderSize)
    throw EWriteError("Stream write error");
  std::vector<BYTE> file;
  file.reserve(kFileHeaderSize + kInfoHeaderSize + static_cast<std::size_t>(pixelBytes));
  file.push_back('B');
  file.push_back('M');
  PutLittle(file, static_cast<std::uint32_t>(kFileHeaderSize + kInfoHeaderSize + pixelBytes), 4);
  PutLittle(file, 0, 4);  // reserved
  PutLittle(file, kFileHeaderSize + kInfoHeaderSize, 4);
  PutLittle(file, kInfoHeaderSize, 4);
  PutLittle(file, static_cast<std::uint32_t>(width), 4);
  PutLittle(file, static_cast<std::uint32_t>(height), 4);
  PutLittle(file, 1, 2);   // planes
  PutLittle(file, 24, 2);  // bits per pixel
  PutLittle(file, BI_RGB, 4);
  PutLittle(file, static_cast<std::uint32_t>(pixelBytes), 4);
  PutLittle(file, 3780, 4);  // 96 pixels per inch, in pixels per metre
  PutLittle(file, 3780, 4);
  PutLittle(file, 0, 4);
  PutLittle(file, 0, 4);
  const std::size_t used = static_cast<std::size_t>(width) * 3;
  for (int y = height - 1; y >= 0; --y) {
    const BYTE* line = image.constScanLine(y);
    file.insert(file.end(), line, line + used);
    file.insert(file.end(), rowBytes - used, 0);
  }
  SaveBytesToFile(fileName, file.data(), file.size());
}

void TBitmap::LoadFromFile(const AnsiString& fileName) {
  TFileStream stream(fileName, fmOpenRead);
  const std::int64_t length = stream.Size();
  if (length < static_cast<std::int64_t>(kFileHeaderSize + kInfoHeaderSize) ||
      length > static_cast<std::int64_t>(kLargestSection))
    throw EInvalidGraphic(kInvalidBitmap);
  std::vector<BYTE> bytes(static_cast<std::size_t>(length));
  stream.ReadBuffer(bytes.data(), static_cast<long>(bytes.size()));
  if (bytes[0] != 'B' || bytes[1] != 'M') throw EInvalidGraphic(kInvalidBitmap);
  const BYTE* info = bytes.data() + kFileHeaderSize;
  const std::uint32_t offset = GetLittle(bytes.data() + 10, 4);
  const auto width = static_cast<std::int32_t>(GetLittle(info + 4, 4));
  const auto height = static_cast<std::int32_t>(GetLittle(info + 8, 4));
  const auto planes = GetLittle(info + 12, 2);
  const auto bitCount = static_cast<int>(GetLittle(info + 14, 2));
  const auto compression = GetLittle(info + 16, 4);
  if (GetLittle(info, 4) < kInfoHeaderSize || width <= 0 || height == 0 ||
      height == std::numeric_limits<std::int32_t>::min() || planes != 1 || compression != BI_RGB ||
      (bitCount != 24 && bitCount != 32))
    throw EInvalidGraphic(kInvalidBitmap);
  const int rows = height < 0 ? -height : height;
  const std::uint64_t needed =
      std::uint64_t{win32::DibRowBytes(width, static_cast<WORD>(bitCount))} * static_cast<std::uint64_t>(rows);
  if (offset > bytes.size() || needed > bytes.size() - offset) throw EInvalidGraphic(kInvalidBitmap);
  Assign(ImageFromRows(bytes.data() + offset, width, rows, bitCount, height > 0));
}

void TBitmap::StretchDraw(int left, int top, int width, int height, const TBitmap& source) {
  LeaveSection();
  source_ = nullptr;
  if (image_.isNull() || source.Empty() || width <= 0 || height <= 0) return;
  // Pixel by pixel, as the system's stretching does by default, and on this thread alone.
  const QImage from = source.Image().format() == QImage::Format_BGR888
                          ? source.Image()
                          : source.Image().convertToFormat(QImage::Format_BGR888);
  if (image_.format() != QImage::Format_BGR888) image_ = image_.convertToFormat(QImage::Format_BGR888);
  const int right = std::min(image_.width(), left + width);
  const int bottom = std::min(image_.height(), top + height);
  for (int y = std::max(0, top); y < bottom; ++y) {
    const BYTE* in = from.constScanLine(static_cast<int>(static_cast<std::int64_t>(y - top) * from.height() / height));
    BYTE* out = image_.scanLine(y);
    for (int x = std::max(0, left); x < right; ++x) {
      const BYTE* pixel = in + 3 * (static_cast<std::int64_t>(x - left) * from.width() / width);
      std::memcpy(out + 3 * x, pixel, 3);
    }
  }
}

TColor TBitmap::TransparentColor() const {
  if (Empty()) return clNone;
  const QImage& image = Image();
  return FromQColor(image.pixelColor(0, image.height() - 1));
}

QImage TBitmap::DrawnImage(bool transparent) const { return transparent ? CutOutTransparentColor(Image()) : Image(); }

QImage TBitmap::DrawnImage(bool transparent, qreal devicePixelRatio) const {
  if (!source_ || devicePixelRatio == 1.0) return DrawnImage(transparent);
  QImage drawn = source_(devicePixelRatio);
  if (transparent) drawn = CutOutTransparentColor(drawn);
  drawn.setDevicePixelRatio(devicePixelRatio);
  return drawn;
}
