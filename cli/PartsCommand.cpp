#include "PartsCommand.h"

#include "base/Failure.h"
#include "formats/Formats.h"
#include "io/File.h"
#include "kit/SelfJoinKit.h"

#include <vector>

namespace zendra {

namespace fs = std::filesystem;

SelfJoinWriter KitWriter(const fs::path& Source, std::string& note) {
    // The program beside this one (the Windows tool's), else the one this build carries.
    std::vector<std::uint8_t> program = CarriedJoinProgram();
    const fs::path beside = ProgramFolder() / "zendra-join.exe";
    if (KindOf(beside) == EntryKind::Regular) {
        const std::string bytes = ReadSmallFile(beside, "the self-join program");
        program.assign(bytes.begin(), bytes.end());
    }
    if (program.empty())
        note = "This zendra-cli carries no zendra-join.exe and none lies beside it, so \"" +
               DisplayPath(JoinProgramName(Source).filename()) +
               "\" was not written; the script was.\n";
    return [Source, program](const std::vector<RecoveryInput>& written,
                             const SplitOptions::CreateFile& create, const Progress& heard) {
        // The pieces are all but the index, which comes last.
        std::vector<KitSource> pieces;
        for (std::size_t i = 0; i + 1 < written.size(); ++i)
            pieces.push_back({written[i].Name, written[i].ReadFrom});
        WriteKitFiles(Source, KitListOf(DisplayPath(Source.filename()), pieces, heard), program,
                      create);
    };
}

} // namespace zendra
