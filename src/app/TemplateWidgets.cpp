#include "app/TemplateWidgets.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

#include "app/ElidingLabel.h"

namespace korvel::app {

namespace {

Qt::Alignment QtAlignmentOf(TextAlignment alignment) {
  switch (alignment) {
    case TextAlignment::Right:
      return Qt::AlignRight | Qt::AlignVCenter;
    case TextAlignment::Centre:
      return Qt::AlignHCenter | Qt::AlignVCenter;
    case TextAlignment::Left:
      break;
  }
  return Qt::AlignLeft | Qt::AlignVCenter;
}

QWidget* MakeComboBox(QWidget& dialog, const QRect& box) {
  auto* combo = new QComboBox(&dialog);
  // A drop-down list: the user picks, never types. Items stay in the order they were added.
  combo->setEditable(false);
  // The template's height covers the closed box and its dropped list together.
  const int closedHeight = combo->sizeHint().height();
  const int itemHeight = std::max(1, QFontMetrics(dialog.font()).height() + 2);
  combo->setMaxVisibleItems(std::max(1, (box.height() - closedHeight) / itemHeight));
  combo->setGeometry(box.x(), box.y(), box.width(), closedHeight);
  return combo;
}

QWidget* MakeLabel(QWidget& dialog, const ControlTemplate& row, const QRect& box,
                   const QIcon& icon) {
  // A text wider than its control is cut at the end, never at both ends around its centre.
  auto* label = new ElidingLabel(&dialog);
  if (row.kind == ControlKind::StaticIcon) {
    label->setPixmap(icon.pixmap(QSize(32, 32)));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  } else {
    // Plain text: an "&" in a static text is a character, never a mnemonic or markup.
    label->setTextFormat(Qt::PlainText);
    label->setText(QString::fromLatin1(row.text));
    label->setAlignment(QtAlignmentOf(row.alignment));
  }
  if (row.sunkenFrame) label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  label->setGeometry(box);
  return label;
}

}  // namespace

QWidget* BuildControl(QWidget& dialog, const ControlTemplate& row, const DialogBaseUnits& units,
                      const QIcon& icon) {
  const QRect box = ToPixels(units, row.rect);
  QWidget* widget = nullptr;
  switch (row.kind) {
    case ControlKind::PushButton: {
      auto* button = new QPushButton(QString::fromLatin1(row.text), &dialog);
      button->setGeometry(box);
      widget = button;
      break;
    }
    case ControlKind::ComboBox:
      widget = MakeComboBox(dialog, box);
      break;
    case ControlKind::StaticText:
    case ControlKind::StaticIcon:
      widget = MakeLabel(dialog, row, box, icon);
      break;
  }
  if (row.id != kNoControlId) widget->setObjectName(QStringLiteral("control%1").arg(row.id));
  widget->setEnabled(row.enabledAtStart);
  return widget;
}

QSize ClientSizeOf(const DialogTemplate& dialogTemplate, const DialogBaseUnits& units) {
  return QSize(HorizontalPixels(units, dialogTemplate.width),
               VerticalPixels(units, dialogTemplate.height));
}

}  // namespace korvel::app
