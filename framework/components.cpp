#include "framework/components.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>

#include "framework/layout_value.h"

AnsiString TObject::ClassName() const {
  const char* mangled = typeid(*this).name();
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
  AnsiString name = status == 0 && demangled ? demangled.get() : mangled;
  const auto scope = name.rfind("::");
  return scope == AnsiString::npos ? name : name.substr(scope + 2);
}

void TComponentDeleter::operator()(TComponent* component) const {
  if (!component) return;
  component->BeforeDestruction();
  delete component;
}

TComponent::TComponent(TComponent* owner) : owner_(owner) {}

TComponent::~TComponent() {
  destroying_ = true;
  DestroyComponents();
  if (owner_) owner_->Detach(this);
}

void TComponent::SetName(const AnsiString& name) { name_ = name; }

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount()) throw EListError(Format("List index out of bounds (%d)", index));
  return components_[static_cast<std::size_t>(index)].get();
}

TComponent* TComponent::FindComponent(const AnsiString& name) const {
  for (const auto& component : components_)
    if (SameText(component->Name(), name)) return component.get();
  return nullptr;
}

TComponent* TComponent::InsertComponent(TComponentPtr<TComponent> component) {
  TComponent* raw = component.get();
  components_.push_back(std::move(component));
  return raw;
}

void TComponent::DestroyComponents() {
  destroying_ = true;
  while (!components_.empty()) {
    TComponentPtr<TComponent> last = std::move(components_.back());
    components_.pop_back();
    last.reset();
  }
}

void TComponent::Detach(TComponent* component) {
  auto it = std::find_if(components_.begin(), components_.end(), [&](const auto& c) { return c.get() == component; });
  if (it != components_.end()) {
    it->release();  // already being deleted by whoever deletes it
    components_.erase(it);
  }
}

void TComponent::SetLayoutProperty(const AnsiString& name, const TLayoutValue& value) {
  if (name == "Tag") {
    SetTag(value.Int());
    return;
  }
  value.Fail("Property " + name + " does not exist in " + ClassName());
}

void TComponent::DeclarePublished(TPublishedTable&) {}

bool TPublishedTable::AssignField(const AnsiString& name, TComponent* component) const {
  auto it = fields_.find(name);
  return it != fields_.end() && it->second(component);
}
