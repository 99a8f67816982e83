#include "app/styled_json.h"

#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>
#include <json/reader.h>
#include <json/writer.h>

namespace {

Json::Value Parse(const std::string &text) {
  Json::Value value;
  Json::Reader().parse(text, value, false);
  return value;
}

// For ASCII documents our layout is jsoncpp's own StyledWriter layout (with
// upper-case hex digits in \u escapes), so jsoncpp is the reference.
TEST(StyledJson, MatchesJsoncppLayoutForAsciiDocuments) {
  const char *documents[] = {
      R"({})",
      R"([])",
      R"({"b": "2", "a": "1", "c": {"x": "y"}, "d": {}})",
      R"([{"desc": "00ff$1$0.0.8$2", "name": "A"}, {"desc": "x", "name": "B"}])",
      R"([{"desc": "only", "name": "one"}])",
      R"({"short": [1, 2, "three", true, null], "empty": []})",
      R"({"long": ["aaaaaaaaaaaaaaaaaaaa", "bbbbbbbbbbbbbbbbbbbb", "cccccccccccccccccccc", "dd"]})",
      R"([1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25])",
      R"({"q": "quote \" back \\ slash / tab \t nl \n cr \r bs \b ff \f ctl \u001f \u0001"})",
      R"([[1, 2], [], {"a": [3]}])",
      R"({"n": -12, "u": 4000000000, "r": 0.1, "t": true, "f": false, "z": null})",
  };
  for (const char *text : documents) {
    const Json::Value value = Parse(text);
    std::string expected = Json::StyledWriter().write(value);
    std::string actual = WriteStyledJson(value);
    std::transform(expected.begin(), expected.end(), expected.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    std::transform(actual.begin(), actual.end(), actual.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    EXPECT_EQ(actual, expected) << text;
  }
}

TEST(StyledJson, HighBytesAreRawAndControlBytesUpperCaseHex) {
  Json::Value root(Json::objectValue);
  root["name"] = std::string("\xD6\xD0\x1F\x7F/\x80\xFF");
  EXPECT_EQ(WriteStyledJson(root), "{\n   \"name\" : \"\xD6\xD0\\u001F\x7F/\x80\xFF\"\n}\n");
}

TEST(StyledJson, SingleSampleArrayIsSixLines) {
  Json::Value root(Json::arrayValue);
  Json::Value sample(Json::objectValue);
  sample["desc"] = "ff$1$0.0.8$1";
  sample["name"] = "\xD2\xBB"; // 一
  root.append(sample);
  EXPECT_EQ(WriteStyledJson(root), "[\n"
                                   "   {\n"
                                   "      \"desc\" : \"ff$1$0.0.8$1\",\n"
                                   "      \"name\" : \"\xD2\xBB\"\n"
                                   "   }\n"
                                   "]\n");
}

} // namespace
