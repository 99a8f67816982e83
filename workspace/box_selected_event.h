#pragma once
// The workspace view's report of a clicked box to the main window. It is
// sent, not posted: the box it points to lives in the view's box list and is
// valid only while the event is being handled; the receiver copies what it
// keeps.
#include <QEvent>

#include "workbench/private_messages.h"

struct SegBox;

class BoxSelectedEvent : public QEvent {
public:
  static constexpr QEvent::Type kType = QEvent::Type(WM_BOX_SELECTED);

  explicit BoxSelectedEvent(const SegBox &box) : QEvent(kType), box_(box) {}

  const SegBox &box() const { return box_; }

private:
  const SegBox &box_;
};
