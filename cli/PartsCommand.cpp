#include "PartsCommand.h"

#include "Failure.h"
#include "File.h"
#include "Formats.h"
#include "SelfJoinKit.h"

#include <vector>

namespace zendra {

namespace fs = std::filesystem;

SelfJoinWriter KitWriter(const fs::path& Source, std::string& note) {
    const fs::path program = ProgramFolder() / "zendra-join.exe";
    const bool withProgram = KindOf(program) == EntryKind::Regular;
    if (!withProgram)
        note = "No zendra-join.exe lies beside zendra-cli, so \"" +
               DisplayPath(JoinProgramName(Source).filename()) +
               "\" was not written; the script was.\n";
    return [Source, program = withProgram ? program : fs::path()](
               const std::vector<RecoveryInput>& written, const SplitOptions::CreateFile& create) {
        // The pieces are all but the index, which comes last.
        std::vector<KitSource> pieces;
        for (std::size_t i = 0; i + 1 < written.size(); ++i)
            pieces.push_back({written[i].Name, written[i].ReadFrom});
        WriteKitFiles(Source, KitListOf(DisplayPath(Source.filename()), pieces), program, create);
    };
}

} // namespace zendra
