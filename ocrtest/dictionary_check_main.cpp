// glyphwright-dictcheck <data dir> <language> <page segmentation mode> <engine mode>
//
// Loads <data dir>/<language>.traineddata into the engine and exits: the
// window runs it before it loads a dictionary the user chose, so that a file
// on which Tesseract aborts ends this process and not the window.
// Exit status: 0 loaded, 1 refused by the engine, 2 wrong arguments; a crash
// shows as a signal. With --read-pages first it reads a training job's pages
// instead (page_reading_main.h).
#include "engine/morvexa.h"
#include "ocrtest/dictionary_check.h"
#include "ocrtest/page_reading_main.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

bool ParseInt(const char *text, int &value) {
  char *end = nullptr;
  errno = 0;
  const long parsed = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || parsed < INT_MIN || parsed > INT_MAX)
    return false;
  value = static_cast<int>(parsed);
  return true;
}

} // namespace

int main(int argc, char **argv) {
  if (argc >= 2 && std::strcmp(argv[1], kReadPagesOption) == 0)
    return ReadPagesMain(argc, argv);
  int pageSegMode = 0;
  int engineMode = 0;
  if (argc != 5 || !ParseInt(argv[3], pageSegMode) || !ParseInt(argv[4], engineMode))
    return kDictionaryCheckUsage;
  const OcrHandle handle = createOcr(argv[1], argv[2], pageSegMode, engineMode);
  if (handle == 0)
    return kDictionaryRefused;
  releaseOcr(handle);
  return kDictionaryLoaded;
}
