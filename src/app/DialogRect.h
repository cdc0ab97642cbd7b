// One rectangle of a dialog template, in dialog units. Kept apart from the conversion to pixels
// so that the templates can be read without a user-interface toolkit.
#pragma once

namespace korvel::app {

struct DialogRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

}  // namespace korvel::app
