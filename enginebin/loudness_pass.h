#pragma once
// -loudness: the requested range is measured first, and the conversion then applies one fixed
// gain. For a lossy format a trial encoding at that gain, decoded and measured again, corrects
// it for what the encoder does to the level and the peaks.

#include "av_handles.h"

#include <string>

namespace enginebin {

struct OutputSettings;

// Measures the integrated loudness and true peak of the requested range, reports them with the
// gain and the loudness it reaches, brings the input back to its start, and multiplies
// settings.gain by the factor that takes the output to settings.loudness, or less where its true
// peak would pass -1 dBTP. Silence is left as it is. Throws EngineError on any failure.
void normalise_loudness(AVFormatContext& input, AVStream& audio, const std::string& input_name,
                        OutputSettings& settings);

// The gain in dB for a measurement: the target less the measured loudness, lowered so that the
// true peak stays at or below the ceiling.
double normalising_gain(double measured, double true_peak, double target, double ceiling = -1.0);

}  // namespace enginebin
