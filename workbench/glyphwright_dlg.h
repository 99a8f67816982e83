#pragma once
// The main window: one fixed-size dialog holding every control of the
// workbench. It reads the settings when it opens and writes them back once,
// however it is closed.
#include "samples/sample_store.h"
#include "workbench/main_window_controls.h"

#include <QDialog>
#include <QString>
#include <memory>
#include <string>
#include <vector>

class CLibraryBar;
class CLineLabelDlg;
class CSampleList;
class CSnapCipWnd;
class OcrTestRunner;
class QImage;
class QMenu;
class QUndoStack;
class SettingsStore;
class TrainCommands;

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

  // The sample library in memory, and the parts of the window that own the
  // sample list, the capture window, the test area and training.
  const SampleStore &Samples() const { return sampleStore_; }
  CSampleList *SampleList() const { return sampleList_; }
  // The sample count and the find box above the list.
  CLibraryBar *LibraryBar() const { return libraryBar_; }
  CSnapCipWnd *CaptureWindow() const { return captureWindow_; }
  OcrTestRunner *OcrTest() const { return ocrTest_; }
  TrainCommands *Training() const { return training_.get(); }
  // The undo history of box edits and library changes (undo_commands.h
  // says how to push onto it).
  QUndoStack *UndoStack() const { return undoStack_; }

protected:
  // The private messages of the other parts of the program, handled before
  // the normal dispatch (private_message_handlers.cpp).
  bool event(QEvent *event) override;

  // Runs the About box modally; tests replace it.
  virtual void ShowAboutBox();
  // The file-open dialog of button 1010; an empty path when cancelled.
  virtual QString AskImagePath();
  // A failure the user can fix, in the usual message box; tests replace it.
  virtual void ShowMessage(const QString &text);
  // Runs the line-labelling dialog modally; tests replace it.
  virtual int RunLineLabelDialog(CLineLabelDlg &dialog);

  // Enter in the label edit 1011 (workspace_commands.cpp).
  bool eventFilter(QObject *watched, QEvent *event) override;

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
  // Enter in edit 1011: adds the sample as button 1012 does and moves on to
  // the next box of the workspace.
  void OnLabelEnter();
  // Button 1012 and Enter: adds the current sample and says on the preview
  // when an existing sample's label was replaced. False when it was not
  // added (a message said why).
  bool AddCurrentSample();
  // The current sample came from a box, a list row or a deleted row: the
  // workspace and the preview show which.
  void OnCurrentSourceChanged();
  // "按顺序标注…": labels every box from one typed line.
  void OnLabelInOrder();
  // An image from a file or a capture: into the workspace, binarized at once.
  void PutImageIntoWorkspace(const QImage &image);

  // The sample list, training and the test area, each over its controls.
  void CreateSubsystemPanels();
  void ConnectSubsystemCommands();
  // Loads the file of edit 1008 into the store and the list.
  void ReloadSampleList();
  // Creates the hidden capture window.
  void CreateCaptureWindow();
  // Button 1009: the capture window over the whole primary screen.
  void OnCaptureScreen();
  // Stops what runs on worker threads before the window goes.
  void StopWorkers();
  // Binarizes the workspace image again with the threshold, maximum and
  // method now chosen.
  void RebinarizeWorkspace();

  void CentreOnScreen();
  // New library, import, find, and the count strip (library_menu.cpp).
  void CreateLibraryCommands();
  // "导入样本…": merges a sample file; the preview's notice says what changed.
  void OnImportSamples();
  // The undo stack and its keys (undo_history.cpp).
  void CreateUndoHistory();

  SettingsStore &settings_;
  MainWindowControls controls_;
  QMenu *systemMenu_ = nullptr;
  bool settingsSaved_ = false;

  SampleStore sampleStore_;
  CSampleList *sampleList_ = nullptr;
  CLibraryBar *libraryBar_ = nullptr;
  CSnapCipWnd *captureWindow_ = nullptr;
  OcrTestRunner *ocrTest_ = nullptr;
  std::unique_ptr<TrainCommands> training_;
  QUndoStack *undoStack_ = nullptr;
  // The line typed last in "按顺序标注…" and the boxes it was for.
  std::vector<std::string> lastLineBoxes_;
  QString lastLineText_;
};
