#include "PartsCommand.h"

#include "Failure.h"
#include "File.h"
#include "Formats.h"
#include "Parts.h"
#include "SelfJoinKit.h"

#include <vector>

namespace zendra {

namespace fs = std::filesystem;

bool IsIndexName(const fs::path& path) {
    const auto extension = path.extension().native();
    return extension.size() == 4 && extension[0] == '.' && (extension[1] | 0x20) == 't' &&
           (extension[2] | 0x20) == 'p' && (extension[3] | 0x20) == 'l';
}

PartsJoinResult JoinFirstPart(const fs::path& FirstPart, const fs::path& Folder,
                              const std::optional<std::string>& Name, bool Replace,
                              const Progress& progress) {
    PartsJoinResult result;
    PartsPlan plan;
    const fs::path name = Name ? PathFromUtf8(*Name) : fs::path();
    if (!ReadPartsPlan(FirstPart, name, plan, result.Message)) {
        if (result.Message == NameNeededMessage) result.Message += " Give it with --name NAME.";
        return result;
    }
    if (!plan.Index.empty()) {
        result.Outcome = PartsJoinResult::ThroughIndex;
        result.Index = plan.Index;
        return result;
    }
    if (!WritePartsJoin(plan, Folder, Replace, result.Message, progress)) return result;
    result.Outcome = PartsJoinResult::Joined;
    result.Message = "Joined " + std::to_string(plan.Parts.size()) +
                     (plan.ZendraPieces ? " pieces" : " parts") + " into \"" +
                     DisplayPath(Folder.native() + plan.OutputName.native()) + "\"";
    for (const auto& check : plan.CheckFiles)
        result.Message += "; checked with \"" + DisplayPath(check.filename()) + "\"";
    result.Message += "\n";
    if (!plan.Note.empty()) result.Message += plan.Note + "\n";
    return result;
}

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
