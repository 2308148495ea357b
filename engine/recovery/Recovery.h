// Recovery data in the PAR 2.0 format (as par2cmdline writes and reads it): making it for a set of
// files, checking the files against it, and rebuilding those lost or damaged.
// Failures throw Failure; a cancel through `progress` throws Failure::Cancelled().
#pragma once

#include "io/File.h"
#include "io/Progress.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zendra {

struct RecoveryInput {
    std::string Name;               // UTF-8, as the set records it: "report.doc.000"
    std::filesystem::path ReadFrom; // where its bytes are now (a temporary file, say)
};

// The largest slice size a split takes: a piece file is at most 2 GiB and 14 bytes.
inline constexpr std::uint64_t kMaxSliceSize = std::uint64_t{1} << 32;

struct RecoveryOptions {
    int Percent = 10;             // 0-100 of the protected slices (0 only with Pieces)
    std::uint32_t SliceCount = 0; // recovery slices; 0: from Percent and Pieces
    std::uint64_t SliceSize = 0;  // a multiple of 4; 0: about 2,000 input slices in all
    // At least enough recovery slices that any `Pieces` of the inputs but the last can be lost
    // together with the last (a split's index, which it gives last): the slices of the largest
    // `Pieces` of them, the last's, and max(1, 1 %) of all slices for a recovery file lost besides.
    std::uint32_t Pieces = 0;
    // How the recovery slices are spread over the NAME.vol files. `PieceFiles` (a split's): files
    // a user can count, each one largest input's worth of slices (the last input aside), the
    // remainder in the last file; with `Pieces` and no Percent, `Pieces` files each holding the
    // largest input's slices, the last input's and its share of the max(1, 1 %) cushion, so that
    // any one of them rebuilds one lost input together with the last. `Doubling`: 1, 2, 4, ... a
    // file, as par2cmdline spreads them.
    enum class Spread { PieceFiles, Doubling };
    Spread Files = Spread::PieceFiles;
};

// Creates the file that will be moved to `finalPath` once the caller commits (a temporary file
// beside it, which the caller records); the engine writes it and closes it.
using CreateOutput = std::function<File(const std::filesystem::path& finalPath)>;

// BASE.par2 (the set's description) and BASE.vol<first>+<count>.par2 (the recovery slices,
// spread as `options.Files` says; each file holds the set's description too), where `baseName`
// is folder/NAME. Returns the final names, in the order
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
// The file to read the recovery set of the index folder/NAME.tpl from, as par2cmdline finds it:
// NAME.par2, else any NAME.vol*.par2 (each holds the set's description); nothing when none exists.
std::optional<std::filesystem::path> FindRecoveryFile(const std::filesystem::path& indexPath);

enum class ProtectedState { Intact, Damaged, Missing };

// The most slices one repair rebuilds: the matrix it solves, with its inverse, takes 64 MiB.
inline constexpr std::uint32_t kMaxMissingSlices = 4096;

struct RecoveryScan; // what the check found, kept for the rebuild

struct RecoveryStatus {
    struct Entry {
        std::string Name; // as the set records it
        ProtectedState State = ProtectedState::Intact;
        std::string FoundIn;     // another file of the set that holds its bytes whole (swapped)
        std::uint64_t Extra = 0; // bytes after its recorded length, when they are all that is wrong
    };
    std::vector<Entry> Files;       // in the set's order
    bool Repairable = false;        // true too when nothing needs repair
    std::uint32_t SlicesNeeded = 0; // more recovery slices a repair would need
    std::uint32_t SlicesAvailable = 0;
    std::uint64_t SliceSize = 0;
    std::uint32_t SlicesMissing = 0; // over kMaxMissingSlices: too many for one repair
    std::shared_ptr<const RecoveryScan> Scan;
    bool AllIntact() const;
    // Why a repair cannot rebuild the files: "1 more recovery slice is needed.", or past
    // kMaxMissingSlices that this tool rebuilds no more and par2 repair can. Empty when it can.
    std::string Shortfall() const;
};

// Reads `par2File` and every BASE.*.par2 beside it (packets of other sets, damaged packets and
// packets of impossible lengths are skipped), and checks the files the set protects, which lie in
// the folder of `par2File`: by their slices' checksums, or by their whole MD5 when the set holds
// no recovery slice. A file whose bytes lie whole under another name of the set, or with bytes
// appended, needs no recovery slice. Throws Failure, before any protected file is read, when
// the set's slice size disagrees with all of its recovery slices. Of several sets in the recovery
// files, the one protecting the most `expected` names is read (see LoadRecoverySet).
RecoveryStatus ScanRecovery(const std::filesystem::path& par2File, const Progress& progress = {},
                            const std::vector<std::string>& expected = {});

struct RebuiltFile {
    std::filesystem::path Final;   // where the file belongs
    std::filesystem::path Written; // the file `create` made, complete and checked
};
// Closes a file `create` made once it is written (the caller's transaction finishing it).
using FinishOutput = std::function<void(File&)>;
// Rebuilds every damaged or missing file of a status into files made by `create` (finished by
// `finish` when given, else closed), each checked against the set's MD5 before this returns:
// cut back when only bytes were appended, copied from the file of the set that holds it whole,
// else solved from the recovery slices (when the first choice of them cannot be solved, others
// are tried). On failure the files `create` made are the caller's to remove.
std::vector<RebuiltFile> RebuildFiles(const RecoveryStatus& status, const CreateOutput& create,
                                      const Progress& progress = {},
                                      const FinishOutput& finish = {});
// The same after ScanRecovery(par2File).
std::vector<RebuiltFile> RebuildFiles(const std::filesystem::path& par2File,
                                      const CreateOutput& create, const Progress& progress = {});

// For a join: copies of the set's damaged and missing files rebuilt into temporary files in
// `folder` (the output's, say), which are removed when this ends; the user's files stay as they
// are. Throws as RebuildFiles does, having removed what it wrote.
class RebuiltCopies {
  public:
    RebuiltCopies(const std::filesystem::path& par2File, const std::filesystem::path& folder,
                  const Progress& progress = {});
    // The same for a status ScanRecovery gave.
    RebuiltCopies(const RecoveryStatus& status, const std::filesystem::path& folder,
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

// "2 pieces were rebuilt from the recovery data." ("1 piece was ...", "1 piece and the index
// were ...", "The index was ...").
std::string RebuiltMessage(std::size_t pieces, bool index = false);

} // namespace zendra
