#include "workbench/embedded_views.h"

#include "workspace/binar_ctrl.h"
#include "workspace/show_ctrl.h"

QWidget *CreateWorkspaceView(QWidget *parent) {
  return new CBinarCtrl(parent);
}

QWidget *CreateSamplePreview(QWidget *parent) {
  return new CShowCtrl(parent);
}
