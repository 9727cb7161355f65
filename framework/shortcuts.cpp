#include "framework/shortcuts.h"

namespace {

// The Qt keys of a virtual key; none for a key without a Qt name here.
QList<int> QtKeys(WORD key) {
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return {key};
  if (key >= VK_F1 && key < VK_F1 + 24) return {Qt::Key_F1 + (key - VK_F1)};
  switch (key) {
    case VK_BACK: return {Qt::Key_Backspace};
    case VK_TAB: return {Qt::Key_Tab};
    case VK_RETURN: return {Qt::Key_Return, Qt::Key_Enter};
    case VK_PAUSE: return {Qt::Key_Pause};
    case VK_ESCAPE: return {Qt::Key_Escape};
    case VK_SPACE: return {Qt::Key_Space};
    case VK_PRIOR: return {Qt::Key_PageUp};
    case VK_NEXT: return {Qt::Key_PageDown};
    case VK_END: return {Qt::Key_End};
    case VK_HOME: return {Qt::Key_Home};
    case VK_LEFT: return {Qt::Key_Left};
    case VK_UP: return {Qt::Key_Up};
    case VK_RIGHT: return {Qt::Key_Right};
    case VK_DOWN: return {Qt::Key_Down};
    case VK_INSERT: return {Qt::Key_Insert};
    case VK_DELETE: return {Qt::Key_Delete};
    default: return {};
  }
}

}  // namespace

TShortCut ShortCut(WORD key, TShiftState shift) {
  TShortCut shortCut = key & 0xFF;
  if (shift & ssShift) shortCut |= scShift;
  if (shift & ssCtrl) shortCut |= scCtrl;
  if (shift & ssAlt) shortCut |= scAlt;
  return shortCut;
}

QList<QKeySequence> ShortCutToKeySequences(TShortCut shortCut) {
  int modifiers = 0;
  if (shortCut & scShift) modifiers |= Qt::ShiftModifier;
  if (shortCut & scCtrl) modifiers |= Qt::ControlModifier;
  if (shortCut & scAlt) modifiers |= Qt::AltModifier;
  QList<QKeySequence> sequences;
  for (int key : QtKeys(shortCut & 0xFF)) sequences.append(QKeySequence(key | modifiers));
  return sequences;
}
