#pragma once
// The sample list of the main window: list 1014 mirrors the SampleStore, the
// label edit 1011 names the current sample, edit 1008 holds the sample
// file's path. Every change through the list is written to the file at once.
//
// The main window creates one of these over its controls and routes to it:
// buttons 3 and 1012 and the workspace's box selection. Clicks and right
// clicks on the list, the popup menu, the Delete key and header clicks are
// handled here.
//
// The list shows a view of the library's rows (SampleRows): all of them in
// their own order, or those whose label holds a searched text, or sorted by
// a column. Every command finds its samples through the data string each
// row carries, never through the row number, so it acts on the rows the
// user sees however they are filtered or sorted.
#include "samples/row_view.h"
#include "samples/sample_rows.h"
#include "samples/sample_store.h"
#include "samples/store_change.h"

#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

class QLineEdit;
class QMenu;
class QTableWidget;
class QWidget;

class CSampleList : public QObject {
  Q_OBJECT

public:
  // `owner` owns the popup menu and the dialogs; the widgets and the store
  // must outlive this object.
  CSampleList(QTableWidget *list, QLineEdit *label, QLineEdit *samplePath, QWidget *owner,
              SampleStore &store, QObject *parent = nullptr);

  // Where messages go: by default a modal warning box titled "glyphwright".
  // The main window routes them to its own message function; tests collect
  // them.
  using MessageSink = std::function<void(const QString &text)>;
  void SetMessageSink(MessageSink sink);

  // Asks for the sample file's path; empty when cancelled. By default the
  // open-file dialog, which also takes a name that does not exist yet.
  using PathChooser = std::function<QString()>;
  void SetPathChooser(PathChooser chooser);
  // The same for "新建样本库…" (by default a save dialog) and "导入样本…"
  // (an open dialog for existing files).
  void SetNewLibraryChooser(PathChooser chooser);
  void SetImportChooser(PathChooser chooser);

  // Undo: every change of the library made here that reached the file is
  // handed to this sink with a short name of what it did; the main window
  // pushes it onto its undo stack. A change whose file write failed is
  // taken back from store and list instead, so they keep agreeing with the
  // file, and is not reported.
  using ChangeSink = std::function<void(StoreChange change, const QString &what)>;
  void SetChangeSink(ChangeSink sink);
  // Redoes (`forward`) or undoes a change reported by the sink: store and
  // list follow it, rows back at their positions, and the whole store is
  // written to the file of edit 1008 through the safe writer. False when the
  // write failed (the user was told; store and list keep the change, so a
  // later write catches the file up).
  bool ApplyChange(const StoreChange &change, bool forward);

  // Fills store and list from the file of edit 1008. No path, or a file that
  // is missing, unreadable or empty, leaves both as they are.
  void ReloadSampleList();
  // Button 3: chooses the file, then reloads. Nothing is written here.
  void OnChooseSampleFile();
  // Button 1012: adds the current sample with the label of edit 1011, or
  // relabels it, and writes the file. False when a message stopped it.
  // A failed write takes the change back and gives false as well.
  bool OnAddSample();
  // Adds or relabels each (data string, label) as button 1012 does, then
  // writes the file once. Pairs with an empty string are skipped. Without a
  // sample path: the same message as button 1012, nothing changes, false.
  bool AddSamples(const std::vector<std::pair<QString, QString>> &samples);
  // Menu item 32772 and the Delete key: deletes every selected row and
  // writes the file once; one step of the undo history.
  void OnDeleteSample();

  // "新建样本库…": asks for a file that does not exist yet, writes an
  // empty library there and makes it the sample file. The old file is left
  // as it is. False when cancelled or refused (a message said why).
  bool OnNewLibrary();

  struct ImportSummary {
    int added = 0;
    int relabelled = 0; // samples of the library that took the imported label
    int unchanged = 0;
    int skipped = 0; // elements of the file that are no samples
  };
  // "导入样本…": merges the samples of another sample file into the library,
  // an imported label winning over the library's for the same data string;
  // one write, one undo step. Nothing when cancelled or when the file could
  // not be read or parsed (a message said so); nothing changed then.
  std::optional<ImportSummary> OnImportSamples();
  // Merges an already read sample store as OnImportSamples does.
  std::optional<ImportSummary> ImportSamples(const SampleStore &incoming);

  // Shows only the rows whose label contains `text` (all for an empty text).
  void SetFilter(const QString &text);
  // A click on the header of `column` (0 label, 1 data string): sorted
  // ascending, then descending, then back to the list's own order.
  void OnHeaderClicked(int column);
  const RowView &View() const { return view_; }

  struct Counts {
    int samples = 0;
    int labels = 0; // distinct labels
    int shown = 0;  // rows the list shows now
  };
  Counts CurrentCounts() const;

