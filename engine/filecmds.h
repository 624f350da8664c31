#pragma once
// The built-in file commands MD, RD, Del, Ren, Attr, Copy and Type. The interpreter has already
// split the arguments; each command writes its echo (where it owns one) and its result lines into
// the history. They run inside RunCommand, so a relative name refers to the command directory.
#include <string>

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

} // namespace qv
