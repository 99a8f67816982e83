// Closing the main window writes every setting back once, however it closes.
#include "dialog_fixture.h"

#include <QTest>
#include <filesystem>
#include <functional>
#include <json/reader.h>

namespace {

const char kExampleFile[] = R"({
   "binary_type" : "6",
   "dict_path" : "D:\\ocr\\out.traineddata",
   "engine" : "3",
   "ocrcmd" : "0",
   "psm" : "6",
   "sample_path" : "D:\\ocr\\samples.txt",
   "split_col" : "1",
   "split_row" : "1",
   "splittype" : "3",
   "thmax" : "255",
   "thpos" : "150",
   "train_psm" : "8"
}
)";

const char kDefaultsWithoutPaths[] = R"({
   "binary_type" : "6",
   "engine" : "3",
   "ocrcmd" : "0",
   "psm" : "6",
   "split_col" : "1",
   "split_row" : "1",
   "splittype" : "3",
   "thmax" : "255",
   "thpos" : "150",
   "train_psm" : "8"
}
)";

struct CloseWay {
  const char *name;
  std::function<void(CglyphwrightDlg &)> close;
};

const CloseWay kCloseWays[] = {
    {"Esc in an edit",
     [](CglyphwrightDlg &d) { QTest::keyClick(d.findChild<QLineEdit *>("1001"), Qt::Key_Escape); }},
    {"close box", [](CglyphwrightDlg &d) { d.close(); }},
};

class CloseTest : public DialogTest {
protected:
  Json::Value SavedSettings() {
    Json::Value root;
    EXPECT_TRUE(Json::Reader().parse(SettingsText(), root));
    return root;
  }
};

TEST_F(CloseTest, EveryWayOfClosingSavesOnce) {
  for (const CloseWay &way : kCloseWays) {
    for (bool withPaths : {true, false}) {
      SCOPED_TRACE(testing::Message() << way.name << (withPaths ? ", paths set" : ", no paths"));
      std::filesystem::remove(SettingsPath());
      auto dialog = OpenDialog();
      if (withPaths) {
        Control<QLineEdit>(*dialog, 1008)->setText("D:\\ocr\\samples.txt");
        Control<QLineEdit>(*dialog, 1006)->setText("D:\\ocr\\out.traineddata");
      }
      dialog->show();
      way.close(*dialog);
      EXPECT_FALSE(dialog->isVisible());
      EXPECT_EQ(SettingsText(), withPaths ? kExampleFile : kDefaultsWithoutPaths);

      // A second save would bring the file back.
      std::filesystem::remove(SettingsPath());
      dialog->close();
      dialog.reset();
      EXPECT_FALSE(std::filesystem::exists(SettingsPath()));
    }
  }
}

TEST_F(CloseTest, DestroyingWithoutClosingStillSaves) {
  OpenDialog().reset();
  EXPECT_EQ(SettingsText(), kDefaultsWithoutPaths);
}

TEST_F(CloseTest, SavedValuesAreWhatTheControlsShow) {
  WriteSettings(R"({"ocrcmd" : "5"})");
  auto dialog = OpenDialog();
  Control<QComboBox>(*dialog, 1005)->setCurrentIndex(1);
  Control<QComboBox>(*dialog, 1023)->setCurrentIndex(2);
  Control<QComboBox>(*dialog, 1034)->setCurrentIndex(5); // independent of 1023
  Control<QComboBox>(*dialog, 1024)->setCurrentIndex(0);
  Control<QComboBox>(*dialog, 1032)->setCurrentIndex(1);
  Control<QSlider>(*dialog, 1004)->setValue(10);
  Control<QSlider>(*dialog, 1003)->setValue(200);
  Control<QLineEdit>(*dialog, 1001)->setText("");
  Control<QLineEdit>(*dialog, 1002)->setText("007");
  dialog->close();

  const Json::Value saved = SavedSettings();
  const std::pair<const char *, const char *> kSaved[] = {
      {"binary_type", "1"}, {"psm", "2"},     {"train_psm", "5"}, {"splittype", "0"},
      {"engine", "1"},      {"thpos", "10"},  {"thmax", "200"},   {"split_row", "0"},
      {"split_col", "7"},   {"ocrcmd", "-1"}, // the stray command had no selection
  };
  for (const auto &[key, value] : kSaved)
    EXPECT_EQ(saved[key].asString(), value) << key;

  // The emptied row edit saved 0; the next start shows 1 again.
  EXPECT_EQ(ValueOf(*OpenDialog(), 1001), "1");
}

TEST_F(CloseTest, EmptyPathEditsKeepTheStoredPaths) {
  WriteSettings("{\"dict_path\" : \"old/out.traineddata\", "
                "\"sample_path\" : \"D:\\\\\xd1\xf9\xb1\xbe\\\\a.txt\"}");
  auto dialog = OpenDialog();
  Control<QLineEdit>(*dialog, 1006)->clear();
  dialog->close();

  const Json::Value saved = SavedSettings();
  EXPECT_EQ(saved["dict_path"].asString(), "old/out.traineddata");
  // A path with Chinese characters goes back in the bytes it came in.
  EXPECT_EQ(saved["sample_path"].asString(), "D:\\\xd1\xf9\xb1\xbe\\a.txt");
}

} // namespace
