#include "platform/mediaplayer/player_settings.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "platform/mediaplayer/media_player.h"

namespace mediaplayer {
namespace {

struct Default {
  SettingInfo info;
  double number;  // booleans: 1 true, 0 false; strings start empty
};

// The settings with their defaults; the order is the order of the saved records.
const std::vector<Default>& Defaults() {
  static const std::vector<Default> defaults = [] {
    std::vector<Default> list{
        {{DISPID_MP_AUTOSTART, VT_BOOL}, 1},
        {{DISPID_MP_AUTOREWIND, VT_BOOL}, 1},
        {{DISPID_MP_PLAYCOUNT, VT_I4}, 1},
        {{DISPID_MP_RATE, VT_R8}, 1.0},
        {{DISPID_MP_VOLUME, VT_I4}, -600},
        {{DISPID_MP_BALANCE, VT_I4}, 0},
        {{DISPID_MP_MUTE, VT_BOOL}, 0},
        {{DISPID_MP_DISPLAYMODE, VT_I4}, mpTime},
        {{DISPID_MP_DISPLAYSIZE, VT_I4}, mpDefaultSize},
        {{DISPID_MP_AUTOSIZE, VT_BOOL}, 1},
    };
    // Settings whose default is off; every other boolean starts on.
    const DISPID offByDefault[] = {
        DISPID_MP_SHOWDISPLAY,         DISPID_MP_SENDKEYBOARDEVENTS, DISPID_MP_SENDMOUSECLICKEVENTS,
        DISPID_MP_SENDMOUSEMOVEEVENTS, DISPID_MP_SHOWCAPTIONING,     DISPID_MP_SHOWSTATUSBAR,
        DISPID_MP_SHOWGOTOBAR,         DISPID_MP_VIDEOBORDER3D,      DISPID_MP_ENABLEFULLSCREENCONTROLS,
        DISPID_MP_WINDOWLESSVIDEO};
    auto isOff = [&](DISPID id) {
      for (DISPID off : offByDefault)
        if (off == id) return true;
      return false;
    };
#define MEDIAPLAYER_BOOL_DEFAULT(Name, id) list.push_back({{id, VT_BOOL}, isOff(id) ? 0.0 : 1.0});
#define MEDIAPLAYER_LONG_DEFAULT(Name, id) \
  list.push_back({{id, VT_I4}, (id) == DISPID_MP_LANGUAGE || (id) == DISPID_MP_AUDIOSTREAM ? -1.0 : 0.0});
#define MEDIAPLAYER_STRING_DEFAULT(Name, id) list.push_back({{id, VT_BSTR}, 0});
    MEDIAPLAYER_SETTING_BOOLS(MEDIAPLAYER_BOOL_DEFAULT)
    MEDIAPLAYER_SETTING_LONGS(MEDIAPLAYER_LONG_DEFAULT)
    MEDIAPLAYER_SETTING_STRINGS(MEDIAPLAYER_STRING_DEFAULT)
#undef MEDIAPLAYER_STRING_DEFAULT
#undef MEDIAPLAYER_LONG_DEFAULT
#undef MEDIAPLAYER_BOOL_DEFAULT
    return list;
  }();
  return defaults;
}

void MakeValue(const Default& d, VARIANT& v) {
  switch (d.info.type) {
    case VT_BOOL:
      v.vt = VT_BOOL;
      v.boolVal = d.number ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    case VT_I4:
      v.vt = VT_I4;
      v.lVal = static_cast<LONG>(d.number);
      break;
    case VT_R8:
      v.vt = VT_R8;
      v.dblVal = d.number;
      break;
    default:
      v.vt = VT_BSTR;
      v.bstrVal = SysAllocString(u"");
      break;
  }
}

constexpr char kMagic[4] = {'S', 'V', 'M', 'P'};
constexpr std::uint16_t kVersion = 1;

HRESULT WriteBytes(IStream& stream, const void* data, ULONG size) {
  ULONG written = 0;
  HRESULT hr = stream.Write(data, size, &written);
  if (FAILED(hr)) return hr;
  return written == size ? S_OK : STG_E_MEDIUMFULL;
}

HRESULT ReadBytes(IStream& stream, void* data, ULONG size) {
  ULONG read = 0;
  HRESULT hr = stream.Read(data, size, &read);
  if (FAILED(hr)) return hr;
  return read == size ? S_OK : STG_E_READFAULT;
}

template <class T>
HRESULT WriteValue(IStream& stream, T value) {
  return WriteBytes(stream, &value, sizeof value);
}

template <class T>
HRESULT ReadValue(IStream& stream, T& value) {
  return ReadBytes(stream, &value, sizeof value);
}

// The longest string a saved record may hold (characters); longer means the block is damaged.
constexpr std::uint32_t kMaxSavedString = 32768;

}  // namespace

PlayerSettings::PlayerSettings() { ResetToDefaults(); }

const SettingInfo* PlayerSettings::Find(DISPID id) {
  for (const Default& d : Defaults())
    if (d.info.id == id) return &d.info;
  return nullptr;
}

HRESULT PlayerSettings::Validate(DISPID id, const VARIANT& value) {
  switch (id) {
    case DISPID_MP_VOLUME: return value.lVal >= -10000 && value.lVal <= 0 ? S_OK : E_INVALIDARG;
    case DISPID_MP_BALANCE: return value.lVal >= -10000 && value.lVal <= 10000 ? S_OK : E_INVALIDARG;
    case DISPID_MP_PLAYCOUNT:
    case DISPID_MP_VIDEOBORDERWIDTH: return value.lVal >= 0 ? S_OK : E_INVALIDARG;
    case DISPID_MP_DISPLAYMODE: return value.lVal == mpTime || value.lVal == mpFrames ? S_OK : E_INVALIDARG;
    case DISPID_MP_DISPLAYSIZE:
      return value.lVal >= mpDefaultSize && value.lVal <= mpOneHalfScreen ? S_OK : E_INVALIDARG;
    case DISPID_MP_RATE:
      return std::isfinite(value.dblVal) && value.dblVal > 0 && value.dblVal <= 16 ? S_OK : E_INVALIDARG;
    default: return S_OK;
  }
}

bool PlayerSettings::Bool(DISPID id) const {
  auto found = values_.find(id);
  return found != values_.end() && found->second->vt == VT_BOOL && found->second->boolVal != VARIANT_FALSE;
}

LONG PlayerSettings::Long(DISPID id) const {
  auto found = values_.find(id);
  return found != values_.end() && found->second->vt == VT_I4 ? found->second->lVal : 0;
}

double PlayerSettings::Double(DISPID id) const {
  auto found = values_.find(id);
  return found != values_.end() && found->second->vt == VT_R8 ? found->second->dblVal : 0;
}

BSTR PlayerSettings::String(DISPID id) const {
  auto found = values_.find(id);
  return found != values_.end() && found->second->vt == VT_BSTR ? found->second->bstrVal : nullptr;
}

void PlayerSettings::Get(DISPID id, VARIANT& out) const {
  auto found = values_.find(id);
  if (found != values_.end()) VariantCopy(&out, &found->second.Get());
}

void PlayerSettings::Set(DISPID id, const VARIANT& value) {
  auto found = values_.find(id);
  if (found == values_.end()) return;
  VariantCopy(found->second.Ptr(), &value);
  dirty_ = true;
}

void PlayerSettings::ResetToDefaults() {
  values_.clear();
  for (const Default& d : Defaults()) MakeValue(d, values_[d.info.id].Get());
  dirty_ = false;
}

ULONG PlayerSettings::SaveSize() const {
  ULONG size = sizeof kMagic + 2 * sizeof(std::uint16_t);
  for (const auto& [id, value] : values_) {
    size += sizeof(std::int32_t) + sizeof(std::uint16_t);
    switch (value->vt) {
      case VT_BOOL: size += sizeof(std::int16_t); break;
      case VT_I4: size += sizeof(std::int32_t); break;
      case VT_R8: size += sizeof(double); break;
      default: size += sizeof(std::uint32_t) + SysStringByteLen(value->bstrVal); break;
    }
  }
  return size;
}

HRESULT PlayerSettings::Save(IStream& stream, bool clearDirty) {
  HRESULT hr = WriteBytes(stream, kMagic, sizeof kMagic);
  if (SUCCEEDED(hr)) hr = WriteValue<std::uint16_t>(stream, kVersion);
  if (SUCCEEDED(hr)) hr = WriteValue<std::uint16_t>(stream, static_cast<std::uint16_t>(Defaults().size()));
  for (const Default& d : Defaults()) {
    if (FAILED(hr)) break;
    const VARIANT& value = values_.at(d.info.id).Get();
    hr = WriteValue<std::int32_t>(stream, d.info.id);
    if (SUCCEEDED(hr)) hr = WriteValue<std::uint16_t>(stream, value.vt);
    if (FAILED(hr)) break;
    switch (value.vt) {
      case VT_BOOL: hr = WriteValue<std::int16_t>(stream, value.boolVal); break;
      case VT_I4: hr = WriteValue<std::int32_t>(stream, value.lVal); break;
      case VT_R8: hr = WriteValue<double>(stream, value.dblVal); break;
      default: {
        const std::uint32_t length = SysStringLen(value.bstrVal);
        hr = WriteValue(stream, length);
        if (SUCCEEDED(hr) && length) hr = WriteBytes(stream, value.bstrVal, length * sizeof(OLECHAR));
        break;
      }
    }
  }
  if (SUCCEEDED(hr) && clearDirty) dirty_ = false;
  return hr;
}

HRESULT PlayerSettings::Load(IStream& stream) {
  char magic[sizeof kMagic];
  std::uint16_t version = 0;
  std::uint16_t count = 0;
  HRESULT hr = ReadBytes(stream, magic, sizeof magic);
  if (SUCCEEDED(hr)) hr = ReadValue(stream, version);
  if (SUCCEEDED(hr)) hr = ReadValue(stream, count);
  if (FAILED(hr)) return hr;
  if (std::memcmp(magic, kMagic, sizeof kMagic) != 0 || version != kVersion) return E_INVALIDARG;

  std::map<DISPID, com::Variant> loaded;
  for (std::uint16_t i = 0; i < count; ++i) {
    std::int32_t id = 0;
    std::uint16_t type = 0;
    if (FAILED(hr = ReadValue(stream, id)) || FAILED(hr = ReadValue(stream, type))) return hr;
    com::Variant value;
    switch (type) {
      case VT_BOOL: {
        std::int16_t b = 0;
        if (FAILED(hr = ReadValue(stream, b))) return hr;
        value->vt = VT_BOOL;
        value->boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
        break;
      }
      case VT_I4: {
        std::int32_t l = 0;
        if (FAILED(hr = ReadValue(stream, l))) return hr;
        value->vt = VT_I4;
        value->lVal = l;
        break;
      }
      case VT_R8: {
        double d = 0;
        if (FAILED(hr = ReadValue(stream, d))) return hr;
        value->vt = VT_R8;
        value->dblVal = d;
        break;
      }
      case VT_BSTR: {
        std::uint32_t length = 0;
        if (FAILED(hr = ReadValue(stream, length))) return hr;
        if (length > kMaxSavedString) return E_INVALIDARG;
        value->vt = VT_BSTR;
        value->bstrVal = SysAllocStringLen(nullptr, length);
        if (length && FAILED(hr = ReadBytes(stream, value->bstrVal, length * sizeof(OLECHAR)))) return hr;
        break;
      }
      default: return E_INVALIDARG;  // a record whose length is unknown: nothing after it can be read
    }
    const SettingInfo* info = Find(id);
    if (!info) continue;  // a setting of another version
    if (info->type != type || FAILED(Validate(id, value.Get()))) return E_INVALIDARG;
    loaded[id] = value;
  }
  for (auto& [id, value] : loaded) VariantCopy(values_[id].Ptr(), &value.Get());
  dirty_ = false;
  return S_OK;
}

}  // namespace mediaplayer
