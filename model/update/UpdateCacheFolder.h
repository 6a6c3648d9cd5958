#pragma once

#include <QString>

// The per-user folder that holds the update image while it downloads. It is
// private (mode 0700, owned by the user) and is opened, like the image in
// it, without following a symbolic link at its own name, so another account
// cannot plant or swap the image.
namespace UpdateCacheFolder {

// "<user cache>/Lumivane/update".
QString defaultPath();

// Creates the folder (and its parents) when missing and opens it; a
// directory descriptor, or -1 with a reason in error.
int openFolder(const QString& path, QString* error);

// Opens (creating, mode 0600) a regular file of the folder for reading and
// appending; -1 with a reason in error.
int openImage(int folderFd, const QString& name, QString* error);

// Removes a file of the folder; true when it is gone.
bool removeImage(const QString& folder, const QString& name);

// Removes the partial images other than keep (left by older versions).
void removeOtherImages(const QString& folder, const QString& keep);

} // namespace UpdateCacheFolder
