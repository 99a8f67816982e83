#pragma once
// The main window's list, label edit and path edit on a bare owner, with a
// CSampleList over them; messages and file dialogs answer from the test.
#include "samples/sample_list.h"

#include "samples/sample_file.h"
#include "tests/support/temp_dir.h"

#include <QContextMenuEvent>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

// Readable failure output for rows and messages.
inline void PrintTo(const QString &text, std::ostream *out) {
  *out << '"' << text.toStdString() << '"';
}

namespace sample_list_test {

// Data strings that draw, in ascending order, and one that does not.
const QString A = QStringLiteral("0f$1$0.0.4$4");
const QString B = QStringLiteral("15$1$0.0.3$3");
const QString C = QStringLiteral("ff$1$0.0.8$8");
const QString D = QStringLiteral("f0$1$0.0.4$4");
const QString kUndrawable = QStringLiteral("zz");

const QString kNoSelection = QStringLiteral("请先选中分割后的文字");
const QString kNoPath = QStringLiteral("请先设置样本要保存的位置");
const QString kNoLabel = QStringLiteral("文字内容不能为空");

inline std::string Bytes(const QString &text) {
  return text.toStdString();
}

// The main window's list, label edit and path edit on a bare owner; messages
// and the file dialog replaced so nothing blocks.
class SampleListTest : public ::testing::Test {
protected:
  SampleListTest() {
    owner.resize(500, 400);
    list = new QTableWidget(0, 2, &owner);
    list->setGeometry(0, 0, 400, 300);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    label = new QLineEdit(&owner);
    path = new QLineEdit(&owner);
    samples = std::make_unique<CSampleList>(list, label, path, &owner, store);
    samples->SetMessageSink([this](const QString &text) { messages << text; });
    samples->SetPathChooser([this] { return chosenPath; });
    QObject::connect(samples.get(), &CSampleList::PreviewChanged,
                     [this](const QImage &bitmap) { previews.push_back(bitmap); });
    owner.show();
  }

  // Writes a sample file and loads it the way the window does at start-up.
  void Load(const std::string &name, const std::string &bytes) {
    dir.Write(name, bytes);
    path->setText(QString::fromStdString(dir.File(name)));
    samples->ReloadSampleList();
  }
  void LoadSamples(const SampleStore &file) { Load("samples.txt", FormatSampleFile(file)); }

  // Each row as "label|data", top first.
  QStringList Rows() const {
    QStringList rows;
    for (int row = 0; row < list->rowCount(); ++row)
      rows << list->item(row, 0)->text() + "|" + list->item(row, 1)->text();
    return rows;
  }

  void Add(const QString &data, const QString &text) {
    ASSERT_TRUE(samples->OnBoxSelected(data));
    label->setText(text);
    samples->OnAddSample();
  }

  QPoint RowCentre(int row) const {
    return list->visualRect(list->model()->index(row, 0)).center();
  }
  void Click(int row, Qt::KeyboardModifiers keys = {}) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, keys, RowCentre(row));
  }
  void RightClickAt(QPoint where) {
    QTest::mousePress(list->viewport(), Qt::RightButton, {}, where);
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, where,
                                list->viewport()->mapToGlobal(where));
    QCoreApplication::sendEvent(list->viewport(), &menuEvent);
    QTest::mouseRelease(list->viewport(), Qt::RightButton, {}, where);
  }

  std::string FileBytes() const { return dir.Read("samples.txt"); }

  TempDir dir;
  SampleStore store;
  QWidget owner;
  QTableWidget *list = nullptr;
  QLineEdit *label = nullptr;
  QLineEdit *path = nullptr;
  std::unique_ptr<CSampleList> samples;
  QStringList messages;
  QString chosenPath;
  std::vector<QImage> previews;
};

} // namespace sample_list_test
