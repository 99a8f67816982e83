#pragma once
// Real input for a live window on an X display: mouse clicks and key presses
// enter Qt where the platform plugin's own events enter it (the window
// system interface of the top-level window), so hit-testing, focus, popups
// and modal blocking all work as they do for a hand on the mouse. Message
// boxes are answered the same way, while their nested event loop runs.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <functional>
#include <gtest/gtest.h>

namespace e2e {

// Keeps handling events until `done` holds or `limitMs` passes.
inline bool SpinUntil(const std::function<bool()> &done, int limitMs = 20000) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > limitMs)
      return false;
    QTest::qWait(20);
  }
  return true;
}

// A left click at `at` (the widget's own coordinates; its centre by default),
// given to the top-level window that holds the widget.
inline void Click(QWidget *widget, QPoint at = QPoint(-1, -1)) {
  ASSERT_NE(widget, nullptr);
  ASSERT_TRUE(widget->isVisible()) << widget->objectName().toStdString();
  if (at == QPoint(-1, -1))
    at = widget->rect().center();
  QWidget *top = widget->window();
  ASSERT_NE(top->windowHandle(), nullptr);
  QTest::mouseClick(top->windowHandle(), Qt::LeftButton, Qt::NoModifier, widget->mapTo(top, at));
  QTest::qWait(30);
}

// Types ASCII text into whatever has the keyboard focus of `widget`'s window.
inline void Type(QWidget *widget, const QString &text) {
  QWindow *window = widget->window()->windowHandle();
  ASSERT_NE(window, nullptr);
  for (QChar c : text)
    QTest::keyClick(window, c.toLatin1());
  QTest::qWait(30);
}

// Opens the list with a click and clicks the item, as a user picks one.
// `whileOpen` runs while the list is on the screen.
inline void ChooseItem(QComboBox *combo, int index,
                       const std::function<void()> &whileOpen = nullptr) {
  ASSERT_NE(combo, nullptr);
  Click(combo);
  QAbstractItemView *list = combo->view();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(list->window()));
  // The list ignores a release that follows its opening too closely (it
  // takes it for the end of the opening click).
  QTest::qWait(QApplication::doubleClickInterval() + 100);
  if (whileOpen)
    whileOpen();
  const QRect item = list->visualRect(list->model()->index(index, combo->modelColumn()));
  ASSERT_TRUE(list->viewport()->rect().contains(item.center())) << "item " << index;
  Click(list->viewport(), item.center());
  ASSERT_TRUE(SpinUntil([list] { return !list->window()->isVisible(); }));
  EXPECT_EQ(combo->currentIndex(), index);
}

// Answers every warning box with a click on its OK button and remembers its
// text. `onShown` runs while the box is on the screen (for a picture of it).
class MessageBoxAnswerer : public QObject {
public:
  MessageBoxAnswerer() {
    timer_.setInterval(30);
    QObject::connect(&timer_, &QTimer::timeout, this, [this] { Look(); });
    timer_.start();
  }

  QStringList texts;
  std::function<void(QMessageBox *)> onShown;

private:
  void Look() {
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || box == answered_ || !box->isVisible() || !box->windowHandle() ||
        !box->windowHandle()->isExposed())
      return;
    answered_ = box;
    texts << box->text();
    QTest::qWait(100); // painted before anyone looks at it
    if (onShown)
      onShown(box);
    if (QAbstractButton *ok = box->button(QMessageBox::Ok))
      Click(ok);
  }

  QTimer timer_;
  QPointer<QMessageBox> answered_;
};

} // namespace e2e
