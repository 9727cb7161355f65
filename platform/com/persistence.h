// Persistence of objects in streams: IPersist, IPersistStream and IPersistStreamInit.
#pragma once

#include "platform/com/persist.h"
#include "platform/com/stream.h"

inline constexpr IID IID_IPersistStream = {
    0x00000109, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IPersistStreamInit = {
    0x7FD52380, 0x4E07, 0x101B, {0xAE, 0x2D, 0x08, 0x00, 0x2B, 0x2E, 0xC7, 0x13}};

struct IPersistStream : IPersist {
  virtual HRESULT STDMETHODCALLTYPE IsDirty() = 0;  // S_OK when changed since the last save, else S_FALSE
  virtual HRESULT STDMETHODCALLTYPE Load(LPSTREAM stream) = 0;
  virtual HRESULT STDMETHODCALLTYPE Save(LPSTREAM stream, BOOL clearDirty) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) = 0;
};
COM_INTERFACE_ID(IPersistStream, IID_IPersistStream);

// IPersistStream's slots, then InitNew: an object starts either from Load or from InitNew.
struct IPersistStreamInit : IPersist {
  virtual HRESULT STDMETHODCALLTYPE IsDirty() = 0;
  virtual HRESULT STDMETHODCALLTYPE Load(LPSTREAM stream) = 0;
  virtual HRESULT STDMETHODCALLTYPE Save(LPSTREAM stream, BOOL clearDirty) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) = 0;
  virtual HRESULT STDMETHODCALLTYPE InitNew() = 0;
};
COM_INTERFACE_ID(IPersistStreamInit, IID_IPersistStreamInit);
