// TOleControl2: the windowed control that hosts one ActiveX control. It creates the control by class
// id, is its container site (client site, control site, in-place site and frame, ambient
// properties, property-change sink), stores its state as the binary property "ControlData", keeps
// the stock properties in step, activates it in place so that the control's own window becomes the
// host's window, reads and writes its properties by dispatch id and routes its events to the
// descendant's handler slots (event_slots.h) and, for the stock events, to the host's own input
// events.
//
// Abstract: a descendant names the control with a ControlDescriptor in DescribeControl. The control
// is created once the host is whole (AfterCreation: make hosts with CreateComponent or
// MakeComponent); its window only when the host's window is. The host's COM interfaces share one
// reference count, which never frees the host: its owner does.
#pragma once

#include <memory>
#include <vector>

#include "activex/control_descriptor.h"
#include "activex/event_slots.h"
#include "framework/controls.h"
#include "framework/variants.h"
#include "platform/com/ole.h"

class TEventDispatch;
class TMergeMenu;
class TFiler;
class TStream;

class TOleControl2 : public TWinControl {
 public:
  explicit TOleControl2(TComponent* owner);
  ~TOleControl2() override;

  // Creation of the control: DescribeControl, CoCreateInstance, the client site when asked first,
  // the persistence interface, style and size. Raises EOleSysError when a step fails.
  void AfterCreation() override;

  // Called at the end of window creation, once the control's window is the host's.
  TNotifyEvent OnWindowCreated;

  // Gives the control its site and its state, takes its interfaces and advises the sinks; nothing
  // when already connected. On failure everything is undone before the error propagates.
  void ConnectObject();
  void DisconnectObject();
  bool Connected() const { return static_cast<bool>(oleControl_); }

  // Properties of the control by dispatch id; each connects first. Failures raise EOleException
  // (the control's automation exception) or EOleSysError.
  com::Variant GetControlDispatch();
  // Releases what value held, then reads the property into it.
  void GetPropertyValue(DISPID id, VARIANT& value);
  void GetVariantProperty(DISPID id, VARIANT& value);
  // The raw 32-bit payload of the answer, unconverted.
  int GetIntegerProperty(DISPID id);
  // The raw 16-bit payload of the answer (VARIANT_BOOL: non-zero is true).
  VARIANT_BOOL GetBoolProperty(DISPID id);
  AnsiString GetStringProperty(DISPID id);
  // A VT_DISPATCH value is written by reference (DISPATCH_PROPERTYPUTREF), every other by value.
  void SetPropertyValue(DISPID id, const VARIANT& value);
  void SetOleVariantProperty(DISPID id, const VARIANT& value);
  void SetVariantProperty(DISPID id, const TVariant& value);
  void SetIntegerProperty(DISPID id, int value);
  void SetBoolProperty(DISPID id, bool value);  // VT_BOOL -1 or 0
  void SetStringProperty(DISPID id, const AnsiString& value);
  void SetPictureDispProperty(DISPID id, IPictureDisp* picture);
  // Copies the picture into every picture slot of that dispatch id and hands each to the control.
  void SetPictureProperty(DISPID id, const TPicture& picture);

  // The host as the control sees it.
  IUnknown* Unknown();
  LONG ReferenceCount() const { return referenceCount_; }
  IOleObject* OleObject() const { return oleObject_.Get(); }
  IOleInPlaceObject* InPlaceObject() const { return inPlaceObject_.Get(); }
  IOleInPlaceActiveObject* InPlaceActiveObject() const { return inPlaceActiveObject_.Get(); }
  DWORD MiscStatus() const { return miscStatus_; }
  TEventDispatch& EventSink() const { return *eventSink_; }
  DWORD EventSinkCookie() const { return eventCookie_; }
  DWORD PropertySinkCookie() const { return propertyCookie_; }
  TFont* Fonts(int index) const;
  TPicture* Pictures(int index) const;

  void SetBounds(int left, int top, int width, int height) override;
  void SetName(const AnsiString& name) override;
  void SetParent(TWinControl* parent) override;
  void DefineProperties(TFiler& filer) override;
  bool PaletteChanged(bool foreground) override;
  void WndProc(TMessage& message) override;
  void Dispatch(TMessage& message) override;
  void DefaultHandler(TMessage& message) override;

  // Virtual operations of the host, in this order.
  virtual void DispatchStockEvent(DISPID id, DISPPARAMS& parameters);
  virtual void DispatchEvent(DISPID id, DISPPARAMS& parameters);

