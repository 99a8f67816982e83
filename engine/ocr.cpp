// Recognizers: one Tesseract instance per OcrHandle.
#include "engine/blocks.h"
#include "engine/c_locale.h"
#include "engine/handle_table.h"
#include "engine/morvexa.h"
#include "engine/ocr_json.h"

#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace morvexa {
namespace {

struct Recognizer {
  tesseract::TessBaseAPI api;
  ~Recognizer() { api.End(); }
};

HandleTable<Recognizer> &recognizers() {
  static HandleTable<Recognizer> table;
  return table;
}

// Init reads parameters from the language data, and some of Tesseract's
// parameters are process-wide; one Init at a time keeps them consistent.
std::mutex &initMutex() {
  static std::mutex mutex;
  return mutex;
}

struct TesseractText {
  char *text;
  ~TesseractText() { delete[] text; }
};

// Tesseract reads a grey image; the mask may hold any nonzero value for
// white, so it is normalised to 0 and 255.
bool recognise(tesseract::TessBaseAPI &api, const unsigned char *mask, int width, int height) {
  const auto bytes = maskBytes(width, height);
  if (!bytes)
    return false;
  std::vector<unsigned char> grey(*bytes);
  for (std::size_t i = 0; i < *bytes; ++i)
    grey[i] = mask[i] != 0 ? 255 : 0;
  api.SetImage(grey.data(), width, height, 1, width);
  return api.Recognize(nullptr) == 0;
}

std::string trimEnd(const char *text) {
  std::string s(text);
  while (!s.empty() &&
         (s.back() == '\n' || s.back() == '\r' || s.back() == ' ' || s.back() == '\t'))
    s.pop_back();
  return s;
}

std::vector<TextElement> elements(tesseract::TessBaseAPI &api, tesseract::PageIteratorLevel level,
                                  int x, int y) {
  std::vector<TextElement> result;
  std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
  if (!it || it->Empty(level))
    return result;
  do {
    TesseractText text{it->GetUTF8Text(level)};
    int left = 0, top = 0, right = 0, bottom = 0;
    if (text.text == nullptr || !it->BoundingBox(level, &left, &top, &right, &bottom))
      continue;
    TextElement e;
    e.text = trimEnd(text.text);
    // Tesseract's right and bottom are exclusive.
    e.left = std::int64_t(left) + x;
    e.top = std::int64_t(top) + y;
    e.right = std::int64_t(right) - 1 + x;
    e.bottom = std::int64_t(bottom) - 1 + y;
    e.confidence = it->Confidence(level);
    result.push_back(std::move(e));
  } while (it->Next(level));
  return result;
}

// Tesseract compares the whitelist with its character set as UTF-8; text
// that is not UTF-8 would match nothing in ways no one could predict.
bool isUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    char32_t code = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      code = lead & 0x07;
    } else {
      return false;
    }
    if (text.size() - i < length)
      return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80)
        return false;
      code = (code << 6) | (next & 0x3F);
    }
    const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
      return false;
    i += length;
  }
  return true;
}

} // namespace
} // namespace morvexa

using namespace morvexa;

extern "C" OcrHandle createOcr(const char *tessdataDir, const char *language, int pageSegMode,
                               int engineMode) {
  if (language == nullptr || *language == '\0')
    return 0;
  if (pageSegMode < 0 || pageSegMode >= tesseract::PSM_COUNT)
    return 0;
  if (engineMode < 0 || engineMode >= tesseract::OEM_COUNT)
    return 0;
  try {
    ScopedCLocale cLocale;
    auto recognizer = std::make_unique<Recognizer>();
    {
      std::lock_guard lock(initMutex());
      // A model may carry these settings in its config component, and
      // Tesseract keeps them process-wide: each model starts from the
      // engine's own values and gets only what its own file sets.
      recognizer->api.SetVariable("edges_childarea", "0.5");
      recognizer->api.SetVariable("edges_children_count_limit", "45");
      if (recognizer->api.Init(tessdataDir, language,
                               static_cast<tesseract::OcrEngineMode>(engineMode)) != 0)
        return 0;
    }
    recognizer->api.SetPageSegMode(static_cast<tesseract::PageSegMode>(pageSegMode));
    return recognizers().add(std::move(recognizer));
  } catch (...) {
    return 0;
  }
}

namespace {

// Recognises the mask with the handle's recognizer and returns what
// `produce` makes of the result as a malloc'd copy; NULL on any failure.
template <typename Produce>
char *recogniseToCopy(OcrHandle ocr, const unsigned char *mask, int width, int height,
                      Produce produce) {
  Recognizer *recognizer = recognizers().find(ocr);
  if (recognizer == nullptr || mask == nullptr || !maskBytes(width, height))
    return nullptr;
  try {
    ScopedCLocale cLocale;
    char *copy = nullptr;
    if (recognise(recognizer->api, mask, width, height))
      copy = produce(recognizer->api);
    recognizer->api.Clear();
    return copy;
  } catch (...) {
    return nullptr;
  }
}

} // namespace

extern "C" char *getTextExTest(OcrHandle ocr, const unsigned char *mask, int x, int y, int width,
                               int height) {
  (void)x; // a position in the caller's image; plain text carries none
  (void)y;
  return recogniseToCopy(ocr, mask, width, height, [](tesseract::TessBaseAPI &api) -> char * {
    TesseractText text{api.GetUTF8Text()};
    return text.text != nullptr ? copyText(text.text) : nullptr;
  });
}

extern "C" char *getTextWithPosTest(OcrHandle ocr, const unsigned char *mask, int level, int x,
                                    int y, int width, int height) {
  if (level < tesseract::RIL_BLOCK || level > tesseract::RIL_SYMBOL)
    return nullptr;
  return recogniseToCopy(ocr, mask, width, height, [&](tesseract::TessBaseAPI &api) {
    return copyText(
        elementsToJson(elements(api, static_cast<tesseract::PageIteratorLevel>(level), x, y)));
  });
}

extern "C" bool setOcrWhitelist(OcrHandle ocr, const char *characters) {
  Recognizer *recognizer = recognizers().find(ocr);
  if (recognizer == nullptr)
    return false;
  std::string_view list = characters != nullptr ? characters : "";
  if (!isUtf8(list))
    return false;
  try {
    // The LSTM engine reads the space between words as a character too;
    // left out of the list it would run the words together.
    std::string whitelist(list);
    if (!whitelist.empty() && whitelist.find(' ') == std::string::npos)
      whitelist += ' ';
    // A parameter of this instance only; Recognize applies it to the
    // character set each time it runs.
    return recognizer->api.SetVariable("tessedit_char_whitelist", whitelist.c_str());
  } catch (...) {
    return false;
  }
}

extern "C" void releaseOcr(OcrHandle ocr) {
  try {
    recognizers().remove(ocr);
  } catch (...) {
  }
}
