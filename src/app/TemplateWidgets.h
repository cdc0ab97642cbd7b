// Turns template rows into Qt widgets placed in pixels of the dialog font.
#pragma once

#include <QIcon>
#include <QSize>
#include <QWidget>

#include "app/DialogTemplates.h"
#include "app/DialogUnits.h"

namespace korvel::app {

// The widget for one row, a child of `dialog`, placed and styled as the row says; its object
// name is "control<id>" for rows with an id. The dialog's font must be set before the call.
QWidget* BuildControl(QWidget& dialog, const ControlTemplate& row, const DialogBaseUnits& units,
                      const QIcon& icon);

QSize ClientSizeOf(const DialogTemplate& dialogTemplate, const DialogBaseUnits& units);

}  // namespace korvel::app
