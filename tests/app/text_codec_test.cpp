#include "app/file_text.h"
#include "app/text_codec.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

struct CodecCase {
  std::u16string text;
  std::string gb18030;
  std::string utf8;
};

TEST(TextCodec, RoundTripsThroughTheSystemCodePage) {
  const CodecCase cases[] = {
      {u"", "", ""},
      {u"abc 123", "abc 123", "abc 123"},
      {u"样本", "\xD1\xF9\xB1\xBE", "\xE6\xA0\xB7\xE6\x9C\xAC"},
      // Outside GBK, inside GB18030: the euro sign and a character beyond the BMP.
      {u"\u20AC", "\xA2\xE3", "\xE2\x82\xAC"},
      {u"\U0001F600", "\x94\x39\xFC\x36", "\xF0\x9F\x98\x80"},
  };
  for (const CodecCase &c : cases) {
    EXPECT_EQ(ToSystemCodePage(c.text), c.gb18030);
    EXPECT_EQ(FromSystemCodePage(c.gb18030), c.text);
    EXPECT_EQ(SystemToUtf8(c.gb18030), c.utf8);
    EXPECT_EQ(Utf8ToSystem(c.utf8), c.gb18030);
  }
}

TEST(TextCodec, BadInputIsReplacedNotDropped) {
  EXPECT_EQ(ToSystemCodePage(std::u16string(u"a") + char16_t(0xD800) + u"b"), "a?b");
  EXPECT_EQ(FromSystemCodePage("a\xFF" "b"), u"a\uFFFDb");
  EXPECT_EQ(Utf8ToSystem("a\xC3(b"), "a\x84\x31\xA4\x37(b"); // U+FFFD in GB18030
  // The C-string routines stop at the first zero byte.
  EXPECT_EQ(SystemToUtf8(std::string("ab\0cd", 5)), "ab");
  EXPECT_EQ(Utf8ToSystem(std::string("ab\0cd", 5)), "ab");
}

TEST(ReadFileText, ReadsUpToTheFirstZeroAndFailsQuietly) {
  TempDir dir;
  dir.Write("a.txt", std::string("head\0tail", 9));
  dir.Write("empty.txt", "");
  EXPECT_EQ(ReadFileText(dir.File("a.txt")), "head");
  EXPECT_EQ(ReadFileText(dir.File("empty.txt")), "");
  EXPECT_EQ(ReadFileText(dir.File("missing.txt")), "");
  EXPECT_EQ(ReadFileText(dir.Dir()), ""); // a directory is not a file
  // Nor is a FIFO, and opening one must not wait for a writer: a settings or
  // sample path naming one would hang every start.
  ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
  EXPECT_EQ(ReadFileText(dir.File("fifo")), "");
}

} // namespace
