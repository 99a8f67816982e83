// Cutting a typed line into one label per box.
#include "samples/line_labels.h"

#include <gtest/gtest.h>

namespace {

TEST(SplitLineLabels, OneLabelPerCharacterWithoutWhiteSpace) {
  struct Case {
    const char *name;
    std::u16string text;
    std::vector<std::u16string> labels;
  };
  const Case kCases[] = {
      {"empty", u"", {}},
      {"only spaces", u" \t\u3000\n", {}},
      {"Latin and digits", u"ab 12", {u"a", u"b", u"1", u"2"}},
      // The ideographic space of a Chinese input method separates nothing.
      {"Chinese with spaces", u"价格\u3000数 据", {u"价", u"格", u"数", u"据"}},
      {"punctuation counts", u"\"a\",b.", {u"\"", u"a", u"\"", u",", u"b", u"."}},
      // A character beyond the basic plane is one label, not two halves.
      {"surrogate pair", u"\U00020000x", {u"\U00020000", u"x"}},
      {"combining accent", u"e\u0301x", {u"e\u0301", u"x"}},
      {"accent first", u"\u0301x", {u"\u0301", u"x"}},
      // A lone surrogate (broken input) is still one label and nothing is lost.
      {"lone surrogate", std::u16string(u"a") + char16_t(0xD800) + u"b",
       {u"a", std::u16string(1, char16_t(0xD800)), u"b"}},
  };
  for (const Case &c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SplitLineLabels(c.text), c.labels);
  }
}

} // namespace
