// Internal to activex/: the host's COM interfaces as the control's site. Each interface is an
// object of its own that forwards to the host; all share the host's reference count and one
// QueryInterface. Every method checks its pointers first, clears its out-values when it fails, and
// lets no error out.
#pragma once

#include "activex/ole_control.h"
#include "framework/component_reference.h"
#include "platform/com/object.h"

namespace site_detail {

// An entry point's work: E_UNEXPECTED for any error raised inside.
template <class F>
HRESULT Guarded(F&& work) noexcept {
  try {
    return work();
  } catch (...) {
    return E_UNEXPECTED;
  }
}

inline void SetBool(VARIANT& value, bool on) {
  value.vt = VT_BOOL;
  value.boolVal = on ? VARIANT_TRUE : VARIANT_FALSE;
}

inline void SetLong(VARIANT& value, LONG number) {
  value.vt = VT_I4;
  value.lVal = number;
}

}  // namespace site_detail

// The IUnknown part of each site interface.
#define SITE_UNKNOWN                                                                               \
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {                  \
    return host.sites_->QueryInterface(riid, object);                                              \
  }                                                                                                \
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++host.referenceCount_); } \
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--host.referenceCount_); }

struct TOleControl2::SiteInterfaces {
  struct ClientSite final : IOleClientSite {
    TOleControl2& host;
    explicit ClientSite(TOleControl2& h) : host(h) {}
    SITE_UNKNOWN
    HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
      if (moniker) *moniker = nullptr;
      return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override {
      if (container) *container = nullptr;
      return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ShowObject() override {
      return site_detail::Guarded([&] {
        host.AttachControlWindow();
        return S_OK;
      });
    }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override {
      return site_detail::Guarded([&] { return host.RequestNewObjectLayout(); });
    }
  };

  struct ControlSite final : IOleControlSite {
    TOleControl2& host;
    explicit ControlSite(TOleControl2& h) : host(h) {}
    SITE_UNKNOWN
    HRESULT STDMETHODCALLTYPE OnControlInfoChanged() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch** control) override {
      if (control) *control = nullptr;
      return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) override {
      if (!himetric || !container) return E_POINTER;
      host.TransformCoords(*himetric, *container, flags);
      return S_OK;
    }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnFocus(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ShowPropertyFrame() override { return E_NOTIMPL; }
  };

  // The ambient properties: what the control may ask of its surroundings.
  struct Ambient final : com::WithoutTypeInfo<IDispatch> {
    TOleControl2& host;
    explicit Ambient(TOleControl2& h) : host(h) {}
    SITE_UNKNOWN
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                     UINT*) override {
      if (!(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
      VariantInit(result);
      return site_detail::Guarded([&] {
        const bool designing = host.Designing();
        switch (id) {
          case DISPID_AMBIENT_BACKCOLOR: site_detail::SetLong(*result, host.Color()); break;
          case DISPID_AMBIENT_DISPLAYNAME: StringToBstrVariant(host.Name(), *result); break;
          case DISPID_AMBIENT_FONT:
            FontToOleVariant(host.Parent() && host.ParentFont() ? host.Parent()->Font() : host.Font(), *result);
            break;
          case DISPID_AMBIENT_FORECOLOR: site_detail::SetLong(*result, host.Font().Color); break;
          case DISPID_AMBIENT_LOCALEID: site_detail::SetLong(*result, static_cast<LONG>(GetUserDefaultLCID())); break;
          case DISPID_AMBIENT_MESSAGEREFLECT: site_detail::SetBool(*result, true); break;
          case DISPID_AMBIENT_USERMODE: site_detail::SetBool(*result, !designing); break;
          case DISPID_AMBIENT_UIDEAD: site_detail::SetBool(*result, designing); break;
          case DISPID_AMBIENT_SHOWGRABHANDLES: site_detail::SetBool(*result, false); break;
          case DISPID_AMBIENT_SHOWHATCHING: site_detail::SetBool(*result, false); break;
          case DISPID_AMBIENT_SUPPORTSMNEMONICS: site_detail::SetBool(*result, true); break;
          case DISPID_AMBIENT_AUTOCLIP: site_detail::SetBool(*result, true); break;
          default: return DISP_E_MEMBERNOTFOUND;  // SCALEUNITS, TEXTALIGN, DISPLAYASDEFAULT and the rest
        }
        return S_OK;
      });
    }
  };

  struct PropertySink final : IPropertyNotifySink {
    TOleControl2& host;
    explicit PropertySink(TOleControl2& h) : host(h) {}
    SITE_UNKNOWN
    HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) override {
      return site_detail::Guarded([&] { return host.OnChanged(id); });
    }
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID id) override {
      return site_detail::Guarded([&] { return host.OnRequestEdit(id); });
    }
  };

