#include "app/glyphwright_app.h"

#include <QApplication>

int main(int argc, char **argv) {
  QApplication qtApp(argc, argv);
  CglyphwrightApp app;
  return app.Run();
}
