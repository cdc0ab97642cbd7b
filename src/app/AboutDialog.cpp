#include "app/AboutDialog.h"

#include <QPushButton>

#include "app/AppIcon.h"
#include "app/DialogFont.h"
#include "app/TemplateWidgets.h"

namespace korvel::app {

AboutDialog::AboutDialog(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("aboutDialog"));
  setWindowTitle(QString::fromLatin1(kAboutTemplate.caption));
  setWindowIcon(AppIcon());
  setFont(DialogFont());
  const DialogBaseUnits units = BaseUnitsOf(font());
  const QIcon icon = AppIcon();
  for (const ControlTemplate& row : kAboutControls) {
    QWidget* widget = BuildControl(*this, row, units, icon);
    if (row.id == kIdOk) {
      auto* ok = static_cast<QPushButton*>(widget);
      ok->setDefault(true);
      connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    }
  }
  setFixedSize(ClientSizeOf(kAboutTemplate, units));
}

}  // namespace korvel::app
