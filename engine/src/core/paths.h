// Local paths only: libavformat gets "file:" + path verbatim, so ':', '?',
// '#', '%' and quotes in names are never parsed as URL syntax.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace orv {

inline std::string fileUrl(const std::string& path) { return "file:" + path; }

// Creates path with O_CREAT|O_EXCL: 0 on success, else ORV_E_OUTPUT.
// Two jobs can never be handed the same output this way.
int createExclusive(const std::string& path);

void removeFile(const std::string& path);
bool fileExists(const std::string& path);
// A regular file (links followed): never a FIFO, a device or a folder,
// which would block a reader or fail it half-way.
bool isRegularFile(const std::string& path);
// The bytes of a regular file of at most maxBytes; false for anything else.
bool readSmallFile(const std::string& path, size_t maxBytes, std::string* out);
int64_t fileSize(const std::string& path);

// A file a user picks (a watermark picture, a subtitle file) judged by its
// status alone, so a folder or a FIFO is never opened: ORV_FILE_OK, or
// ORV_FILE_UNREADABLE, ORV_FILE_NOT_REGULAR, ORV_FILE_TOO_MANY_BYTES
// (over ORV_MAX_PICKED_FILE_BYTES).
int pickedFileStatus(const std::string& path);

} // namespace orv
