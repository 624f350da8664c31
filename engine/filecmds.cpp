// Placeholders until the file commands arrive; every command word still gets an answer.
#include "engine/filecmds.h"

#include "engine/engine.h"

namespace qv {

namespace {
void NotYetAvailable(Engine& engine) {
    engine.AddLine("  Not yet available.");
}
} // namespace

void MakeDirCommand(Engine& engine, const std::string&) {
    NotYetAvailable(engine);
}
void RemoveDirCommand(Engine& engine, const std::string&) {
    NotYetAvailable(engine);
}
void DeleteCommand(Engine& engine, const std::string&) {
    NotYetAvailable(engine);
}
void RenameCommand(Engine& engine, const std::string&, const std::string&) {
    NotYetAvailable(engine);
}
void AttrCommand(Engine& engine, const std::string&) {
    NotYetAvailable(engine);
}
void CopyCommand(Engine& engine, const std::string&, const std::string&) {
    NotYetAvailable(engine);
}
void TypeCommand(Engine& engine, const std::string&) {
    NotYetAvailable(engine);
}

} // namespace qv
