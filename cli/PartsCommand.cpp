#include "PartsCommand.h"

#include "EngineError.h"
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
    const fs::path name = Name ? fs::path(std::u8string(Name->begin(), Name->end())) : fs::path();
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

std::string WriteKitBeside(const fs::path& Source, std::string& note, const Progress& progress) {
    const fs::path program = ProgramFolder() / "zendra-join.exe";
    const bool withProgram = KindOf(program) == EntryKind::Regular;
    if (!withProgram)
        note = "No zendra-join.exe lies beside zendra-cli, so \"" +
               DisplayPath(JoinProgramName(Source).filename()) +
               "\" was not written; the script was.\n";
    // Each kit file is written under a temporary name and renamed once all are complete.
    struct Made {
        fs::path Temporary;
        FileIdentity Identity;
        fs::path Final;
    };
    std::vector<Made> made;
    const CreateKitFile create = [&](const fs::path& finalPath) {
        CheckWritableName(finalPath);
        File file = File::CreateBeside(finalPath);
        made.push_back({file.Path(), file.Identity(), finalPath});
        return file;
    };
    std::string message;
    bool done = WriteSelfJoinKit(IndexName(Source), withProgram ? program : fs::path(), create,
                                 message, progress);
    for (const Made& file : made) { // the writer has closed them all
        if (done) {
            try {
                MoveFileOver(file.Temporary, file.Final);
                continue;
            } catch (const std::exception& error) {
                done = false;
                message = error.what();
            }
        }
        RemoveTemporaryQuietly(file.Temporary, file.Identity);
    }
    return done ? std::string() : message;
}

} // namespace zendra
