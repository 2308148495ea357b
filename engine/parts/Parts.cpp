#include "Parts.h"

#include "CheckFiles.h"
#include "Failure.h"
#include "File.h"
#include "Formats.h"
#include "PartNaming.h"
#include "PlatformPath.h"

#include <algorithm>
#include <set>
#include <system_error>

namespace zendra {
namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kMaxParts = 1000000;

PathText Text(const std::string& ascii) {
    return PathText(ascii.begin(), ascii.end());
}

PathText FolderOf(const PathText& prefix) {
    return prefix.substr(0, prefix.size() - fs::path(prefix).filename().native().size());
}

std::string Quoted(const fs::path& path) {
    std::string text(1, '"');
    text += DisplayPath(path);
    return text += '"';
}

// The data length when the file reads as one of Zendra's pieces: header, that many bytes, and the
// length again as trailer, nothing more.
std::optional<std::uint32_t> PieceLength(const fs::path& path) {
    File file = File::OpenForReading(path);
    const std::uint64_t size = file.Size();
    std::array<std::uint8_t, kPieceHeaderSize> header{};
    if (size < kPieceHeaderSize + kPieceTrailerSize ||
        file.Read(header.data(), header.size()) != header.size())
        return std::nullopt;
    const auto length = DecodePieceHeader(header);
    if (!length || size != kPieceHeaderSize + *length + kPieceTrailerSize) return std::nullopt;
    std::array<std::uint8_t, kPieceTrailerSize> trailer{};
    file.Seek(kPieceHeaderSize + *length);
    if (file.Read(trailer.data(), trailer.size()) != trailer.size() ||
        trailer != EncodePieceTrailer(*length))
        return std::nullopt;
    return length;
}

// A first part given as NAME.001 or PREFIX01 while NAME.000 or PREFIX00 lies beside it: the set
// starts there.
void StartAtZero(PartNaming& naming) {
    if (naming.First != 1) return;
    PartNaming zero = naming;
    zero.First = 0;
    zero.Widens = zero.Style != PartNaming::Kind::Numbered && zero.Width == 2;
    if (KindOf(*zero.NameOf(0)) != EntryKind::Missing) naming = zero;
}

// Fails naming the first missing part when one with a higher number lies in the folder.
void RefuseGap(const PartNaming& naming, std::uint64_t count) {
    const PathText folder = FolderOf(naming.Prefix);
    std::error_code error;
    std::optional<std::uint64_t> after;
    for (fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), error), end;
         !error && it != end; it.increment(error)) {
        const auto position = naming.PositionOf(folder + it->path().filename().native());
        if (position && *position > count && (!after || *position < *after)) after = position;
    }
    if (after)
        throw Failure("The part " + Quoted(*naming.NameOf(count)) + " is missing, but " +
                          Quoted(*naming.NameOf(*after)) + " comes after it; nothing was joined.");
}

