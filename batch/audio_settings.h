// The audio settings a conversion offers: bit rates, sample rates and channel counts, each one list
// of the texts the settings dialog shows, in the order of the indexes that "settings.ini" keeps,
// with the item chosen when none is kept. The engine takes an item's text before its first blank
// ("128 kbps" gives 128, "112 kbs" 112, "44100 Hz" 44100); the channel count is the index + 1.
// The one place these lists are written: the dialog fills its boxes from them, the settings file
// checks its indexes against them.
#pragma once

#include <span>

namespace batch {

struct AudioSettingList {
  std::span<const char* const> items;
  int defaultIndex;

  constexpr int Count() const { return static_cast<int>(items.size()); }
};

inline constexpr const char* kBitRateItems[] = {"32 kbps",  "40 kbps",  "48 kbps",  "56 kbps",  "64 kbps",
                                                "80 kbps",  "96 kbps",  "112 kbs",  "128 kbps", "160 kbps",
                                                "192 kbps", "224 kbps", "256 kbps", "320 kbps"};
inline constexpr const char* kSampleRateItems[] = {"16000 Hz", "22050 Hz", "32000 Hz", "44100 Hz", "48000 Hz"};
inline constexpr const char* kChannelItems[] = {"Mono (1)", "Stereo (2)"};

inline constexpr AudioSettingList kBitRates{kBitRateItems, 8};        // "128 kbps"
inline constexpr AudioSettingList kSampleRates{kSampleRateItems, 3};  // "44100 Hz"
inline constexpr AudioSettingList kChannelCounts{kChannelItems, 1};   // "Stereo (2)"

}  // namespace batch
