#include "engine/morvexa.h"

#include <gtest/gtest.h>
#include <leptonica/allheaders.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

class SaveMat : public testing::Test {
protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("morvexa-save-" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    for (int i = 0; i < kWidth * kHeight; ++i)
      grey_.push_back(static_cast<unsigned char>(i * 37 % 256));
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string path(const std::string &name) const { return (dir_ / name).string(); }

  static constexpr int kWidth = 7, kHeight = 5; // odd width: rows are not word-aligned
  fs::path dir_;
  std::vector<unsigned char> grey_;
};

void ExpectPixels(PIX *pix, const unsigned char *grey, int width, int height) {
  EXPECT_EQ(pixGetDepth(pix), 8);
  ASSERT_EQ(pixGetWidth(pix), width);
  ASSERT_EQ(pixGetHeight(pix), height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      l_uint32 value = 0;
      pixGetPixel(pix, x, y, &value);
      ASSERT_EQ(value, grey[y * width + x]) << x << "," << y;
    }
}

int TiffPageCount(const std::string &file) {
  FILE *stream = fopen(file.c_str(), "rb");
  l_int32 count = -1;
  if (stream) {
    tiffGetCount(stream, &count);
    fclose(stream);
  }
  return count;
}

// Leptonica is what the Tesseract tools read images with.
TEST_F(SaveMat, WritesEightBitGreyThatLeptonicaReadsBack) {
  for (const char *name :
       {"tmp.font.exp0.tif", "page.tiff", "PAGE.TIF", "page.png", "page.bmp", "page.pgm"}) {
    SCOPED_TRACE(name);
    const std::string file = path(name);
    ASSERT_TRUE(saveMat(file.c_str(), grey_.data(), kWidth, kHeight));
    PIX *pix = pixRead(file.c_str());
    ASSERT_NE(pix, nullptr);
    ExpectPixels(pix, grey_.data(), kWidth, kHeight);
    pixDestroy(&pix);
  }
  l_int32 format = 0;
  findFileFormat(path("tmp.font.exp0.tif").c_str(), &format);
  EXPECT_TRUE(format >= IFF_TIFF && format <= IFF_TIFF_JPEG) << format;
}

TEST_F(SaveMat, FailuresReturnFalse) {
  const std::string good = path("x.tif");
  struct Case {
    const char *what;
    std::string path;
    const unsigned char *grey;
    int width, height;
    bool nullPath;
  };
  const Case cases[] = {
      {"NULL path", "", grey_.data(), kWidth, kHeight, true},
      {"empty path", "", grey_.data(), kWidth, kHeight, false},
      {"NULL pixels", good, nullptr, kWidth, kHeight, false},
      {"width 0", good, grey_.data(), 0, kHeight, false},
      {"height -3", good, grey_.data(), kWidth, -3, false},
      {"missing folder", path("no/such/dir/x.tif"), grey_.data(), kWidth, kHeight, false},
      {"no extension", path("image"), grey_.data(), kWidth, kHeight, false},
      {"unknown extension", path("image.xyz"), grey_.data(), kWidth, kHeight, false},
      {"a dot only in the folder", path("v1.5/image"), grey_.data(), kWidth, kHeight, false},
  };
  for (const Case &c : cases) {
    EXPECT_FALSE(saveMat(c.nullPath ? nullptr : c.path.c_str(), c.grey, c.width, c.height))
        << c.what;
  }
  EXPECT_TRUE(fs::is_empty(dir_)) << "a failed save leaves no file";
}

// Pages of different sizes, odd widths among them, come back in order with
// every pixel; a file saved again holds only the new pages.
TEST_F(SaveMat, PagesComeBackPageForPage) {
  const int widths[] = {7, 1, 33, 1280};
  const int heights[] = {5, 1, 2, 17};
  std::vector<std::vector<unsigned char>> pixels;
  std::vector<const unsigned char *> pages;
  for (int i = 0; i < 4; ++i) {
    std::vector<unsigned char> page(std::size_t(widths[i]) * heights[i]);
    for (std::size_t p = 0; p < page.size(); ++p)
      page[p] = static_cast<unsigned char>((p * 29 + i * 101) % 256);
    pixels.push_back(std::move(page));
  }
  for (const auto &page : pixels)
    pages.push_back(page.data());
  const std::string file = path("pages.tif");
  ASSERT_TRUE(saveMatPages(file.c_str(), pages.data(), widths, heights, 4));
  ASSERT_EQ(TiffPageCount(file), 4);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    PIX *pix = pixReadTiff(file.c_str(), i);
    ASSERT_NE(pix, nullptr);
    ExpectPixels(pix, pixels[i].data(), widths[i], heights[i]);
    pixDestroy(&pix);
  }

  ASSERT_TRUE(saveMatPages(file.c_str(), pages.data() + 2, widths + 2, heights + 2, 1));
  EXPECT_EQ(TiffPageCount(file), 1);
  PIX *pix = pixRead(file.c_str());
  ASSERT_NE(pix, nullptr);
  ExpectPixels(pix, pixels[2].data(), widths[2], heights[2]);
  pixDestroy(&pix);

  // One page is any format saveMat writes.
  ASSERT_TRUE(saveMatPages(path("one.png").c_str(), pages.data(), widths, heights, 1));
}

TEST_F(SaveMat, PageFailuresReturnFalseAndLeaveNoFile) {
  const unsigned char *good[] = {grey_.data(), grey_.data()};
  const unsigned char *withNull[] = {grey_.data(), nullptr};
  const int widths[] = {kWidth, kWidth}, heights[] = {kHeight, kHeight};
  const int badWidths[] = {kWidth, 0}, badHeights[] = {kHeight, -1};
  const std::string tif = path("p.tif");
  struct Case {
    const char *what;
    std::string path;
    const unsigned char *const *pages;
    const int *widths, *heights;
    int count;
  };
  const Case cases[] = {
      {"no pages", tif, good, widths, heights, 0},
      {"negative count", tif, good, widths, heights, -2},
      {"NULL page array", tif, nullptr, widths, heights, 2},
      {"NULL widths", tif, good, nullptr, heights, 2},
      {"NULL heights", tif, good, widths, nullptr, 2},
      {"NULL second page", tif, withNull, widths, heights, 2},
      {"second page width 0", tif, good, badWidths, heights, 2},
      {"second page height -1", tif, good, widths, badHeights, 2},
      {"several pages in a PNG", path("p.png"), good, widths, heights, 2},
      {"missing folder", path("no/dir/p.tif"), good, widths, heights, 2},
  };
  for (const Case &c : cases)
    EXPECT_FALSE(saveMatPages(c.path.c_str(), c.pages, c.widths, c.heights, c.count)) << c.what;
  EXPECT_FALSE(saveMatPages(nullptr, good, widths, heights, 2));
  EXPECT_TRUE(fs::is_empty(dir_)) << "a failed save leaves no file";
}

} // namespace
