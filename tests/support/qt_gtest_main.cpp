// GoogleTest entry for widget tests: one QApplication for the whole run.
#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char **argv) {
  // Test discovery runs this program at build time without the tests'
  // environment; offscreen unless a test asked for a real platform.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
