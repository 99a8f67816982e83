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

// Leptonica is what the Tesseract tools read images with.
TEST_F(SaveMat, WritesEightBitGreyThatLeptonicaReadsBack) {
  for (const char *name : {"tmp.font.exp0.tif", "page.tiff", "page.png"}) {
    SCOPED_TRACE(name);
    const std::string file = path(name);
    ASSERT_TRUE(saveMat(file.c_str(), grey_.data(), kWidth, kHeight));
    PIX *pix = pixRead(file.c_str());
    ASSERT_NE(pix, nullptr);
    EXPECT_EQ(pixGetDepth(pix), 8);
    EXPECT_EQ(pixGetWidth(pix), kWidth);
    EXPECT_EQ(pixGetHeight(pix), kHeight);
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        l_uint32 value = 0;
        pixGetPixel(pix, x, y, &value);
        ASSERT_EQ(value, grey_[y * kWidth + x]) << x << "," << y;
      }
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
  };
  for (const Case &c : cases) {
    EXPECT_FALSE(saveMat(c.nullPath ? nullptr : c.path.c_str(), c.grey, c.width, c.height))
        << c.what;
  }
  EXPECT_TRUE(fs::is_empty(dir_)) << "a failed save leaves no file";
}

} // namespace
