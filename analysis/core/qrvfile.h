#pragma once
// The data rate of a ".qrv" video file: its header and frame-size table read into two series over
// the frame number (the size of every frame and a running one-second average), the CD-ROM
// reference levels and the scale of the value axis. No user interface here: the analysis window
// and the qrvrate program both build on these numbers.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qv {

// The display unit for the whole program run: bytes per second (true) or bytes per frame.
extern bool ShowPerSecond;

// The duration of one frame in units of 1/100000 second, from the header's frame rate field
// (milliseconds when positive, 10-microsecond units negated when negative). 64-bit because a large
// field times 100 does not fit 32 bits. 0 only for a field of 0, which no file can use.
int64_t FrameTime(int32_t rateField);

// The number of frames in one second of video, the length of the running average. Frames longer
// than a second still average over one frame, never over none.
int32_t AverageWindow(int64_t frameTime);

// Indexes of the reference levels.
enum ReferenceLine : int { ref1x = 0, ref2x = 1, ref4x = 2 };

struct RateSeries {
    std::string fileName;         // as the caller named it
    int32_t headerFrameCount = 0; // what the header claims
    // Frames whose table entries were present: the header's count for a whole file, fewer when
    // the file ends inside its table.
    int32_t frameCount = 0;
    int64_t frameTime = 0;
    std::vector<double> frameValues;         // "Animation": frame n at index n - 1
    std::vector<double> averageValues;       // "1 second average", indexed the same way
    double maximum = 0;                      // largest frame value, never below 0
    std::array<double, 3> referenceLevels{}; // 1x, 2x and 4x CD-ROM in the current unit
};

// Reads the file (a program path, used unchanged). False when it cannot be opened, is not a
// "QRV2" file, is too short for its header fields or has a frame rate field of 0; the series are
// then empty and the maximum 0.
bool LoadRateSeries(const std::string& fileName, bool perSecond, RateSeries& series);

struct ValueScale {
    double top = 0;  // upper end of the value axis
    double step = 0; // distance between its grid lines (five intervals)
};
// highestLevel is the highest reference level shown, 0 when none is.
ValueScale ScaleTop(double maximum, double highestLevel, bool perSecond);

// What a plotted frame value stands for: the frame's size and its rate in bytes per second.
struct FrameReadout {
    int64_t size = 0;
    int64_t bytesPerSecond = 0;
};
FrameReadout ReadBack(double value, int64_t frameTime, bool perSecond);

// The value of frame n in a series indexed as in RateSeries; 0 when the series has no such frame.
double ValueOfFrame(std::span<const double> values, int64_t frame);

// The text "Copy Values" puts on the clipboard (and qrvrate prints): a heading naming the file,
// then one line per frame with its number, size and bytes per second, every line ended by CR LF.
std::string CopyValuesText(const std::string& fileName, std::span<const double> frameValues,
                           int64_t frameTime, bool perSecond);

} // namespace qv
