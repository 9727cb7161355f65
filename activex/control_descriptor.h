// What a descendant of the control host tells it about the control to host: one record per
// descendant class, static data shared by all its instances.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/components.h"
#include "platform/com/automation.h"

// StockFlags: the stock properties the host keeps in step with the control.
constexpr std::uint32_t StockBackColor = 0x01;  // DISPID_BACKCOLOR
constexpr std::uint32_t StockForeColor = 0x02;  // DISPID_FORECOLOR, the font's colour
constexpr std::uint32_t StockFont = 0x04;       // DISPID_FONT
constexpr std::uint32_t StockEnabled = 0x08;    // DISPID_ENABLED
constexpr std::uint32_t StockCaption = 0x10;    // DISPID_CAPTION
constexpr std::uint32_t StockText = 0x20;       // DISPID_TEXT

// SiteFlags.
constexpr std::uint32_t SiteGivenFirst = 0x01;  // the client site during construction even unasked
constexpr std::uint32_t SiteNeverFirst = 0x02;  // never during construction (wins over SiteGivenFirst)

// DescriptorVersion: below this the legacy event form; from EventTableVersion on EventTableOffset counts.
constexpr std::int32_t DirectEventsVersion = 300;
constexpr std::int32_t EventTableVersion = 401;

struct ControlDescriptor {
  CLSID ControlClassId{};
  IID EventInterfaceId{};  // the control's outgoing event interface
  std::int32_t EventIdCount = 0;
  const DISPID* EventIds = nullptr;  // EventIdCount entries; entry i belongs to handler slot i
  std::uint32_t StockFlags = 0;
  std::int32_t DescriptorVersion = EventTableVersion;
  std::int32_t FontSlotCount = 0;
  const DISPID* FontIds = nullptr;
  std::int32_t PictureSlotCount = 0;
  const DISPID* PictureIds = nullptr;  // PictureSlotCount entries
  std::uint32_t SiteFlags = 0;
  // Written by the host: the living instances of the class, and the class's property descriptions,
  // freed when the last instance goes.
  std::int32_t LiveInstances = 0;
  std::vector<std::unique_ptr<TObject>> PropertyDescriptions;
  // Where the descendant's event handler slots are, counted in bytes from the host part of an
  // instance (TOleControl2::EventTableOffsetOf); 0: the slot table the descendant declares first.
  std::uint32_t EventTableOffset = 0;
};
