#include "workspace/binar_ctrl.h"
#include "workspace/display_binarize.h"

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "workspace/box_edits.h"
#include "workspace/box_selected_event.h"

namespace {

// The keysym of the left Ctrl key, which X11 and Wayland report as a key
// event's native virtual key.
constexpr quint32 kLeftControlKeysym = 0xffe3;

const QColor kBoxOutline(0x90, 0xEE, 0x90);
const QColor kSelectedOutline(255, 0, 0);
// A box being drawn and the boxes a drag is merging.
const QColor kGestureOutline(255, 255, 0);

QRectF OutlineOf(const SegBox &box) {
  return QRectF(box.x, box.y, box.width, box.height);
}

int FloorDiv(int value, int divisor) {
  const int quotient = value / divisor;
  return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

// The view's pixels: each back-buffer pixel as a zoom x zoom square, seen
// from (offsetX, offsetY) of the enlarged picture; black past its edges.
void Enlarge(const QImage &back, const ViewZoom &view, QImage &out) {
  for (int y = 0; y < out.height(); ++y) {
    auto *to = reinterpret_cast<QRgb *>(out.scanLine(y));
    const int sy = FloorDiv(y + view.offsetY, view.zoom);
    if (sy < 0 || sy >= back.height()) {
      std::fill(to, to + out.width(), qRgb(0, 0, 0));
      continue;
    }
    const auto *from = reinterpret_cast<const QRgb *>(back.constScanLine(sy));
    for (int x = 0; x < out.width(); ++x) {
      const int sx = FloorDiv(x + view.offsetX, view.zoom);
      to[x] = (sx < 0 || sx >= back.width()) ? qRgb(0, 0, 0) : from[sx];
    }
  }
}

} // namespace

CBinarCtrl::CBinarCtrl(QWidget *parent) : QWidget(parent) {
  // Every pixel is painted here; nothing is erased first, so nothing flickers.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::ClickFocus);
  // The zoom and the box gestures are found nowhere else on screen.
  setToolTip(QStringLiteral("左 Ctrl + 滚轮：放大/缩小\n"
                            "单击：选中框，直接打字即标注；Delete：删除框\n"
                            "拖动（或按住 Shift 拖动）：画框；从框上拖过其他框：合并\n"
                            "右键：拆分、合并、删除、按顺序标注、撤销/重做（Ctrl+Z / Ctrl+Y）"));
  QCoreApplication::instance()->installEventFilter(this);
}

CBinarCtrl::~CBinarCtrl() {
  // The engine may hold a pointer to the engine copy; neither it nor delMat
  // reads it once the image is being replaced.
  engineCopy_ = {};
  delMat(mat_);
}

void CBinarCtrl::SetImage(const QImage &source) {
  allOutlines_.clear();
  selectedOutline_.clear();
  selected_ = -1;
  gesture_.Cancel();
  view_ = {};

  QImage shown(size(), QImage::Format_RGB32);
  shown.fill(Qt::black);
  if (!source.isNull() && !shown.isNull()) {
    // Pixel for pixel into the top-left corner, cut at the workspace's edges.
    const QImage pixels = source.convertToFormat(QImage::Format_RGB32);
    const int width = std::min(pixels.width(), shown.width());
    const int height = std::min(pixels.height(), shown.height());
    for (int y = 0; y < height; ++y)
      std::memcpy(shown.scanLine(y), pixels.constScanLine(y), std::size_t(width) * 4);
  }
  shown_ = shown;
  sourceWidth_ = source.width();
  sourceHeight_ = source.height();
  update();
  ConvertShownToBuffers();
}

void CBinarCtrl::ConvertShownToBuffers() {
  ImageBuffer engineCopy;
  ImageBuffer display;
  try {
    ImageBuffer read;
    read.width = shown_.width();
    read.height = shown_.height();
    read.bytesPerRow = int(shown_.bytesPerLine());
    read.bitsPerPixel = shown_.depth();
    read.pixels.assign(shown_.constBits(), shown_.constBits() + shown_.sizeInBytes());
    engineCopy = SwapRedBlue(read);
    display = read;
    // Black until the first binarization fills it.
    std::fill(display.pixels.begin(), display.pixels.end(), 0);
  } catch (const std::bad_alloc &) {
    return; // the previous image stays in use
  }
  // The old engine copy goes before its handle, which never reads it again.
  engineCopy_ = std::move(engineCopy);
  display_ = std::move(display);
  delMat(mat_);
  mat_ = 0;
  if (!engineCopy_.empty())
    mat_ = newMat(engineCopy_.pixels.data(), engineCopy_.width, engineCopy_.height,
                  engineCopy_.bytesPerRow, engineCopy_.bitsPerPixel / 8);
}

void CBinarCtrl::Binarize(int threshold, int maximum, int type) {
  if (mat_ == 0)
    return;
  if (!BinarizeIntoDisplay(display_, mat_, type, threshold, maximum, sourceWidth_, sourceHeight_))
    return;
  ShowDisplayBuffer();
  update();
}

void CBinarCtrl::ShowDisplayBuffer() {
  if (!HasColourPixels(display_))
    return;
  if (shown_.size() != QSize(display_.width, display_.height) ||
      shown_.format() != QImage::Format_RGB32)
    shown_ = QImage(display_.width, display_.height, QImage::Format_RGB32);
  if (shown_.isNull())
    return; // no memory for the bitmap: nothing to show into
  // bits() detaches a copy the paint code may still share, then rows are
  // written word by word.
  CopyDisplayToXrgb(display_, shown_.bits(), std::size_t(shown_.bytesPerLine()));
}

std::optional<std::vector<std::uint8_t>> CBinarCtrl::ExtractMask(PixelRect &area) const {
  return ExtractDisplayMask(display_, area);
}

int CBinarCtrl::SplitGrid(int rowGap, int columnGap) {
  if (!hasImage())
    return 0;
  std::optional<std::vector<SegBox>> boxes = SplitGridBoxes(display_, rowGap, columnGap);
  if (!boxes)
    return -1;
  ReplaceBoxes(std::move(*boxes), QStringLiteral("分割"));
  return 0;
}

int CBinarCtrl::SplitDirect() {
  if (!hasImage())
    return -1;
  PixelRect whole{};
  std::optional<std::vector<std::uint8_t>> mask = ExtractMask(whole);
  if (!mask)
    return 0; // no memory: the boxes stay
  int count = 0;
  int *found = findRect(mask->data(), whole.right, whole.bottom, &count, 0.0f);
  if (found == nullptr)
    return 0;
  std::vector<PixelRect> glyphs;
  try {
    glyphs.reserve(std::size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i)
      glyphs.push_back({found[4 * i], found[4 * i + 1], found[4 * i + 2], found[4 * i + 3]});
    ocFree(&found);
    ReplaceBoxes(MakeSegBoxes(glyphs, mask->data(), whole.right, whole.bottom),
                 QStringLiteral("直接分割"));
  } catch (const std::bad_alloc &) {
    ocFree(&found);
  }
  return 0;
}

void CBinarCtrl::ReplaceBoxes(std::vector<SegBox> boxes, const QString &what) {
  // Whatever order a split finds them in, the list reads like the text.
  SortReadingOrder(boxes);
  std::vector<SegBox> before = std::exchange(boxes_, std::move(boxes));
  Record(std::move(before), what);
  selected_ = -1;
  gesture_.Cancel();
  RebuildOutlines();
  update();
}

void CBinarCtrl::RebuildOutlines() {
  QPainterPath outlines;
  for (const SegBox &box : boxes_)
    outlines.addRect(OutlineOf(box));
  allOutlines_ = outlines;
  selectedOutline_.clear();
  if (selected_ >= 0)
    selectedOutline_.addRect(OutlineOf(boxes_[std::size_t(selected_)]));
}

void CBinarCtrl::ClearOutlines() {
  allOutlines_.clear();
  selectedOutline_.clear();
  selected_ = -1;
  update();
}

void CBinarCtrl::ViewToImage(PixelRect &rect) const {
  rect = ::ViewToImage(view_, rect, width(), height());
}

void CBinarCtrl::resizeEvent(QResizeEvent *event) {
  backBuffer_ = QImage(size(), QImage::Format_RGB32);
  QWidget::resizeEvent(event);
}

void CBinarCtrl::ComposeBackBuffer() {
  if (backBuffer_.size() != size())
    backBuffer_ = QImage(size(), QImage::Format_RGB32);
  backBuffer_.fill(Qt::black);
  QPainter painter(&backBuffer_);
  if (!shown_.isNull())
    painter.drawImage(0, 0, shown_);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(kBoxOutline, 1.0));
  painter.drawPath(allOutlines_);
  painter.setPen(QPen(kSelectedOutline, 1.0));
  painter.drawPath(selectedOutline_);
  DrawGesture(painter);
  DrawCaptions(painter);
}

