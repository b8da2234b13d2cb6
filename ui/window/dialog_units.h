#pragma once
#include <QFont>
#include <QRect>
#include <QSize>

namespace pacetta::ui {

// Dialog units: the window and its pages are laid out in units of the font's average
// character, so they grow with the user's font. Horizontally a unit is a quarter of the
// average character width, vertically an eighth of the character height. Sizes are in
// device-independent pixels; Qt scales them by the screen's device pixel ratio.
class DialogUnits {
 public:
  // The base units of `font`: the average width of the 52 Latin letters (rounded), and
  // the line height.
  explicit DialogUnits(const QFont& font);
  DialogUnits(int averageCharWidth, int charHeight)
      : charWidth_(averageCharWidth), charHeight_(charHeight) {}

  int X(int units) const;
  int Y(int units) const;
  QSize Size(int width, int height) const { return {X(width), Y(height)}; }
  QRect Rect(int x, int y, int width, int height) const;

  int CharWidth() const { return charWidth_; }
  int CharHeight() const { return charHeight_; }

 private:
  int charWidth_;
  int charHeight_;
};

}  // namespace pacetta::ui
