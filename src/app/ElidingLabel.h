// A static text that never shows a text cut at both ends: a line wider than the control is
// drawn up to the control's end with "…" there, so its start (what the message is about) stays
// readable. text() keeps the whole line, and the tool tip shows it.
#pragma once

#include <QLabel>

namespace korvel::app {

class ElidingLabel : public QLabel {
 public:
  explicit ElidingLabel(QWidget* parent) : QLabel(parent) {}

  // What the control draws for its text: the text, or its start with "…" when it is too wide.
  QString shownText() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;
};

}  // namespace korvel::app
