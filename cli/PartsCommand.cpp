#include "PartsCommand.h"

#include "base/Failure.h"
#include "formats/Formats.h"
#include "io/File.h"
#include "kit/SelfJoinKit.h"
#include "parts/PartNaming.h"

#include <unordered_set>
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

std::string OutputProblem(const PlannedJoin& join, bool force) {
    const fs::path& output = join.Output();
    const std::string quoted = "\"" + DisplayPath(output) + "\"";
    const EntryKind kind = KindOf(output);
    if (kind == EntryKind::Folder)
        return quoted + " is a folder; nothing was joined. Name the joined file with --name NAME, "
                        "or its folder with --output DIR.";
    if (!join.ThroughIndex() && kind != EntryKind::Missing) {
        const auto identity = IdentityOf(output);
        for (const PartFile& part : join.Parts().Parts)
            if (identity && identity == IdentityOf(part.Location))
                return quoted + " is one of the parts; nothing was joined. Name the joined file "
                                "with --name NAME, or its folder with --output DIR.";
    }
    if (!force && kind != EntryKind::Missing)
        return quoted + " already exists; nothing was joined. Add --force to replace it.";
    const fs::path folder = output.parent_path();
    if (KindOf(folder) == EntryKind::Folder && !FolderWritable(folder))
        return "Cannot write in the folder \"" + DisplayPath(folder) +
               "\"; nothing was joined. Name another with --output DIR.";
    return {};
}

int PartsInfo(const JoinRequest& request, std::ostream& out, std::ostream& err) {
    // Looked up in one listing of the folder, as the plan does: no file is asked about by name.
    std::unordered_set<PathText> present;
    const PathText& picked = request.Picked.native();
    const PathText folder = picked.substr(0, picked.size() - request.Picked.filename().native().size());
    for (const FolderEntry& entry : ListFolder(request.Picked.parent_path()))
        present.insert(folder + entry.Name);
    const auto exists = [&](const PathText& name) { return present.count(name) > 0; };
    const PartRun run =
        FollowParts(request.Picked.native(), exists, request.First.native(), request.Last.native());
    out << "Part:        " << DisplayPath(request.Picked) << '\n';
    if (!run.Namings.empty()) {
        const PartNaming& naming = PreferredNaming(run.Namings).Naming;
        out << "Naming:      " << DisplayPath(fs::path(naming.Prefix).filename()) << " + "
            << (naming.Widens ? "widening " : "") << naming.AlphabetName() << ", " << naming.Width
            << (naming.Grows ? " or more" : "") << " wide"
            << (naming.Tail.empty() ? "" : " + \"" + DisplayPath(fs::path(naming.Tail)) + "\"")
            << ", starting at \""
            << DisplayPath(fs::path(*naming.NameOf(naming.FirstValue())).filename()) << "\"\n"
            << "Run:         " << run.Names.size() << " part" << (run.Names.size() == 1 ? "" : "s")
            << ", \"" << DisplayPath(fs::path(run.Names.front()).filename()) << "\" to \""
            << DisplayPath(fs::path(run.Names.back()).filename()) << "\"\n";
    }
    try {
        JoinRequest looking = request;
        looking.LookOnly = true;
        const PlannedJoin join(looking);
        if (join.ThroughIndex()) {
            out << "Zendra's pieces of the index \"" << DisplayPath(join.Index()) << "\"\n";
            return 0;
        }
        const PartsPlan& plan = join.Parts();
        out << "Set:         " << plan.Parts.size() << " part"
            << (plan.Parts.size() == 1 ? "" : "s") << ", \""
            << DisplayPath(plan.Parts.front().Location.filename()) << "\" to \""
            << DisplayPath(plan.Parts.back().Location.filename()) << "\", " << plan.TotalSize
            << " bytes\n"
            << "Joins into:  "
            << (join.NeedsName() ? std::string("(a name is needed: --name NAME)")
                                 : DisplayPath(join.Output()))
            << '\n';
        for (const fs::path& check : plan.CheckFiles)
            out << "Check file:  " << DisplayPath(check) << '\n';
        if (!plan.Note.empty()) out << plan.Note << '\n';
        return 0;
    } catch (const Failure& failure) {
        err << "zendra-cli: " << failure.what() << '\n';
        return 1;
    }
}

} // namespace zendra