 protected:
  // Must call UseDescriptor; runs once, early in AfterCreation.
  virtual void DescribeControl() = 0;
  // The freshly created control, before anything else is asked of it.
  virtual void BindControlInterface(IOleObject* object);
  // True only for an EOleSysError while designing.
  virtual bool IsIgnorableError(const std::exception& error);
  // The control changed a property: pulls the stock properties. Always S_OK.
  virtual HRESULT OnChanged(DISPID id);
  virtual HRESULT OnRequestEdit(DISPID id);

  void UseDescriptor(ControlDescriptor& descriptor) { descriptor_ = &descriptor; }
  const ControlDescriptor* Descriptor() const { return descriptor_; }
  // The value of ControlDescriptor::EventTableOffset that names this slot table.
  std::uint32_t EventTableOffsetOf(const TEventSlots& table) const;
  // The slot of the first EventIds entry equal to id; null when there is none or no table.
  TEventSlot* FindEventHandler(DISPID id) const;

  void CreateWnd() override;
  void DestroyWindowHandle() override;
  void CMEnabledChanged(TMessage& message) override;
  void CMColorChanged(TMessage& message) override;
  void CMFontChanged(TMessage& message) override;
  void CMDialogKey(TMessage& message) override;

 private:
  friend class TEventDispatch;
  friend class TEventSlots;
  struct SiteInterfaces;

  bool InvisibleAtRunTime() const { return (miscStatus_ & OLEMISC_INVISIBLEATRUNTIME) != 0; }
  IOleClientSite* ClientSite();
  IPropertyNotifySink* PropertySink();
  IOleInPlaceFrame* Frame();
  void RequireObject() const;
  void EnsureClientSite();
  void ConnectSink(REFIID iid, IUnknown* sink, DWORD& cookie);
  void DisconnectSink(REFIID iid, DWORD& cookie);
  void ReleaseInterfaces();
  void Invoke(DISPID id, WORD flags, DISPPARAMS& parameters, VARIANT* result);

  // Persistence.
  void ReadControlData(TStream& stream);
  void WriteControlData(TStream& stream);
  com::GlobalMemory SaveObjectState();

  // Stock properties and events.
  void PushStockProperty(UINT message);
  void PictureChanged(TObject* sender);
  void DispatchLegacyEvent(DISPID id, DISPPARAMS& parameters, TEventSlot& slot);
  const TEventSlots* EventTable() const;

  // In-place activation, sizing and the form.
  void AttachControlWindow();
  RECT BoundsRect() const;
  HWND ParentWindow() const;
  HWND FrameWindow() const;
  HRESULT RequestNewObjectLayout();
  void TransformCoords(POINTL& himetric, POINTF& container, DWORD flags) const;
  void MarkUIActive(bool active);
  void HostUIActivate();
  void HostUIDeactivate();
  void HostDocActivate(bool active);
  void UIDeactivated();
  HRESULT SetFrameMenu(HMENU sharedMenu, HOLEMENU descriptor, HWND activeObjectWindow);
  void InsertFrameMenus(HMENU sharedMenu, OLEMENUGROUPWIDTHS& widths);
  TMergeMenu* FindMergeMenu() const;
  void PaintControl(TMessage& message);

  ControlDescriptor* descriptor_ = nullptr;
  bool counted_ = false;  // LiveInstances holds this instance
  LONG referenceCount_ = 0;
  std::unique_ptr<SiteInterfaces> sites_;
  std::unique_ptr<TEventDispatch> eventSink_;
  com::GlobalMemory savedState_;
  ComPtr<IOleObject> oleObject_;
  ComPtr<IPersistStreamInit> persistStream_;
  ComPtr<IOleControl> oleControl_;
  ComPtr<IDispatch> controlDispatch_;
  ComPtr<IPerPropertyBrowsing> propertyBrowsing_;
  ComPtr<IOleInPlaceObject> inPlaceObject_;
  ComPtr<IOleInPlaceActiveObject> inPlaceActiveObject_;
  DWORD propertyCookie_ = 0;
  DWORD eventCookie_ = 0;
  DWORD miscStatus_ = 0;
  std::vector<std::unique_ptr<TFont>> fonts_;
  std::vector<std::unique_ptr<TPicture>> pictures_;
  bool pictureGuard_ = false;
  bool colorGuard_ = false;
  bool fontGuard_ = false;
  bool enabledGuard_ = false;
  std::vector<const TEventSlots*> eventTables_;
};

// The host's conversions between framework fonts and OLE fonts, and of 8-bit strings.
// The font's OLE font as VT_DISPATCH; what value held is released.
void FontToOleVariant(const TFont& font, VARIANT& value);
// Face name, size, styles and character set of the OLE font (IFontDisp) in value, in one
// assignment; the colour stays. EIntfCastError when value holds no OLE font.
void OleVariantToFont(const VARIANT& value, TFont& font);
void StringToBstrVariant(const AnsiString& text, VARIANT& value);
