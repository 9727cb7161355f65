// The COM face of a framework component: an object that a component implements answers this
// interface with the component itself.
#pragma once

#include "framework/components.h"
#include "platform/com/unknown.h"

inline constexpr IID IID_IComponentReference = {
    0x6C3A58E2, 0x3B0F, 0x4E7A, {0x9D, 0x41, 0x2F, 0x5B, 0x8C, 0x0D, 0x7A, 0x13}};

struct IComponentReference : IUnknown {
  virtual TComponent* STDMETHODCALLTYPE GetComponent() = 0;
};
COM_INTERFACE_ID(IComponentReference, IID_IComponentReference);
