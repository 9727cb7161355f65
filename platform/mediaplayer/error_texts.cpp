#include "platform/mediaplayer/error_texts.h"

#include <cstdio>

#include "platform/dshow/dshow.h"

namespace mediaplayer {
namespace {

constexpr HRESULT kFileNotFound = static_cast<HRESULT>(0x80070002);  // HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)
constexpr HRESULT kPathNotFound = static_cast<HRESULT>(0x80070003);

const char* Reason(HRESULT code) {
  switch (code) {
    case kFileNotFound:
    case kPathNotFound: return "the file was not found. Check that the file exists and try again.";
    case E_ACCESSDENIED: return "access to the file was denied. Check the file's permissions.";
    case VFW_E_UNKNOWN_FILE_TYPE:
    case VFW_E_INVALID_FILE_FORMAT:
    case VFW_E_UNSUPPORTED_STREAM: return "the file is not a media file or is damaged.";
    case VFW_E_CANNOT_RENDER:
    case VFW_E_NO_DECOMPRESSOR:
    case VFW_E_UNSUPPORTED_AUDIO:
    case VFW_E_UNSUPPORTED_VIDEO: return "no stream of the file can be played.";
    case VFW_E_NO_AUDIO_HARDWARE: return "no audio device is available.";
    case VFW_E_FILE_TOO_SHORT: return "the file ends before its media data.";
    case E_OUTOFMEMORY: return "there is not enough memory.";
    case E_ABORT: return "the operation was cancelled.";
    default: return nullptr;
  }
}

}  // namespace

std::string ErrorDescription(HRESULT code, const std::string& fileName) {
  std::string text = fileName.empty() ? "Cannot play the media: " : "Cannot play '" + fileName + "': ";
  if (const char* reason = Reason(code)) return text + reason;
  char number[40];
  std::snprintf(number, sizeof number, "error 0x%08X.", static_cast<unsigned>(code));
  return text + number;
}

}  // namespace mediaplayer