  struct SimpleFrame final : ISimpleFrameSite {
    TOleControl2& host;
    explicit SimpleFrame(TOleControl2& h) : host(h) {}
    SITE_UNKNOWN
    HRESULT STDMETHODCALLTYPE PreMessageFilter(HWND, UINT, WPARAM, LPARAM, LRESULT*, DWORD*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostMessageFilter(HWND, UINT, WPARAM, LPARAM, LRESULT*, DWORD) override { return S_OK; }
  };

  struct InPlaceSite final : IOleInPlaceSite {
    TOleControl2& host;
    explicit InPlaceSite(TOleControl2& h) : host(h) {}
    SITE_UNKNOWN
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
      if (!window) return E_POINTER;
      *window = host.ParentWindow();
      return *window ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override {
      // Either may be missing: activation fails later, where that is found out.
      host.inPlaceObject_ = host.oleObject_.As<IOleInPlaceObject>();
      host.inPlaceActiveObject_ = host.oleObject_.As<IOleInPlaceActiveObject>();
      return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override {
      return site_detail::Guarded([&] {
        host.MarkUIActive(true);
        return S_OK;
      });
    }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                               LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
      if (frame) *frame = nullptr;
      if (document) *document = nullptr;
      if (!frame || !document || !position || !clip || !info) return E_POINTER;
      return site_detail::Guarded([&] {
        *position = host.BoundsRect();
        *clip = RECT{0, 0, 32767, 32767};
        info->fMDIApp = FALSE;  // cb stays as the control set it
        info->hwndFrame = host.FrameWindow();
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        *frame = &host.sites_->inPlaceFrame;
        (*frame)->AddRef();
        return S_OK;
      });
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override {
      return site_detail::Guarded([&] {
        host.UIDeactivated();
        return S_OK;
      });
    }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override {
      host.inPlaceActiveObject_ = nullptr;
      host.inPlaceObject_ = nullptr;
      return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override {
      if (host.inPlaceObject_) host.inPlaceObject_->UIDeactivate();
      return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT position) override {
      if (!position) return E_POINTER;
      const RECT clip{0, 0, 32767, 32767};
      if (host.inPlaceObject_) host.inPlaceObject_->SetObjectRects(position, &clip);
      return S_OK;  // the host moves nothing itself
    }
  };

  struct InPlaceFrame final : IOleInPlaceFrame {
    TOleControl2& host;
    explicit InPlaceFrame(TOleControl2& h) : host(h) {}
    SITE_UNKNOWN
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
      if (!window) return E_POINTER;
      *window = host.FrameWindow();
      return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU sharedMenu, LPOLEMENUGROUPWIDTHS widths) override {
      if (!widths) return E_POINTER;
      return site_detail::Guarded([&] {
        host.InsertFrameMenus(sharedMenu, *widths);
        return S_OK;
      });
    }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU sharedMenu, HOLEMENU descriptor, HWND activeObjectWindow) override {
      return site_detail::Guarded([&] { return host.SetFrameMenu(sharedMenu, descriptor, activeObjectWindow); });
    }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU sharedMenu) override {
      // By position from the front while the menu has items; a handle that is no menu has none.
      while (GetMenuItemCount(sharedMenu) > 0)
        if (!RemoveMenu(sharedMenu, 0, MF_BYPOSITION)) break;
      return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }
  };

  struct ComponentReference final : IComponentReference {
    TOleControl2& host;
    explicit ComponentReference(TOleControl2& h) : host(h) {}
    SITE_UNKNOWN
    TComponent* STDMETHODCALLTYPE GetComponent() override { return &host; }
  };

  explicit SiteInterfaces(TOleControl2& host)
      : clientSite(host), controlSite(host), ambient(host), propertySink(host), simpleFrame(host), inPlaceSite(host),
        inPlaceFrame(host), componentReference(host) {}

  // IUnknown, the eight site interfaces and the component reference; nothing else.
  HRESULT QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    IUnknown* answer = nullptr;
    if (riid == IID_IUnknown || riid == IID_IOleClientSite)
      answer = &clientSite;
    else if (riid == IID_ISimpleFrameSite)
      answer = &simpleFrame;
    else if (riid == IID_IPropertyNotifySink)
      answer = &propertySink;
    else if (riid == IID_IDispatch)
      answer = &ambient;
    else if (riid == IID_IOleInPlaceFrame)
      answer = &inPlaceFrame;
    else if (riid == IID_IOleInPlaceSite)
      answer = &inPlaceSite;
    else if (riid == IID_IOleControlSite)
      answer = &controlSite;
    else if (riid == IID_IComponentReference)
      answer = &componentReference;
    *object = answer;
    if (!answer) return E_NOINTERFACE;
    answer->AddRef();
    return S_OK;
  }

  ClientSite clientSite;
  ControlSite controlSite;
  Ambient ambient;
  PropertySink propertySink;
  SimpleFrame simpleFrame;
  InPlaceSite inPlaceSite;
  InPlaceFrame inPlaceFrame;
  ComponentReference componentReference;
};

#undef SITE_UNKNOWN
