// The About box: the program's icon, name and version, a copyright line and an OK button.
// Opened from the main window's "About" command; OK, Escape and the close box end it.
#pragma once

#include <QDialog>

namespace korvel::app {

class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit AboutDialog(QWidget* owner);
};

}  // namespace korvel::app
