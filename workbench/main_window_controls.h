#pragma once
// The main window's widgets, made from the layout table and bound to typed
// members by control ID.
class CBinarCtrl;
class CShowCtrl;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSlider;
class QTableWidget;
class QWidget;

struct MainWindowControls {
  CBinarCtrl *workspaceView = nullptr; // 1000
  CShowCtrl *previewView = nullptr;    // 1016

  QLineEdit *rows = nullptr;           // 1001
  QLineEdit *columns = nullptr;        // 1002
  QComboBox *method = nullptr;         // 1005
  QSlider *threshold = nullptr;        // 1004
  QSlider *maximum = nullptr;          // 1003
  QLineEdit *methodType = nullptr;     // 1018
  QLineEdit *thresholdValue = nullptr; // 1019
  QLineEdit *maximumValue = nullptr;   // 1020

  QLineEdit *samplePath = nullptr;       // 1008
  QLineEdit *dataPath = nullptr;         // 1006
  QComboBox *trainMode = nullptr;        // 1030
  QComboBox *baseLanguage = nullptr;     // 1031
  QComboBox *trainPsm = nullptr;         // 1034
  QProgressBar *trainProgress = nullptr; // 1007
  QPlainTextEdit *trainLog = nullptr;    // 1035

  QLineEdit *label = nullptr;         // 1011
  QTableWidget *sampleList = nullptr; // 1014

  QLineEdit *range = nullptr;       // 1022
  QComboBox *engine = nullptr;      // 1032
  QComboBox *testPsm = nullptr;     // 1023
  QComboBox *splitType = nullptr;   // 1024
  QComboBox *ocrCommand = nullptr;  // 1027
  QLineEdit *whitelist = nullptr;   // 1026
  QPlainTextEdit *script = nullptr; // 1025
  QPlainTextEdit *result = nullptr; // 1028

  QPushButton *captureButton = nullptr;       // 1009
  QPushButton *openImageButton = nullptr;     // 1010
  QPushButton *clearBoxesButton = nullptr;    // 1017
  QPushButton *gridSplitButton = nullptr;     // 4
  QPushButton *directSplitButton = nullptr;   // 7
  QPushButton *chooseSampleButton = nullptr;  // 3
  QPushButton *chooseDataButton = nullptr;    // 6
  QPushButton *startTrainingButton = nullptr; // 5
  QPushButton *addSampleButton = nullptr;     // 1012
  QPushButton *selectRangeButton = nullptr;   // 1013
  QPushButton *startTestButton = nullptr;     // 1029
};

// Creates every control of the layout table as a child of `dialog`, at its
// place and in table order (the tab order), and returns the addressed ones.
MainWindowControls BuildMainWindowControls(QWidget *dialog);
