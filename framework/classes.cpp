#include "framework/classes.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include "platform/win32/kernel32.h"
#include "platform/win32/resources.h"

std::int64_t TStream::Size() {
  const std::int64_t position = Seek(0, 1);
  const std::int64_t size = Seek(0, 2);
  Seek(position, 0);
  return size;
}

void TStream::ReadBuffer(void* buffer, long count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, long count) {
  if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  std::vector<char> buffer(static_cast<std::size_t>(std::min<std::int64_t>(count, 1 << 20)) + 1);
  std::int64_t left = count;
  while (left > 0) {
    const long chunk = static_cast<long>(std::min<std::int64_t>(left, static_cast<std::int64_t>(buffer.size())));
    source.ReadBuffer(buffer.data(), chunk);
    WriteBuffer(buffer.data(), chunk);
    left -= chunk;
  }
  return count;
}

void TStream::SaveToStream(TStream& target) {
  const std::int64_t size = Size() - Position();
  if (size > 0) target.CopyFrom(*this, size);
}

void SaveBytesToFile(const AnsiString& fileName, const void* data, std::size_t size) {
  static std::atomic<unsigned> serial{0};
  const AnsiString partial =
      fileName + Format(".%lu-%u.partial", static_cast<unsigned long>(GetCurrentProcessId()), ++serial);
  try {
    TFileStream file(partial, fmCreate);
    const auto* bytes = static_cast<const char*>(data);
    for (std::size_t done = 0; done < size;) {
      const long chunk = static_cast<long>(std::min<std::size_t>(size - done, 1u << 30));
      file.WriteBuffer(bytes + done, chunk);
      done += static_cast<std::size_t>(chunk);
    }
  } catch (const EFCreateError&) {
    throw EFCreateError(
        Format("Cannot create file \"%s\". %s", fileName.c_str(), SysErrorMessage(GetLastError()).c_str()));
  } catch (...) {
    DeleteFileA(partial.c_str());
    throw;
  }
  if (!MoveFileExA(partial.c_str(), fileName.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    const DWORD error = GetLastError();
    DeleteFileA(partial.c_str());
    throw EFCreateError(Format("Cannot create file \"%s\". %s", fileName.c_str(), SysErrorMessage(error).c_str()));
  }
}

void TStream::SaveToFile(const AnsiString& fileName) {
  TFileStream file(fileName, fmCreate);
  SaveToStream(file);
}

TFileStream::TFileStream(const AnsiString& fileName, unsigned short mode) : fileName_(fileName) {
  if (mode == fmCreate) {
    handle_ = CreateFileA(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) {
      throw EFCreateError(
          Format("Cannot create file \"%s\". %s", fileName.c_str(), SysErrorMessage(GetLastError()).c_str()));
    }
    return;
  }
  const DWORD access = (mode & 3) == fmOpenWrite       ? GENERIC_WRITE
                       : (mode & 3) == fmOpenReadWrite ? GENERIC_READ | GENERIC_WRITE
                                                       : GENERIC_READ;
  handle_ =
      CreateFileA(fileName.c_str(), access, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle_ == INVALID_HANDLE_VALUE) {
    throw EFOpenError(Format("Cannot open file \"%s\". %s", fileName.c_str(), SysErrorMessage(GetLastError()).c_str()));
  }
}

TFileStream::~TFileStream() { CloseHandle(handle_); }

long TFileStream::Read(void* buffer, long count) {
  DWORD done = 0;
  if (count <= 0 || !ReadFile(handle_, buffer, static_cast<DWORD>(count), &done, nullptr)) return 0;
  return static_cast<long>(done);
}

long TFileStream::Write(const void* buffer, long count) {
  DWORD done = 0;
  if (count <= 0 || !WriteFile(handle_, buffer, static_cast<DWORD>(count), &done, nullptr)) return 0;
  return static_cast<long>(done);
}

std::int64_t TFileStream::Seek(std::int64_t offset, int origin) {
  LONG high = static_cast<LONG>(offset >> 32);
  const DWORD low = SetFilePointer(handle_, static_cast<LONG>(offset & 0xFFFFFFFF), &high,
                                   origin == 1   ? FILE_CURRENT
                                   : origin == 2 ? FILE_END
                                                 : FILE_BEGIN);
  if (low == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS) return -1;
  return (static_cast<std::int64_t>(high) << 32) | low;
}

long TCustomMemoryStream::Read(void* buffer, long count) {
  const std::int64_t n = std::max<std::int64_t>(0, std::min<std::int64_t>(count, size_ - position_));
  if (n > 0) std::memcpy(buffer, data_ + position_, static_cast<std::size_t>(n));
  position_ += n;
  return static_cast<long>(n);
}

long TCustomMemoryStream::Write(const void*, long) { return 0; }

std::int64_t TCustomMemoryStream::Seek(std::int64_t offset, int origin) {
  const std::int64_t base = origin == 1 ? position_ : origin == 2 ? size_ : 0;
  position_ = std::max<std::int64_t>(0, base + offset);
  return position_;
}

void TCustomMemoryStream::SetPointer(const void* data, std::int64_t size) {
  data_ = static_cast<const unsigned char*>(data);
  size_ = size;
  position_ = 0;
}

long TMemoryStream::Read(void* buffer, long count) {
  const std::int64_t size = static_cast<std::int64_t>(bytes_.size());
  const std::int64_t n = std::max<std::int64_t>(0, std::min<std::int64_t>(count, size - position_));
  if (n > 0) std::memcpy(buffer, bytes_.data() + position_, static_cast<std::size_t>(n));
  position_ += n;
  return static_cast<long>(n);
}

long TMemoryStream::Write(const void* buffer, long count) {
  if (count <= 0) return 0;
  const std::size_t end = static_cast<std::size_t>(position_) + static_cast<std::size_t>(count);
  if (end > bytes_.size()) bytes_.resize(end);
  std::memcpy(bytes_.data() + position_, buffer, static_cast<std::size_t>(count));
  position_ = static_cast<std::int64_t>(end);
  return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, int origin) {
  const std::int64_t base = origin == 1 ? position_ : origin == 2 ? static_cast<std::int64_t>(bytes_.size()) : 0;
  position_ = std::max<std::int64_t>(0, base + offset);
  return position_;
}

void TMemoryStream::SetBytes(std::vector<unsigned char> bytes) {
  bytes_ = std::move(bytes);
  position_ = 0;
}

namespace {

const void* LockedResource(HINSTANCE instance, LPCSTR name, LPCSTR type, const AnsiString& shownName, DWORD& size) {
  HRSRC resource = FindResourceA(instance, name, type);
  if (resource == nullptr) throw EResNotFound(Format("Resource %s not found", shownName.c_str()));
  size = SizeofResource(instance, resource);
  return LockResource(LoadResource(instance, resource));
}

}  // namespace

TResourceStream::TResourceStream(HINSTANCE instance, const AnsiString& name, LPCSTR type) {
  DWORD size = 0;
  const void* data = LockedResource(instance, name.c_str(), type, name, size);
  SetPointer(data, size);
}

TResourceStream::TResourceStream(HINSTANCE instance, int id, LPCSTR type) {
  DWORD size = 0;
  const void* data = LockedResource(instance, MAKEINTRESOURCEA(id), type, IntToStr(id), size);
  SetPointer(data, size);
}

HINSTANCE MainInstance() { return GetModuleHandleA(nullptr); }
