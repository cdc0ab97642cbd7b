#include "app/BusyInputGate.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QWidget>
#include <QWindow>

namespace korvel::app {

BusyInputGate::BusyInputGate(QWidget& window) : window_(&window) {
  QCoreApplication::instance()->installEventFilter(this);
}

BusyInputGate::~BusyInputGate() {
  // Deliver what queued up while the handler ran, so that the filter can drop it. Timers are
  // left for the event loop: they belong to the program, not to the user.
  QCoreApplication::processEvents(QEventLoop::X11ExcludeTimers);
  QCoreApplication::instance()->removeEventFilter(this);
}

bool BusyInputGate::IsUserInput(int eventType) {
  switch (static_cast<QEvent::Type>(eventType)) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::Close:
      return true;
    default:
      return false;
  }
}

bool BusyInputGate::IsForGuardedWindow(QObject* watched) const {
  if (window_.isNull()) return false;
  if (auto* widget = qobject_cast<QWidget*>(watched)) return widget->window() == window_.data();
  // Input reaches the window system's window first, then the control under the pointer.
  if (auto* window = qobject_cast<QWindow*>(watched)) return window == window_->windowHandle();
  return false;
}

bool BusyInputGate::eventFilter(QObject* watched, QEvent* event) {
  return IsUserInput(event->type()) && IsForGuardedWindow(watched);
}

}  // namespace korvel::app
