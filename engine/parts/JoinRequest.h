// One join for the window and the tool, whatever the user picked: an index (NAME.tpl), one of
// Zendra's pieces (NAME.000, NAME.001, ...: joined through NAME.tpl beside it), or a part of
// another tool's set (NAME.001, PREFIXaa, PREFIX00, ...: joined by concatenation, see Parts.h).
//
//     JoinRequest request;
//     request.Picked = picked;             // the output goes beside it unless OutputFolder
//     PlannedJoin join(request, notice);   // mends, reads and checks once; throws Failure
//     if (join.NeedsName()) { ask; request.Name = answer; join = PlannedJoin(request); }
//     if (join.OutputExists() && !ask "Replace?") return;
//     join.Write(true, progress, notice);  // throws Failure; Kind() Cancelled on a cancel
//     show(join.Summary());
#pragma once

#include "engine/Join.h"
#include "engine/Replace.h"
#include "io/Progress.h"
#include "parts/Parts.h"

#include <filesystem>
#include <string>

namespace zendra {

// Whether a picked file is an index (NAME.tpl, in any case) rather than a piece or a part.
bool IsIndexName(const std::filesystem::path& path);

struct JoinRequest {
    std::filesystem::path Picked;
    // The folder the joined file goes into; empty: the folder of the index, or of the parts.
    std::filesystem::path OutputFolder;
    // Another tool's parts: the joined file's name; empty: from the parts' names (see NeedsName).
    std::filesystem::path Name;
    // Another tool's parts: the set's first part, where its tool does not start sets there, and
    // its last, for when files named like parts lie beside it that do not belong to it (the join
    // refuses them, named, without it).
    std::filesystem::path First;
    std::filesystem::path Last;
    // How the user gives First and Last, for the messages that refuse a set (the tool's
    // "--first PART", "--last PART"); empty where there is no way.
    std::string FirstPartHint;
    std::string LastPartHint;
    // An index written on Windows: the code page of its name (see ReadJoinPlan); 0 guesses.
    unsigned CodePage = 0;
    // Only to look at the set (zendra-cli info): what a killed run left is not mended first.
    bool LookOnly = false;
};

class PlannedJoin {
  public:
    // Mends what a killed run left beside what was picked (telling `notice`: a re-split killed
    // mid-commit has set the older pieces and index aside) unless LookOnly, then reads what was
    // picked and everything it names, checking that the set is whole, once; throws Failure naming
    // what is wrong. Nothing else is written.
    explicit PlannedJoin(const JoinRequest& request, const Notice& notice = {});

    // Another tool's parts whose names give no name for the joined file (GNU split's prefix "x"):
    // Output() is empty and Write refuses until the request is planned again with a Name.
    bool NeedsName() const { return parts_.NeedsName; }
    // The file that Write makes: the output folder and the joined file's name.
    const std::filesystem::path& Output() const { return output_; }
    // Whether something has that name already: the window asks "Replace?", the tool needs
    // --force. Write refuses it unless told to replace.
    bool OutputExists() const;
    // Joins into Output() through the folder's transaction (Replace.h): whole or not at all, a
    // replaced file's permissions kept, after the files a killed run left there were mended
    // (told to `notice`). Throws Failure; a progress that returns false cancels (kind Cancelled).
    void Write(bool replace, const Progress& progress = {}, const Notice& notice = {});
    // After Write: the index join's plan (the pieces read, the checksum file checked), or the
    // other tool's parts, so that the caller can name the set's files (SetFiles.h).
    bool ThroughIndex() const { return !index_.empty(); }
    const std::filesystem::path& Index() const { return index_; }
    const JoinPlan& IndexPlan() const { return joined_; }
    const PartsPlan& Parts() const { return parts_; }
    // What was done, for the user: "Joined 3 parts into "…"; checked with "…"", and a second line
    // when something could not be checked. Meant for after Write.
    std::string Summary() const;

  private:
    JoinRequest request_;
    std::filesystem::path index_; // when joining through an index
    PartsPlan parts_;             // otherwise
    JoinPlan joined_;             // the index join's, once written
    std::filesystem::path output_;
};

} // namespace zendra
