#include "samples/sample_file.h"

#include "app/file_text.h"
#include "app/styled_json.h"
#include "app/text_codec.h"
#include "tests/support/temp_dir.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <json/value.h>
#include <random>

namespace {

// GBK bytes, as a sample file from Chinese Windows holds them.
const std::string kZhongWen = "\xD6\xD0\xCE\xC4"; // 中文
const std::string kYi = "\xD2\xBB";               // 一
const std::string kBackslashTrail = "\x81\x5C";   // 乗: its second byte is '\'

TEST(SampleFileFormat, EmptyOneAndTwoSamplesExactBytes) {
  EXPECT_EQ(FormatSampleFile({}), "null\n");

  EXPECT_EQ(FormatSampleFile({{"ff$1$0.0.8$8", kYi}}), "[\n"
                                                       "   {\n"
                                                       "      \"desc\" : \"ff$1$0.0.8$8\",\n"
                                                       "      \"name\" : \"\xD2\xBB\"\n"
                                                       "   }\n"
                                                       "]\n");

  // Added in descending order; written in ascending order of the keys.
  SampleStore two;
  two["b"] = "second";
  two["a"] = "first";
  EXPECT_EQ(FormatSampleFile(two), "[\n"
                                   "   {\n"
                                   "      \"desc\" : \"a\",\n"
                                   "      \"name\" : \"first\"\n"
                                   "   },\n"
                                   "   {\n"
                                   "      \"desc\" : \"b\",\n"
                                   "      \"name\" : \"second\"\n"
                                   "   }\n"
                                   "]\n");
}

TEST(SampleFileFormat, KeysOrderAsUnsignedBytesWithPrefixFirst) {
  SampleStore store;
  for (const char *key : {"\xFF", "\x80", "a", "ab", "\x7F", "A"})
    store[key] = "x";
  std::vector<std::string> order;
  for (const auto &entry : store)
    order.push_back(entry.first);
  EXPECT_EQ(order, (std::vector<std::string>{"A", "a", "ab", "\x7F", "\x80", "\xFF"}));
}

TEST(SampleFileFormat, QuotesOnlyQuoteBackslashAndControlBytes) {
  struct Case {
    std::string label;
    std::string quoted;
  } cases[] = {
      {"say \"hi\"", R"("say \"hi\"")"},
      {"a\\b", R"("a\\b")"},
      {"\b\f\n\r\t", R"("\b\f\n\r\t")"},
      {"\x01\x1F", R"("\u0001\u001F")"},
      {"/\x7F", "\"/\x7F\""},
      {kZhongWen, "\"" + kZhongWen + "\""},
      {kBackslashTrail, "\"\x81\\\\\""},
      {"\x80\xFF", "\"\x80\xFF\""},
  };
  for (const Case &c : cases) {
    const std::string text = FormatSampleFile({{"k", c.label}});
    EXPECT_NE(text.find("\"name\" : " + c.quoted + "\n"), std::string::npos) << text;
  }
}

// Our writer appends straight into one buffer; the shared styled writer is
// the reference for the layout of the same value.
TEST(SampleFileFormat, MatchesSharedStyledWriter) {
  SampleStore store = {{"0f$1$0.0.4$4", "\"\\\x01\x1F"},
                       {"15$1$0.0.3$3", kZhongWen},
                       {"ff$1$0.0.8$8", "   "},
                       {"\x80key", ""}};
  Json::Value root;
  for (const auto &[desc, name] : store) {
    Json::Value sample;
    sample["name"] = name;
    sample["desc"] = desc;
    root.append(sample);
  }
  EXPECT_EQ(FormatSampleFile(store), WriteStyledJson(root));
}

// The writer before it scanned sixteen bytes at a time: entry by entry with
// the shared quoting. Files written now must be byte for byte the same.
std::string EarlierSampleFileBytes(const SampleStore &store) {
  if (store.empty())
    return "null\n";
  std::string out = "[\n";
  std::size_t left = store.size();
  for (const auto &[desc, name] : store) {
    out += "   {\n      \"desc\" : ";
    AppendJsonQuoted(out, desc);
    out += ",\n      \"name\" : ";
    AppendJsonQuoted(out, name);
    out += --left > 0 ? "\n   },\n" : "\n   }\n";
  }
  return out + "]\n";
}

// Random stores: bytes of every value 1..255 (controls, quote, backslash and
// 128..255 among them), escapes at and around the 16-byte steps, strings of
// 0 to 70 bytes, and stores of 1 to 60 entries; written through the file too.
TEST(SampleFileFormat, SameBytesAsTheEarlierWriterOnRandomStores) {
  std::mt19937 random(99);
  const char specials[] = {'"', '\\', '\b', '\f', '\n', '\r', '\t', '\x01', '\x1F', '\x7F'};
  auto text = [&] {
    std::string bytes(random() % 71, '\0');
    for (char &c : bytes) {
      const unsigned pick = random() % 10;
      c = pick < 2   ? specials[random() % sizeof specials]
          : pick < 5 ? char(0x80 + random() % 0x80)
          : pick < 9 ? char(0x20 + random() % 0x60)
                     : char(1 + random() % 255);
    }
    return bytes;
  };
  TempDir dir;
  for (int trial = 0; trial < 200; ++trial) {
    SampleStore store;
    const int entries = 1 + int(random() % 60);
    for (int i = 0; i < entries; ++i)
      store[text()] = text();
    const std::string expected = EarlierSampleFileBytes(store);
    ASSERT_EQ(FormatSampleFile(store), expected) << "trial " << trial;
    if (trial % 20 == 0) {
      ASSERT_TRUE(WriteSampleFile(dir.File("random.txt"), store));
      ASSERT_EQ(ReadFileText(dir.File("random.txt")), expected) << "trial " << trial;
    }
  }
}

TEST(SampleFileParse, RoundTripsEveryByteThroughTheFile) {
  TempDir dir;
  SampleStore written = {{"15$1$0.0.3$3", "quote \" and back\\slash"},
                         {"0f$1$0.0.4$4", std::string("ctl \x01\x08\x09\x0A\x0C\x0D\x1F end")},
                         {"ff$1$0.0.8$8", kZhongWen + kBackslashTrail},
                         {"f0$1$0.0.4$4", "   "},
                         {"f1$1$0.0.5$4", ""}};
  ASSERT_TRUE(WriteSampleFile(dir.File("s.txt"), written));
  SampleStore read;
  const SampleParseResult result = ParseSampleText(ReadFileText(dir.File("s.txt")), read);
  EXPECT_TRUE(result.valid);
  EXPECT_EQ(result.skipped, 0);
  EXPECT_EQ(read, written);
  EXPECT_EQ(FromSystemCodePage(read["ff$1$0.0.8$8"]), u"中文乗");
}

TEST(SampleFileParse, HandWrittenGbkFileReadsBackUnchanged) {
  // Written by hand the way another program would: other spacing, CR LF,
  // members in the other order, a duplicate whose later label wins. The
  // labels are 一 and 中文 in GBK.
  const std::string text = "[{\"name\":\"\xD2\xBB\",\"desc\":\"a\"},\r\n"
                           " {\"desc\":\"b\", \"name\":\"\xD6\xD0\xCE\xC4\"},\r\n"
                           " {\"desc\":\"a\", \"name\":\"\xD6\xD0\xCE\xC4\"}]";
  SampleStore store;
  const SampleParseResult result = ParseSampleText(text, store);
  EXPECT_TRUE(result.valid);
  EXPECT_EQ(result.skipped, 0);
  EXPECT_EQ(store, (SampleStore{{"a", kZhongWen}, {"b", kZhongWen}}));
  EXPECT_EQ(FromSystemCodePage(store["b"]), u"中文");
  // The next write holds one element per data string.
  const std::string written = FormatSampleFile(store);
  EXPECT_EQ(std::count(written.begin(), written.end(), '{'), 2);
}

TEST(SampleFileParse, TellsInvalidFilesAndSkippedElements) {
  struct Case {
    const char *text;
    bool valid;
    int skipped;
    size_t samples;
  } cases[] = {
      {"null\n", true, 0, 0},
      {"[]", true, 0, 0},
      {R"([{"desc":"a","name":"A"}] trailing)", true, 0, 1},
      {R"([{"desc":"a","name":"A"},)", false, 0, 0},
      {"", false, 0, 0},
      {"   \n", false, 0, 0},
      {"not json", false, 0, 0},
      {R"({"desc":"a","name":"A"})", false, 0, 0},
      {"42", false, 0, 0},
      {R"("text")", false, 0, 0},
      {"true", false, 0, 0},
      {R"([1, "s", null, [], {}, {"desc":"a"}, {"name":"A"}, {"desc":1,"name":"A"},
          {"desc":"a","name":false}, {"desc":"b","name":"B"}])",
       true, 9, 1},
  };
  for (const Case &c : cases) {
    SampleStore store;
    const SampleParseResult result = ParseSampleText(c.text, store);
    EXPECT_EQ(result.valid, c.valid) << c.text;
    EXPECT_EQ(result.skipped, c.skipped) << c.text;
    EXPECT_EQ(store.size(), c.samples) << c.text;
  }
}

