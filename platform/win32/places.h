// The fixed Windows locations the program relies on, mapped to per-user places. Each can be moved
// by an environment variable (tests point them into temporary folders):
//   Windows directory      SONVARRA_WINDOWS_DIR, else $XDG_DATA_HOME/sonvarra, else ~/.local/share/sonvarra
//   drive-root temp files  SONVARRA_TEMP_DIR,    else $XDG_CACHE_HOME/sonvarra, else ~/.cache/sonvarra
//   drive root "C:\"       SONVARRA_HOME_DIR,    else $HOME
//   program module path    SONVARRA_MODULE_PATH, else the running executable
//   application data       $XDG_CONFIG_HOME, else ~/.config
#pragma once

#include <string>

namespace win32 {
// Platform path delimiter; callers that search for one accept both '/' and '\'.
#ifdef _WIN32
constexpr char kPathDelim = '\\';
#else
constexpr char kPathDelim = '/';
#endif

std::string WindowsDirectory();  // without trailing delimiter
// Folder of the program's fixed temporary files (Windows: "c:\"); with trailing delimiter. Created
// when first asked for.
std::string TemporaryRoot();
// The drive root that the program offers as its default folder (Windows: "C:\"); with trailing
// delimiter.
std::string DefaultRoot();
// The user's folder for programs' settings (Windows: the roaming application data folder);
// without trailing delimiter. Not created here.
std::string ApplicationDataFolder();
// Like "mkdir -p", each new folder private to the user; failures show when the folder is used.
void MakeFolders(const std::string& path);
// Folder that holds the short-path aliases: a path without blanks or other characters that a
// command line would split, owned by the user and private.
std::string AliasFolder();
// This process's own folder of aliases inside AliasFolder(), named by its process id; empty when
// it cannot be made. Making it first removes the folders of processes that have ended; it goes,
// with its aliases, when the process ends normally.
std::string ProcessAliasFolder();
// Removes the aliases of processes that no longer run (never those of a running one).
void RemoveAbandonedAliases();
}  // namespace win32
