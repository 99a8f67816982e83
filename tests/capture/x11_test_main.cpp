// GoogleTest entry for the tests that need a real X display.
#include <QApplication>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>

int main(int argc, char **argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // The build lists the tests without any display: no Qt needed for that.
  if (::testing::GTEST_FLAG(list_tests))
    return RUN_ALL_TESTS();
  // Without a display the tests skip themselves; Qt still needs a platform.
  const char *display = std::getenv("DISPLAY");
  if (!display || !*display)
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
