#include "ocrtest/page_reading_main.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "engine/morvexa.h"
#include "ocrtest/dictionary_check.h"
#include "training/page_exchange.h"

namespace {

constexpr int kSingleLine = 7;  // PageSegMode PSM_SINGLE_LINE
constexpr int kSymbolLevel = 4; // RIL_SYMBOL

} // namespace

int ReadPagesMain(int argc, char **argv) {
  if (argc != 7)
    return kDictionaryCheckUsage;
  char *end = nullptr;
  errno = 0;
  const long engineMode = std::strtol(argv[4], &end, 10);
  if (errno != 0 || end == argv[4] || *end != '\0' || engineMode < 0 || engineMode > 3)
    return kDictionaryCheckUsage;
  const OcrHandle ocr = createOcr(argv[2], argv[3], kSingleLine, int(engineMode));
  if (!ocr)
    return kDictionaryRefused;
  std::vector<ExchangedPage> pages;
  if (!ReadPagesFile(argv[5], pages)) {
    releaseOcr(ocr);
    return kReadPagesFileError;
  }
  std::vector<std::string> readings;
  for (const ExchangedPage &page : pages) {
    char *json =
        getTextWithPosTest(ocr, page.pixels.data(), kSymbolLevel, 0, 0, page.width, page.height);
    readings.emplace_back(json ? json : "");
    ocFree(&json);
  }
  releaseOcr(ocr);
  return WriteReadingsFile(argv[6], readings) ? kDictionaryLoaded : kReadPagesFileError;
}
