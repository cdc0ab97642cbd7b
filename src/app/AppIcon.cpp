#include "app/AppIcon.h"

#include <QtCore/qresource.h>

// The resources live in a static library, whose registration the linker would otherwise drop;
// the macro must be used outside any namespace.
static void RegisterAppResources() {
  Q_INIT_RESOURCE(korvel_upgrade);
}

namespace korvel::app {

QIcon AppIcon() {
  RegisterAppResources();
  QIcon icon;
  icon.addFile(QStringLiteral(":/korvel/korvel-upgrade-32.png"), QSize(32, 32));
  icon.addFile(QStringLiteral(":/korvel/korvel-upgrade-16.png"), QSize(16, 16));
  return icon;
}

}  // namespace korvel::app
