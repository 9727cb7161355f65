#include "app/conversion_command.h"

#include "app/batch_state.h"
#include "app/engine_deployment.h"
#include "app/main_window.h"
#include "batch/temporary_output.h"
#include "platform/win32/kernel32.h"
#include "settings/settings_dialog.h"
#include "settings/settings_file.h"

AnsiString ComboValue(const TsComboBox& list, int index) {
  const auto& items = list.Items();
  if (index < 0 || index >= static_cast<int>(items.size())) {
    throw EListError(Format("List index out of bounds (%d)", index));
  }
  const AnsiString& text = items[static_cast<std::size_t>(index)];
  const std::size_t blank = text.find(' ');
  return blank == AnsiString::npos ? AnsiString() : text.substr(0, blank);
}

AnsiString OutputFormatExt() {
  switch (Form1->sComboBox1->ItemIndex()) {
    case 1: return "ac3";
    case 2: return "wav";
    default: return "mp3";
  }
}

batch::ConversionSettings StoredConversionSettings() {
  batch::ConversionSettings settings;
  settings.BitRate = ComboValue(*Form2->sComboBox1, ReadSettingIndex(kBitRateKey));
  settings.SampleRate = ComboValue(*Form2->sComboBox2, ReadSettingIndex(kSampleRateKey));
  settings.Channels = IntToStr(ReadSettingIndex(kChannelsKey) + 1);
  return settings;
}

void ConvertFile(const AnsiString& source) {
  const batch::ConversionSettings settings = StoredConversionSettings();
  const AnsiString ext = OutputFormatExt();
  CurrentRun.Source = source;
  CurrentRun.ShortSource = ShortPathName(source);
  CurrentRun.TemporaryFile = batch::TemporaryOutputFile(ext);
  // A file left by a cancelled or failed run must never pass for this run's output.
  batch::RemoveTemporaryFiles();
  Converter->Run(batch::ConversionCommandLine(EnginePath, CurrentRun.ShortSource, ext, settings, RangeBegin,
                                              RangeLength, CurrentRun.TemporaryFile));
}
