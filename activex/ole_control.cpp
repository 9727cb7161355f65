// The control host's life: creation of the control, connection and disconnection, persistence
// ("ControlData"), the stock-property exchange, and the name and parent hooks.
#include "activex/ole_control.h"

#include <utility>

#include "activex/event_dispatch.h"
#include "activex/site_interfaces.h"
#include "framework/filer.h"

namespace {

// Sets a re-entrancy guard for a scope and clears it again, also on error.
class GuardScope {
 public:
  explicit GuardScope(bool& guard) : guard_(guard) { guard_ = true; }
  ~GuardScope() { guard_ = false; }
  GuardScope(const GuardScope&) = delete;
  GuardScope& operator=(const GuardScope&) = delete;

 private:
  bool& guard_;
};

// A lock on a global memory block for a scope.
class BlockLock {
 public:
  explicit BlockLock(HGLOBAL block) : block_(block), data_(static_cast<unsigned char*>(GlobalLock(block))) {}
  ~BlockLock() {
    if (data_) GlobalUnlock(block_);
  }
  BlockLock(const BlockLock&) = delete;
  BlockLock& operator=(const BlockLock&) = delete;
  unsigned char* Data() const { return data_; }

 private:
  HGLOBAL block_;
  unsigned char* data_;
};

void WriteBlock(HGLOBAL block, TStream& stream) {
  const SIZE_T size = GlobalSize(block);  // the whole block, even beyond what the control wrote
  if (size == 0) return;
  BlockLock lock(block);
  if (!lock.Data()) throw EOutOfMemory();
  stream.WriteBuffer(lock.Data(), static_cast<long>(size));
}

}  // namespace

TOleControl2::TOleControl2(TComponent* owner)
    : TWinControl(owner), sites_(std::make_unique<SiteInterfaces>(*this)),
      eventSink_(std::make_unique<TEventDispatch>(*this)) {}

TOleControl2::~TOleControl2() {
  MarkUIActive(false);
  // The control's window goes back to the control while this host is still whole: nothing of the
  // host may run once it is partly destroyed.
  if (HandleAllocated()) DestroyHandle();
  DisconnectObject();
  savedState_.Reset();
  inPlaceActiveObject_ = nullptr;
  inPlaceObject_ = nullptr;
  persistStream_ = nullptr;
  if (oleObject_) {
    oleObject_->SetClientSite(nullptr);
    oleObject_ = nullptr;
  }
  fonts_.clear();
  pictures_.clear();
  if (counted_ && --descriptor_->LiveInstances == 0) descriptor_->PropertyDescriptions.clear();
}

IUnknown* TOleControl2::Unknown() { return &sites_->clientSite; }
IOleClientSite* TOleControl2::ClientSite() { return &sites_->clientSite; }
IPropertyNotifySink* TOleControl2::PropertySink() { return &sites_->propertySink; }
IOleInPlaceFrame* TOleControl2::Frame() { return &sites_->inPlaceFrame; }

