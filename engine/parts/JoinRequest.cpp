#include "parts/JoinRequest.h"

#include "base/Failure.h"
#include "engine/Join.h"
#include "io/File.h"
#include "io/PlatformPath.h"

namespace zendra {

namespace fs = std::filesystem;

bool IsIndexName(const fs::path& path) {
    const auto extension = path.extension().native();
    return extension.size() == 4 && extension[0] == '.' && (extension[1] | 0x20) == 't' &&
           (extension[2] | 0x20) == 'p' && (extension[3] | 0x20) == 'l';
}

PlannedJoin::PlannedJoin(const JoinRequest& request, const Notice& notice) : request_(request) {
    if (!request.LookOnly) Replacement::MendFolder(request.Picked.parent_path(), notice);
    if (IsIndexName(request.Picked)) {
        index_ = request.Picked;
    } else {
        parts_ = ReadPartsPlan({request.Picked, request.Name, request.First, request.Last,
                                request.FirstPartHint, request.LastPartHint});
        index_ = parts_.Index;
    }
    fs::path name = parts_.OutputName;
    if (!index_.empty()) {
        std::string message;
        const auto recorded = JoinOutputName(index_, message);
        if (!recorded) throw Failure(message);
        name = *recorded;
    }
    const fs::path from = index_.empty() ? request.Picked : index_;
    const fs::path folder =
        request.OutputFolder.empty() ? from.parent_path() : request.OutputFolder;
    if (!name.empty()) output_ = folder / name;
}

bool PlannedJoin::OutputExists() const {
    return !output_.empty() && KindOf(output_) != EntryKind::Missing;
}

void PlannedJoin::Write(bool replace, const Progress& progress, const Notice& notice) {
    if (index_.empty()) {
        WritePartsJoin(parts_, output_, replace, progress, notice);
        return;
    }
    // The index join says a cancel only in its message: this request's own progress tells it.
    bool cancelled = false;
    const Progress watched = [&](std::uint64_t done, std::uint64_t total) {
        if (!progress || progress(done, total)) return true;
        cancelled = true;
        return false;
    };
    JoinOptions options;
    options.Replace = replace;
    options.Notice = notice;
    options.CodePage = request_.CodePage;
    std::string message;
    const PathText folder = output_.parent_path().native();
    if (!JoinPieces(index_, WithTrailingSeparator(folder.empty() ? PathText(1, '.') : folder),
                    message, watched, options, &joined_))
        throw cancelled ? Failure::Cancelled() : Failure(message);
}

std::string PlannedJoin::Summary() const {
    if (!index_.empty())
        return "Joined into \"" + DisplayPath(output_) + "\"\n" +
               (joined_.Note.empty() ? "" : joined_.Note + "\n");
    const std::size_t count = parts_.Parts.size();
    std::string text = "Joined " + std::to_string(count) +
                       (parts_.ZendraPieces ? " piece" : " part") + (count == 1 ? "" : "s") +
                       " (\"" + DisplayPath(parts_.Parts.front().Location.filename()) + "\" to \"" +
                       DisplayPath(parts_.Parts.back().Location.filename()) + "\") into \"" +
                       DisplayPath(output_) + "\"";
    for (const auto& check : parts_.CheckFiles)
        text += "; checked with \"" + DisplayPath(check.filename()) + "\"";
    text += "\n";
    if (!parts_.Note.empty()) text += parts_.Note + "\n";
    return text;
}

} // namespace zendra
