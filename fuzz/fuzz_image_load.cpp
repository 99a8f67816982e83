// Decodes arbitrary bytes as an image file the way the window opens one
// (QImage picks the format from the content), then does to it what the
// workspace does: place it into the top-left corner of a black workspace of
// some size, hand the engine its copy, binarize with one of the methods, and
// split the result both ways. The steps mirror CBinarCtrl::SetImage,
// Binarize, SplitGrid and SplitDirect on the same pure functions and engine
// calls, without a window.
#include <QImage>
#include <QtGlobal>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fuzzer/FuzzedDataProvider.h>
#include <vector>

#include "engine/morvexa.h"
#include "workspace/image_buffer.h"
#include "workspace/seg_box.h"

namespace {

void Check(bool condition) {
  if (!condition)
    std::abort();
}

void IgnoreMessage(QtMsgType, const QMessageLogContext &, const QString &) {}

// The engine's threshold types as the method list and the engine take them,
// and a few it must refuse.
constexpr int kTypes[] = {0, 1, 2, 3, 4, 7, 8, 16, 9, 17, 5, 6, 32, -1};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  // libpng and the image readers warn about broken files through Qt.
  qInstallMessageHandler(IgnoreMessage);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  // The choices come from the end of the input, the file from its start. The
  // seeds in corpus/fuzz_image_load/ are image files with the 11 bytes of
  // these choices appended (workspace 120 x 40 and wider, threshold 128,
  // maximum 255).
  const int workspaceWidth = input.ConsumeIntegralInRange(1, 640);
  const int workspaceHeight = input.ConsumeIntegralInRange(1, 320);
  const int type = input.PickValueInArray(kTypes);
  const int threshold = input.ConsumeIntegralInRange(-1, 256);
  const int maximum = input.ConsumeIntegralInRange(-1, 256);
  const int rowGap = input.ConsumeIntegralInRange(1, 5);
  const int columnGap = input.ConsumeIntegralInRange(1, 5);
  const std::vector<std::uint8_t> file = input.ConsumeRemainingBytes<std::uint8_t>();

  QImage source;
  if (!source.loadFromData(file.data(), int(file.size())))
    return 0;

  // SetImage: pixel for pixel into the top-left corner, cut at the edges.
  QImage shown(workspaceWidth, workspaceHeight, QImage::Format_RGB32);
  shown.fill(Qt::black);
  const QImage pixels = source.convertToFormat(QImage::Format_RGB32);
  const int width = std::min(pixels.width(), shown.width());
  const int height = std::min(pixels.height(), shown.height());
  for (int y = 0; y < height; ++y)
    std::memcpy(shown.scanLine(y), pixels.constScanLine(y), std::size_t(width) * 4);

  // The engine copy and the display buffer.
  ImageBuffer read;
  read.width = shown.width();
  read.height = shown.height();
  read.bytesPerRow = int(shown.bytesPerLine());
  read.bitsPerPixel = shown.depth();
  read.pixels.assign(shown.constBits(), shown.constBits() + shown.sizeInBytes());
  ImageBuffer engineCopy = SwapRedBlue(read);
  ImageBuffer display = read;
  std::fill(display.pixels.begin(), display.pixels.end(), 0);
  const MatHandle mat = newMat(engineCopy.pixels.data(), engineCopy.width, engineCopy.height,
                               engineCopy.bytesPerRow, engineCopy.bitsPerPixel / 8);
  Check(mat != 0);

  // Binarize.
  unsigned char *mask = thresoldImage(type, mat, threshold, maximum, display.width, display.height);
  if (mask != nullptr) {
    Check(FillDisplayFromMask(display, mask, std::size_t(display.width) * display.height,
                              source.width(), source.height()));
    ocFree(&mask);
  }
  for (int y = 0; y < display.height; ++y)
    for (int x = 0; x < display.width; ++x) {
      const std::uint8_t *pixel = display.pixels.data() + std::size_t(y) * display.bytesPerRow + 4 * x;
      Check(pixel[0] == pixel[1] && pixel[1] == pixel[2] && (pixel[0] == 0 || pixel[0] == 255));
      // Outside the image the workspace stays black, whatever the method.
      Check(pixel[0] == 0 || (x < source.width() && y < source.height()));
    }

  // SplitGrid.
  const std::optional<std::vector<SegBox>> grid = SplitGridBoxes(display, rowGap, columnGap);
  Check(grid.has_value());
  for (const SegBox &box : *grid)
    Check(box.x >= -1 && box.y >= -1 && box.x + box.width <= display.width + 1 &&
          box.y + box.height <= display.height + 1 && !box.data.empty());

  // SplitDirect.
  PixelRect whole{};
  const std::optional<std::vector<std::uint8_t>> white = ExtractDisplayMask(display, whole);
  Check(white.has_value() && whole.right == display.width && whole.bottom == display.height);
  int count = 0;
  int *found = findRect(white->data(), whole.right, whole.bottom, &count, 0.0f);
  Check(found != nullptr && count >= 0);
  std::vector<PixelRect> glyphs;
  for (int i = 0; i < count; ++i)
    glyphs.push_back({found[4 * i], found[4 * i + 1], found[4 * i + 2], found[4 * i + 3]});
  ocFree(&found);
  for (const SegBox &box : MakeSegBoxes(glyphs, white->data(), whole.right, whole.bottom))
    Check(!box.data.empty());

  engineCopy = {};
  delMat(mat);
  return 0;
}
