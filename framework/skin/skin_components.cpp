#include "framework/skin/skin_components.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>
#include <QToolTip>

#include "framework/graphics.h"
#include "framework/layout_value.h"

TsSkinManager::TsSkinManager(TComponent* owner) : TComponent(owner) {}

void TsSkinManager::SetSkinName(const AnsiString& name) {
  if (name != kBuiltInSkinName) throw Exception("Skin " + name + " not found");
  skinName_ = name;
}

void TsSkinManager::SetActive(bool value) {
  active_ = value;
  if (!Loading()) ApplyLook();
}

void TsSkinManager::Loaded() {
  TComponent::Loaded();
  ApplyLook();
}

void TsSkinManager::ApplyLook() {
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  if (!app || !active_) return;
  // The built-in look draws the standard parts with one style everywhere, whatever the desktop's.
  if (QStyle* style = QStyleFactory::create("Fusion")) QApplication::setStyle(style);
  QPalette palette = QApplication::style()->standardPalette();
  palette.setColor(QPalette::Window, ToQColor(clBtnFace));
  palette.setColor(QPalette::Button, ToQColor(clBtnFace));
  palette.setColor(QPalette::Highlight, ToQColor(clHighlight));
  QApplication::setPalette(palette);
}

void TsSkinManager::SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) {
  if (name == "SkinName") {
    try {
      SetSkinName(value.Str());
    } catch (const Exception& e) {
      value.Fail(e.Message());
    }
  } else if (name == "Active") {
    SetActive(value.Bool());
  } else if (name == "SkinVersion") {
    SkinVersion = value.Str();
  } else if (name == "MenuIconLineSection") {
    MenuIconLineSection = value.Str();
  } else if (name == "SkinnedStandardClasses") {
    SkinnedStandardClasses = value.Strings();
  } else {
    TComponent::SetLayoutProperty(name, value);
  }
}

void TsSkinProvider::SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) {
  if (name == "SkinSection") {
    SkinSection = value.Str();
  } else if (name == "TitleAlignment") {
    TitleAlignment = LayoutAlignment(value);
  } else if (name == "ShowAppIcon") {
    ShowAppIcon = value.Bool();
  } else if (name == "TitleButtons") {
    TitleButtons.clear();
    if (value.kind != TLayoutValue::Kind::Identifier || value.Ident() != "none") TitleButtons = value.Strings();
  } else {
    TComponent::SetLayoutProperty(name, value);
  }
}

void TsHintManager::SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) {
  if (name == "SkinSection") {
    SkinSection = value.Str();
  } else if (name == "SkinnedHints") {
    SkinnedHints = value.Bool();
  } else if (name == "Shadow") {
    Shadow = value.Bool();
  } else {
    TComponent::SetLayoutProperty(name, value);
  }
}

void TsHintManager::Loaded() {
  TComponent::Loaded();
  if (!SkinnedHints || !qobject_cast<QApplication*>(QCoreApplication::instance())) return;
  QPalette palette = QToolTip::palette();
  palette.setColor(QPalette::ToolTipBase, ToQColor(clInfoBk));
  palette.setColor(QPalette::ToolTipText, ToQColor(clInfoText));
  QToolTip::setPalette(palette);
}
