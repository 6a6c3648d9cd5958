// Judging a picked watermark picture or subtitle file by the loading the
// layers do in a conversion, so the two can never disagree.
#pragma once

#include <string>

namespace orv {

// ORV_FILE_* codes; w and h receive the picture's size when known, else 0.
int checkWatermarkPicture(const std::string& path, int maxSide, int* w, int* h);
int checkSubtitleFile(const std::string& path);

} // namespace orv
