// The engine's word that its input ended before the length the file declares: it delivered what
// there was, and said so in the line
//   Input ended early: audio until HH:MM:SS.ss, declared HH:MM:SS.ss
#pragma once

#include <optional>

#include "framework/sysutils.h"

namespace batch {

struct EarlyEnd {
  AnsiString AudioUntil;  // HH:MM:SS.ss, as the engine wrote it
  AnsiString Declared;    // HH:MM:SS.ss
};

// The last such line of the engine's output, if it wrote one.
std::optional<EarlyEnd> FindEarlyEnd(const AnsiString& output);

// "its audio ends at 00:00:04.80, though it declares 00:00:10.00."
AnsiString EarlyEndNote(const EarlyEnd& end);

}  // namespace batch