void CBinarCtrl::SetBoxCaptions(std::vector<QString> captions) {
  captions_ = std::move(captions);
  update();
}

void CBinarCtrl::DrawCaptions(QPainter &painter) const {
  if (captions_.empty())
    return;
  QFont font = painter.font();
  font.setPixelSize(12);
  painter.setFont(font);
  const QFontMetrics metrics(font);
  for (std::size_t i = 0; i < boxes_.size() && i < captions_.size(); ++i) {
    const SegBox &box = boxes_[i];
    const bool missing = captions_[i].isEmpty();
    const QString text = missing ? QString(QChar(kNoCaptionMark)) : captions_[i];
    // Above the box, or inside its top when there is no room above.
    QRect band(box.x, box.y - metrics.height(), metrics.horizontalAdvance(text) + 2,
               metrics.height());
    if (band.top() < 0)
      band.moveTop(std::max(box.y, 0));
    painter.fillRect(band, QColor(0, 0, 0x60));
    painter.setPen(missing ? QColor(0xFF, 0x60, 0x60) : QColor(0xFF, 0xFF, 0x40));
    painter.drawText(band, Qt::AlignCenter, text);
  }
}

void CBinarCtrl::DrawGesture(QPainter &painter) const {
  painter.setPen(QPen(kGestureOutline, 1.0));
  if (gesture_.kind() == BoxGesture::Kind::Draw) {
    // The outline the box would get, one pixel around the dragged pixels.
    const PixelRect band = gesture_.RubberBand();
    painter.drawRect(QRectF(band.left - 1, band.top - 1, double(band.right) - band.left + 2,
                            double(band.bottom) - band.top + 2));
  } else if (gesture_.kind() == BoxGesture::Kind::Merge) {
    for (int index : gesture_.MergeSet())
      if (std::size_t(index) < boxes_.size())
        painter.drawRect(OutlineOf(boxes_[std::size_t(index)]));
  }
}

