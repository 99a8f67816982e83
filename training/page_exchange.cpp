#include "training/page_exchange.h"

#include <climits>
#include <cstdio>
#include <memory>

namespace {

constexpr char kMagic[] = "glyphwright-pages 1\n";

using File = std::unique_ptr<std::FILE, int (*)(std::FILE *)>;

File Open(const std::string &path, const char *mode) {
  return File(std::fopen(path.c_str(), mode), &std::fclose);
}

bool Close(File &file) {
  return std::fclose(file.release()) == 0;
}

} // namespace

bool WritePagesFile(const std::string &path, const std::vector<ExchangedPage> &pages) {
  File file = Open(path, "wb");
  if (!file)
    return false;
  bool ok = std::fputs(kMagic, file.get()) >= 0;
  for (const ExchangedPage &page : pages) {
    ok = ok && std::fprintf(file.get(), "%d %d\n", page.width, page.height) > 0;
    // An empty page has no buffer at all: fwrite must not see its null data.
    ok = ok && (page.pixels.empty() || std::fwrite(page.pixels.data(), 1, page.pixels.size(),
                                                   file.get()) == page.pixels.size());
  }
  return Close(file) && ok;
}

bool ReadPagesFile(const std::string &path, std::vector<ExchangedPage> &pages) {
  pages.clear();
  File file = Open(path, "rb");
  if (!file)
    return false;
  char magic[sizeof kMagic] = {};
  if (!std::fgets(magic, sizeof magic, file.get()) || std::string(magic) != kMagic)
    return false;
  for (;;) {
    ExchangedPage page;
    const int fields = std::fscanf(file.get(), "%d %d", &page.width, &page.height);
    if (fields == EOF)
      return true;
    if (fields != 2 || std::fgetc(file.get()) != '\n' || page.width <= 0 || page.height <= 0 ||
        page.width > INT_MAX / page.height)
      return false;
    page.pixels.resize(std::size_t(page.width) * std::size_t(page.height));
    if (std::fread(page.pixels.data(), 1, page.pixels.size(), file.get()) != page.pixels.size())
      return false;
    pages.push_back(std::move(page));
  }
}

bool WriteReadingsFile(const std::string &path, const std::vector<std::string> &readings) {
  File file = Open(path, "wb");
  if (!file)
    return false;
  bool ok = true;
  for (const std::string &text : readings) {
    ok = ok && std::fprintf(file.get(), "%zu\n", text.size()) > 0;
    ok = ok && std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
  }
  return Close(file) && ok;
}

bool ReadReadingsFile(const std::string &path, std::vector<std::string> &readings) {
  readings.clear();
  File file = Open(path, "rb");
  if (!file)
    return false;
  for (;;) {
    std::size_t size = 0;
    const int fields = std::fscanf(file.get(), "%zu", &size);
    if (fields == EOF)
      return true;
    if (fields != 1 || std::fgetc(file.get()) != '\n' || size > (std::size_t(1) << 30))
      return false;
    std::string text(size, '\0');
    if (std::fread(text.data(), 1, size, file.get()) != size)
      return false;
    readings.push_back(std::move(text));
  }
}
