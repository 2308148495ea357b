// The self-join kit a split can write beside its pieces, so that the receiver needs nothing
// installed: NAME.join.sh (a POSIX shell with tail, head -c, cksum, mv and rm) and NAME.join.exe
// (the Windows program zendra-join.exe with the piece list appended). Both check every piece's
// length and POSIX cksum value and the whole file's, and write the file under a temporary name
// renamed only once everything matched.
#pragma once

#include "io/File.h"
#include "io/Progress.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace zendra {

// What the kit checks: names are plain file names in UTF-8, cksum values those of POSIX cksum.
struct KitList {
    struct Piece {
        std::string Name;
        std::uint64_t FileSize = 0; // of the whole piece file
        std::uint32_t FileCksum = 0;
    };
    std::string OutputName;
    std::uint64_t Length = 0;
    std::uint32_t Cksum = 0;
    std::vector<Piece> Pieces;
};

std::filesystem::path JoinScriptName(const std::filesystem::path& source);  // NAME.join.sh
std::filesystem::path JoinProgramName(const std::filesystem::path& source); // NAME.join.exe

// The shell script that rebuilds the list's file from the pieces beside it.
std::string JoinScriptText(const KitList& list);
// The bytes appended to zendra-join.exe: "ZDRKIT01", the list, its length and "ZDRKIT01" again
// (layout in selfjoin/README.md).
std::vector<std::uint8_t> KitTrailer(const KitList& list);

// Makes a new file that becomes `finalPath` once the caller's work succeeds; the kit writer writes
// and closes it and never renames.
using CreateKitFile = std::function<File(const std::filesystem::path& finalPath)>;

// A piece file under the name the list gives it, and where its bytes are read now (a split's
// piece still under its temporary name, say).
struct KitSource {
    std::string Name;
    std::filesystem::path ReadFrom;
};
// The list of the file that the pieces (whole piece files, in order) join into, with their cksum
// values, read from the pieces.
KitList KitListOf(const std::string& OutputName, const std::vector<KitSource>& Pieces,
                  const Progress& progress = {});
// zendra-join.exe as this build carries it: the native build's, made by the cross compiler when
// there is one; empty when it carries none (the Windows tool reads it from its own folder).
std::vector<std::uint8_t> CarriedJoinProgram();

// Writes NAME.join.sh for the list and, when JoinProgram (zendra-join.exe's bytes) is not empty,
// NAME.join.exe (those bytes followed by the trailer), where `source` is folder/NAME; the files
// come from `Create`.
void WriteKitFiles(const std::filesystem::path& source, const KitList& list,
                   const std::vector<std::uint8_t>& JoinProgram, const CreateKitFile& Create);

// Reads the split whose index is IndexPath (every piece, for the cksum values) and writes
// NAME.join.sh beside the index and, when JoinProgram is not empty, NAME.join.exe: JoinProgram's
// bytes followed by the trailer. On failure returns false with the reason in Message.
bool WriteSelfJoinKit(const std::filesystem::path& IndexPath,
                      const std::vector<std::uint8_t>& JoinProgram, const CreateKitFile& Create,
                      std::string& Message, const Progress& progress = {});

} // namespace zendra
