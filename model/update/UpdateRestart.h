#pragma once

#include <QString>

// Starting the program again after an install. Only the program's own
// executable is started, and only once the event loop has ended the normal
// way, so every window has closed and saved what it keeps.
namespace UpdateRestart {

// Remembers the running executable's path; called before an install moves
// the bundle, since the path is read from the running process.
void rememberProgram();
QString program();

// Starts program() when the application quits; cancel() takes that back.
void requestAtQuit();
void cancel();
bool isRequested();

} // namespace UpdateRestart
