#pragma once

namespace quorel {

// Dialog units: a dialog's layout is given in units of its font, so that the controls grow
// with the font and the labels keep fitting. A horizontal unit is a quarter of the font's
// average character width, a vertical unit an eighth of its line height.
struct DialogRect {
  int x, y, width, height;
};

struct PixelRect {
  int x, y, width, height;
  bool operator==(const PixelRect&) const = default;
};

// Pixels per 4 horizontal and per 8 vertical dialog units.
struct DialogBaseUnits {
  int x, y;
};

// The base units of a font from the width of the 52 letters "A".."Z", "a".."z" in a row and
// its line height. The average is taken over the letters, not over all glyphs, as a font's
// own average width often counts wide symbols and digits too.
DialogBaseUnits BaseUnitsOfFont(int letters_width, int line_height);

// `units` widened, when needed, so that a control `dialog_width` units wide is at least
// `pixels` wide wherever it stands. A font's letters do not tell how wide a toolkit draws
// a check box or a radio button; widening the units keeps every label whole and the
// proportions of the layout as they are.
DialogBaseUnits WidenToFit(DialogBaseUnits units, int pixels, int dialog_width);

// The pixel rectangle of `rect`. The corners are converted, not the width and height, so
// that controls which touch in dialog units touch on the screen too.
PixelRect ToPixels(const DialogRect& rect, const DialogBaseUnits& units);

}  // namespace quorel
