// The snippet, byte for byte: the templates, the order of the values and the
// language cut from the dictionary path.
#include "ocrtest/dictionary_name.h"
#include "ocrtest/script_snippet.h"

#include <gtest/gtest.h>

namespace {

TEST(DictionaryLanguage, IsTheFileNameUpToItsFirstDot) {
  const struct {
    const char *path, *fileName, *language;
  } cases[] = {
      {"C:\\data\\num.font.traineddata", "num.font.traineddata", "num"},
      {"/home/u/data/num.traineddata", "num.traineddata", "num"},
      {"a\\b/c.d", "c.d", "c"},
      {"/tess/.traineddata", ".traineddata", ".traineddata"}, // a leading "." does not cut
      {"/tess/..x", "..x", "..x"},
      {"eng", "eng", "eng"},
      {"dir/", "", ""},
      {"", "", ""},
      {"C:\\\xE4\xB9\x97.font.traineddata", "\xE4\xB9\x97.font.traineddata", "\xE4\xB9\x97"},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(DictionaryFileName(c.path), c.fileName) << c.path;
    EXPECT_EQ(DictionaryLanguage(c.path), c.language) << c.path;
  }
}

ScriptSnippetValues ExampleTest() {
  ScriptSnippetValues v;
  v.dictionaryPath = "C:\\data\\num.font.traineddata";
  v.pageSegMode = 6;
  v.engineMode = 3;
  v.resultLevel = 2;
  v.range = {55, 25, 65, 30};
  v.method = 0;
  v.threshold = 150;
  v.maximum = 255;
  return v;
}

const std::string kExampleOcrTextEx = "local handle = createOcr(\"num\",6,3)\r\n"
                                      "if handle ~= 0 then\r\n"
                                      "\tlocal text = ocrTextEx(handle,55,25,65,30,0,150,255)\r\n"
                                      "\tif text ~= nil then\r\n"
                                      "\t\tprint(\"ret=>\"..text)\r\n"
                                      "\tend\r\n"
                                      "\treleaseOcr(handle)\r\n"
                                      "end\r\n";

TEST(ScriptSnippet, OcrTextExCarriesMethodThresholdAndMaximumAfterTheRange) {
  ScriptSnippetValues v = ExampleTest();
  v.command = 0;
  EXPECT_EQ(FormatScriptSnippet(v), kExampleOcrTextEx);
}

TEST(ScriptSnippet, EveryOtherCommandGivesOcrTextExJWithTheLevelFirst) {
  for (int command : {1, -1, 7}) {
    ScriptSnippetValues v = ExampleTest();
    v.command = command;
    std::string expected = kExampleOcrTextEx;
    expected.replace(expected.find("ocrTextEx(handle,55,25,65,30,0,150,255)"), 39,
                     "ocrTextExJ(handle,55,25,65,30,2,0,150,255)");
    EXPECT_EQ(FormatScriptSnippet(v), expected) << "command " << command;
  }
}

TEST(ScriptSnippet, ValueSets) {
  const struct {
    const char *what;
    ScriptSnippetValues values;
    std::string expected;
  } cases[] = {
      {"whole workspace, Otsu, a name starting with a dot",
       {0, "/opt/glyphwright/.traineddata", 3, 1, 4, {0, 0, 0, 0}, 6, 0, 255},
       "local handle = createOcr(\".traineddata\",3,1)\r\n"
       "if handle ~= 0 then\r\n"
       "\tlocal text = ocrTextEx(handle,0,0,0,0,6,0,255)\r\n"
       "\tif text ~= nil then\r\n"
       "\t\tprint(\"ret=>\"..text)\r\n"
       "\tend\r\n"
       "\treleaseOcr(handle)\r\n"
       "end\r\n"},
      {"nothing chosen: -1 goes through as -1",
       {1, "eng", -1, -1, -1, {-3, 7, 120, 40}, -1, 255, 0},
       "local handle = createOcr(\"eng\",-1,-1)\r\n"
       "if handle ~= 0 then\r\n"
       "\tlocal text = ocrTextExJ(handle,-3,7,120,40,-1,-1,255,0)\r\n"
       "\tif text ~= nil then\r\n"
       "\t\tprint(\"ret=>\"..text)\r\n"
       "\tend\r\n"
       "\treleaseOcr(handle)\r\n"
       "end\r\n"},
      // System code page in and out: 数字 in a folder 字库.
      {"Chinese names",
       {0, "D:\\\xD7\xD6\xBF\xE2\\\xCA\xFD\xD7\xD6.v2.traineddata", 7, 3, 0, {1, 2, 3, 4}, 1, 2, 3},
       "local handle = createOcr(\"\xCA\xFD\xD7\xD6\",7,3)\r\n"
       "if handle ~= 0 then\r\n"
       "\tlocal text = ocrTextEx(handle,1,2,3,4,1,2,3)\r\n"
       "\tif text ~= nil then\r\n"
       "\t\tprint(\"ret=>\"..text)\r\n"
       "\tend\r\n"
       "\treleaseOcr(handle)\r\n"
       "end\r\n"},
      // 乗 is 0x81 0x5C: its second byte is a '\' that must not cut the name.
      {"a '\\' byte inside a character",
       {1, "C:\\\x81\x5C.font.traineddata", 13, 2, 4, {10, 20, 30, 40}, 7, 100, 200},
       "local handle = createOcr(\"\x81\x5C\",13,2)\r\n"
       "if handle ~= 0 then\r\n"
       "\tlocal text = ocrTextExJ(handle,10,20,30,40,4,7,100,200)\r\n"
       "\tif text ~= nil then\r\n"
       "\t\tprint(\"ret=>\"..text)\r\n"
       "\tend\r\n"
       "\treleaseOcr(handle)\r\n"
       "end\r\n"},
      {"a '%' in the name is text, not a placeholder",
       {0, "/d/100%s.traineddata", 6, 3, 0, {0, 0, 0, 0}, 0, 150, 255},
       "local handle = createOcr(\"100%s\",6,3)\r\n"
       "if handle ~= 0 then\r\n"
       "\tlocal text = ocrTextEx(handle,0,0,0,0,0,150,255)\r\n"
       "\tif text ~= nil then\r\n"
       "\t\tprint(\"ret=>\"..text)\r\n"
       "\tend\r\n"
       "\treleaseOcr(handle)\r\n"
       "end\r\n"},
  };
  for (const auto &c : cases)
    EXPECT_EQ(FormatScriptSnippet(c.values), c.expected) << c.what;
}

} // namespace
