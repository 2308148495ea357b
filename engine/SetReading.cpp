#include "engine/SetReading.h"

#include "base/Failure.h"

namespace zendra {

SetReading::SetReading(const std::filesystem::path& set, const Notice& notice) {
    try {
        claim_ = Replacement::ClaimSet(set, true);
    } catch (const Failure& failure) {
        // No lock can be made in the folder: no run can write there either.
        if (failure.Kind() != FailureKind::Io) throw;
        Replacement::MendFolder(set.parent_path(), notice); // says what is left unmended
        return;
    }
    if (!claim_)
        throw Failure("Another split or join is writing \"" + DisplayPath(set) +
                      "\" right now; nothing was read. Try again once it has ended.");
    Replacement::MendFolder(set.parent_path(), notice);
}

} // namespace zendra
