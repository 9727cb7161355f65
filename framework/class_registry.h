// Component classes by name, for stored layouts. Libraries are static, so registration is explicit:
// RegisterFrameworkClasses() for the framework's own classes, RegisterComponentClass for others.
#pragma once

#include <functional>

#include "framework/components.h"

using TComponentFactory = std::function<TComponentPtr<TComponent>(TComponent* owner)>;

void RegisterComponentClass(const AnsiString& className, TComponentFactory factory);
template <class T>
void RegisterComponentClass(const AnsiString& className) {
  RegisterComponentClass(className, [](TComponent* owner) { return TComponentPtr<TComponent>(new T(owner)); });
}
// Null when no such class is registered.
TComponentPtr<TComponent> CreateComponentOfClass(const AnsiString& className, TComponent* owner);

// Every control and component class of the framework and its skinned set; safe to call again.
void RegisterFrameworkClasses();
