#pragma once

#include <QImage>
#include <QString>

// A skin picture read from disk, kept decoded until the file changes: rows
// and panels that paint at every progress tick get a changed skin at once
// without decoding the file each time. GUI thread only.
const QImage& skinPicture(const QString& path);
