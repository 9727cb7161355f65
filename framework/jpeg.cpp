// TJPEGImage over libjpeg. libjpeg reports errors by a jump out of its calls: the functions that
// call it hold no object with a destructor, and everything they fill lives in their caller.
#include "framework/jpeg.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

#include "framework/classes.h"

namespace {

struct ErrorManager {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void JumpOut(j_common_ptr info) {
  auto* errors = reinterpret_cast<ErrorManager*>(info->err);
  (*info->err->format_message)(info, errors->message);
  std::longjmp(errors->jump, 1);
}

void Quiet(j_common_ptr) {}  // warnings of a damaged file are not printed

void InstallErrors(ErrorManager& errors, jpeg_error_mgr*& slot) {
  slot = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = JumpOut;
  errors.manager.output_message = Quiet;
  errors.message[0] = '\0';
}

// Not inline in the function that libjpeg jumps out of: the image is the caller's.
bool MakeImage(QImage& image, int width, int height) {
  image = QImage(width, height, QImage::Format_RGB888);
  return !image.isNull();
}

struct Settings {
  int quality;
  bool fast;
  bool progressive;
};

// Compresses rows of 8-bit B, G, R (as bitmaps hold them) into memory that libjpeg allocates (*out, freed by the
// caller).
bool CompressRgb(const BYTE* pixels, int width, int height, std::size_t stride, Settings settings, unsigned char** out,
                 unsigned long* outSize, char* message) {
  jpeg_compress_struct info;
  ErrorManager errors;
  InstallErrors(errors, info.err);
  if (setjmp(errors.jump)) {
    jpeg_destroy_compress(&info);
    std::memcpy(message, errors.message, sizeof errors.message);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, out, outSize);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 3;
  info.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, settings.quality, TRUE);
  info.dct_method = settings.fast ? JDCT_IFAST : JDCT_ISLOW;
  info.optimize_coding = settings.fast ? FALSE : TRUE;
  if (settings.progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(pixels + info.next_scanline * stride);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

// Reads the size first and has the image made for it, then the rows into it as R, G, B.
bool DecompressRgb(const BYTE* data, std::size_t size, bool fast, QImage& image, char* message) {
  jpeg_decompress_struct info;
  ErrorManager errors;
  InstallErrors(errors, info.err);
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&info);
    std::memcpy(message, errors.message, sizeof errors.message);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  info.dct_method = fast ? JDCT_IFAST : JDCT_ISLOW;
  info.do_fancy_upsampling = fast ? FALSE : TRUE;
  jpeg_start_decompress(&info);
  if (!MakeImage(image, static_cast<int>(info.output_width), static_cast<int>(info.output_height))) {
    jpeg_destroy_decompress(&info);
    std::strcpy(message, "Out of memory");
    return false;
  }
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = image.scanLine(static_cast<int>(info.output_scanline));
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace

std::vector<BYTE> TJPEGImage::Compress() const {
  if (bitmap_.Empty()) throw EJPEG("JPEG error: no picture to compress");
  const QImage& picture = bitmap_.Image();
  const QImage rgb =
      picture.format() == QImage::Format_BGR888 ? picture : picture.convertToFormat(QImage::Format_BGR888);
  const Settings settings{std::clamp(CompressionQuality, 1, 100), Performance == TJPEGPerformance::jpBestSpeed,
                          ProgressiveEncoding};
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  char message[JMSG_LENGTH_MAX] = {};
  const bool done = CompressRgb(rgb.constBits(), rgb.width(), rgb.height(),
                                static_cast<std::size_t>(rgb.bytesPerLine()), settings, &out, &outSize, message);
  std::vector<BYTE> bytes;
  if (done && out) bytes.assign(out, out + outSize);
  std::free(out);
  if (!done) throw EJPEG(AnsiString("JPEG error: ") + message);
  return bytes;
}

void TJPEGImage::SaveToFile(const AnsiString& fileName) const {
  const std::vector<BYTE> bytes = Compress();
  SaveBytesToFile(fileName, bytes.data(), bytes.size());
}

void TJPEGImage::LoadFromFile(const AnsiString& fileName) {
  TFileStream stream(fileName, fmOpenRead);
  std::vector<BYTE> bytes(static_cast<std::size_t>(stream.Size()));
  stream.ReadBuffer(bytes.data(), static_cast<long>(bytes.size()));
  QImage image;
  char message[JMSG_LENGTH_MAX] = {};
  if (!DecompressRgb(bytes.data(), bytes.size(), Performance == TJPEGPerformance::jpBestSpeed, image, message))
    throw EJPEG(AnsiString("JPEG error: ") + message);
  bitmap_.Assign(image);
}
