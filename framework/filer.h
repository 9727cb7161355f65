// Properties that a component files itself (DefineProperties), as binary data: declared with a
// reader and a writer of a stream, read from a layout's "Name = { 0A1B... }" and written back as it.
#pragma once

#include <functional>
#include <vector>

#include "framework/classes.h"
#include "framework/components.h"

using TStreamProc = std::function<void(TStream& stream)>;

class TFiler {
 public:
  virtual ~TFiler() = default;
  // hasData: whether the property is written at all.
  virtual void DefineBinaryProperty(const AnsiString& name, TStreamProc readData, TStreamProc writeData,
                                    bool hasData) = 0;
};

// Hands the bytes to the component's binary property of that name; false when it declares none.
bool ReadBinaryProperty(TComponent& component, const AnsiString& name, const std::vector<unsigned char>& bytes);
// Each binary property that has data, as it is filed: name and bytes, in the order declared.
std::vector<std::pair<AnsiString, std::vector<unsigned char>>> WriteBinaryProperties(TComponent& component);
// The component's binary properties as layout lines ("  ControlData = {" hex lines "}").
AnsiString FormatBinaryProperties(TComponent& component, const AnsiString& indent);
