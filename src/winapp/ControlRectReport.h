// The layout of a running dialog as Windows made it from its template, written as text for the
// layout test: the dialog's base units (from MapDialogRect and, independently, from the metrics
// of the dialog's font), its client size, and every control's rectangle in client coordinates,
// in creation order, which is template order.
//
//   dialog TEMPLATE base BX BY font FX FY client W H
//   control INDEX CLASS ID LEFT TOP WIDTH HEIGHT
//   dropped INDEX LEFT TOP WIDTH HEIGHT      (a combo box with its list dropped)
#pragma once

#include <windows.h>

#include <cstdio>

namespace korvel::winapp {

void WriteControlRects(HWND dialog, int templateId, std::FILE* out);

}  // namespace korvel::winapp
