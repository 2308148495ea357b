#include "parts/Parts.h"

#include "base/Failure.h"
#include "engine/Replace.h"
#include "formats/Formats.h"
#include "formats/Piece.h"
#include "io/File.h"
#include "io/PlatformPath.h"
#include "parts/CheckFiles.h"
#include "parts/PartNaming.h"

#include <algorithm>
#include <map>
#include <set>
#include <system_error>

namespace zendra {
namespace {

namespace fs = std::filesystem;

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
    const PieceRead read = ReadPieceShape(path);
    if (!read.Strict()) return std::nullopt;
    return read.DataSize;
}

bool Exists(const PathText& name) {
    return KindOf(name) != EntryKind::Missing;
}

// A split zip archive (arch.z01, arch.z02, ... arch.zip, as `zip -s` writes it) is no file cut
// into raw bytes: its first volume starts with the spanning signature.
void RefuseSplitZip(const fs::path& first) {
    File file = File::OpenForReading(first);
    std::array<std::uint8_t, 4> head{};
    if (file.Read(head.data(), head.size()) != head.size() ||
        head != std::array<std::uint8_t, 4>{'P', 'K', 7, 8})
        return;
    PathText zip = first.native();
    if (const std::size_t dot = zip.rfind('.'); dot != PathText::npos && dot > FolderOf(zip).size())
        zip.erase(dot);
    zip += Text(".zip");
    throw Failure(Quoted(first) + " is the first volume of a split zip archive (" +
                  DisplayPath(fs::path(first).filename()) + ", ..., " +
                  DisplayPath(fs::path(zip).filename()) +
                  "), not a file cut into parts; nothing was joined. Open " + Quoted(zip) +
                  " with an archive tool to unpack it.");
}

// Each check file's names that are named like a part of the set: those that decide it.
std::map<PathText, fs::path> NamedParts(const std::vector<CheckFile>& files, const PathText& folder,
                                        const std::vector<NamingAt>& namings) {
    std::map<PathText, fs::path> named; // each part -> the check file naming it
    for (const CheckFile& file : files)
        for (const auto& entry : file.Hashes) {
            const PathText path = folder + PathFromUtf8(entry.first).native();
            if (std::any_of(namings.begin(), namings.end(),
                            [&](const NamingAt& at) { return at.Naming.ValueOf(path); }))
                named.emplace(path, file.Path);
        }
    return named;
}

// Without a check file that names the parts: a file named like a part but not in the run (by a
// naming the run still fits) fails, named, so that no part is left out unseen.
void RefuseLookAlikes(const std::vector<PathText>& names, const std::vector<CheckFile>& files,
                      const std::vector<NamingAt>& namings, const std::string& lastPartHint) {
    const PathText folder = FolderOf(names.front());
    std::set<PathText> run(names.begin(), names.end()); // and the check files (NAME.sfv: -a 3)
    for (const CheckFile& file : files)
        run.insert(file.Path.native());
    std::vector<PathText> alike;
    for (const fs::path& entry : ListFolder(folder)) {
        const PathText path = folder + entry.filename().native();
        if (!run.count(path) &&
            std::any_of(namings.begin(), namings.end(),
                        [&](const NamingAt& at) { return at.Naming.ValueOf(path); }))
            alike.push_back(path);
    }
    if (alike.empty()) return;
    std::sort(alike.begin(), alike.end());
    throw Failure(
        Quoted(alike.front()) + " lies beside the parts " + Quoted(names.front()) + " to " +
        Quoted(names.back()) +
        " and is named like one of them, but does not follow on from them; nothing "
        "was joined. If it belongs to the set, a part before it is missing; if not, "
        "move it away" +
        (lastPartHint.empty() ? std::string() : ", or name the last part with " + lastPartHint) +
        ".");
}

// What each check file says of the joined file and of the parts.
void ReadChecks(PartsPlan& plan, const std::vector<CheckFile>& files,
                const std::vector<NamingAt>& namings) {
    const std::string output = DisplayPath(plan.OutputName);
    const PathText folder = FolderOf(plan.Parts.front().Location.native());
    std::set<PathText> inSet;
    for (const PartFile& part : plan.Parts)
        inSet.insert(part.Location.native());
    plan.PartHashes.assign(plan.Parts.size(), {});
    for (const CheckFile& file : files) {
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
                if (size != file.Sizes.end()) {
                    plan.OutputSize = size->second;
                    plan.OutputSizeFile = index;
                }
                continue;
            }
            const PathText path = folder + PathFromUtf8(name).native();
            if (!inSet.count(path) &&
                std::any_of(namings.begin(), namings.end(),
                            [&](const NamingAt& at) { return at.Naming.ValueOf(path); }))
                throw Failure("The part " + Quoted(path) + ", which " + Quoted(file.Path) +
                              " names, does not follow on from " +
                              Quoted(plan.Parts.front().Location) + " to " +
                              Quoted(plan.Parts.back().Location) + "; nothing was joined.");
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

PartsPlan ReadPlan(const fs::path& picked, const fs::path& name, const fs::path& last,
                   const std::string& lastPartHint) {
    const std::vector<NamingAt> namings = NamingsOf(picked.native());
    if (namings.empty())
        throw Failure(Quoted(picked) +
                      " is not named as a part of a set: NAME.001, PREFIXaa, PREFIX00 and the "
                      "like.");
    // A split zip archive's last volume, arch.zip, beside its first, arch.z01.
    if (const PathText ext = picked.extension().native();
        ext.size() == 4 && (ext[1] | 0x20) == 'z' && (ext[2] | 0x20) == 'i' &&
        (ext[3] | 0x20) == 'p') {
        const fs::path first =
            PathText(picked.native(), 0, picked.native().size() - 2) + Text("01");
        if (KindOf(first) == EntryKind::Regular) RefuseSplitZip(first);
    }
    PartRun run = FollowParts(picked.native(), Exists, last.native());
    RefuseSplitZip(run.Names.front());
    if (run.Namings.empty()) throw Failure(run.Problem + "; nothing was joined.");
    const PartNaming& naming = PreferredNaming(run);
    PartsPlan plan;
    plan.OutputName = name.empty() ? fs::path(naming.OutputName()) : name;
    if (name.empty() && (plan.OutputName.empty() || plan.OutputName.native() == Text("x"))) {
        plan.NeedsName = true;
        plan.OutputName.clear();
    } else if (!IsPlainFileName(plan.OutputName.native())) {
        throw Failure(Quoted(plan.OutputName) + " is not a plain file name.");
    }
    const PathText folder = FolderOf(picked.native());
    if (PieceLength(run.Names.front())) {
        plan.ZendraPieces = true;
        const fs::path index = IndexName(folder + naming.OutputName());
        if (KindOf(index) == EntryKind::Regular) {
            plan.Index = index;
            return plan;
        }
    }
    // A check file that names parts decides the set.
    std::vector<CheckFile> files;
    if (!plan.NeedsName) files = ReadCheckFiles(folder + plan.OutputName.native());
    const auto named = NamedParts(files, folder, namings);
    if (!named.empty()) {
        if (!named.count(picked.native()))
            throw Failure(Quoted(picked) + " is not named in " + Quoted(named.begin()->second) +
                          ", which names other parts of its set; nothing was joined.");
        run = FollowParts(
            picked.native(), [&](const PathText& n) { return named.count(n) > 0; }, last.native());
        for (const PathText& part : run.Names)
            if (!Exists(part))
                throw Failure("The part " + Quoted(part) + ", which " + Quoted(named.at(part)) +
                              " names, is missing; nothing was joined.");
    }
    if (!run.Problem.empty()) throw Failure(run.Problem + "; nothing was joined.");
    if (named.empty() && last.empty())
        RefuseLookAlikes(run.Names, files, run.Namings, lastPartHint);
    for (const PathText& location : run.Names) {
        PartFile file;
        file.Location = location;
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
    ReadChecks(plan, files, namings);
    return plan;
}

// Hashes every part a check file names, whole, before anything is written.
void CheckParts(const PartsPlan& plan, const CopyProgress& advanced) {
    std::vector<std::uint8_t> buffer(1 << 20);
    for (std::size_t i = 0; i < plan.Parts.size(); ++i) {
        if (plan.PartHashes[i].empty()) continue;
        std::vector<Hasher> digests;
        for (const ExpectedHash& expected : plan.PartHashes[i])
            digests.emplace_back(expected.Kind);
        File in = File::OpenForReading(plan.Parts[i].Location);
        while (const std::size_t count = in.Read(buffer.data(), buffer.size())) {
            for (Hasher& digest : digests)
                digest.Update(buffer.data(), count);
            advanced(count);
        }
        for (std::size_t k = 0; k < digests.size(); ++k) {
            const ExpectedHash& expected = plan.PartHashes[i][k];
            if (digests[k].Hex() != expected.Hex)
                throw Failure("The part " + Quoted(plan.Parts[i].Location) + " does not match " +
                              Quoted(plan.CheckFiles[expected.CheckFile]) +
                              "; nothing was joined.");
        }
    }
}

void WriteOutput(const PartsPlan& plan, const fs::path& output, bool replace,
                 const Progress& progress, const Notice& notice) {
    if (plan.NeedsName) throw Failure(NameNeededMessage);
    const fs::path folder = output.parent_path();
    if (!folder.empty() && KindOf(folder) != EntryKind::Folder)
        throw Failure("Cannot write " + Quoted(output) + ": its folder does not exist.");
    // Mends what a killed run left in the folder before anything else.
    Replacement replacement(output, notice);
    if (KindOf(output) != EntryKind::Missing) {
        if (!replace) throw Failure(Quoted(output) + " already exists; nothing was joined.");
        const auto identity = IdentityOf(output);
        for (const PartFile& part : plan.Parts)
            if (identity && identity == IdentityOf(part.Location))
                throw Failure(Quoted(output) + " is one of the parts; nothing was joined.");
    }
    replacement.Check(output);
    std::uint64_t total = plan.TotalSize, done = 0;
    for (std::size_t i = 0; i < plan.Parts.size(); ++i)
        if (!plan.PartHashes[i].empty())
            total += File::OpenForReading(plan.Parts[i].Location).Size();
    const CopyProgress advanced = Reporting(progress, total, done);
    advanced(0); // the caller may cancel before the first byte
    CheckParts(plan, advanced);

    File out = replacement.Create(output);
    std::vector<Hasher> digests;
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
            for (Hasher& digest : digests) // the very bytes written
                digest.Update(buffer.data(), count);
            out.WriteAll(buffer.data(), count);
            left -= count;
            advanced(count);
        }
    }
    if (plan.OutputSize && *plan.OutputSize != plan.TotalSize)
        throw Failure("The parts join into " + std::to_string(plan.TotalSize) + " bytes, but " +
                      Quoted(plan.CheckFiles[plan.OutputSizeFile]) + " says " +
                      std::to_string(*plan.OutputSize) +
                      " (is a part missing?); nothing was joined.");
    for (std::size_t k = 0; k < digests.size(); ++k)
        if (digests[k].Hex() != plan.OutputHashes[k].Hex)
            throw Failure("The joined bytes do not match " +
                          Quoted(plan.CheckFiles[plan.OutputHashes[k].CheckFile]) +
                          " (is a part missing or damaged?); nothing was joined.");
    replacement.Finish(out);
    replacement.Commit();
}

} // namespace

PartsPlan ReadPartsPlan(const fs::path& Picked, const fs::path& Name, const fs::path& Last,
                        const std::string& LastPartHint) {
    return ReadPlan(Picked, Name, Last, LastPartHint);
}

void WritePartsJoin(const PartsPlan& Plan, const fs::path& Output, bool Replace,
                    const Progress& progress, const Notice& notice) {
    WriteOutput(Plan, Output, Replace, progress, notice);
}

} // namespace zendra
