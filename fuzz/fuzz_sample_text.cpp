// Feeds arbitrary bytes to the sample-file parser, as a hand-edited or foreign
// file can, and checks that whatever it takes into the library survives our
// writer: the file written for the store parses back to the same store.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "samples/sample_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char *>(data), size);
  SampleStore store;
  if (ParseSampleText(text, store).skipped < 0)
    std::abort();

  const std::string written = FormatSampleFile(store);
  SampleStore reread;
  const SampleParseResult again = ParseSampleText(written, reread);
  if (!again.valid || again.skipped != 0 || reread != store)
    std::abort();
  return 0;
}