TEST(SampleFileParse, OverLongStringsSkipTheirElementUnread) {
  const std::string longLabel(kMaxLabelInFile + 1, 'x');
  const std::string fullLabel(kMaxLabelInFile, 'y');
  // Within the limit once decoded, beyond it as written.
  std::string escapedLabel;
  for (size_t i = 0; i < kMaxLabelInFile / 2 + 1; ++i)
    escapedLabel += "\\\"";
  const std::string longData(kMaxDataStringInFile + 1, '0');
  const std::string fullData(kMaxDataStringInFile, '1');
  const std::string goodB = R"({"desc":"b","name":"B"})";
  auto element = [](const std::string &desc, const std::string &name) {
    return R"({"desc":")" + desc + R"(","name":")" + name + R"("})";
  };
  struct Case {
    const char *what;
    std::string text;
    bool valid;
    int skipped;
    SampleStore store;
  } cases[] = {
      {"a label one byte too long",
       "[" + element("a", longLabel) + "," + goodB + "]",
       true,
       1,
       {{"b", "B"}}},
      {"a label of the longest length",
       "[" + element("a", fullLabel) + "]",
       true,
       0,
       {{"a", fullLabel}}},
      {"a label long only by its escapes",
       "[" + element("a", escapedLabel) + "," + goodB + "]",
       true,
       1,
       {{"b", "B"}}},
      {"a label of raw control bytes that the writer would escape past the limit",
       "[" + element("a", std::string(kMaxLabelInFile / 6 + 1, '\x02')) + "," + goodB + "]",
       true,
       1,
       {{"b", "B"}}},
      {"a label of raw control bytes that still fits escaped",
       "[" + element("a", std::string(kMaxLabelInFile / 6, '\x02')) + "]",
       true,
       0,
       {{"a", std::string(kMaxLabelInFile / 6, '\x02')}}},
      {"a data string one byte too long",
       "[" + element(longData, "L") + "," + goodB + "]",
       true,
       1,
       {{"b", "B"}}},
      {"a data string of the longest length",
       "[" + element(fullData, "F") + "]",
       true,
       0,
       {{fullData, "F"}}},
      {"a long array element", "[\"" + longData + "\"," + goodB + "]", true, 1, {{"b", "B"}}},
      {"a long member of no interest",
       R"([{"note":")" + longData + R"(","desc":"a","name":"A"}])",
       true,
       0,
       {{"a", "A"}}},
      {"a long member name",
       R"([{")" + longData + R"(" : 1,"desc":"a","name":"A"}])",
       true,
       0,
       {{"a", "A"}}},
      {"a quote in a comment",
       "[ // a \" here\n" + element("a", longLabel) + "," + goodB + "]",
       true,
       1,
       {{"b", "B"}}},
      {"a long label after a comment",
       R"([{"desc":"a","name" : /* " */ ")" + longLabel + R"("},)" + goodB + "]",
       true,
       1,
       {{"b", "B"}}},
      {"a long string never closed", "\"" + longData, false, 0, {}},
      {"a long string never closed, in an array", "[" + goodB + ",\"" + longData, false, 0, {}},
  };
  for (const Case &c : cases) {
    SampleStore store;
    const SampleParseResult result = ParseSampleText(c.text, store);
    EXPECT_EQ(result.valid, c.valid) << c.what;
    EXPECT_EQ(result.skipped, c.skipped) << c.what;
    EXPECT_TRUE(store == c.store) << c.what;
  }
}

