#pragma once
// Self-running programs: a player with Quarver files and its switches attached behind it.
// After the player's bytes: each file as "QRVFILE" + name + NUL + size (8 bytes) + bytes, then
// "QRVARGS" + switches + NUL, then the trailer "QRVSELF1" + the offset where the attachments
// begin (8 bytes), so that the player finds them from the end of its own file.
#include <string>
#include <utility>
#include <vector>

namespace qv::tools {

struct Attachments {
    std::vector<std::pair<std::string, std::string>> files; // bare name, bytes
    std::string switches;
};

std::string AttachToProgram(const std::string& program, const Attachments& attachments);
// False when the program carries no (or damaged) attachments.
bool ReadAttachments(const std::string& program, Attachments& attachments);

} // namespace qv::tools
