// The training image: 8-bit grey pixels into a file whose extension names its
// format, written by Leptonica, the library the Tesseract tools read it with.
// A TIFF may hold several pages.
#include "engine/blocks.h"
#include "engine/morvexa.h"

#include <leptonica/allheaders.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

enum class Format { kNone, kTiff, kPng, kBmp, kPnm, kJpeg };

Format FormatOfPath(const char *path) {
  const char *dot = std::strrchr(path, '.');
  if (dot == nullptr || std::strchr(dot, '/') != nullptr)
    return Format::kNone;
  std::string extension(dot + 1);
  for (char &c : extension)
    c = char(std::tolower(static_cast<unsigned char>(c)));
  if (extension == "tif" || extension == "tiff")
    return Format::kTiff;
  if (extension == "png")
    return Format::kPng;
  if (extension == "bmp")
    return Format::kBmp;
  if (extension == "pgm" || extension == "pnm")
    return Format::kPnm;
  if (extension == "jpg" || extension == "jpeg")
    return Format::kJpeg;
  return Format::kNone;
}

struct PixDeleter {
  void operator()(PIX *pix) const { pixDestroy(&pix); }
};
using PixPtr = std::unique_ptr<PIX, PixDeleter>;

// An 8-bit Leptonica image of the grey bytes. Leptonica keeps pixels in
// 32-bit words with the leftmost pixel in the most significant byte: rows are
// copied as they are and the words put in that order in one pass.
PixPtr GreyPix(const unsigned char *grey, int width, int height) {
  PixPtr pix(pixCreate(width, height, 8));
  if (!pix)
    return nullptr;
  l_uint32 *data = pixGetData(pix.get());
  const std::size_t wordsPerRow = std::size_t(pixGetWpl(pix.get()));
  for (int y = 0; y < height; ++y)
    std::memcpy(data + std::size_t(y) * wordsPerRow, grey + std::size_t(y) * std::size_t(width),
                std::size_t(width));
  if (pixEndianByteSwap(pix.get()) != 0)
    return nullptr;
  return pix;
}

bool WritePage(std::FILE *file, PIX *pix, Format format, bool firstPage) {
  switch (format) {
  case Format::kTiff:
    // Uncompressed: the file lives only while the tools read it, and writing
    // it is then a copy.
    return pixWriteStreamTiffWA(file, pix, IFF_TIFF, firstPage ? "w" : "a") == 0;
  case Format::kPng:
    return pixWriteStreamPng(file, pix, 0.0f) == 0;
  case Format::kBmp:
    return pixWriteStreamBmp(file, pix) == 0;
  case Format::kPnm:
    return pixWriteStreamPnm(file, pix) == 0;
  case Format::kJpeg:
    return pixWriteStreamJpeg(file, pix, 95, 0) == 0;
  case Format::kNone:
    break;
  }
  return false;
}

bool SavePages(const char *path, const unsigned char *const *pages, const int *widths,
               const int *heights, int count) {
  if (path == nullptr || *path == '\0' || pages == nullptr || widths == nullptr ||
      heights == nullptr || count < 1)
    return false;
  const Format format = FormatOfPath(path);
  if (format == Format::kNone || (count > 1 && format != Format::kTiff))
    return false;
  for (int i = 0; i < count; ++i)
    if (pages[i] == nullptr || !morvexa::maskBytes(widths[i], heights[i]))
      return false;

  // Read access too: appending a TIFF page reads the pages before it.
  std::FILE *file = std::fopen(path, "w+b");
  if (file == nullptr)
    return false;
  bool ok = true;
  for (int i = 0; ok && i < count; ++i) {
    const PixPtr pix = GreyPix(pages[i], widths[i], heights[i]);
    ok = pix && WritePage(file, pix.get(), format, i == 0);
  }
  // A full disk shows only here, in the stream's error state or its close.
  ok = std::fflush(file) == 0 && !std::ferror(file) && ok;
  ok = std::fclose(file) == 0 && ok;
  if (!ok)
    std::remove(path);
  return ok;
}

} // namespace

extern "C" bool saveMat(const char *path, const unsigned char *grey, int width, int height) {
  return SavePages(path, &grey, &width, &height, 1);
}

extern "C" bool saveMatPages(const char *path, const unsigned char *const *pages, const int *widths,
                             const int *heights, int count) {
  return SavePages(path, pages, widths, heights, count);
}