void CBinarCtrl::paintEvent(QPaintEvent *) {
  ComposeBackBuffer();
  QPainter screen(this);
  if (view_ == ViewZoom{}) {
    screen.drawImage(0, 0, backBuffer_);
    return;
  }
  QImage enlarged(size(), QImage::Format_RGB32);
  Enlarge(backBuffer_, view_, enlarged);
  screen.drawImage(0, 0, enlarged);
}

void CBinarCtrl::mousePressEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  setFocus(Qt::MouseFocusReason);
  const QPoint at = event->position().toPoint();
  const WorkspacePoint point = ViewToWorkspace(view_, at.x(), at.y());
  const int hit = HitBox(boxes_, point);
  selectedOutline_.clear();
  selected_ = hit;
  // Repainted on a miss as well, so a red outline never outlives its
  // selection on screen.
  update();
  // Only a drag past the platform's start distance draws or merges; until
  // then this is a plain click, which selects right away.
  gesture_.SetDragDistance(QApplication::startDragDistance());
  gesture_.Press(at.x(), at.y(), point, hit, event->modifiers() & Qt::ShiftModifier);
  if (hit >= 0) {
    const SegBox &box = boxes_[std::size_t(hit)];
    selectedOutline_.addRect(OutlineOf(box));
    BoxSelectedEvent selected(box);
    QCoreApplication::sendEvent(window(), &selected);
  }
  event->accept();
}

void CBinarCtrl::mouseMoveEvent(QMouseEvent *event) {
  if (!(event->buttons() & Qt::LeftButton) || !gesture_.active()) {
    QWidget::mouseMoveEvent(event);
    return;
  }
  const QPoint at = event->position().toPoint();
  const WorkspacePoint point = ViewToWorkspace(view_, at.x(), at.y());
  if (gesture_.Move(at.x(), at.y(), point, HitBox(boxes_, point)))
    update();
  event->accept();
}

void CBinarCtrl::mouseReleaseEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton || !gesture_.active()) {
    QWidget::mouseReleaseEvent(event);
    return;
  }
  const BoxGesture::Result result = gesture_.Release();
  update();
  if (result.kind == BoxGesture::Kind::Draw)
    AddDrawnBox(result.drawn);
  else if (result.kind == BoxGesture::Kind::Merge)
    MergeBoxesAt(result.merged);
  event->accept();
}

void CBinarCtrl::ClearSelection() {
  selected_ = -1;
  selectedOutline_.clear();
  update();
}

void CBinarCtrl::keyPressEvent(QKeyEvent *event) {
  // Typing over a selected box labels it: the key goes to the label edit.
  // Delete, Esc, arrows and shortcuts keep their meaning here.
  const QString text = event->text();
  const bool command =
      event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  if (selected_ >= 0 && !command && !text.isEmpty() && text.at(0).isPrint()) {
    emit TypedToLabel(text);
    event->accept();
    return;
  }
  if (event->key() == Qt::Key_Delete && selected_ >= 0) {
    DeleteBox(selected_);
    event->accept();
    return;
  }
  if (event->key() == Qt::Key_Escape && gesture_.active()) {
    gesture_.Cancel();
    update();
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}

bool CBinarCtrl::LeftControlHeld(Qt::KeyboardModifiers modifiers) const {
  if (!(modifiers & Qt::ControlModifier))
    return false;
  // Where key events do not name their key, either Ctrl has to do.
  return keysNamed_ ? leftControlDown_ : true;
}

void CBinarCtrl::wheelEvent(QWheelEvent *event) {
  if (!(event->modifiers() & Qt::ControlModifier))
    leftControlDown_ = false; // its release happened where we could not see it
  if (!LeftControlHeld(event->modifiers())) {
    event->ignore();
    return;
  }
  const int delta = event->angleDelta().y();
  if (ZoomAtLimit(view_, delta)) {
    event->accept();
    return;
  }
  const QPoint at = event->position().toPoint();
  StepZoom(view_, delta, at.x(), at.y());
  update();
  event->ignore();
}

bool CBinarCtrl::eventFilter(QObject *watched, QEvent *event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() == Qt::Key_Control && key->nativeVirtualKey() != 0) {
      keysNamed_ = true;
      if (key->nativeVirtualKey() == kLeftControlKeysym)
        leftControlDown_ = type == QEvent::KeyPress;
    }
  }
  return QWidget::eventFilter(watched, event);
}
