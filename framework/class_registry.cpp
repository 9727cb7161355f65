#include "framework/class_registry.h"

#include <map>

namespace {
std::map<AnsiString, TComponentFactory>& Factories() {
  static std::map<AnsiString, TComponentFactory> factories;
  return factories;
}
}  // namespace

void RegisterComponentClass(const AnsiString& className, TComponentFactory factory) {
  Factories()[className] = std::move(factory);
}

TComponentPtr<TComponent> CreateComponentOfClass(const AnsiString& className, TComponent* owner) {
  auto it = Factories().find(className);
  if (it == Factories().end()) return nullptr;
  TComponentPtr<TComponent> component = it->second(owner);
  if (component) component->AfterCreation();
  return component;
}
