// IPersist: the class id of an object that can be saved; the base of the persistence and filter interfaces.
#pragma once

#include "platform/com/unknown.h"

inline constexpr IID IID_IPersist = {0x0000010C, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct IPersist : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetClassID(CLSID* classId) = 0;
};
COM_INTERFACE_ID(IPersist, IID_IPersist);
