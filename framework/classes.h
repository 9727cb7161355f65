// Streams: files through the Windows file handles, and the program's own raw-data resources.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/sysutils.h"
#include "platform/win32/wintypes.h"

class TStream {
 public:
  virtual ~TStream() = default;
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;

  virtual long Read(void* buffer, long count) = 0;
  virtual long Write(const void* buffer, long count) = 0;
  virtual std::int64_t Seek(std::int64_t offset, int origin) = 0;  // origin: 0 begin, 1 current, 2 end

  std::int64_t Position() { return Seek(0, 1); }
  void SetPosition(std::int64_t position) { Seek(position, 0); }
  std::int64_t Size();
  void ReadBuffer(void* buffer, long count);         // EReadError "Stream read error" when short
  void WriteBuffer(const void* buffer, long count);  // EWriteError "Stream write error" when short
  // Copies count bytes (the whole stream from its start when count is 0) from source.
  std::int64_t CopyFrom(TStream& source, std::int64_t count);
  void SaveToStream(TStream& target);
  // Creates or overwrites the file; EFCreateError when it cannot be created.
  void SaveToFile(const AnsiString& fileName);

 protected:
  TStream() = default;
};

// Writes a file whole or not at all: the bytes go to a temporary file beside it, which takes the
// name only once it is complete (replacing a file of that name). On failure nothing of it is
// left: EFCreateError when it cannot be created, EWriteError when it cannot be written.
void SaveBytesToFile(const AnsiString& fileName, const void* data, std::size_t size);

constexpr unsigned short fmCreate = 0xFF00;
constexpr unsigned short fmOpenRead = 0x0000;
constexpr unsigned short fmOpenWrite = 0x0001;
constexpr unsigned short fmOpenReadWrite = 0x0002;

class TFileStream : public TStream {
 public:
  // fmCreate creates or truncates (EFCreateError); the open modes open an existing file (EFOpenError).
  TFileStream(const AnsiString& fileName, unsigned short mode);
  ~TFileStream() override;

  long Read(void* buffer, long count) override;
  long Write(const void* buffer, long count) override;
  std::int64_t Seek(std::int64_t offset, int origin) override;
  const AnsiString& FileName() const { return fileName_; }

 private:
  AnsiString fileName_;
  HANDLE handle_;
};

// Read-only view of memory the stream does not own.
class TCustomMemoryStream : public TStream {
 public:
  long Read(void* buffer, long count) override;
  long Write(const void* buffer, long count) override;  // always 0: read-only
  std::int64_t Seek(std::int64_t offset, int origin) override;
  const void* Memory() const { return data_; }

 protected:
  void SetPointer(const void* data, std::int64_t size);

 private:
  const unsigned char* data_ = nullptr;
  std::int64_t size_ = 0;
  std::int64_t position_ = 0;
};

// A stream in memory that it owns and grows as it is written.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  long Read(void* buffer, long count) override;
  long Write(const void* buffer, long count) override;
  std::int64_t Seek(std::int64_t offset, int origin) override;
  const std::vector<unsigned char>& Bytes() const { return bytes_; }
  void SetBytes(std::vector<unsigned char> bytes);

 private:
  std::vector<unsigned char> bytes_;
  std::int64_t position_ = 0;
};

// A raw-data resource of a module, by name ("#1" names integer id 1) or by integer id.
// EResNotFound "Resource %s not found" when the module has no such resource.
class TResourceStream : public TCustomMemoryStream {
 public:
  TResourceStream(HINSTANCE instance, const AnsiString& name, LPCSTR type);
  TResourceStream(HINSTANCE instance, int id, LPCSTR type);
};

// The program's own module.
HINSTANCE MainInstance();
