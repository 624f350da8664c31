#pragma once
// Program paths ("X:\dir\name") on top of the host file system.
//
// Every drive letter maps to a host directory: C: is the host root "/" unless QUARVER_DRIVES
// says otherwise ("D=/mnt/data;E=/srv/media"; a "C=..." entry replaces the default). "/" is
// accepted as a separator wherever "\" is. When a component does not exist with its exact spelling
// it resolves to an entry of the same name without regard to case, so that the lower-cased names
// the program stores still open.
//
// The working directory of the program ("process working directory") lives here, with a current
// directory per drive, as on the platform the program was made for. The real process working
// directory is never changed.
#include <map>
#include <string>

namespace plat {

using DriveMap = std::map<char, std::string>; // upper-case letter -> host directory

// The drive map from the environment: C=/ plus QUARVER_DRIVES.
DriveMap DriveMapFromEnvironment();
// Replaces the drive map and resets every drive's current directory to its root; the working
// directory becomes the program path of the host working directory when a drive holds it, else
// the root of C:. Used at start-up (implicitly, on first use) and by tests.
void SetDriveMap(const DriveMap& map);
const DriveMap& CurrentDriveMap();
// The map as QUARVER_DRIVES text, so that started programs see the same drives.
std::string DriveMapText();

// Full-path expansion as the platform does it: "\x" is on the current drive's root, "D:x" is
// relative to D's current directory, "." and ".." fold, a trailing "\" is kept, "/" becomes "\".
// The result starts with an upper-case drive letter ("C:\WORK\a.txt"). Empty for an empty path
// or an unknown drive.
std::string FullPath(const std::string& path);
// The host path of a program path (expanded first). Existing components are matched without
// regard to case; missing ones keep their spelling. Empty when the drive is not mapped.
std::string HostPath(const std::string& path);
// The program path of a host path: the drive whose host directory is the longest prefix.
// Empty when no drive holds it.
std::string ProgramPath(const std::string& hostPath);

// The working directory: "C:\" at a root, "C:\WORK" elsewhere (no trailing "\").
std::string GetCurrentDir();
// Changes the working directory (and the current directory of that drive). "D:" alone goes to
// D's current directory. Fails (false, LastError set) when the directory does not exist.
bool SetCurrentDir(const std::string& path);
// The current directory of one drive ("D:\" at first).
std::string DriveCurrentDir(char drive);

// Path text helpers that touch no file.
std::string ExtractFileDir(const std::string& path);  // "C:\a\b.txt" -> "C:\a"; "C:\b" -> "C:\"
std::string ExtractFilePath(const std::string& path); // "C:\a\b.txt" -> "C:\a\"
std::string ExtractFileName(const std::string& path); // "C:\a\b.txt" -> "b.txt"
std::string ExtractFileExt(const std::string& path);  // "b.txt" -> ".txt"; "b" -> ""
std::string ChangeFileExt(const std::string& path, const std::string& ext);
std::string ToLower(std::string text); // ASCII lower case, as the program compares names
bool SameText(const std::string& a, const std::string& b);

} // namespace plat
