#include "capture/snap_cip_wnd.h"

#include "capture/capture_result.h"
#include "capture/screen_snapshot.h"
#include "workbench/private_messages.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPen>
#include <QScreen>
#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kDimOpacity = 70;
constexpr int kPanelOpacity = 120;

// "Microsoft YaHei" at 10 points, height without internal leading: a pixel
// (em) size of 10 points at the screen's resolution. WenQuanYi Micro Hei
// stands in where YaHei is not installed.
QFont ReadoutFont() {
  QFont font;
  font.setFamilies({QStringLiteral("Microsoft YaHei"), QStringLiteral("WenQuanYi Micro Hei")});
  const QScreen *screen = QGuiApplication::primaryScreen();
  const qreal dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
  font.setPixelSize(std::max(1, int(10 * dpi / 72)));
  font.setWeight(QFont::Normal);
  return font;
}

} // namespace

CSnapCipWnd::CSnapCipWnd(QWidget *owner)
    // A child window of the owner: the main window runs modally, and only its
    // own windows still get the mouse.
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), owner_(owner),
      font_(ReadoutFont()) {
  setObjectName(QStringLiteral("Afx:SnapClipWnd"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setMouseTracking(true);
  setGeometry(0, 0, 100, 100);

  if (const QScreen *screen = QGuiApplication::primaryScreen()) {
    const QSize size = screen->geometry().size();
    screenRect_ = {0, 0, size.width(), size.height()};
    screenOrigin_ = screen->geometry().topLeft();
  }
  snapshot_ = QImage(ScreenRect().size(), QImage::Format_RGB32);
  snapshot_.fill(Qt::black);
  composition_ = snapshot_;
  defaultSelection_ = screenRect_;
  tracker_.SetBounds(screenRect_);
  tracker_.LinkPoint(&cursorPoint_);
}

CSnapCipWnd::~CSnapCipWnd() {
  clip_.Release();
}

bool CSnapCipWnd::BeginCapture(const QRect &confine, int mode) {
  mode_ = mode;
  // Never part of its own picture.
  if (isVisible())
    Dismiss();

  ScreenSnapshot shot = GrabPrimaryScreen();
  if (!shot.error.isEmpty()) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("glyphwright"), shot.error,
                    QMessageBox::Ok, owner_);
    box.exec();
    return false;
  }

  if (confine.width() > 0 && confine.height() > 0)
    clip_.Confine(confine);
  armed_ = false;
  tracker_.SetRect({});

  // The screen is measured again at every start: a resolution changed since
  // the last capture must not leave the window short of it.
  snapshot_ = std::move(shot.image);
  screenOrigin_ = shot.geometry.topLeft();
  screenRect_ = {0, 0, snapshot_.width(), snapshot_.height()};
  if (composition_.size() != snapshot_.size())
    composition_ = QImage(snapshot_.size(), QImage::Format_RGB32);
  tracker_.SetBounds(screenRect_);
  defaultSelection_ = screenRect_;
  cursorPoint_ = FromQPoint(QCursor::pos() - screenOrigin_);
  pressPoint_ = ToQPoint(cursorPoint_);

  setGeometry(shot.geometry);
  showFullScreen();
  raise();
  activateWindow();
  return true;
}

QImage CSnapCipWnd::Compose() {
  ComposeFrame();
  return composition_;
}

void CSnapCipWnd::ComposeFrame() {
  if (composition_.isNull())
    return;
  QPainter painter(&composition_);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.drawImage(0, 0, snapshot_);
  painter.setCompositionMode(QPainter::CompositionMode_SourceOver);

  QColor dim = dimSource_;
  dim.setAlpha(kDimOpacity);
  for (const TrackerRect &band : DimBands(tracker_.Rect(), screenRect_.right, screenRect_.bottom))
    painter.fillRect(ToQRect(band), dim);

  if (!tracker_.Rect().IsNull())
    tracker_.Paint(painter);
  defaultSelection_ = screenRect_;
  DrawMagnifier(painter);
}

void CSnapCipWnd::DrawMagnifier(QPainter &painter) {
  const MagnifierLayout m = LayOutMagnifier(tracker_.Rect(), cursorPoint_, magnifierSize_);
  magnifierRect_ = m.lens;
  painter.fillRect(ToQRect(m.panel), QColor(0, 0, 0, kPanelOpacity));

  // The colour as composed, dimmed or not, panel included.
  const QRgb under = composition_.valid(cursorPoint_.x, cursorPoint_.y)
                         ? composition_.pixel(cursorPoint_.x, cursorPoint_.y)
                         : qRgb(0, 0, 0);
  const TrackerRect &sel = tracker_.Rect();
  painter.setFont(font_);
  painter.setPen(Qt::white);
  const int ascent = QFontMetrics(font_).ascent();
  auto write = [&](TrackerPoint at, const QString &text) {
    painter.drawText(QPoint(at.x, at.y + ascent), text);
  };
  write(m.rgbText,
        QStringLiteral("当前RGB:(%1,%2,%3)").arg(qRed(under)).arg(qGreen(under)).arg(qBlue(under)));
  write(m.sizeText,
        QStringLiteral("区域大小:(%1,%2)").arg(std::abs(sel.Width())).arg(std::abs(sel.Height())));
  write(m.hintText, QStringLiteral("双击可以快速完成截图"));

  // Copied first: the block may overlap the lens it is drawn into.
  const QImage block = composition_.copy(ToQRect(m.source));
  painter.drawImage(ToQRect(m.lens), block);

  const int s = magnifierSize_;
  const TrackerRect &lens = m.lens;
  painter.setPen(QPen(Qt::black, 2, Qt::SolidLine));
  painter.drawLine(lens.left + s / 2, lens.top, lens.left + s / 2, lens.top + s);
  painter.drawLine(lens.left, lens.top + s / 2, lens.left + s, lens.top + s / 2);
}

