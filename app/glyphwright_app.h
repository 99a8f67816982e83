#pragma once

// The application: prepares the working environment, then runs the main
// window until the user closes it. Needs a QApplication to exist.
class CglyphwrightApp {
public:
  // The process's exit code: 0 after the main window closed, 1 when the
  // program directory could not be determined.
  int Run();

  // What every window of the program relies on, done first by Run: the
  // application's name and icon, and Qt's own texts (dialog buttons, file
  // dialogs) in Chinese like the rest of the interface. Without Qt's
  // translations installed those texts stay English.
  static void PrepareApplication();
};
