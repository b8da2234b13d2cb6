#pragma once
class QWidget;

namespace pacetta::ui {

// The main window follows "TaskbarButton" and "AlwaysOnTop" as they were applied: it is
// hidden, its style set (without a taskbar button it is a tool window, but only while a
// tray can bring it back) and shown again where it was. Nothing happens when the style is
// already so.
void FollowWindowStyle(QWidget& window, bool taskbarButton, bool alwaysOnTop);

}  // namespace pacetta::ui
