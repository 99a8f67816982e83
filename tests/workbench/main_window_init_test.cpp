// What the main window shows when it opens: defaults on a first start, stored
// settings brought into range, and read-outs that follow their controls.
#include "dialog_fixture.h"

#include <QHeaderView>
#include <QProgressBar>
#include <QTableWidget>
#include <filesystem>

namespace {

struct Shown {
  int id;
  const char *value; // selection index, track bar position or edit text
  const char *text;  // a list's selected item; nullptr for other controls
};

class InitTest : public DialogTest {};

TEST_F(InitTest, FirstStartShowsTheDefaults) {
  auto dialog = OpenDialog();
  const Shown kDefaults[] = {
      {1001, "1", nullptr},       {1002, "1", nullptr},    {1005, "6", "THRESH_OTSU"},
      {1018, "8", nullptr},       {1004, "150", nullptr},  {1019, "150", nullptr},
      {1003, "255", nullptr},     {1020, "255", nullptr},  {1023, "6", "6"},
      {1034, "8", "8"},           {1024, "3", "RIL_WORD"}, {1027, "0", "ocrTextEx"},
      {1032, "3", "OEM_DEFAULT"}, {1030, "0", "普通训练"}, {1031, "1", "中文模板"},
      {1022, "0,0,0,0", nullptr}, {1008, "", nullptr},     {1006, "", nullptr},
  };
  for (const Shown &shown : kDefaults) {
    SCOPED_TRACE(shown.id);
    EXPECT_EQ(ValueOf(*dialog, shown.id), QString::fromUtf8(shown.value));
    if (shown.text) {
      EXPECT_EQ(Control<QComboBox>(*dialog, shown.id)->currentText(),
                QString::fromUtf8(shown.text));
    }
  }

  EXPECT_EQ(dialog->windowTitle(), "墨梭光学OCR训练工具(3.0) 请确保安装路径没有中文或者空格");
  EXPECT_FALSE(dialog->windowIcon().isNull()) << "resource :/glyphwright.png not linked";
  for (int id : {1003, 1004}) {
    auto *bar = Control<QSlider>(*dialog, id);
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 255);
  }
  auto *progress = Control<QProgressBar>(*dialog, 1007);
  EXPECT_EQ(progress->minimum(), 0);
  EXPECT_EQ(progress->maximum(), 100);

  auto *list = Control<QTableWidget>(*dialog, 1014);
  EXPECT_EQ(list->rowCount(), 0);
  ASSERT_EQ(list->columnCount(), 2);
  EXPECT_EQ(list->horizontalHeaderItem(0)->text(), "样本名");
  EXPECT_EQ(list->horizontalHeaderItem(1)->text(), "样本数据");
  EXPECT_EQ(list->horizontalHeaderItem(1)->textAlignment(), int(Qt::AlignCenter));
  const int client = list->width() - 2 * list->frameWidth();
  EXPECT_EQ(list->columnWidth(0), client / 3);
  EXPECT_EQ(list->columnWidth(1), client * 2 / 3);
  EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
  EXPECT_TRUE(list->showGrid());
  EXPECT_TRUE(list->horizontalHeader()->sectionsMovable());
  EXPECT_TRUE(list->verticalHeader()->isHidden());

  // Opening reads; only closing writes.
  EXPECT_FALSE(std::filesystem::exists(SettingsPath()));
}

TEST_F(InitTest, ListsHoldTheirItemsInIndexOrder) {
  auto dialog = OpenDialog();
  const QStringList psm = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"};
  const std::pair<int, QStringList> kLists[] = {
      {1005,
       {"THRESH_BINARY", "THRESH_BINARY_INV", "THRESH_TRUNC", "THRESH_TOZERO", "THRESH_TOZERO_INV",
        "THRESH_MASK", "THRESH_OTSU", "THRESH_TRIANGLE"}},
      {1023, psm},
      {1034, psm},
      {1024, {"RIL_BLOCK", "RIL_PARA", "RIL_TEXTLINE", "RIL_WORD", "RIL_SYMBOL"}},
      {1027, {"ocrTextEx", "ocrTextExJ"}},
      {1030, {"普通训练", "深度训练"}},
      {1031, {"英语模板", "中文模板"}},
      {1032, {"OEM_TESSERACT_ONLY", "OEM_LSTM_ONLY", "OEM_TESSERACT_LSTM_COMBINED", "OEM_DEFAULT"}},
  };
  for (const auto &[id, items] : kLists) {
    auto *combo = Control<QComboBox>(*dialog, id);
    QStringList shown;
    for (int i = 0; i < combo->count(); ++i)
      shown << combo->itemText(i);
    EXPECT_EQ(shown, items) << "list " << id;
  }
}

struct Stored {
  const char *key;
  const char *value;
  int id;
  const char *shown;
};

TEST_F(InitTest, StoredValuesAreBroughtIntoRange) {
  const Stored kCases[] = {
      {"psm", "13", 1023, "3"}, // stray test PSM gives 3, not the default 6
      {"psm", "-1", 1023, "3"},
      {"psm", "12", 1023, "12"},
      {"train_psm", "13", 1034, "8"},
      {"engine", "4", 1032, "3"},
      {"splittype", "5", 1024, "3"},
      {"thpos", "300", 1004, "150"},
      {"thpos", "300", 1019, "150"},
      {"thpos", "0", 1004, "0"},
      {"thmax", "-1", 1003, "255"},
      {"thmax", "-1", 1020, "255"},
      {"split_row", "0", 1001, "1"},
      {"split_col", "-3", 1002, "1"},
      {"split_row", "12abc", 1001, "12"},
      {"binary_type", "9", 1005, "6"}, // stray method: the default, never past the table
      {"binary_type", "9", 1018, "8"},
      {"binary_type", "-1", 1005, "6"},
      {"binary_type", "7", 1018, "16"},
      {"ocrcmd", "5", 1027, "-1"}, // stray command: no selection
      {"ocrcmd", "1", 1027, "1"},
  };
  for (const Stored &c : kCases) {
    SCOPED_TRACE(testing::Message() << c.key << "=" << c.value << " -> " << c.id);
    WriteSettings(std::string("{\"") + c.key + "\" : \"" + c.value + "\"}\n");
    auto dialog = OpenDialog();
    EXPECT_EQ(ValueOf(*dialog, c.id), QString::fromUtf8(c.shown));
  }
}

TEST_F(InitTest, ReadOutsFollowTheirControls) {
  auto dialog = OpenDialog();
  Control<QSlider>(*dialog, 1004)->setValue(42);
  Control<QSlider>(*dialog, 1003)->setValue(200);
  Control<QComboBox>(*dialog, 1005)->setCurrentIndex(7);
  EXPECT_EQ(ValueOf(*dialog, 1019), "42");
  EXPECT_EQ(ValueOf(*dialog, 1020), "200");
  EXPECT_EQ(ValueOf(*dialog, 1018), "16");
}

TEST_F(InitTest, StoredPathsAreShownFromTheSystemCodePage) {
  // "D:\样本\a.txt" with 样本 in GB18030.
  WriteSettings("{\"sample_path\" : \"D:\\\\\xd1\xf9\xb1\xbe\\\\a.txt\"}\n");
  auto dialog = OpenDialog();
  EXPECT_EQ(ValueOf(*dialog, 1008), "D:\\样本\\a.txt");
}

} // namespace