  // A click on the list: previews the first selected row.
  void OnSampleListClick();
  // A right click: previews the first selected row and opens menu 129.
  void OnSampleListRClick();
  void ShowSelectedSample();

  // A box chosen in the workspace (data string as the interface holds it).
  // When it draws, it becomes the current sample, edit 1011 gets its known
  // label or empties, and the preview is asked to show it; true then. A
  // string that does not draw changes nothing.
  bool OnBoxSelected(const QString &data);

  // Preview pictures are made no larger than this (the preview's inner
  // size), however many cells a sample has.
  void SetPreviewSize(QSize size);

  // The data string of the box or row previewed last; empty until then.
  const QString &CurrentSample() const { return currentSample_; }
  // Where the current sample came from: a box of the workspace, a row of
  // the list, or a row since deleted (it stays current and 1012 adds it
  // again).
  enum class Source { None, Box, ListRow, Deleted };
  Source CurrentSource() const { return source_; }
  // The label the last add replaced on an existing sample (system code page
  // converted); empty when the last add gave a new sample or the same label.
  const QString &ReplacedLabel() const { return replacedLabel_; }
  // Menu 129, with its single item 32772 "删除".
  QMenu *PopupMenu() const { return popupMenu_; }

  // The label edit takes no more characters than this: at most 6 bytes each
  // in the sample file (a \u escape), so every label stays within what the
  // file is read with.
  static constexpr int kMaxLabelChars = 512;

protected:
  // The Delete key in the list.
  bool eventFilter(QObject *watched, QEvent *event) override;

signals:
  // The preview (control 1016) should show this picture of the current
  // sample.
  void PreviewChanged(const QImage &bitmap);
  // The current sample's source changed (a row click, a delete, a box).
  void CurrentSourceChanged();
  // The library or the rows shown changed: CurrentCounts() tells the news.
  void CountsChanged();
  // Store and list were filled from a file or started empty: the undo
  // history of what was there before no longer applies.
  void LibraryReplaced();

private:
  int FirstSelectedRow() const;
  // The data strings of the selected rows, top first.
  std::vector<std::string> SelectedKeys() const;
  // The previewed sample (its store key, and the key as shown) becomes the
  // current one.
  bool Preview(const std::string &key, const QString &data);
  // Store and list get the sample under its store key (a new row on top) or
  // its new label; the step goes into `change`.
  void PutSample(const std::string &key, const QString &label, StoreChange &change);
  // Store and list follow a change one way, without writing.
  void FollowChange(const StoreChange &change, bool forward);
  // Writes `change` out: reported to the sink when the file took it, taken
  // back otherwise. False then.
  bool Commit(StoreChange change, const QString &what);
  // The list shows the rows' own order, unfiltered, so that list row n is
  // row n of rows_, and `edits` single edits are cheaper than a refill.
  bool EditsRowByRow(std::size_t edits) const;
  // Fills the list anew from rows_ through the view, keeping the selected
  // samples selected and the scroll position.
  void RefillList();
  // Ends a command: a list left stale is refilled and the counts told.
  void Settle();
  // After the library changed under the current sample: is it still in it?
  void UpdateSourceFromStore();
  void SetRowItems(int row, const SampleRow &sample);
  void OnHeaderDoubleClicked(int column);
  void ShowSortIndicator();
  void SetSource(Source source);
  // Writes the whole store to the file of edit 1008, first copying a file
  // that the rewrite would lose data of. Failures are told to the user and
  // give false.
  bool SaveSampleFile();
  void Tell(const QString &text);
  QString DefaultPathChooser();

  QTableWidget *list_;
  QLineEdit *label_;
  QLineEdit *samplePath_;
  QWidget *owner_;
  SampleStore &store_;
  SampleRows rows_; // the list's own order of store_'s samples
  RowView view_;
  bool listStale_ = false; // the list no longer shows rows_ through view_
  // The view before the last header click, when and where it was: a double
  // click, which starts with a click, leaves the order as it was.
  RowView viewBeforeClick_;
  QElapsedTimer lastHeaderClick_;
  int lastClickedColumn_ = -1;
  QMenu *popupMenu_;
  MessageSink messageSink_;
  PathChooser pathChooser_;
  PathChooser newLibraryChooser_;
  PathChooser importChooser_;
  ChangeSink changeSink_;
  Source source_ = Source::None;
  QString replacedLabel_;
  QString currentSample_;
  std::string currentKey_; // currentSample_ as the store has it
  QSize previewSize_;      // invalid: the pictures' own default limit
  // Files (file-system paths) that a rewrite would lose data of: copied to a
  // backup before they are first written.
  std::set<std::string> keepBeforeWrite_;
};
