#pragma once
// A main window on a settings file of its own in a fresh directory.
#include "app/settings_store.h"
#include "tests/support/temp_dir.h"
#include "workbench/glyphwright_dlg.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <gtest/gtest.h>
#include <memory>

class DialogTest : public ::testing::Test {
protected:
  std::string SettingsPath() const { return dir_.File("runeforge.cfg"); }
  void WriteSettings(const std::string &json) const { dir_.Write("runeforge.cfg", json); }
  std::string SettingsText() const { return dir_.Read("runeforge.cfg"); }

  // A store as a fresh start of the program would have it.
  SettingsStore &NewStore() {
    stores_.push_back(std::make_unique<SettingsStore>(SettingsPath()));
    return *stores_.back();
  }
  std::unique_ptr<CglyphwrightDlg> OpenDialog() {
    return std::make_unique<CglyphwrightDlg>(NewStore());
  }

  template <typename T> static T *Control(QWidget &dialog, int id) {
    T *control = dialog.findChild<T *>(QString::number(id));
    EXPECT_NE(control, nullptr) << "control " << id;
    return control;
  }

  // What a control shows in one comparable form: the selection index of a
  // list, the position of a track bar, the text of an edit.
  static QString ValueOf(QWidget &dialog, int id) {
    QWidget *w = Control<QWidget>(dialog, id);
    if (auto *combo = qobject_cast<QComboBox *>(w))
      return QString::number(combo->currentIndex());
    if (auto *slider = qobject_cast<QSlider *>(w))
      return QString::number(slider->value());
    if (auto *edit = qobject_cast<QLineEdit *>(w))
      return edit->text();
    if (auto *text = qobject_cast<QPlainTextEdit *>(w))
      return text->toPlainText();
    return QStringLiteral("<no value>");
  }

  TempDir dir_;
  std::vector<std::unique_ptr<SettingsStore>> stores_;
};