void TOleControl2::AfterCreation() {
  TWinControl::AfterCreation();
  DescribeControl();
  if (!descriptor_) throw EOleError(ClassName() + " does not describe the control it hosts");
  ++descriptor_->LiveInstances;
  counted_ = true;
  for (int i = 0; i < descriptor_->FontSlotCount; ++i) fonts_.push_back(std::make_unique<TFont>());
  for (int i = 0; i < descriptor_->PictureSlotCount; ++i) {
    pictures_.push_back(std::make_unique<TPicture>());
    pictures_.back()->OnChange = [this](TObject* sender) { PictureChanged(sender); };
  }

  OleCheck(CoCreateInstance(descriptor_->ControlClassId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                            IID_IOleObject, oleObject_.PutVoid()));
  BindControlInterface(oleObject_.Get());
  OleCheck(oleObject_->GetMiscStatus(DVASPECT_CONTENT, &miscStatus_));
  if (!(descriptor_->SiteFlags & SiteNeverFirst) &&
      ((miscStatus_ & OLEMISC_SETCLIENTSITEFIRST) || (descriptor_->SiteFlags & SiteGivenFirst)))
    OleCheck(oleObject_->SetClientSite(ClientSite()));
  HRESULT hr = E_NOINTERFACE;
  persistStream_ = oleObject_.As<IPersistStreamInit>(&hr);
  OleCheck(hr);  // a control that cannot be stored cannot be hosted
  if (InvisibleAtRunTime()) SetVisible(false);
  // Mouse and key events reach the host only as the control's stock events.
  TControlStyle style = csDoubleClicks | csNoStdEvents;
  if (miscStatus_ & OLEMISC_SIMPLEFRAME) style |= csAcceptsControls;
  SetControlStyle(style);
  SetTabStop(!(miscStatus_ & (OLEMISC_ACTSLIKELABEL | OLEMISC_NOUIACTIVATE)));
  OleCheck(RequestNewObjectLayout());
}

void TOleControl2::BindControlInterface(IOleObject*) {}

bool TOleControl2::IsIgnorableError(const std::exception& error) {
  return Designing() && dynamic_cast<const EOleSysError*>(&error) != nullptr;
}

void TOleControl2::RequireObject() const {
  if (!oleObject_) throw EOleError(Name() + ": the hosted control has not been created");
}

void TOleControl2::EnsureClientSite() {
  ComPtr<IOleClientSite> site;
  HRESULT hr = E_FAIL;
  try {
    hr = oleObject_->GetClientSite(site.Put());
  } catch (...) {
    hr = E_FAIL;  // a control that raises counts as one without a site
  }
  if (FAILED(hr) || !site) OleCheck(oleObject_->SetClientSite(ClientSite()));
}

void TOleControl2::ConnectObject() {
  if (oleControl_) return;
  RequireObject();
  try {
    EnsureClientSite();
    if (savedState_) {
      ComPtr<IStream> stream;
      OleCheck(CreateStreamOnHGlobal(savedState_.Get(), FALSE, stream.Put()));
      OleCheck(persistStream_->Load(stream.Get()));
      stream = nullptr;
      savedState_.Reset();
    } else {
      OleCheck(persistStream_->InitNew());
    }
    HRESULT hr = E_NOINTERFACE;
    oleControl_ = oleObject_.As<IOleControl>(&hr);
    OleCheck(hr);
    controlDispatch_ = oleObject_.As<IDispatch>(&hr);
    OleCheck(hr);
    propertyBrowsing_ = oleObject_.As<IPerPropertyBrowsing>();
    ConnectSink(IID_IPropertyNotifySink, PropertySink(), propertyCookie_);
    ConnectSink(descriptor_->EventInterfaceId, static_cast<IDispatch*>(eventSink_.get()), eventCookie_);
    const std::uint32_t flags = descriptor_->StockFlags;
    if (flags & StockBackColor) OnChanged(DISPID_BACKCOLOR);
    if (flags & StockEnabled) OnChanged(DISPID_ENABLED);
    if (flags & StockFont) OnChanged(DISPID_FONT);
    if (flags & StockForeColor) OnChanged(DISPID_FORECOLOR);
    oleControl_->OnAmbientPropertyChange(DISPID_UNKNOWN);
    RequestNewObjectLayout();  // its result is not examined
  } catch (...) {
    DisconnectObject();
    throw;
  }
}

void TOleControl2::ConnectSink(REFIID iid, IUnknown* sink, DWORD& cookie) {
  // A control without the point simply sends nothing there.
  ComPtr<IConnectionPointContainer> container = oleObject_.As<IConnectionPointContainer>();
  ComPtr<IConnectionPoint> point;
  DWORD connection = 0;
  if (container && SUCCEEDED(container->FindConnectionPoint(iid, point.Put())) && point &&
      SUCCEEDED(point->Advise(sink, &connection)))
    cookie = connection;
  else
    cookie = 0;
}

