// One verdict on a split set: every file it needs (the index, each piece, the checksum file, and
// any file its recovery data protects besides) judged from all the evidence there is, and whether
// a repair can make the set whole. zendra-cli's verify and repair and the window's check and
// repair all stand on it.
#pragma once

#include "io/Progress.h"
#include "recovery/Recovery.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace zendra {

enum class Found {
    Intact,  // its checksums agree (the recovery data's, its checksum line, the index's length)
    Damaged, // present, but its bytes disagree with them
    Missing, // not there, or not a file that can be opened
    Unknown, // present, but nothing can check it
};

struct JudgedFile {
    enum class Role { Index, Piece, Checksum, Other };
    std::string Name; // in the set's folder, as UTF-8
    Role Kind = Role::Piece;
    Found State = Found::Intact;
    bool Rebuildable = false; // damaged or missing, and a repair rebuilds it
    std::string Note;         // why, or where its bytes lie whole: "no recovery data covers it"
};

enum class SetOutcome {
    Intact,        // every file intact and checked
    Repairable,    // a repair makes the set whole
    NotRepairable, // it cannot: see Problems, SlicesNeeded and BytesNeeded
};

struct SetVerdict {
    SetOutcome Outcome = SetOutcome::Intact;
    std::vector<JudgedFile> Files; // the index, the pieces in order, the checksum file, the rest
    // Sentences for the user, each a reason a repair cannot make the set whole.
    std::vector<std::string> Problems;
    std::uint32_t SlicesNeeded = 0; // more recovery slices a repair would need
    std::uint64_t BytesNeeded = 0;  // about how many bytes of recovery files that is
    bool HasRecovery = false;       // recovery files lie beside the index
    std::filesystem::path Folder;   // the set's
    RecoveryStatus Recovery;        // what the recovery data found (empty without it)
    // For a repair: the files rebuilt through its RebuildTarget.
    std::vector<RebuiltFile> Rebuilt;
    std::size_t NotIntact() const;
};

// Where the files the recovery data rebuilds are made, so that the set is judged as a repair
// would leave it (a rebuilt piece against its checksum line, a rebuilt index's record, a rebuilt
// checksum file's lines). `Settle` is called before the files made are read again.
struct RebuildTarget {
    CreateOutput Create;
    FinishOutput Finish;
    std::function<void()> Settle;
};

// Judges the set of the index folder/NAME.tpl: the recovery data (NAME.par2, NAME.vol*.par2; the
// set among them whose files are this split's), the index record against the pieces' lengths,
// every piece against its checksum line, the checksum file's line for the whole. What the
// recovery data can rebuild is rebuilt into temporary copies in the system's temporary folder
// (removed before this returns) and judged as rebuilt; the set's folder is not written. Throws
// Failure for what keeps the set from being judged (a file that cannot be read, of kind I/O,
// naming it; recovery files that cannot be used; a cancel through `progress`).
SetVerdict JudgeSet(const std::filesystem::path& index, const Progress& progress = {});
// The same, rebuilding through `target` (a repair's transaction); the files made are listed in
// SetVerdict::Rebuilt, for the caller to commit when the outcome is Repairable.
SetVerdict JudgeSet(const std::filesystem::path& index, const Progress& progress,
                    const RebuildTarget& target);

// "intact", "damaged", "missing", "unknown".
const char* FoundText(Found state);

} // namespace zendra
