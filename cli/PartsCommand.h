// What `join` and `split` do beyond the index: joining other tools' parts, and the self-join kit.
#pragma once

#include "Split.h"

#include "Progress.h"

#include <filesystem>
#include <optional>
#include <string>

namespace zendra {

// Whether `join` was given an index (NAME.tpl) rather than a first part.
bool IsIndexName(const std::filesystem::path& path);

struct PartsJoinResult {
    enum { Joined, Failed, ThroughIndex } Outcome = Failed;
    std::string Message;         // Failed: why; Joined: what was done, and a note, for stdout
    std::filesystem::path Index; // ThroughIndex: the parts are Zendra's pieces beside this index
};

// Joins the set FirstPart begins into Folder (with its trailing separator). Name is --name.
PartsJoinResult JoinFirstPart(const std::filesystem::path& FirstPart,
                              const std::filesystem::path& Folder,
                              const std::optional<std::string>& Name, bool Replace,
                              const Progress& progress);

// What a split of Source with --self-join writes in its transaction: NAME.join.sh, and
// NAME.join.exe when zendra-join.exe lies beside this program; `note` says what was left out.
using SelfJoinWriter = decltype(SplitOptions::Extra);
SelfJoinWriter KitWriter(const std::filesystem::path& Source, std::string& note);

// The folder this program's file lies in (zendra-join.exe is looked for there).
std::filesystem::path ProgramFolder();

} // namespace zendra