// What each check file says of the joined file and of the parts.
void ReadChecks(PartsPlan& plan, const PartNaming& naming) {
    const PathText folder = FolderOf(naming.Prefix);
    const std::string output = DisplayPath(plan.OutputName);
    plan.PartHashes.assign(plan.Parts.size(), {});
    for (const CheckFile& file : ReadCheckFiles(folder + plan.OutputName.native())) {
        const std::size_t index = plan.CheckFiles.size();
        plan.CheckFiles.push_back(file.Path);
        const std::string named = "The check file " + Quoted(file.Path);
        std::size_t partsNamed = 0;
        bool outputNamed = false;
        for (std::size_t i = 0; i < plan.Parts.size(); ++i) {
            const std::string name = DisplayPath(plan.Parts[i].Location.filename());
            const auto hash = file.Hashes.find(name);
            if (hash == file.Hashes.end()) continue;
            ++partsNamed;
            plan.PartHashes[i].push_back({index, file.Kind, hash->second});
            const auto size = file.Sizes.find(name);
            if (size != file.Sizes.end() && size->second != plan.Parts[i].Length)
                throw Failure("The part " + Quoted(plan.Parts[i].Location) + " is " +
                                  std::to_string(plan.Parts[i].Length) + " bytes long, but " +
                                  Quoted(file.Path) + " says " + std::to_string(size->second) +
                                  "; nothing was joined.");
        }
        for (const auto& [name, hex] : file.Hashes) {
            if (name == output) {
                outputNamed = true;
                plan.OutputHashes.push_back({index, file.Kind, hex});
                const auto size = file.Sizes.find(name);
                if (size != file.Sizes.end()) plan.OutputSize = size->second;
                continue;
            }
            const PathText path =
                folder + PathFromUtf8(name).native();
            const auto position = naming.PositionOf(path);
            if (position && *position >= plan.Parts.size())
                throw Failure("The part " + Quoted(path) + ", which " + Quoted(file.Path) +
                                  " names, is missing; nothing was joined.");
        }
        if (partsNamed == 0 && !outputNamed)
            throw Failure(named + " names neither \"" + output +
                              "\" nor any of its parts; nothing was joined.");
        if (partsNamed != 0 && partsNamed != plan.Parts.size())
            throw Failure(named + " names some of the parts but not all; nothing was joined.");
    }
    if (plan.CheckFiles.empty())
        plan.Note = "No check file lies beside the parts: a missing last part cannot be seen.";
}

PartsPlan ReadPlan(const fs::path& firstPart, const fs::path& name) {
    auto naming = ReadPartNaming(firstPart.native());
    if (!naming)
        throw Failure(Quoted(firstPart) +
                          " is not named as the first part of a set: NAME.000 or NAME.001, "
                          "PREFIXaa, PREFIX00 or PREFIX01.");
    StartAtZero(*naming);
    PartsPlan plan;
    plan.OutputName = name.empty() ? fs::path(naming->OutputName()) : name;
    if (name.empty() && (plan.OutputName.empty() || plan.OutputName.native() == Text("x")))
        throw Failure(NameNeededMessage);
    if (!IsPlainFileName(plan.OutputName.native()))
        throw Failure(Quoted(plan.OutputName) + " is not a plain file name.");
    const fs::path first = *naming->NameOf(0);
    if (PieceLength(first)) {
        plan.ZendraPieces = true;
        PathText base = naming->Prefix;
        if (!base.empty() && base.back() == '.') base.pop_back();
        const fs::path index = IndexName(base);
        if (KindOf(index) == EntryKind::Regular) {
            plan.Index = index;
            return plan;
        }
    }
    for (std::uint64_t position = 0; position < kMaxParts; ++position) {
        const auto part = naming->NameOf(position);
        if (!part || KindOf(*part) == EntryKind::Missing) break;
        PartFile file;
        file.Location = *part;
        const auto length = PieceLength(file.Location);
        // One kind throughout: a piece's header and trailer are never joined as bytes.
        if (plan.ZendraPieces != length.has_value())
            throw Failure("The part " + Quoted(file.Location) +
                              (length ? " is one of Zendra's pieces, but the first part is not"
                                      : " is not one of Zendra's pieces as the first one is") +
                              "; nothing was joined.");
        if (length) {
            file.Offset = kPieceHeaderSize;
            file.Length = *length;
        } else {
            file.Length = File::OpenForReading(file.Location).Size();
        }
        plan.TotalSize += file.Length;
        plan.Parts.push_back(std::move(file));
    }
    RefuseGap(*naming, plan.Parts.size());
    ReadChecks(plan, *naming);
    return plan;
}

// Hashes every part a check file names, whole, before anything is written.
void CheckParts(const PartsPlan& plan, const CopyProgress& advanced) {
    std::vector<std::uint8_t> buffer(1 << 20);
    for (std::size_t i = 0; i < plan.Parts.size(); ++i) {
        if (plan.PartHashes[i].empty()) continue;
        std::vector<Digest> digests;
        for (const ExpectedHash& expected : plan.PartHashes[i])
            digests.emplace_back(expected.Kind);
        File in = File::OpenForReading(plan.Parts[i].Location);
        while (const std::size_t count = in.Read(buffer.data(), buffer.size())) {
            for (Digest& digest : digests)
                digest.Update(buffer.data(), count);
            advanced(count);
        }
        for (std::size_t k = 0; k < digests.size(); ++k) {
            const ExpectedHash& expected = plan.PartHashes[i][k];
            if (digests[k].Hex() != expected.Hex)
                throw Failure("The part " + Quoted(plan.Parts[i].Location) +
                                  " does not match " + Quoted(plan.CheckFiles[expected.CheckFile]) +
                                  "; nothing was joined.");
        }
    }
}

