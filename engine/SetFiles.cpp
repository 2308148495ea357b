#include "engine/SetFiles.h"

#include "formats/Checksum.h"
#include "kit/SelfJoinKit.h"
#include "parts/Parts.h"
#include "recovery/Recovery.h"

#include <algorithm>

namespace zendra {

std::vector<std::filesystem::path> SetFiles(const std::filesystem::path& IndexPath,
                                            const JoinPlan& Plan) {
    std::vector<std::filesystem::path> files{IndexPath};
    for (const PieceBuffer& piece : Plan.Pieces)
        files.push_back(piece.Location);
    // The join reads every checksum file there is in these two folders.
    if (!Plan.ChecksumFile.empty()) {
        for (const auto& beside : {Plan.Pieces.front().Location, IndexPath}) {
            const auto file = ChecksumName(beside.parent_path() / Plan.OutputName);
            if (std::find(files.begin(), files.end(), file) == files.end() &&
                KindOf(file) != EntryKind::Missing)
                files.push_back(file);
        }
    }
    std::filesystem::path base = IndexPath;
    if (base.extension() == ".tpl") base.replace_extension();
    for (auto& file : ExistingRecoveryFiles(base))
        files.push_back(std::move(file));
    files.push_back(JoinScriptName(base));
    files.push_back(JoinProgramName(base));
    return files;
}

std::vector<std::filesystem::path> SetFiles(const PartsPlan& Plan) {
    std::vector<std::filesystem::path> files;
    for (const PartFile& part : Plan.Parts)
        files.push_back(part.Location);
    return files;
}

} // namespace zendra
