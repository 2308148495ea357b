// Recovery data in the PAR 2.0 format (as par2cmdline writes and reads it): making it for a set of
// files, checking the files against it, and rebuilding those lost or damaged.
// Failures throw Failure; a cancel through `progress` throws Failure::Cancelled().
#pragma once

#include "File.h"
#include "Progress.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zendra {

struct RecoveryInput {
    std::string Name;               // UTF-8, as the set records it: "report.doc.000"
    std::filesystem::path ReadFrom; // where its bytes are now (a temporary file, say)
};

struct RecoveryOptions {
    int Percent = 10;             // 1-100 of the protected slices
    std::uint32_t SliceCount = 0; // recovery slices; 0: from Percent
    std::uint64_t SliceSize = 0;  // a multiple of 4; 0: about 2,000 input slices in all
};

// Creates the file that will be moved to `finalPath` once the caller commits (a temporary file
// beside it, which the caller records); the engine writes it and closes it.
using CreateOutput = std::function<File(const std::filesystem::path& finalPath)>;

// BASE.par2 (the set's description) and BASE.vol<first>+<count>.par2 (the recovery slices,
// 1, 2, 4, ... to a file), where `baseName` is folder/NAME. Returns the final names, in the order
// created. Memory stays under 256 MiB: recovery data that does not fit is made in several passes
// over the inputs.
std::vector<std::filesystem::path> WriteRecoveryFiles(const std::filesystem::path& baseName,
                                                      const std::vector<RecoveryInput>& inputs,
                                                      const RecoveryOptions& options,
                                                      const CreateOutput& create,
                                                      const Progress& progress = {});

// The recovery files of `baseName` that exist now: BASE.par2 and BASE.vol*.par2.
std::vector<std::filesystem::path> ExistingRecoveryFiles(const std::filesystem::path& baseName);
// folder/NAME.par2 for folder/NAME.
std::filesystem::path RecoveryIndexName(const std::filesystem::path& baseName);
// folder/NAME.par2 for the index folder/NAME.tpl: where a split puts the recovery files.
std::filesystem::path RecoveryFileForIndex(const std::filesystem::path& indexPath);

enum class ProtectedState { Intact, Damaged, Missing };

struct RecoveryStatus {
    struct Entry {
        std::string Name; // as the set records it
        ProtectedState State = ProtectedState::Intact;
    };
    std::vector<Entry> Files;       // in the set's order
    bool Repairable = false;        // true too when nothing needs repair
    std::uint32_t SlicesNeeded = 0; // more recovery slices a repair would need
    std::uint32_t SlicesAvailable = 0;
    bool AllIntact() const;
};

// Reads `par2File` and every BASE.*.par2 beside it (packets of other sets, damaged packets and
// packets of impossible lengths are skipped), and checks the files the set protects, which lie in
// the folder of `par2File`.
RecoveryStatus ScanRecovery(const std::filesystem::path& par2File, const Progress& progress = {});

struct RebuiltFile {
    std::filesystem::path Final;   // where the file belongs
    std::filesystem::path Written; // the file `create` made, complete and checked
};
// Rebuilds every damaged or missing file of the set into files made by `create`, each checked
// against the set's MD5 before this returns. When the first choice of recovery slices cannot be
// solved, others are tried. On failure the files `create` made are the caller's to remove.
std::vector<RebuiltFile> RebuildFiles(const std::filesystem::path& par2File,
                                      const CreateOutput& create, const Progress& progress = {});

// For a join: copies of the set's damaged and missing files rebuilt into temporary files in
// `folder` (the output's, say), which are removed when this ends; the user's files stay as they
// are. Throws as RebuildFiles does, having removed what it wrote.
class RebuiltCopies {
  public:
    RebuiltCopies(const std::filesystem::path& par2File, const std::filesystem::path& folder,
                  const Progress& progress = {});
    RebuiltCopies(const RebuiltCopies&) = delete;
    RebuiltCopies& operator=(const RebuiltCopies&) = delete;
    ~RebuiltCopies();
    // Where to read the file `path` names: its rebuilt copy, or `path` itself.
    std::filesystem::path ReadFrom(const std::filesystem::path& path) const;
    std::size_t Count() const { return copies_.size(); }

  private:
    struct Copy {
        RebuiltFile file;
        FileIdentity identity;
    };
    std::shared_ptr<RunLock> lock_; // declared first: outlives the copies' removal
    std::vector<Copy> copies_;
};

// "2 pieces were rebuilt from the recovery data." ("1 piece was ...").
std::string RebuiltMessage(std::size_t count);

} // namespace zendra
