#pragma once
#include <QApplication>
#include <QPoint>
#include <QString>
#include <ostream>

namespace pacetta::ui::testing {

// The application object of the test program, on the offscreen platform. It lives from
// before the first test to after the last one, and goes before the program's statics do.
QApplication& TestApp();

}  // namespace pacetta::ui::testing

// Readable values in the tests' failure messages (found by argument-dependent lookup).
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QPoint& point, std::ostream* out) {
  *out << '(' << point.x() << ", " << point.y() << ')';
}
