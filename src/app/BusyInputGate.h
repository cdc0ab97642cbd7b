// Keeps a window deaf while one of its handlers runs. The handlers (a transfer, the fixed waits
// of an upgrade) never return to the event loop, so a click made meanwhile would wait in the
// queue and act once the handler has enabled its controls again: a second download, a new
// file, another drive. The gate drops such input instead of delaying it.
#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

namespace korvel::app {

class BusyInputGate : public QObject {
 public:
  // Starts dropping user input meant for `window` and its controls.
  explicit BusyInputGate(QWidget& window);
  // Throws away the input that queued up meanwhile, then lets input through again.
  ~BusyInputGate() override;
  BusyInputGate(const BusyInputGate&) = delete;
  BusyInputGate& operator=(const BusyInputGate&) = delete;

  // True for the events a user makes with mouse, keyboard, wheel, pen or touch, and for the
  // close request, which the desktop sends on the user's behalf.
  static bool IsUserInput(int eventType);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool IsForGuardedWindow(QObject* watched) const;

  QPointer<QWidget> window_;
};

}  // namespace korvel::app