void TOleControl2::DisconnectSink(REFIID iid, DWORD& cookie) {
  if (cookie == 0) return;
  ComPtr<IConnectionPointContainer> container = oleObject_.As<IConnectionPointContainer>();
  ComPtr<IConnectionPoint> point;
  if (container && SUCCEEDED(container->FindConnectionPoint(iid, point.Put())) && point &&
      SUCCEEDED(point->Unadvise(cookie)))
    cookie = 0;
}

void TOleControl2::DisconnectObject() {
  if (oleObject_ && descriptor_) {
    DisconnectSink(descriptor_->EventInterfaceId, eventCookie_);
    DisconnectSink(IID_IPropertyNotifySink, propertyCookie_);
  }
  propertyBrowsing_ = nullptr;
  controlDispatch_ = nullptr;
  oleControl_ = nullptr;
}

TFont* TOleControl2::Fonts(int index) const {
  return index >= 0 && index < static_cast<int>(fonts_.size()) ? fonts_[static_cast<std::size_t>(index)].get()
                                                               : nullptr;
}

TPicture* TOleControl2::Pictures(int index) const {
  return index >= 0 && index < static_cast<int>(pictures_.size()) ? pictures_[static_cast<std::size_t>(index)].get()
                                                                  : nullptr;
}

// Persistence.

void TOleControl2::DefineProperties(TFiler& filer) {
  TWinControl::DefineProperties(filer);
  filer.DefineBinaryProperty(
      "ControlData", [this](TStream& stream) { ReadControlData(stream); },
      [this](TStream& stream) { WriteControlData(stream); }, static_cast<bool>(oleObject_));
}

void TOleControl2::ReadControlData(TStream& stream) {
  savedState_.Reset();
  try {
    const std::int64_t size = stream.Size() - stream.Position();
    com::GlobalMemory block(GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(size)));
    if (!block) throw EOutOfMemory();
    if (size > 0) {
      BlockLock lock(block.Get());
      if (!lock.Data()) throw EOutOfMemory();
      stream.ReadBuffer(lock.Data(), static_cast<long>(size));
    }
    savedState_ = std::move(block);
  } catch (...) {
    // Unreadable state is dropped: the control starts new.
  }
}

void TOleControl2::WriteControlData(TStream& stream) {
  try {
    if (savedState_) {
      WriteBlock(savedState_.Get(), stream);  // read, and not yet given to the control
      return;
    }
    com::GlobalMemory state = SaveObjectState();
    WriteBlock(state.Get(), stream);
  } catch (const std::exception& error) {
    if (!IsIgnorableError(error)) throw;
  }
}

com::GlobalMemory TOleControl2::SaveObjectState() {
  RequireObject();
  com::GlobalMemory block(GlobalAlloc(GMEM_MOVEABLE, 0));
  if (!block) throw EOutOfMemory();
  ComPtr<IStream> stream;
  OleCheck(CreateStreamOnHGlobal(block.Get(), FALSE, stream.Put()));
  OleCheck(persistStream_->Save(stream.Get(), TRUE));
  return block;
}

// Stock properties: pushed when the host's change, pulled when the control tells of its own.

void TOleControl2::CMEnabledChanged(TMessage& message) {
  TWinControl::CMEnabledChanged(message);
  PushStockProperty(CM_ENABLEDCHANGED);
}

void TOleControl2::CMColorChanged(TMessage& message) {
  TWinControl::CMColorChanged(message);
  PushStockProperty(CM_COLORCHANGED);
}

void TOleControl2::CMFontChanged(TMessage& message) {
  TWinControl::CMFontChanged(message);
  PushStockProperty(CM_FONTCHANGED);
}

