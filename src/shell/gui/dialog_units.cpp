#include "shell/gui/dialog_units.hpp"

namespace quorel {

namespace {

// value * base / divisor, rounded to the nearest pixel (halves away from zero).
int Scale(int value, int base, int divisor) {
  const long long product = static_cast<long long>(value) * base;
  const long long half = divisor / 2;
  return static_cast<int>(product >= 0 ? (product + half) / divisor : -((-product + half) / divisor));
}

}  // namespace

DialogBaseUnits BaseUnitsOfFont(int letters_width, int line_height) {
  // The mean letter width rounded to whole pixels: (width / 26 + 1) / 2 = width / 52 rounded.
  const int x = (letters_width / 26 + 1) / 2;
  return DialogBaseUnits{x > 0 ? x : 1, line_height > 0 ? line_height : 1};
}

DialogBaseUnits WidenToFit(DialogBaseUnits units, int pixels, int dialog_width) {
  if (dialog_width <= 0) return units;
  // Rounding the corners may take off a pixel; ask for one more.
  const long long wanted = (static_cast<long long>(pixels) + 1) * 4;
  const int fitting = static_cast<int>((wanted + dialog_width - 1) / dialog_width);
  if (fitting > units.x) units.x = fitting;
  return units;
}

PixelRect ToPixels(const DialogRect& rect, const DialogBaseUnits& units) {
  const int left = Scale(rect.x, units.x, 4);
  const int top = Scale(rect.y, units.y, 8);
  const int right = Scale(rect.x + rect.width, units.x, 4);
  const int bottom = Scale(rect.y + rect.height, units.y, 8);
  return PixelRect{left, top, right - left, bottom - top};
}

}  // namespace quorel
