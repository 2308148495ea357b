#include "engine/Repair.h"

#include <algorithm>

namespace zendra {

RepairResult RepairSet(const std::filesystem::path& index, const Notice& notice,
                       const Progress& progress) {
    // First, as every command that writes there: what a killed run left in the folder is mended
    // before the set is judged.
    Replacement replace(index, notice);
    const RebuildTarget target{
        [&](const std::filesystem::path& final) {
            replace.Check(final);
            return replace.Create(final);
        },
        [&](File& file) { replace.Finish(file); }, [&] { replace.Settle(); }};
    RepairResult result{JudgeSet(index, progress, target), false, 0, false, 0};
    if (result.Verdict.Outcome != SetOutcome::Repairable) return result; // nothing committed
    replace.Commit();
    result.Written = true;
    for (const auto& file : result.Verdict.Rebuilt) {
        const auto kind = std::find_if(
            result.Verdict.Files.begin(), result.Verdict.Files.end(), [&](const JudgedFile& f) {
                return result.Verdict.Folder / PathFromUtf8(f.Name) == file.Final;
            });
        if (kind == result.Verdict.Files.end() || kind->Kind == JudgedFile::Role::Other ||
            kind->Kind == JudgedFile::Role::Checksum)
            ++result.Others;
        else if (kind->Kind == JudgedFile::Role::Index)
            result.Index = true;
        else
            ++result.Pieces;
    }
    return result;
}

} // namespace zendra
