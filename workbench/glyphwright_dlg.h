#pragma once
// The main window: one fixed-size dialog holding every control of the
// workbench. It reads the settings when it opens and writes them back once,
// however it is closed.
#include "workbench/main_window_controls.h"

#include <QDialog>
#include <QString>

class QImage;
class QMenu;
class SettingsStore;

class CglyphwrightDlg : public QDialog {
  Q_OBJECT

public:
  explicit CglyphwrightDlg(SettingsStore &settings, QWidget *parent = nullptr);
  ~CglyphwrightDlg() override;

  // A window-menu command; the About ID (any of 16..31) opens the About box.
  void OnSysCommand(int commandId);

  // Every way of ending the dialog (Esc, the close box, done()) passes here.
  void done(int result) override;

  // Decodes an image file into the workspace and binarizes it with the
  // values now chosen. A file that does not decode is reported and leaves
  // the workspace as it was; false then.
  bool LoadImageFile(const QString &path);

  // Test range: left, top, right, bottom in workspace pixels, right and
  // bottom exclusive.
  struct TestRange {
    int left = 0, top = 0, right = 0, bottom = 0;
  };

protected:
  // Runs the About box modally; tests replace it.
  virtual void ShowAboutBox();
  // The file-open dialog of button 1010; an empty path when cancelled.
  virtual QString AskImagePath();
  // A failure the user can fix, in the usual message box; tests replace it.
  virtual void ShowMessage(const QString &text);

  void closeEvent(QCloseEvent *event) override;
  void contextMenuEvent(QContextMenuEvent *event) override;

private:
  void OnInitDialog();
  void ConnectControls();
  // Writes the settings back; only the first call does anything.
  void OnDestroy();

  void OnThresholdScroll();
  void OnMethodChanged(int method);

  // Image workspace commands (workspace_commands.cpp).
  void ConnectWorkspaceCommands();
  void OnOpenImage();
  void OnGridSplit();
  void OnDirectSplit();
  void OnClearBoxes();
  // An image from a file or a capture: into the workspace, binarized at once.
  void PutImageIntoWorkspace(const QImage &image);

  // Filled by the sample library work: loads the file of edit 1008 into the
  // store and the list.
  void ReloadSampleList();
  // Filled by the screen capture work: creates the hidden capture window.
  void CreateCaptureWindow();
  // Binarizes the workspace image again with the threshold, maximum and
  // method now chosen.
  void RebinarizeWorkspace();

  void CentreOnScreen();
  void ShowRange();

  SettingsStore &settings_;
  MainWindowControls controls_;
  QMenu *systemMenu_ = nullptr;
  bool settingsSaved_ = false;

  QString currentSample_; // dot-matrix string of the box or row selected last
  TestRange testRange_;
};
