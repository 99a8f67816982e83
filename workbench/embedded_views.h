#pragma once
// The two views the main window hosts: the image workspace (control 1000) and
// the enlarged sample preview (control 1016).
class QWidget;

QWidget *CreateWorkspaceView(QWidget *parent);
QWidget *CreateSamplePreview(QWidget *parent);
