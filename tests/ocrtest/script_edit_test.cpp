// The script box (control 1025) of the main window as the user meets it:
// Ctrl+A, Ctrl+C hands out the snippet's exact bytes, CR LF line ends and
// tabs included, though the box itself keeps plain line breaks.
#include "app/text_codec.h"
#include "ocrtest/script_snippet.h"
#include "workbench/main_window_controls.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(ScriptBox, SelectAllAndCopyGiveTheSnippetsExactBytes) {
  QWidget window;
  const MainWindowControls controls = BuildMainWindowControls(&window);
  QPlainTextEdit *box = controls.script;
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->isReadOnly());
  window.show();

  ScriptSnippetValues values;
  // 数字.font.traineddata in a folder 字库: the language is non-ASCII text.
  values.dictionaryPath =
      ToSystemCodePage(u"D:\\\u5B57\u5E93\\\u6570\u5B57.font.traineddata");
  values.pageSegMode = 6;
  values.engineMode = 3;
  values.resultLevel = 2;
  values.range = {55, 25, 65, 30};
  values.threshold = 150;
  values.maximum = 255;
  for (int command : {0, 1}) {
    values.command = command;
    const std::string snippet = FormatScriptSnippet(values);
    ASSERT_NE(snippet.find("\r\n\tlocal text"), std::string::npos);
    // As the test area fills it.
    box->setPlainText(QString::fromStdU16String(FromSystemCodePage(snippet)));
    QApplication::clipboard()->setText(QStringLiteral("stale"));

    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);

    const QMimeData *copied = QApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    const QByteArray bytes = copied->data(QStringLiteral("text/plain"));
    EXPECT_EQ(std::string(bytes.constData(), std::size_t(bytes.size())), SystemToUtf8(snippet))
        << "command " << command;
  }
}

} // namespace
