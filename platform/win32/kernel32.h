// kernel32: handles, processes, pipes, files and module information.
//
// Handles are entries of a process-wide table (thread-safe); every POSIX descriptor behind them is
// close-on-exec, so a child process receives exactly the three standard handles it is given.
#pragma once

#include "platform/win32/errors.h"
#include "platform/win32/wintypes.h"

struct SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
};
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

struct STARTUPINFOA {
  DWORD cb;
  LPSTR lpReserved;
  LPSTR lpDesktop;
  LPSTR lpTitle;
  DWORD dwX;
  DWORD dwY;
  DWORD dwXSize;
  DWORD dwYSize;
  DWORD dwXCountChars;
  DWORD dwYCountChars;
  DWORD dwFillAttribute;
  DWORD dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  LPBYTE lpReserved2;
  HANDLE hStdInput;
  HANDLE hStdOutput;
  HANDLE hStdError;
};
using LPSTARTUPINFOA = STARTUPINFOA*;

struct PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
};
using LPPROCESS_INFORMATION = PROCESS_INFORMATION*;

constexpr DWORD STARTF_USESHOWWINDOW = 0x00000001;
constexpr DWORD STARTF_USESTDHANDLES = 0x00000100;
constexpr DWORD STILL_ACTIVE = 259;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

BOOL WINAPI CloseHandle(HANDLE handle);
// FALSE with ERROR_INVALID_HANDLE for a handle that is not open; the flags are always 0.
BOOL WINAPI GetHandleInformation(HANDLE handle, LPDWORD flags);

// Processes. The command line is split by the Windows rules (CommandLineToArgvW) and the program
// named by its first token is started directly, never through a shell. A token without a path
// separator is looked up in PATH. A child never outlives the process that started it, however
// that process ends, as if every child were in a job object that kills on close.
BOOL WINAPI CreatePipe(LPHANDLE readPipe, LPHANDLE writePipe, LPSECURITY_ATTRIBUTES attributes, DWORD size);
void WINAPI GetStartupInfoA(LPSTARTUPINFOA info);
BOOL WINAPI CreateProcessA(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                           LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                           LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                           LPPROCESS_INFORMATION processInformation);
// A process that died of a signal reports 128 + the signal number (never STILL_ACTIVE).
BOOL WINAPI GetExitCodeProcess(HANDLE process, LPDWORD exitCode);
BOOL WINAPI TerminateProcess(HANDLE process, UINT exitCode);
constexpr DWORD PROCESS_TERMINATE = 0x0001;
constexpr DWORD PROCESS_QUERY_LIMITED_INFORMATION = 0x1000;
constexpr DWORD SYNCHRONIZE = 0x00100000;
// Any running process of the machine by its id (not only a child): NULL with
// ERROR_INVALID_PARAMETER when no process has that id. The handle tells when it has ended
// (WaitForSingleObject, GetExitCodeProcess); the exit code of such a process reads 0.
HANDLE WINAPI OpenProcess(DWORD desiredAccess, BOOL inheritHandle, DWORD processId);
// Waits for a process handle to be signalled (the process has ended).
DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds);
BOOL WINAPI PeekNamedPipe(HANDLE pipe, LPVOID buffer, DWORD bufferSize, LPDWORD bytesRead, LPDWORD totalBytesAvailable,
                          LPDWORD bytesLeftThisMessage);
void WINAPI Sleep(DWORD milliseconds);
DWORD WINAPI GetCurrentProcessId();

// Files.
constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;
constexpr DWORD FILE_SHARE_READ = 0x00000001;
constexpr DWORD FILE_SHARE_WRITE = 0x00000002;
constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;
constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x00000001;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010;
// Given to what is neither a file nor a folder: a device, a pipe (FIFO) or a socket.
constexpr DWORD FILE_ATTRIBUTE_DEVICE = 0x00000040;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;
constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFF;
constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFF;

// A new file whose name ends in ".exe" is created executable, as Windows would run it.
HANDLE WINAPI CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES attributes,
                          DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);
BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead, void* overlapped);
BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten, void* overlapped);
BOOL WINAPI FlushFileBuffers(HANDLE file);
DWORD WINAPI GetFileSize(HANDLE file, LPDWORD fileSizeHigh);
DWORD WINAPI SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD moveMethod);
BOOL WINAPI DeleteFileA(LPCSTR fileName);
DWORD WINAPI GetFileAttributesA(LPCSTR fileName);
BOOL WINAPI CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES attributes);
BOOL WINAPI RemoveDirectoryA(LPCSTR pathName);
// Never replaces an existing target (nor a dangling symbolic link of its name), on every file
// system that can hold a file: where one cannot rename without replacing and has no hard links
// (FAT, exFAT, many FUSE mounts), the name is first reserved by creating it, then taken over. A
// file moves to another file system by copy and delete, as Windows does; the target appears only
// once it is complete and on the disk.
BOOL WINAPI MoveFileA(LPCSTR existingFileName, LPCSTR newFileName);
// MOVEFILE_REPLACE_EXISTING: a file takes the place of an existing one in one step, so that the
// name never stands for a part of either. MOVEFILE_COPY_ALLOWED: a move to another file system
// copies (MoveFileA always may). MOVEFILE_WRITE_THROUGH: accepted; a copy is always on the disk
// before it takes its name.
constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x1;
constexpr DWORD MOVEFILE_COPY_ALLOWED = 0x2;
constexpr DWORD MOVEFILE_WRITE_THROUGH = 0x8;
BOOL WINAPI MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags);
// A copy between file systems calls the routine once before the first byte
// (CALLBACK_STREAM_SWITCH) and after every chunk (CALLBACK_CHUNK_FINISHED), on the caller's thread,
// without file handles. PROGRESS_CANCEL or PROGRESS_STOP ends the move: what was copied is removed,
// the source stays, and the result is FALSE with ERROR_REQUEST_ABORTED. A rename calls it never.
constexpr DWORD PROGRESS_CONTINUE = 0;
constexpr DWORD PROGRESS_CANCEL = 1;
constexpr DWORD PROGRESS_STOP = 2;
constexpr DWORD PROGRESS_QUIET = 3;
constexpr DWORD CALLBACK_CHUNK_FINISHED = 0x0;
constexpr DWORD CALLBACK_STREAM_SWITCH = 0x1;
using LPPROGRESS_ROUTINE = DWORD(CALLBACK*)(LARGE_INTEGER totalFileSize, LARGE_INTEGER totalBytesTransferred,
                                            LARGE_INTEGER streamSize, LARGE_INTEGER streamBytesTransferred,
                                            DWORD streamNumber, DWORD callbackReason, HANDLE sourceFile,
                                            HANDLE destinationFile, LPVOID data);
BOOL WINAPI MoveFileWithProgressA(LPCSTR existingFileName, LPCSTR newFileName, LPPROGRESS_ROUTINE progressRoutine,
                                  LPVOID data, DWORD flags);

// Volumes. GetVolumePathNameA: the folder where the file system that holds the path (or its
// nearest existing folder) is mounted, with a trailing delimiter. GetVolumeInformationA of that
// folder gives the longest file name in bytes, at most 255: the longest that every file system
// here takes (FAT through the kernel reports the worst case of its character sets, far more).
// Label, serial number, flags and file system name read empty or 0.
BOOL WINAPI GetVolumePathNameA(LPCSTR fileName, LPSTR volumePathName, DWORD bufferLength);
BOOL WINAPI GetVolumeInformationA(LPCSTR rootPathName, LPSTR volumeNameBuffer, DWORD volumeNameSize,
                                  LPDWORD volumeSerialNumber, LPDWORD maximumComponentLength, LPDWORD fileSystemFlags,
                                  LPSTR fileSystemNameBuffer, DWORD fileSystemNameSize);

// The absolute form of a path given from the current folder; the disk is not consulted. Like the
// directory functions: the length without the NUL, or the size needed including it. filePart, when
// given, points at the last name in buffer (null for a path that ends with a delimiter).
DWORD WINAPI GetFullPathNameA(LPCSTR fileName, DWORD size, LPSTR buffer, LPSTR* filePart);

// Folder listings. The last component of the pattern may hold '*' (any characters) and '?' (one
// character); names are compared by letter case, as this platform's file names are. "." and
// ".." are listed too, as on Windows. A name without '*' or '?' finds that one entry, a dangling
// symbolic link too. No match: INVALID_HANDLE_VALUE with ERROR_FILE_NOT_FOUND;
// FindNextFileA past the last name: FALSE with ERROR_NO_MORE_FILES.
struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  CHAR cFileName[MAX_PATH];
  CHAR cAlternateFileName[14];
};
using LPWIN32_FIND_DATAA = WIN32_FIND_DATAA*;
HANDLE WINAPI FindFirstFileA(LPCSTR fileName, LPWIN32_FIND_DATAA findData);
BOOL WINAPI FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA findData);
BOOL WINAPI FindClose(HANDLE find);

// Termination requests to the process (SIGINT as CTRL_C_EVENT, SIGTERM as CTRL_BREAK_EVENT) reach
// the handlers on a thread of their own, as Windows delivers console control events: the last
// added first, until one returns TRUE. When none does, the request ends the process as it would
// without handlers. A NULL handler with add TRUE makes the process ignore CTRL_C_EVENT.
constexpr DWORD CTRL_C_EVENT = 0;
constexpr DWORD CTRL_BREAK_EVENT = 1;
using PHANDLER_ROUTINE = BOOL(WINAPI*)(DWORD ctrlType);
BOOL WINAPI SetConsoleCtrlHandler(PHANDLER_ROUTINE handler, BOOL add);

// The Windows directory: the program's per-user data folder (created when first asked for).
UINT WINAPI GetWindowsDirectoryA(LPSTR buffer, UINT size);
// The folder for temporary files, with a trailing delimiter: the per-user folder that stands for
// the drive root's temporary files (created when first asked for). The length without the NUL,
// or the size needed with it when the buffer is too small; 0 on failure.
DWORD WINAPI GetTempPathA(DWORD size, LPSTR buffer);
// An alias of an existing path that holds no blank, quote, backslash or non-ASCII character, so
// that it can stand unquoted on a command line; the path itself when it is already such a path.
DWORD WINAPI GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD size);

// The program's own module.
HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName);
DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);
