#pragma once

// Widget-free arithmetic of the clip editor's crop tool: the pixel size of a
// crop rectangle, the aspect each ratio choice stores, the orientation
// buttons and the proportion kept while a pan-and-scan box is dragged.

#include "clips/ClipEditRecords.h"
#include "editing/EditRect.h"

namespace EditArithmetic {

// Pixel size of a crop fraction f of n pixels: rounded up to the next whole
// pixel, then down to an even number, never more than n.
int cropPixelSize(int n, double f);

// The ratio choices of the crop panel; NoChoice when no radio is checked.
constexpr int NoChoice = 6;

// Stores the type and aspect of a ratio choice (0..4, anything else counts
// as Original Aspect) in the record. sourceW/H is the clip's size, outputW/H
// the editor's output frame.
void applyRatioChoice(CropSettings& s, int chosen, int sourceW, int sourceH, int outputW, int outputH);

// Turns pan and scan on: the picture fills the editor's output frame
// (outputW x outputH) from the pan-and-scan rectangle, so the record takes
// the frame's aspect, as Full Screen does.
void applyPanScan(CropSettings& s, int outputW, int outputH);

// True when the record cuts the pan-and-scan rectangle instead of the crop
// rectangle (and then pads nothing).
bool panScanActive(const CropSettings& s);

bool quarterTurned(int rotate);

// The four orientation buttons.
void rotateLeft(CropSettings& s);
void rotateRight(CropSettings& s);
void flipHorizontal(CropSettings& s);
void flipVertical(CropSettings& s);

// Reshapes box so that its proportions are those of the box at the press,
// keeping the edges opposite the grip (mode 1..8) where they were and the
// box inside the picture. Mode 0 and 9 (a move) leave it as it is.
void keepProportion(EditRect& box, const EditRect& press, int mode);

} // namespace EditArithmetic
