// The skin's components: the manager with its one built-in skin, the provider that skins a form's
// frame, and the hint manager.
#pragma once

#include <vector>

#include "framework/components.h"
#include "framework/controls.h"

// The skin that the manager holds: "WLM (internal)", a plain light look.
inline constexpr const char* kBuiltInSkinName = "WLM (internal)";

class TsSkinManager : public TComponent {
 public:
  explicit TsSkinManager(TComponent* owner);

  const AnsiString& SkinName() const { return skinName_; }
  void SetSkinName(const AnsiString& name);
  bool Active() const { return active_; }
  void SetActive(bool value);
  AnsiString SkinVersion = "6.4";
  AnsiString MenuIconLineSection = "ICOLINE";
  // The classes of standard controls that the skin draws too.
  std::vector<AnsiString> SkinnedStandardClasses;
  // The skins the manager can select: only the built-in one.
  std::vector<AnsiString> Skins() const { return {kBuiltInSkinName}; }

  void SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) override;
  void Loaded() override;

 private:
  void ApplyLook();
  AnsiString skinName_ = kBuiltInSkinName;
  bool active_ = true;
};

class TsSkinProvider : public TComponent {
 public:
  explicit TsSkinProvider(TComponent* owner) : TComponent(owner) {}

  AnsiString SkinSection = "FORM";
  TAlignment TitleAlignment = TAlignment::taLeftJustify;
  bool ShowAppIcon = true;
  std::vector<AnsiString> TitleButtons;

  void SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) override;
};

class TsHintManager : public TComponent {
 public:
  explicit TsHintManager(TComponent* owner) : TComponent(owner) {}

  AnsiString SkinSection = "HINT";
  bool SkinnedHints = true;
  bool Shadow = true;

  void SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) override;
  void Loaded() override;
};