TEST(SampleFileParse, AddsToTheStoreWithoutEmptyingIt) {
  SampleStore store = {{"a", "old"}, {"keep", "K"}};
  ParseSampleText(R"([{"desc":"a","name":"new"}])", store);
  ParseSampleText("broken", store);
  EXPECT_EQ(store, (SampleStore{{"a", "new"}, {"keep", "K"}}));
}

TEST(SampleFileParse, HostileInputIsRejectedNotFatal) {
  SampleStore store;
  // jsoncpp throws beyond its nesting limit.
  EXPECT_FALSE(ParseSampleText(std::string(100000, '['), store).valid);
  // A \u0000 escape would smuggle a NUL into a key or label: cut there.
  EXPECT_TRUE(ParseSampleText(R"([{"desc":"ab\u0000cd","name":"x\u0000y"}])", store).valid);
  EXPECT_EQ(store, (SampleStore{{"ab", "x"}}));
}

TEST(SampleFileLoad, ReportsWhenARewriteWouldLoseData) {
  TempDir dir;
  const std::string valid = FormatSampleFile({{"a", "A"}});
  struct Case {
    const char *name;
    std::string bytes; // nothing is written for "missing"
    bool loaded;
    bool valid;
    bool losesData;
  } cases[] = {
      {"missing", "", false, false, false},
      {"empty", "", false, false, false},
      {"valid", valid, true, true, false},
      {"broken", "[{\"desc\":", true, false, true},
      {"skipped", "[1, {\"desc\":\"a\",\"name\":\"A\"}]", true, true, true},
      {"after-nul", valid + std::string(1, '\0') + "tail", true, true, true},
      {"leading-nul", std::string(1, '\0') + valid, false, false, true},
  };
  for (const Case &c : cases) {
    if (std::string(c.name) != "missing")
      dir.Write(c.name, c.bytes);
    SampleStore store = {{"before", "B"}};
    const SampleFileLoad load = LoadSampleFile(dir.File(c.name), store);
    EXPECT_EQ(load.loaded, c.loaded) << c.name;
    EXPECT_EQ(load.loaded && load.parse.valid, c.valid) << c.name;
    EXPECT_EQ(load.rewriteLosesData, c.losesData) << c.name;
    // Loaded: the store is replaced; otherwise it stays as it was.
    EXPECT_EQ(store.contains("before"), !c.loaded) << c.name;
  }
}

} // namespace
