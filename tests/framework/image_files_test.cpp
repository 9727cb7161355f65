// Bitmaps and JPEG images on files: BMP layout and orientation, sections, stretched drawing,
// JPEG settings, and files that are written whole or not at all.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "framework/jpeg.h"
#include "tests/support/temp_places.h"

namespace {

namespace fs = std::filesystem;

// Left half red, right half blue; the top row green, so that a picture upside down shows.
QImage Pattern(int width, int height) {
  QImage image(width, height, QImage::Format_RGB888);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.setPixelColor(x, y, y == 0 ? Qt::green : x < width / 2 ? Qt::red : Qt::blue);
  return image;
}

// Detail that compression cannot make small.
QImage Noise(int width, int height) {
  QImage image(width, height, QImage::Format_RGB888);
  unsigned seed = 1;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      seed = seed * 1103515245u + 12345u;
      image.setPixel(x, y, seed >> 8);
    }
  return image;
}

std::vector<char> Bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ImageFiles : public testing::Test {
 protected:
  std::string File(const std::string& name) const { return (folder.path() / name).string(); }
  test_support::TempFolder folder;
};

TEST_F(ImageFiles, BmpFilesAreBottomUpRowsPaddedToDwordsAndReadBackTheSame) {
  TBitmap bitmap;
  bitmap.Assign(Pattern(5, 3));  // 15 bytes a row, padded to 16
  bitmap.SaveToFile(File("p.bmp"));
  const std::vector<char> bytes = Bytes(File("p.bmp"));
  ASSERT_EQ(14u + 40u + 16u * 3u, bytes.size());
  EXPECT_EQ('B', bytes[0]);
  EXPECT_EQ(24, bytes[28]);  // bits per pixel
  // The last row in the file is the top one: green, as blue, green, red bytes.
  const std::size_t top = 14 + 40 + 16 * 2;
  EXPECT_EQ(0, static_cast<unsigned char>(bytes[top]));
  EXPECT_EQ(255, static_cast<unsigned char>(bytes[top + 1]));
  EXPECT_EQ(0, static_cast<unsigned char>(bytes[top + 2]));

  TBitmap read;
  read.LoadFromFile(File("p.bmp"));
  EXPECT_EQ(Pattern(5, 3).convertToFormat(QImage::Format_RGB32), read.Image().convertToFormat(QImage::Format_RGB32));

  std::ofstream(File("junk.bmp")) << "BM but nothing else of a bitmap, not even its header";
  EXPECT_THROW(read.LoadFromFile(File("junk.bmp")), EInvalidGraphic);
  EXPECT_THROW(read.LoadFromFile(File("none.bmp")), EFOpenError);
}

