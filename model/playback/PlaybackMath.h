#pragma once

// Arithmetic of the player window that needs no widget: seek targets,
// progress fraction and time texts. Times are microseconds.

#include <QMargins>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>

namespace PlaybackMath {

constexpr uint64_t kSeekStepUs = 5000000;

// Five seconds back, not before 0.
uint64_t backTarget(uint64_t timeUs);
// Five seconds on, but not beyond one second before the end, and never
// beyond the end itself (a clip shorter than a second lands on its end).
uint64_t fastTarget(uint64_t timeUs, uint64_t durationUs);
// The slider's fraction of the duration; fractions outside 0..1 are clamped.
uint64_t fractionTarget(double fraction, uint64_t durationUs);
// Whole milliseconds played over whole milliseconds of the duration, in
// floating point; 0 for a duration under a millisecond.
double progressFraction(uint64_t timeUs, uint64_t durationUs);

// Whole seconds as a time of day: "hh:mm:ss" with hours, "mm:ss" without;
// empty from 24 hours on.
QString clockText(uint64_t seconds, bool withHours);
// "current / total" for the time label, with hours when the duration
// reaches an hour; empty for a duration under a millisecond.
QString timeLabelText(uint64_t timeUs, uint64_t durationUs);
// A playlist row's duration: hours from an hour on.
QString durationText(uint64_t durationUs);

// Where the player window goes for a picture of videoSize (0 x 0 for sound
// only): the picture plus the playlist width and the bars, within the caps
// of the available area, grown to the window's minimum, then centred on
// that final size and kept inside the available area together with the
// platform frame. Returns the geometry of the window's inside.
QRect playerPlacement(const QSize& videoSize, const QSize& minimum, const QRect& available,
                      const QMargins& frame);

} // namespace PlaybackMath
