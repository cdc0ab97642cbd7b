// The program's icon (a disc with an upward arrow, 32x32 and 16x16, 16 colours), compiled in
// as a Qt resource. Both windows and the task bar show it; when the window is minimised the
// window manager draws it from the window icon, so no window paints it itself.
#pragma once

#include <QIcon>

namespace korvel::app {

QIcon AppIcon();

}  // namespace korvel::app
