// What every skinned control carries: the name of the skin section that draws it. And the one
// built-in light look ("WLM (internal)") that draws every section plainly.
#pragma once

#include <QColor>
#include <QPainter>
#include <QRect>

#include "framework/sysutils.h"

class TLayoutValue;

class TsSkinData {
 public:
  AnsiString SkinSection;
};

// Handles "SkinData.SkinSection"; false for any other property.
bool SetSkinDataProperty(TsSkinData& data, const AnsiString& name, const TLayoutValue& value);

namespace skin {
QColor FaceTop();
QColor FaceBottom();
QColor Border();
QColor HotBorder();
QColor GaugeFill();
// A button face: raised when up, pressed when down, lit when the pointer is over it.
void DrawButtonFace(QPainter& painter, const QRect& rect, bool hot, bool down, bool enabled);
}  // namespace skin
