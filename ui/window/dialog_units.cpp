#include "ui/window/dialog_units.h"

#include <QFontMetrics>
#include <algorithm>

namespace pacetta::ui {
namespace {

// units * base / divisor, rounded half away from zero (as the dialog templates round).
int Scale(int units, int base, int divisor) {
  const long long product = static_cast<long long>(units) * base;
  const long long half = divisor / 2;
  return static_cast<int>(product >= 0 ? (product + half) / divisor : (product - half) / divisor);
}

int AverageCharWidth(const QFontMetrics& metrics) {
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  const int total = metrics.horizontalAdvance(QString::fromLatin1(kLetters));
  return std::max(1, (total / 26 + 1) / 2);
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font)
    : charWidth_(AverageCharWidth(QFontMetrics(font))),
      charHeight_(std::max(1, QFontMetrics(font).height())) {}

int DialogUnits::X(int units) const {
  return Scale(units, charWidth_, 4);
}

int DialogUnits::Y(int units) const {
  return Scale(units, charHeight_, 8);
}

QRect DialogUnits::Rect(int x, int y, int width, int height) const {
  // Edges are scaled, not the size, so that neighbouring controls never overlap or gap.
  const int left = X(x);
  const int top = Y(y);
  return {left, top, X(x + width) - left, Y(y + height) - top};
}

}  // namespace pacetta::ui
