#include "capture/screen_snapshot.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

bool CanReadScreen(const QString &platformName) {
  return !platformName.startsWith(QLatin1String("wayland"));
}

ScreenSnapshot GrabPrimaryScreen() {
  ScreenSnapshot shot;
  if (!CanReadScreen(QGuiApplication::platformName())) {
    shot.error = QStringLiteral("当前桌面 (Wayland) 不允许程序读取屏幕内容，无法截图。\n"
                                "请在 X11 会话中使用截图，或先截图保存后用“本地图片”打开。");
    return shot;
  }
  QScreen *screen = QGuiApplication::primaryScreen();
  const QPixmap grab = screen ? screen->grabWindow(0) : QPixmap();
  if (grab.isNull()) {
    shot.error = QStringLiteral("无法读取屏幕内容，截图失败。");
    return shot;
  }
  shot.geometry = screen->geometry();
  shot.image = grab.toImage().convertToFormat(QImage::Format_RGB32);
  // The window, the cursor and the reported rectangles all speak logical
  // pixels; on a scaled screen the picture is brought to the same grid.
  if (shot.image.size() != shot.geometry.size())
    shot.image =
        shot.image.scaled(shot.geometry.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  shot.image.setDevicePixelRatio(1.0);
  return shot;
}
