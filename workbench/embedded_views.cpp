#include "workbench/embedded_views.h"

#include <QFrame>

namespace {

QWidget *EmptyFrame(QWidget *parent) {
  auto *frame = new QFrame(parent);
  frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  return frame;
}

} // namespace

// Plain frames until the workspace view and the preview control exist.
QWidget *CreateWorkspaceView(QWidget *parent) {
  return EmptyFrame(parent);
}
QWidget *CreateSamplePreview(QWidget *parent) {
  return EmptyFrame(parent);
}
