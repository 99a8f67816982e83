#pragma once
// A still picture of the primary screen, or the reason there is none.
#include <QImage>
#include <QRect>
#include <QString>

struct ScreenSnapshot {
  QImage image;   // RGB32, one pixel per logical screen pixel
  QRect geometry; // the primary screen in global coordinates
  QString error;  // for the user when the screen cannot be read; empty on success
};

// Only the primary screen is read, whatever other screens the desktop has.
ScreenSnapshot GrabPrimaryScreen();

// Under Wayland an ordinary program cannot read the screen: the compositor
// hands out black pictures, which must not pass for a capture.
bool CanReadScreen(const QString &platformName);
