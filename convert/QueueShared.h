#pragma once

// Small helpers shared by the queue and its task rows.

#include <QString>

class QObject;

// The user events of a file being added (11602 with its size, 11604 with
// its suffix).
void logAddedFile(const QString& path);

// Shows a file in the desktop's file manager (its folder when no file
// manager can point at it). Never waits for the file manager.
void revealFile(QObject* owner, const QString& path);
