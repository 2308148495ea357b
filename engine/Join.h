#pragma once

#include "engine/Replace.h"
#include "formats/Formats.h"
#include "io/File.h"
#include "io/Progress.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zendra {

// What a join will read and write, found and checked before anything is written.
struct JoinPlan {
    SplitIndex Index;
    std::filesystem::path SourcePath; // the index's FilePath as this system names it
    std::vector<PieceBuffer> Pieces;  // in order, each where it was found
    std::vector<FileState> PieceStates; // each piece as it was checked, to be found so again
    std::vector<std::filesystem::path> ReadFrom; // where each piece's bytes are read: its Location,
                                                 // or a copy rebuilt from the recovery data
    std::filesystem::path OutputName; // a plain file name: the source's own
    // From the checksum file beside the pieces, and the one beside the index when that differs
    // (see Checksum.h), when there is one: what each piece file and the joined file hash to.
    // Empty without one.
    std::filesystem::path ChecksumFile;
    std::vector<std::string> PieceChecksums;
    std::string OutputChecksum;
    // A sentence for the user when a piece was read past a difference the join does not decide
    // on (a trailer other than its length, bytes after its record); empty otherwise.
    std::string Note;
};

// Reads the index and checks every piece it names: present, well formed, and together exactly
// the index's FileSize. All pieces come from one folder: FilePath's when every piece is there,
// else the index's own when every piece is there. A checksum file beside the pieces or the index
// must list every piece and the source.
// The name in an index written on Windows is read in `CodePage` when one is given; on Linux, a
// name that is not UTF-8 is read as Windows-1252 when its pieces are found so.
// `Source` tells where a piece's or the index's bytes are read (a rebuilt copy of a missing or
// damaged one); without it, from the file itself.
using PieceSource = std::function<std::filesystem::path(const std::filesystem::path& piece)>;
bool ReadJoinPlan(const std::filesystem::path& IndexPath, JoinPlan& Plan, std::string& Message,
                  unsigned CodePage = 0, const PieceSource& Source = {});

struct JoinOptions {
    // Whether an existing file of the output's name is replaced. Without it the join refuses,
    // writing nothing: the file there may be the intact original the pieces were cut from.
    bool Replace = false;
    // Told in one line of what the join found and mended first (files a killed run left), and how
    // many pieces were rebuilt from the recovery data.
    zendra::Notice Notice;
    // The Windows code page of the name in an index written on Windows (see ReadJoinPlan).
    unsigned CodePage = 0;
};

// Writes the file a plan describes into OutputFolder followed directly by its OutputName; the
// output appears whole or not at all (it is written under a short temporary name and renamed over
// the final one). A progress that returns false cancels: nothing is left.
bool WriteJoinedFile(const JoinPlan& Plan, const std::filesystem::path& OutputFolder,
                     std::string& Message, const Progress& progress = {},
                     const JoinOptions& options = {});

// Checks every piece file, and the bytes they join into, against the plan's checksums without
// writing anything; fails naming every damaged piece, or when there is no checksum file.
bool VerifyPieces(const JoinPlan& Plan, std::string& Message, const Progress& progress = {});

// The name of the file an index joins into (its plain file name), read from the index alone; for
// an index lost or damaged beside recovery data, NAME for NAME.tpl, as a split names it.
std::optional<std::filesystem::path> JoinOutputName(const std::filesystem::path& IndexPath,
                                                    std::string& Message);

// Joins the pieces named by IndexPath into OutputFolder followed directly by the source's name.
// The output appears whole or not at all; on failure returns false with the reason in Message.
// First, as every run that reads a set, it mends what a killed run left beside the index and keeps
// any run from writing the set until it ends (SetReading.h).
// When the index or a piece is missing or damaged, or no checksum file can tell, and recovery data
// lies beside the index (NAME.par2 or NAME.vol*.par2), the files it shows missing or damaged are
// rebuilt into temporary files and joined from there (the user's files stay as they are);
// options.Notice is told how many. `Plan`, when given, receives the plan joined. The progress has
// one total, the output's length, counted up once whatever passes the join takes (the recovery
// data's check and rebuild included).
bool JoinPieces(const std::filesystem::path& IndexPath, const std::filesystem::path& OutputFolder,
                std::string& Message, const Progress& progress = {},
                const JoinOptions& options = {}, JoinPlan* Plan = nullptr);

} // namespace zendra
