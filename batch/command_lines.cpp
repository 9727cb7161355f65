#include "batch/command_lines.h"

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

std::vector<int> SupportedSampleRates(const AnsiString& ext) {
  if (ext == "ac3") return {32000, 44100, 48000};  // AC-3 knows no lower rates
  return {};
}

}  // namespace batch