void CSnapCipWnd::paintEvent(QPaintEvent *event) {
  ComposeFrame();
  QPainter painter(this);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.drawImage(event->rect(), composition_, event->rect());
}

void CSnapCipWnd::mousePressEvent(QMouseEvent *event) {
  const QPoint pos = event->position().toPoint();
  if (event->button() == Qt::RightButton) {
    Dismiss();
    return;
  }
  if (event->button() == Qt::LeftButton) {
    pressPoint_ = pos;
    if (!tracker_.Rect().IsNull()) {
      // Outside the selection a press does nothing: one rubber band per start.
      const int hit = tracker_.HitTest(FromQPoint(pos));
      if (hit != HitNothing) {
        tracker_.Drag(hit, pos, this);
        OnSetCursor();
      }
    } else if (!defaultSelection_.IsEmpty()) {
      tracker_.SetRect(defaultSelection_);
      repaint();
      armed_ = true;
      defaultSelection_ = {};
    }
  }
  QWidget::mousePressEvent(event);
}

void CSnapCipWnd::mouseMoveEvent(QMouseEvent *event) {
  const QPoint pos = event->position().toPoint();
  bool dragged = false;
  if ((event->buttons() & Qt::LeftButton) && armed_) {
    // A shaking hand is not a rubber band: one pixel of slack.
    if (std::abs(pos.x() - pressPoint_.x()) <= 1 && std::abs(pos.y() - pressPoint_.y()) <= 1)
      return;
    tracker_.SetRect({pressPoint_.x(), pressPoint_.y(), pressPoint_.x(), pressPoint_.y()});
    armed_ = false;
    tracker_.Drag(HitBottomRight, pressPoint_, this);
    dragged = true;
  }
  // After a drag the cursor point already holds where the mouse was let go.
  if (!dragged)
    cursorPoint_ = FromQPoint(pos);
  pressPoint_ = pos;
  repaint();
  OnSetCursor();
  QWidget::mouseMoveEvent(event);
}

void CSnapCipWnd::mouseReleaseEvent(QMouseEvent *event) {
  if (event->button() == Qt::LeftButton)
    armed_ = false;
  QWidget::mouseReleaseEvent(event);
}

void CSnapCipWnd::mouseDoubleClickEvent(QMouseEvent *event) {
  if (event->button() == Qt::LeftButton)
    Finish();
  else
    QWidget::mouseDoubleClickEvent(event);
}

void CSnapCipWnd::closeEvent(QCloseEvent *event) {
  clip_.Release();
  QWidget::closeEvent(event);
}

void CSnapCipWnd::hideEvent(QHideEvent *event) {
  // However the window goes away, the cursor is free again.
  clip_.Release();
  QWidget::hideEvent(event);
}

void CSnapCipWnd::OnSetCursor() {
  if (!tracker_.Rect().IsNull() && tracker_.UpdateCursor(this))
    return;
  unsetCursor();
}

void CSnapCipWnd::Dismiss() {
  clip_.Release();
  hide();
}

void CSnapCipWnd::Finish() {
  TrackerRect r = tracker_.Rect().Normalized();
  // A handle grabbed a few pixels outside its edge can carry an inverted
  // rectangle just past the screen; what is reported stays on the screen.
  r.left = std::clamp(r.left, 0, screenRect_.right);
  r.right = std::clamp(r.right, 0, screenRect_.right);
  r.top = std::clamp(r.top, 0, screenRect_.bottom);
  r.bottom = std::clamp(r.bottom, 0, screenRect_.bottom);
  Dismiss();
  // No area, nothing to report. (A 0 x 0 QRect is null, and copying a null
  // rectangle out of an image copies all of it: the whole screen.)
  if (r.IsEmpty())
    return;

  const QRect local = ToQRect(r);
  const QRect global = local.translated(screenOrigin_);
  if (!owner_)
    return;
  if (mode_ == CaptureMode) {
    PayloadEvent<CaptureResult> done(WM_CAPTURE_DONE, CaptureResult{snapshot_.copy(local), global});
    QCoreApplication::sendEvent(owner_, &done);
  } else if (mode_ == RangeMode) {
    PayloadEvent<QRect> selected(WM_RANGE_SELECTED, global);
    QCoreApplication::sendEvent(owner_, &selected);
  }
}
