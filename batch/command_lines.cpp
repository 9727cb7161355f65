#include "batch/command_lines.h"

#include <cstdio>

namespace batch {

AnsiString ProbeCommandLine(const AnsiString& enginePath, const AnsiString& shortSource, const AnsiString& output) {
  return enginePath + "nnn.exe -i " + shortSource +
         " -vcodec mpeg4 -r 10 -s 176x144 -acodec amr_nb -ar 8000 -b 1 -ac 1 " + output;
}

AnsiString ConversionCommandLine(const AnsiString& enginePath, const AnsiString& shortSource, const AnsiString& ext,
                                 const ConversionSettings& settings, const AnsiString& rangeBegin,
                                 const AnsiString& rangeLength, const AnsiString& output) {
  return enginePath + "nnn.exe" + " -y -i " + shortSource + " -bitexact -acodec " + ext + " -ac " + settings.Channels +
         " -ar " + settings.SampleRate + " -vol 256 " + " -ab " + settings.BitRate + " -f " + ext + " -ss " +
         rangeBegin + " -t " + rangeLength + " " + output;
}

AnsiString ModernConversionCommandLine(const AnsiString& enginePath, const AnsiString& shortSource,
                                       const ModernConversion& conversion, const AnsiString& output) {
  AnsiString line = enginePath + "nnn.exe -y -i " + shortSource + " -bitexact -acodec " + conversion.Codec + " -f " +
                    conversion.Format;
  const auto add = [&line](const char* option, const AnsiString& value) {
    if (!value.empty()) line += AnsiString(" ") + option + " " + value;
  };
  const auto number = [](const std::optional<int>& value) { return value ? IntToStr(*value) : AnsiString(); };
  add("-ab", number(conversion.BitRate));
  add("-ar", number(conversion.SampleRate));
  add("-ac", number(conversion.Channels));
  add("-ss", conversion.Start);
  add("-t", conversion.Length);
  add("-track", number(conversion.Track));
  if (!conversion.Tags) line += " -notags";
  if (conversion.Loudness) {
    char loudness[32];
    std::snprintf(loudness, sizeof loudness, "%.2f", *conversion.Loudness);
    add("-loudness", loudness);
  }
  add("-threads", conversion.Threads > 0 ? IntToStr(conversion.Threads) : AnsiString());
  return line + " -summary " + output;
}

std::vector<int> SupportedSampleRates(const AnsiString& ext) {
  if (ext == "ac3") return {32000, 44100, 48000};  // AC-3 knows no lower rates
  if (ext == "mp3") return {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
  if (ext == "opus") return {8000, 12000, 16000, 24000, 48000};
  if (ext == "m4a") return {7350, 8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000, 64000, 88200, 96000};
  return {};
}

}  // namespace batch
