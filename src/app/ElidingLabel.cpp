#include "app/ElidingLabel.h"

#include <QEvent>
#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

namespace korvel::app {

QString ElidingLabel::shownText() const {
  const int room = contentsRect().width() - 2 * margin() - 2 * std::max(0, indent());
  return fontMetrics().elidedText(text(), Qt::ElideRight, std::max(0, room));
}

void ElidingLabel::paintEvent(QPaintEvent* event) {
  const QString shown = shownText();
  if (shown == text() || !pixmap().isNull()) {
    QLabel::paintEvent(event);
    return;
  }
  // A cut text fills the whole width; it starts at the left edge whatever the alignment.
  QFrame::paintEvent(event);
  QPainter painter(this);
  const QRect room = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
  style()->drawItemText(&painter, room, Qt::AlignLeft | (alignment() & Qt::AlignVertical_Mask),
                        palette(), isEnabled(), shown, foregroundRole());
}

bool ElidingLabel::event(QEvent* event) {
  // The whole line on demand, only when it does not fit.
  if (event->type() == QEvent::ToolTip) {
    if (shownText() != text()) {
      QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
    } else {
      QToolTip::hideText();
    }
    return true;
  }
  return QLabel::event(event);
}

}  // namespace korvel::app
