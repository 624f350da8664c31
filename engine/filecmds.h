#pragma once
// The built-in file commands MD, RD, Del, Ren, Attr, Copy and Type. The interpreter has already
// split the arguments; each command writes its echo (where it owns one) and its result lines into
// the history. They run inside RunCommand, so a relative name refers to the command directory.
#include <string>
#include <vector>

namespace qv {

class Engine;

void MakeDirCommand(Engine& engine, const std::string& args);
void RemoveDirCommand(Engine& engine, const std::string& args);
void DeleteCommand(Engine& engine, const std::string& args);
void RenameCommand(Engine& engine, const std::string& in, const std::string& out);
// The interpreter writes the echo of Attr and Type itself.
void AttrCommand(Engine& engine, const std::string& args);
void CopyCommand(Engine& engine, const std::string& in, const std::string& out);
void TypeCommand(Engine& engine, const std::string& args);

// The target name of Ren and Copy: the pattern's directory part, then its base name and its
// extension with their wildcards filled from the source name ("*.bak" on "notes.txt" gives
// "notes.bak", "b*.txt" on "abc.txt" gives "bbc.txt", "x?y.*" on "a.dat" gives "xy.dat").
std::string ApplyNamePattern(const std::string& pattern, const std::string& source);
// "*" or "?" anywhere in the name, directory part included.
bool HasWildcards(const std::string& name);
// The name as the commands print it: just the file name when it lies in the command directory.
std::string DisplayName(const Engine& engine, const std::string& name);

// The directory texts that follow a directory when it is renamed or removed: the tabs' picker
// directories, the command and program directories, the working directory the command itself
// returns to and, for a rename, also the return directory and the saved process directory.
std::vector<std::string*> RememberedDirectories(Engine& engine, std::string& workingDirectory,
                                                bool forRename);

} // namespace qv
