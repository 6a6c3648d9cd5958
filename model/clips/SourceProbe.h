#pragma once

// What the program learns of a source file before it converts it, read
// through the engine on whatever thread calls it; nothing here touches a
// widget, so the add worker can use it and nothing else.

#include <QByteArray>
#include <QMetaType>
#include <QString>

#include <cstdint>

struct SourceFacts
{
    QString path;
    QString name; // the file name, "\" read as "/"
    QString suffix; // case kept
    qint64 bytes = 0;
    bool failed = false; // the engine could not open it: every number is 0
    bool denied = false; // it failed as the file may not be read (no read permission)
    uint64_t duration = 0; // microseconds
    bool canSeek = false;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t frameRate = 0; // as the engine reports it (see the row's scaling)
    uint32_t videoBitRate = 0; // bits per second
    uint32_t sampleRate = 0;
    uint32_t channels = 0;
    uint32_t audioBitRate = 0; // bits per second
    // The thumbnail as 32-bit 0xffRRGGBB pixels, rows top-down,
    // thumbnailWidth x thumbnailHeight (the source's size unless the probe
    // was asked for a smaller one); empty when the engine gave no usable
    // picture.
    QByteArray thumbnail;
    uint32_t thumbnailWidth = 0;
    uint32_t thumbnailHeight = 0;
    // The streams a task converts by default: the first program with a
    // picture or a sound (-1 for none), with its audio and subtitle counts.
    int program = -1;
    int audioCount = 0;
    int subtitleCount = 0;
};
Q_DECLARE_METATYPE(SourceFacts)

namespace SourceProbe {

// Opens the file with an engine reader, reads its facts and a thumbnail
// (a third into the file when it can seek, else at 10 s) and releases it.
// With a thumbnail size, the engine makes the picture at that size, so no
// source-sized copy of it is ever held; without one it comes at the
// source's size.
SourceFacts probe(const QString& path, uint32_t thumbnailWidth = 0, uint32_t thumbnailHeight = 0);

// Checks an engine thumbnail block (a 54-byte bitmap header, then 32-bit
// pixels) against the picture size the reader reported and copies its
// pixels top-down into `pixels`. False, `pixels` untouched, when the block
// is missing or its header does not describe exactly that picture.
bool checkThumbnail(const unsigned char* block, uint32_t width, uint32_t height, QByteArray& pixels);

// Everything up to the last dot of a file name.
QString stemOf(const QString& name);

} // namespace SourceProbe