TEST_F(ImageFiles, ASectionShowsItsRowsAsTheHeaderLaysThemOut) {
  BITMAPINFOHEADER header{sizeof(BITMAPINFOHEADER), 2, 2, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  TBitmap bitmap;
  ASSERT_TRUE(bitmap.NewSection(header));
  ASSERT_EQ(16u, bitmap.SectionSize());                        // two rows of 6 bytes, padded to 8
  const BYTE bottomUp[16] = {0,   0, 255, 0,   0, 255, 0, 0,   // first row in memory: red, the bottom one
                             255, 0, 0,   255, 0, 0,   0, 0};  // blue on top
  std::memcpy(bitmap.SectionBits(), bottomUp, sizeof bottomUp);
  EXPECT_EQ(QColor(Qt::blue), bitmap.Image().pixelColor(0, 0));
  EXPECT_EQ(QColor(Qt::red), bitmap.Image().pixelColor(1, 1));

  header.biHeight = -2;  // top-down
  ASSERT_TRUE(bitmap.NewSection(header));
  std::memcpy(bitmap.SectionBits(), bottomUp, sizeof bottomUp);
  EXPECT_EQ(QColor(Qt::red), bitmap.Image().pixelColor(0, 0));

  for (auto broken : {BITMAPINFOHEADER{40, 0, 2, 1, 24, BI_RGB, 0, 0, 0, 0, 0},
                      BITMAPINFOHEADER{40, 2, 2, 1, 8, BI_RGB, 0, 0, 0, 0, 0},
                      BITMAPINFOHEADER{40, 2, 2, 1, 24, BI_BITFIELDS, 0, 0, 0, 0, 0},
                      BITMAPINFOHEADER{40, 1 << 20, 1 << 20, 1, 24, BI_RGB, 0, 0, 0, 0, 0}})
    EXPECT_FALSE(bitmap.NewSection(broken)) << broken.biWidth << "x" << broken.biHeight << " " << broken.biBitCount;
  EXPECT_EQ(2, bitmap.Width()) << "a refused section changed the bitmap";
}

TEST_F(ImageFiles, StretchedDrawingScalesTheWholePicture) {
  TBitmap source;
  source.Assign(Pattern(40, 20));
  TBitmap half;
  half.SetSize(20, 10);
  half.StretchDraw(0, 0, 20, 10, source);
  EXPECT_EQ(QColor(Qt::red).rgb(), half.Image().pixel(2, 5));
  EXPECT_EQ(QColor(Qt::blue).rgb(), half.Image().pixel(17, 5));
}

TEST_F(ImageFiles, JpegQualitySpeedAndProgressiveEncoding) {
  TBitmap bitmap;
  bitmap.Assign(Pattern(64, 48));
  TJPEGImage jpeg;
  TBitmap noise;
  noise.Assign(Noise(64, 48));
  jpeg.Assign(noise);
  jpeg.CompressionQuality = 100;
  const std::vector<BYTE> best = jpeg.Compress();
  jpeg.CompressionQuality = 5;
  jpeg.Performance = TJPEGPerformance::jpBestSpeed;
  const std::vector<BYTE> small = jpeg.Compress();
  EXPECT_LT(small.size() * 4, best.size());
  jpeg.Assign(bitmap);
  const auto hasMarker = [](const std::vector<BYTE>& bytes, BYTE marker) {
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
      if (bytes[i] == 0xFF && bytes[i + 1] == marker) return true;
    return false;
  };
  EXPECT_FALSE(hasMarker(best, 0xC2));
  jpeg.ProgressiveEncoding = true;
  jpeg.CompressionQuality = 100;
  jpeg.Performance = TJPEGPerformance::jpBestQuality;
  jpeg.SaveToFile(File("p.jpg"));
  const std::vector<char> file = Bytes(File("p.jpg"));
  EXPECT_TRUE(hasMarker(std::vector<BYTE>(file.begin(), file.end()), 0xC2)) << "no progressive frame";

  TJPEGImage read;
  read.LoadFromFile(File("p.jpg"));
  ASSERT_EQ(64, read.Width());
  ASSERT_EQ(48, read.Height());
  const QColor red = read.Bitmap().Image().pixelColor(8, 30);
  EXPECT_NEAR(255, red.red(), 6);
  EXPECT_NEAR(0, red.blue(), 6);
  EXPECT_NEAR(255, read.Bitmap().Image().pixelColor(56, 30).blue(), 6);

  std::ofstream(File("junk.jpg")) << "no JPEG at all";
  EXPECT_THROW(read.LoadFromFile(File("junk.jpg")), EJPEG);
  EXPECT_THROW(TJPEGImage().Compress(), EJPEG);
}

// A writer that fails half way (here: the file size limit of the process) leaves neither a part
// of the new file nor a damaged old one under the name.
TEST_F(ImageFiles, AFileThatFailsHalfWayIsNotLeftUnderItsName) {
  std::ofstream(File("old.bmp")) << "the earlier file";
  TBitmap bitmap;
  bitmap.Assign(Pattern(320, 240));
  TJPEGImage jpeg;
  TBitmap noise;
  noise.Assign(Noise(320, 240));
  jpeg.Assign(noise);
  jpeg.CompressionQuality = 100;

  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit = saved;
  limit.rlim_cur = 4096;
  setrlimit(RLIMIT_FSIZE, &limit);
  EXPECT_THROW(bitmap.SaveToFile(File("old.bmp")), EWriteError);
  EXPECT_THROW(bitmap.SaveToFile(File("new.bmp")), EWriteError);
  EXPECT_THROW(jpeg.SaveToFile(File("new.jpg")), EWriteError);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);

  EXPECT_EQ("the earlier file", test_support::ReadFile(File("old.bmp")));
  EXPECT_EQ(1, std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()))
      << "a part was left behind";
  EXPECT_THROW(bitmap.SaveToFile(File("no/such/folder.bmp")), EFCreateError);

  bitmap.SaveToFile(File("old.bmp"));  // and replaces the old file once it can be written
  TBitmap read;
  read.LoadFromFile(File("old.bmp"));
  EXPECT_EQ(320, read.Width());
}

}  // namespace
