// Every control of the main window is where the dialog template puts it, with
// its caption, its kind and (when it has one) its ID as objectName.
#include "dialog_fixture.h"

#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTableWidget>
#include <QTest>
#include <QValidator>
#include <cmath>
#include <set>

namespace {

struct Row {
  int id;
  const char *kind;
  const char *text;
  int x, y, w, h;
};

// The dialog template, in resource order.
const Row kTemplate[] = {
    {1009, "button", "窗口截图", 268, 208, 73, 14},
    {1010, "button", "本地图片", 268, 232, 73, 14},
    {1000, "view", "", 7, 7, 340, 155},
    {-1, "group", "分割配置", 12, 172, 82, 81},
    {1001, "digits", "", 44, 184, 45, 14},
    {-1, "label", "行 数:", 19, 186, 19, 8},
    {1002, "digits", "", 44, 203, 45, 14},
    {-1, "label", "列 数:", 19, 205, 19, 8},
    {4, "button", "按行列分割", 19, 219, 65, 14},
    {-1, "group", "二值化配置", 99, 172, 155, 81},
    {1003, "trackbar", "", 136, 230, 92, 15},
    {-1, "label", "最大值:", 106, 233, 30, 12},
    {-1, "label", "阈  值:", 106, 209, 30, 12},
    {1004, "trackbar", "", 136, 208, 92, 15},
    {1005, "combo", "", 141, 187, 84, 30},
    {-1, "label", "方  式:", 107, 188, 30, 12},
    {-1, "group", "图片获取", 258, 172, 90, 81},
    {1006, "edit-ro", "", 14, 283, 240, 14},
    {3, "button", "设置样本存储位置", 268, 261, 74, 14},
    {1007, "progress", "", 144, 308, 109, 12},
    {5, "button", "开始训练样本", 268, 307, 74, 14},
    {1008, "edit-ro", "", 15, 261, 240, 14},
    {6, "button", "设置字库保存位置", 268, 284, 74, 14},
    {1015, "group", "", 353, 5, 178, 138},
    {1011, "edit", "", 400, 149, 61, 14},
    {-1, "label", "定义文字 :", 356, 149, 40, 12},
    {1012, "button", "添加到样本库", 464, 149, 68, 14},
    {1014, "list", "", 352, 176, 179, 215},
    {1016, "view", "", 359, 13, 164, 124},
    {1018, "edit-ro", "", 228, 187, 22, 12},
    {1019, "edit-ro", "", 228, 210, 22, 12},
    {1020, "edit-ro", "", 228, 232, 22, 12},
    {-1, "group", "测试区", 537, 82, 155, 309},
    {1013, "button", "选择范围", 541, 20, 46, 13},
    {1022, "edit-ro", "", 591, 20, 95, 13},
    {1023, "combo", "", 592, 56, 94, 45},
    {-1, "label", "PSM:", 546, 58, 40, 8},
    {1024, "combo", "", 592, 73, 94, 45},
    {-1, "label", "分割类型:", 546, 75, 40, 8},
    {-1, "label", "白名单:", 546, 113, 40, 8},
    {1026, "edit", "", 592, 110, 95, 13},
    {1027, "combo", "", 593, 91, 94, 45},
    {-1, "label", "查找命令:", 547, 93, 40, 8},
    {1025, "multi-ro", "", 540, 130, 149, 67},
    {1028, "multi-ro", "", 540, 209, 149, 162},
    {1029, "button", "开始测试", 541, 377, 148, 14},
    {1017, "button", "清除分割框", 268, 186, 73, 14},
    {7, "button", "直接分割", 19, 236, 65, 14},
    {1030, "combo", "", 15, 308, 48, 34},
    {1031, "combo", "", 78, 308, 48, 34},
    {1032, "combo", "", 592, 38, 94, 45},
    {-1, "label", "引擎:", 546, 40, 40, 8},
    {1034, "combo", "", 78, 325, 48, 30},
    {-1, "label", "训练PSM==》", 14, 327, 59, 8},
    {1035, "multi", "", 7, 341, 345, 50},
};

// Dialog units of a 9-point font at 96 dpi. A closed drop-down list is one
// line high (13 units); its template height includes the open list.
QRect Expected(const Row &row) {
  const int h = std::string_view(row.kind) == "combo" ? 13 : row.h;
  return QRect(int(std::lround(row.x * 1.75)), int(std::lround(row.y * 1.875)),
               int(std::lround(row.w * 1.75)), int(std::lround(h * 1.875)));
}

// Finds the unnamed label or frame with `text`.
QWidget *FindUnnamed(QWidget &dialog, const Row &row) {
  for (QObject *child : dialog.children()) {
    auto *widget = qobject_cast<QWidget *>(child);
    if (!widget || !widget->objectName().isEmpty())
      continue;
    auto *label = qobject_cast<QLabel *>(widget);
    auto *group = qobject_cast<QGroupBox *>(widget);
    const QString text = label ? label->text() : group ? group->title() : QString();
    if ((label || group) && text == QString::fromUtf8(row.text) &&
        widget->geometry() == Expected(row))
      return widget;
  }
  return nullptr;
}

void CheckKind(QWidget *w, const Row &row) {
  const std::string kind = row.kind;
  const QString text = QString::fromUtf8(row.text);
  if (kind == "button") {
    auto *button = qobject_cast<QPushButton *>(w);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), text);
  } else if (kind == "group") {
    auto *group = qobject_cast<QGroupBox *>(w);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->title(), text);
  } else if (kind == "label") {
    ASSERT_NE(qobject_cast<QLabel *>(w), nullptr);
  } else if (kind == "edit" || kind == "edit-ro" || kind == "digits") {
    auto *edit = qobject_cast<QLineEdit *>(w);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->isReadOnly(), kind == "edit-ro");
    if (kind == "digits") {
      edit->clear();
      QTest::keyClicks(edit, "4x-2 ");
      EXPECT_EQ(edit->text(), "42");
    }
  } else if (kind == "multi" || kind == "multi-ro") {
    auto *edit = qobject_cast<QPlainTextEdit *>(w);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->isReadOnly(), kind == "multi-ro");
    EXPECT_EQ(edit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  } else if (kind == "combo") {
    EXPECT_NE(qobject_cast<QComboBox *>(w), nullptr);
  } else if (kind == "trackbar") {
    auto *slider = qobject_cast<QSlider *>(w);
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->orientation(), Qt::Horizontal);
  } else if (kind == "progress") {
    EXPECT_NE(qobject_cast<QProgressBar *>(w), nullptr);
  } else if (kind == "list") {
    EXPECT_NE(qobject_cast<QTableWidget *>(w), nullptr);
  }
}

