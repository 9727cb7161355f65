// Stored window layouts: a text that describes a window's components, their properties and the
// handlers bound to their events by name.
//
//   # comment
//   Form1: TForm1 {
//     Caption = "Sonvarra 1.0"
//     ClientSize = 494, 299
//     OnCreate = FormCreate
//     sSpeedButton4: TsSpeedButton {
//       Bounds = 8, 8, 49, 49
//       Glyph = @GLYPH_START
//     }
//   }
//
// Values: integers, "strings" (\" and \\ escaped), identifiers (true, false, enumeration values,
// handler names), @NAME for a picture, path "C:\\" for a Windows place (mapped to this platform's),
// and lists of them separated by commas (a list may go on over several lines after a comma).
// Binary data, { hex digits over any number of lines }, goes to a property that the component
// files itself (DefineProperties).
// Nested blocks are components owned by the root; a control's parent is the block around it.
#pragma once

#include "framework/components.h"
#include "framework/sysutils.h"

// Reads the raw-data resource of that name in the program's module into root. ELayoutError when the
// layout cannot be read or names a class, property, field type or handler that does not exist.
void ReadLayout(TComponent& root, const AnsiString& resourceName);
void ReadLayoutText(TComponent& root, const AnsiString& text, const AnsiString& sourceName);
