// Where the plug-in finds and keeps its files. Folder texts end with '/'; file
// names are in the file system's own encoding (UTF-8 on Linux).
#pragma once

#include <string>

namespace qvt {

// Full file name of the library (or program) that holds this code, links
// resolved; empty when unknown.
std::string ModuleFileName();
// The folder of a file name, up to and including its last '/'; empty when it has none.
std::string FolderOfFile(const std::string& fileName);

// Per-user folders of the XDG base directory rules, with "Quivertone/" appended:
// $XDG_CONFIG_HOME (default ~/.config) and $XDG_DATA_HOME (default ~/.local/share).
// Relative settings of the variables are ignored, as the rules require. Empty
// when no home folder is known.
std::string UserConfigFolder();
std::string UserDataFolder();

// Creates a folder with any missing parents; true when it exists afterwards.
bool ForceDirectories(const std::string& folder);
bool FolderIsWritable(const std::string& folder);
bool FileExists(const std::string& path); // a regular file (or a link to one)

// The plug-in's folders: "Banks/" and "Patterns/" beside the library when
// they exist or can be made there and are writable, otherwise in the per-user
// data folder (a system-wide install); the help file always beside the library.
// Without an absolute library folder everything is in the per-user data
// folder; without that too, all three are empty. No name is ever relative.
struct TPluginFolders {
  std::string Banks;
  std::string Patterns;
  std::string HelpFile;
};
TPluginFolders PluginFolders(const std::string& moduleFolder, const std::string& userDataFolder);

} // namespace qvt
