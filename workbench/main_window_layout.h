#pragma once
// The main window's controls as its dialog template lays them out: one row per
// control in creation order, which is also the tab order. Positions are dialog
// units; the widgets are built from this table, so it is the one place where a
// position or caption changes.
#include <span>

enum class ControlKind {
  PushButton,
  DefaultPushButton,
  CustomView, // a placeholder that a view class of its own takes over
  GroupBox,
  StaticText,
  DigitsEdit,
  ReadOnlyEdit,
  Edit,
  MultiLineEdit,
  ReadOnlyMultiLineEdit,
  DropDownList,
  TrackBar,
  ProgressBar,
  ListView,
};

struct LayoutControl {
  int id; // ControlId::None for labels and frames
  ControlKind kind;
  const char *text;        // UTF-8 caption; empty when the control has none
  int x, y, width, height; // dialog units
};

inline constexpr int kDialogWidthDu = 699;
inline constexpr int kDialogHeightDu = 399;

// A drop-down list's template height includes its open list; closed, the box
// is one line of text high.
inline constexpr int kDropDownVisibleHeightDu = 13;

std::span<const LayoutControl> MainWindowLayout();

// A control's place in pixels. Not workspace/pixel_rect.h's PixelRect, which
// holds corners: two classes of one name would break the one-definition rule.
struct ControlRect {
  int x, y, width, height;
  friend bool operator==(const ControlRect &, const ControlRect &) = default;
};

// Dialog units to logical pixels for the 9-point dialog font at 96 dpi: a base
// unit of 7 x 15 pixels, so x * 7 / 4 and y * 15 / 8, rounded to nearest.
int DialogUnitsToPixelsX(int du);
int DialogUnitsToPixelsY(int du);

// Where a control's widget goes, in pixels of the dialog's client area.
ControlRect ControlPixelRect(const LayoutControl &control);
