// TObject and TComponent: named components that own the components created with them as owner,
// and the table of a class's published fields and methods through which stored layouts bind them.
#pragma once

#include <any>
#include <functional>
#include <map>
#include <memory>
#include <typeinfo>
#include <vector>

#include "framework/sysutils.h"

class TObject {
 public:
  TObject() = default;
  virtual ~TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  TObject(TObject&&) = delete;
  TObject& operator=(TObject&&) = delete;

  // The name of the object's own class, "TForm1" for a TForm1.
  AnsiString ClassName() const;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

class TLayoutValue;
class TPublishedTable;
class TComponent;
class TFiler;

// Deletes a component the way its owner would: BeforeDestruction first.
struct TComponentDeleter {
  void operator()(TComponent* component) const;
};
template <class T>
using TComponentPtr = std::unique_ptr<T, TComponentDeleter>;

// A component without an owner, held by the caller.
template <class T, class... Args>
TComponentPtr<T> MakeComponent(Args&&... args) {
  TComponentPtr<T> component(new T(std::forward<Args>(args)...));
  component->AfterCreation();
  return component;
}

class TComponent : public TObject {
 public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;

  TComponent* Owner() const { return owner_; }
  const AnsiString& Name() const { return name_; }
  virtual void SetName(const AnsiString& name);
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }

  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const;
  TComponent* FindComponent(const AnsiString& name) const;

  // Takes ownership; the component must name this one as its owner.
  TComponent* InsertComponent(TComponentPtr<TComponent> component);
  // Creates a component owned by this one.
  template <class T, class... Args>
  T* CreateComponent(Args&&... args) {
    TComponentPtr<T> component(new T(this, std::forward<Args>(args)...));
    component->AfterCreation();
    T* raw = component.get();
    InsertComponent(TComponentPtr<TComponent>(component.release()));
    return raw;
  }

  // Runs once the component is whole, after the constructors of all its classes and before its
  // creator gets it (CreateComponent, MakeComponent and layouts call it): a component whose making
  // calls its own overrides does that here. An exception from it deletes the component again.
  virtual void AfterCreation() {}
  // Runs before the component is deleted, while it is still whole (forms fire OnDestroy here).
  virtual void BeforeDestruction() {}
  // A component being edited in a designer; never so in the program itself.
  bool Designing() const { return designing_; }
  void SetDesigning(bool value) { designing_ = value; }
  bool Loading() const { return loading_; }
  bool Destroying() const { return destroying_; }

  // Stored layouts: one property at a time, then Loaded once the whole layout is read. An unknown
  // property raises ELayoutError.
  virtual void SetLayoutProperty(const AnsiString& name, const TLayoutValue& value);
  void BeginLoading() { loading_ = true; }
  virtual void Loaded() { loading_ = false; }
  // The properties a component files itself beyond those it sets one by one (binary data).
  virtual void DefineProperties(TFiler&) {}
  // Called by layouts for a component nested in another one's block (controls take it as parent).
  virtual void SetParentComponent(TComponent*) {}
  // The fields and methods that a stored layout may bind, by name.
  virtual void DeclarePublished(TPublishedTable& table);

 protected:
  // Deletes the owned components, the last created first.
  void DestroyComponents();

 private:
  void Detach(TComponent* component);

  TComponent* owner_;
  AnsiString name_;
  int tag_ = 0;
  bool loading_ = false;
  bool destroying_ = false;
  bool designing_ = false;
  std::vector<TComponentPtr<TComponent>> components_;
};

class TPublishedTable {
 public:
  // A field that receives the component of that name.
  template <class T>
  void Field(const AnsiString& name, T*& field) {
    fields_[name] = [&field](TComponent* component) {
      T* typed = dynamic_cast<T*>(component);
      if (!typed) return false;
      field = typed;
      return true;
    };
  }
  // A method that events of matching signature can be bound to.
  template <class C, class... A>
  void Method(const AnsiString& name, C* object, void (C::*method)(A...)) {
    methods_[name] =
        std::function<void(A...)>([object, method](A... args) { (object->*method)(std::forward<A>(args)...); });
  }

  bool HasField(const AnsiString& name) const { return fields_.count(name) != 0; }
  // False when the field's class does not fit the component.
  bool AssignField(const AnsiString& name, TComponent* component) const;
  bool HasMethod(const AnsiString& name) const { return methods_.count(name) != 0; }
  // The method as an event handler of type F; null when there is no such method, and throws
  // std::bad_any_cast when its signature does not fit.
  template <class F>
  F FindMethod(const AnsiString& name) const {
    auto it = methods_.find(name);
    if (it == methods_.end()) return nullptr;
    return std::any_cast<F>(it->second);
  }

 private:
  std::map<AnsiString, std::function<bool(TComponent*)>> fields_;
  std::map<AnsiString, std::any> methods_;
};