class LayoutTest : public DialogTest {};

TEST_F(LayoutTest, EveryControlOfTheTemplateIsInPlace) {
  auto dialog = OpenDialog();
  EXPECT_EQ(dialog->size(), QSize(1223, 748)); // 699 x 399 units
  EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());

  std::set<QWidget *> seen;
  for (const Row &row : kTemplate) {
    SCOPED_TRACE(testing::Message() << "control " << row.id << " " << row.text);
    QWidget *w = row.id == -1 ? FindUnnamed(*dialog, row)
                              : dialog->findChild<QWidget *>(QString::number(row.id),
                                                             Qt::FindDirectChildrenOnly);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(seen.insert(w).second) << "two rows found the same widget";
    EXPECT_EQ(w->geometry(), Expected(row));
    CheckKind(w, row);
  }

  // Nothing beyond the template but the library strip, which sits in the
  // gap between the label edit and the list: the template's 55 controls are
  // the dialog's only other child widgets (menus are windows of their own).
  int children = 0;
  QWidget *strip = nullptr;
  for (QObject *child : dialog->children()) {
    auto *w = qobject_cast<QWidget *>(child);
    if (!w || w->isWindow())
      continue;
    if (w->objectName() == "libraryBar")
      strip = w;
    else
      ++children;
  }
  EXPECT_EQ(children, 55);
  ASSERT_NE(strip, nullptr);
  for (const Row &row : kTemplate) {
    QWidget *w = row.id == -1 ? FindUnnamed(*dialog, row)
                              : dialog->findChild<QWidget *>(QString::number(row.id),
                                                             Qt::FindDirectChildrenOnly);
    if (w && qobject_cast<QGroupBox *>(w) == nullptr) {
      EXPECT_FALSE(strip->geometry().intersects(w->geometry())) << row.id << " " << row.text;
    }
  }
}

// Where a group box draws its title and its frame, in the dialog's
// coordinates.
QRect GroupPart(QGroupBox *group, QStyle::SubControl part) {
  QStyleOptionGroupBox option;
  option.initFrom(group);
  option.text = group->title();
  option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
  option.textAlignment = group->alignment();
  option.lineWidth = 1;
  return group->style()
      ->subControlRect(QStyle::CC_GroupBox, &option, part, group)
      .translated(group->pos());
}

// The pixels a left- and top-aligned label inks.
QRect LabelInk(const QLabel *label) {
  const QFontMetrics metrics = label->fontMetrics();
  return metrics.tightBoundingRect(label->text())
      .translated(label->pos() + QPoint(0, metrics.ascent()));
}

TEST_F(LayoutTest, GroupTitlesAndFrameLinesLeaveEveryLabelReadable) {
  auto dialog = OpenDialog();
  const QList<QGroupBox *> groups = dialog->findChildren<QGroupBox *>();
  const QList<QLabel *> labels = dialog->findChildren<QLabel *>();
  ASSERT_FALSE(groups.isEmpty());
  ASSERT_FALSE(labels.isEmpty());
  for (QGroupBox *group : groups) {
    SCOPED_TRACE(group->title().toStdString());
    const QRect title = GroupPart(group, QStyle::SC_GroupBoxLabel);
    const QRect frame = GroupPart(group, QStyle::SC_GroupBoxFrame);
    const QRect topLine(frame.left(), frame.top(), frame.width(), 1);
    for (const QLabel *label : labels) {
      const QRect ink = LabelInk(label);
      if (!group->title().isEmpty()) {
        EXPECT_FALSE(title.intersects(ink)) << label->text().toStdString();
      }
      EXPECT_FALSE(topLine.intersects(ink)) << label->text().toStdString();
    }
  }
}

} // namespace