void WriteOutput(const PartsPlan& plan, const fs::path& output, bool replace,
                 const Progress& progress) {
    if (KindOf(output) != EntryKind::Missing) {
        if (!replace) throw Failure(Quoted(output) + " already exists; nothing was joined.");
        CheckWritableName(output);
        const auto identity = IdentityOf(output);
        for (const PartFile& part : plan.Parts)
            if (identity && identity == IdentityOf(part.Location))
                throw Failure(Quoted(output) + " is one of the parts; nothing was joined.");
    }
    std::uint64_t total = plan.TotalSize, done = 0;
    for (std::size_t i = 0; i < plan.Parts.size(); ++i)
        if (!plan.PartHashes[i].empty())
            total += File::OpenForReading(plan.Parts[i].Location).Size();
    const CopyProgress advanced = Reporting(progress, total, done);
    advanced(0); // the caller may cancel before the first byte
    CheckParts(plan, advanced);

    File out = File::CreateBeside(output);
    const fs::path temporary = out.Path();
    FileIdentity written;
    try {
        written = out.Identity();
        std::vector<Digest> digests;
        for (const ExpectedHash& expected : plan.OutputHashes)
            digests.emplace_back(expected.Kind);
        std::vector<std::uint8_t> buffer(1 << 20);
        for (const PartFile& part : plan.Parts) {
            File in = File::OpenForReading(part.Location);
            in.Seek(part.Offset);
            for (std::uint64_t left = part.Length; left > 0;) {
                const std::size_t count =
                    in.Read(buffer.data(),
                            static_cast<std::size_t>(std::min<std::uint64_t>(left, buffer.size())));
                if (count == 0) ThrowChanged(part.Location);
                for (Digest& digest : digests) // the very bytes written
                    digest.Update(buffer.data(), count);
                out.WriteAll(buffer.data(), count);
                left -= count;
                advanced(count);
            }
        }
        if (plan.OutputSize && *plan.OutputSize != plan.TotalSize)
            throw Failure("The parts join into " + std::to_string(plan.TotalSize) +
                              " bytes, but the check file says " +
                              std::to_string(*plan.OutputSize) +
                              " (is a part missing?); nothing was joined.");
        for (std::size_t k = 0; k < digests.size(); ++k)
            if (digests[k].Hex() != plan.OutputHashes[k].Hex)
                throw Failure("The joined bytes do not match " +
                                  Quoted(plan.CheckFiles[plan.OutputHashes[k].CheckFile]) +
                                  " (is a part missing or damaged?); nothing was joined.");
        out.Close();
        MoveFileOver(temporary, output);
    } catch (...) {
        { File closing = std::move(out); } // Windows cannot remove a file that is still open
        RemoveTemporaryQuietly(temporary, written);
        throw;
    }
}

} // namespace

bool ReadPartsPlan(const fs::path& FirstPart, const fs::path& Name, PartsPlan& Plan,
                   std::string& Message) {
    try {
        Plan = ReadPlan(FirstPart, Name);
        return true;
    } catch (const std::exception& error) {
        Message = error.what();
        return false;
    }
}

bool WritePartsJoin(const PartsPlan& Plan, const fs::path& OutputFolder, bool Replace,
                    std::string& Message, const Progress& progress) {
    try {
        WriteOutput(Plan, OutputFolder.native() + Plan.OutputName.native(), Replace, progress);
        return true;
    } catch (const std::exception& error) {
        Message = error.what();
        return false;
    }
}

} // namespace zendra
