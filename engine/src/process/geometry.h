// Picture geometry of the processing chain, as pure arithmetic: crop (or
// pan and scan), display aspect, rotation, mirror and the fit into the
// output frame. The aspect belongs to the cropped picture before rotation;
// the fit (which is the scale to the output) comes after rotation and mirror.
#pragma once

namespace orv {

struct ProcessingSettings;

struct GeometryInput
{
    int srcW = 0, srcH = 0; // source picture: square pixels, auto-rotated
    double cropX = 0, cropY = 0, cropW = 1, cropH = 1;
    int aspectW = 0, aspectH = 0; // 0: the whole source's aspect
    int rotate = 0; // clockwise 0/90/180/270
    bool mirror = false;
    bool pad = true;
    int outW = 0, outH = 0;
};

struct GeometryPlan
{
    int cropX = 0, cropY = 0, cropW = 0, cropH = 0; // in the source picture
    int scaleW = 0, scaleH = 0; // scaled size before the transform
    int fitX = 0, fitY = 0, fitW = 0, fitH = 0; // the picture inside the output
    int outW = 0, outH = 0;
    int rotate = 0;
    bool mirror = false;

    bool cropsAnything(int srcW, int srcH) const { return cropW != srcW || cropH != srcH; }
    bool pads() const { return fitW != outW || fitH != outH; }
};

// Crop size for a fraction: rounded up to a whole pixel, then down to even,
// within 2..n (the same rule as the editor's crop box).
int cropSize(int n, double f);

GeometryPlan planGeometry(const GeometryInput& in);

// The geometry that processing settings ask for, for a source picture of
// srcW×srcH (square pixels, auto-rotated) and an output frame of outW×outH.
GeometryInput geometryInput(const ProcessingSettings& p, int srcW, int srcH, int outW, int outH);

} // namespace orv