void TOleControl2::PushStockProperty(UINT message) {
  if (!descriptor_ || !HandleAllocated()) return;
  const std::uint32_t flags = descriptor_->StockFlags;
  if (message == CM_COLORCHANGED && (flags & StockBackColor) && !colorGuard_) {
    GuardScope guard(colorGuard_);
    SetIntegerProperty(DISPID_BACKCOLOR, Color());
  } else if (message == CM_ENABLEDCHANGED && (flags & StockEnabled) && !enabledGuard_) {
    GuardScope guard(enabledGuard_);
    SetBoolProperty(DISPID_ENABLED, Enabled());
  } else if (message == CM_FONTCHANGED && (flags & (StockForeColor | StockFont)) && !fontGuard_) {
    GuardScope guard(fontGuard_);
    if (flags & StockForeColor) SetIntegerProperty(DISPID_FORECOLOR, Font().Color);
    if (flags & StockFont) {
      com::Variant font;
      FontToOleVariant(Font(), *font.Ptr());
      SetOleVariantProperty(DISPID_FONT, font.Get());
    }
  }
}

HRESULT TOleControl2::OnChanged(DISPID id) {
  // Only the stock properties the descriptor names are exchanged at all.
  const std::uint32_t flags = descriptor_ ? descriptor_->StockFlags : 0;
  try {
    switch (id) {
      case DISPID_ENABLED:
        if ((flags & StockEnabled) && !enabledGuard_) {
          GuardScope guard(enabledGuard_);
          SetEnabled(GetBoolProperty(DISPID_ENABLED) != 0);
        }
        break;
      case DISPID_FORECOLOR:
        if ((flags & StockForeColor) && !fontGuard_) {
          GuardScope guard(fontGuard_);
          TFont font = Font();
          font.Color = GetIntegerProperty(DISPID_FORECOLOR);
          SetFont(font);
        }
        break;
      case DISPID_FONT:
        if ((flags & StockFont) && !fontGuard_) {
          GuardScope guard(fontGuard_);
          com::Variant value;
          GetVariantProperty(DISPID_FONT, *value.Ptr());
          TFont font = Font();
          OleVariantToFont(value.Get(), font);
          SetFont(font);
        }
        break;
      case DISPID_BACKCOLOR:
        if ((flags & StockBackColor) && !colorGuard_) {
          GuardScope guard(colorGuard_);
          SetColor(GetIntegerProperty(DISPID_BACKCOLOR));
        }
        break;
      default: break;
    }
  } catch (const EOleError&) {
    // a control that tells of a change of a property it does not have
  }
  return S_OK;
}

HRESULT TOleControl2::OnRequestEdit(DISPID) { return S_OK; }

void TOleControl2::PictureChanged(TObject* sender) {
  auto* picture = dynamic_cast<TPicture*>(sender);
  if (pictures_.empty() || !picture || !descriptor_->PictureIds) return;
  for (std::size_t i = 0; i < pictures_.size(); ++i) {
    if (pictures_[i].get() != picture) continue;
    // Only a picture already handed to the control is written again.
    if (picture->OleLinked()) SetPictureProperty(descriptor_->PictureIds[i], *picture);
    return;
  }
}

// The name and the parent.

void TOleControl2::SetName(const AnsiString& name) {
  const AnsiString old = Name();
  TWinControl::SetName(name);
  if (!descriptor_ || !oleObject_) return;  // still being made
  if (oleControl_) oleControl_->OnAmbientPropertyChange(DISPID_AMBIENT_DISPLAYNAME);
  const std::uint32_t flags = descriptor_->StockFlags;
  if (!(flags & (StockCaption | StockText))) return;
  const DISPID id = (flags & StockCaption) ? DISPID_CAPTION : DISPID_TEXT;
  if (GetStringProperty(id) == old) SetStringProperty(id, name);
}

void TOleControl2::SetParent(TWinControl* parent) {
  TWinControl::SetParent(parent);
  if (!parent || !oleObject_) return;
  EnsureClientSite();
  if (oleControl_) oleControl_->OnAmbientPropertyChange(DISPID_UNKNOWN);
}
