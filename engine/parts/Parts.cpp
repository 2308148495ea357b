#include "parts/Parts.h"

#include "base/Failure.h"
#include "engine/Replace.h"
#include "formats/Formats.h"
#include "formats/Piece.h"
#include "io/File.h"
#include "io/PlatformPath.h"
#include "parts/CheckFiles.h"
#include "parts/LookAlikes.h"
#include "parts/PartNaming.h"

#include <algorithm>
#include <map>
#include <set>
#include <system_error>
#include <unordered_map>
#include <unordered_set>

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

// A part's length and, when it reads as one of Zendra's pieces (formats/Piece.h: header, that
// many bytes, and the length again as trailer, nothing more), its data length: one opening.
struct PartRead {
    std::uint64_t Size = 0;
    std::optional<std::uint32_t> Piece;
};

PartRead ReadPart(const fs::path& path) {
    const PieceRead shape = ReadPieceShape(path);
    PartRead read;
    read.Size = shape.FileSize;
    if (shape.Strict()) read.Piece = shape.DataSize;
    return read;
}

// A split zip archive (arch.z01, arch.z02, ... arch.zip, as `zip -s` writes it) is no file cut
// into raw bytes: known by its first volume's spanning signature, or by arch.zip beside arch.zNN
// (also when the first volume is gone).
void RefuseSplitZip(const PathText& picked, const std::unordered_set<PathText>& present,
                    const PathText& first) {
    const auto lower = [](PathText text) {
        for (auto& c : text)
            if (c >= 'A' && c <= 'Z') c = static_cast<PathText::value_type>(c - 'A' + 'a');
        return text;
    };
    PathText stem = picked;
    const std::size_t dot = stem.rfind('.');
    bool spanned = false;
    if (dot != PathText::npos && dot > FolderOf(stem).size()) {
        const PathText ext = lower(stem.substr(dot + 1));
        const bool volume =
            ext.size() >= 3 && ext[0] == 'z' &&
            std::all_of(ext.begin() + 1, ext.end(), [](auto c) { return c >= '0' && c <= '9'; });
        stem.erase(dot);
        if (volume)
            spanned = present.count(stem + Text(".zip")) || present.count(stem + Text(".ZIP"));
        if (ext == Text("zip"))
            for (int n = 1; n < 100 && !spanned; ++n)
                spanned =
                    present.count(stem + Text(n < 10 ? ".z0" : ".z") + Text(std::to_string(n)));
    }
    if (!spanned && present.count(first)) {
        File file = File::OpenForReading(first);
        std::array<std::uint8_t, 4> head{};
        spanned = file.Read(head.data(), head.size()) == head.size() &&
                  head == std::array<std::uint8_t, 4>{'P', 'K', 7, 8};
        stem = first.substr(0, first.rfind('.'));
    }
    if (!spanned) return;
    const fs::path zip = stem + Text(".zip");
    throw Failure(Quoted(fs::path(picked)) + " is a volume of a split zip archive (" +
                  DisplayPath(fs::path(stem + Text(".z01")).filename()) + ", ..., " +
                  DisplayPath(zip.filename()) +
                  "), not a file cut into parts; nothing was joined. Open " + Quoted(zip) +
                  " with an archive tool to unpack it.");
}

// Where a check file names parts of the set, it decides it: the run is every part it names, in
// order of the naming `naming`; a missing one fails, named.
std::vector<PathText> RunOfNamed(const std::map<PathText, fs::path>& named,
                                 const PartNaming& naming,
                                 const std::unordered_set<PathText>& present) {
    std::map<std::uint64_t, PathText> byValue;
    for (const auto& entry : named)
        if (const auto value = naming.ValueOf(entry.first)) byValue.emplace(*value, entry.first);
    std::vector<PathText> run;
    if (byValue.empty()) return run;
    for (std::uint64_t value = byValue.begin()->first; value <= byValue.rbegin()->first; ++value) {
        const auto name = naming.NameOf(value);
        const auto listed = byValue.find(value);
        if (listed == byValue.end() || !present.count(*name)) {
            const fs::path& by = named.begin()->second;
            throw Failure("The part " + Quoted(fs::path(*name)) + ", which " +
                          (listed == byValue.end()
                               ? "lies between the parts " + Quoted(by) + " names,"
                               : Quoted(named.at(*name)) + " names,") +
                          " is missing; nothing was joined.");
        }
        run.push_back(*name);
    }
    return run;
}

// What each check file says of the joined file (named `outputs`) and of the parts.
void ReadChecks(PartsPlan& plan, const std::vector<CheckFile>& files,
                const std::set<std::string>& outputs) {
    plan.PartHashes.assign(plan.Parts.size(), {});
    std::string unreadable;
    for (const CheckFile& file : files) {
        const std::size_t index = plan.CheckFiles.size();
        plan.CheckFiles.push_back(file.Path);
        const std::string named = "The check file " + Quoted(file.Path);
        std::size_t partsNamed = 0;
        const auto expect = [&](std::vector<ExpectedHash>& into, const CheckEntry& entry) {
            if (entry.Kind)
                into.push_back({index, *entry.Kind, entry.Hex});
            else if (unreadable.empty())
                unreadable = named + " holds " + entry.Algorithm +
                             " hashes, which this program does not compute: the parts were not "
                             "checked against it.";
        };
        for (std::size_t i = 0; i < plan.Parts.size(); ++i) {
            const std::string name = DisplayPath(plan.Parts[i].Location.filename());
            const auto hash = file.Hashes.find(name);
            if (hash == file.Hashes.end()) continue; // a look-alike it leaves out failed before
            ++partsNamed;
            expect(plan.PartHashes[i], hash->second);
            const auto size = file.Sizes.find(name);
            if (size != file.Sizes.end() && size->second != plan.Parts[i].Length)
                throw Failure("The part " + Quoted(plan.Parts[i].Location) + " is " +
                              std::to_string(plan.Parts[i].Length) + " bytes long, but " +
                              Quoted(file.Path) + " says " + std::to_string(size->second) +
                              "; nothing was joined.");
        }
        bool outputNamed = false;
        for (const std::string& output : outputs) {
            const auto hash = file.Hashes.find(output);
            if (hash == file.Hashes.end() || outputNamed) continue;
            outputNamed = true;
            expect(plan.OutputHashes, hash->second);
            const auto size = file.Sizes.find(output);
            if (size != file.Sizes.end()) {
                plan.OutputSize = size->second;
                plan.OutputSizeFile = index;
            }
        }
        if (partsNamed == 0 && !outputNamed)
            throw Failure(named + " names neither \"" + *outputs.begin() +
                          "\" nor any of its parts; nothing was joined.");
        if (partsNamed != 0 && !file.Shared)
            for (const auto& entry : file.Hashes)
                if (!outputs.count(entry.first) &&
                    std::none_of(plan.Parts.begin(), plan.Parts.end(), [&](const PartFile& part) {
                        return DisplayPath(part.Location.filename()) == entry.first;
                    }))
                    throw Failure(
                        named + " names \"" + entry.first + "\", which is not one of the parts " +
                        Quoted(plan.Parts.front().Location.filename()) + " to " +
                        Quoted(plan.Parts.back().Location.filename()) + "; nothing was joined.");
    }
    if (!unreadable.empty())
        plan.Note = unreadable;
    else if (plan.CheckFiles.empty())
        plan.Note = "No check file lies beside the parts: a missing last part, or one too many "
                    "after it, cannot be seen.";
}

PartsPlan ReadPlan(const PartsRequest& request) {
    const fs::path& picked = request.Picked;
    const std::string notAPart = Quoted(picked) + " is not a part of a set";
    if (IsCheckFileName(picked))
        throw Failure(notAPart + ": it is a check file. Pick one of the parts it names.");
    if (NamingsOf(picked.native()).empty())
        throw Failure(notAPart + ": parts are named NAME.001, PREFIXaa, PREFIX00 and the like.");
    const PathText folder = FolderOf(picked.native());
    // The folder is listed once; every name the plan looks for is looked up in the list.
    const std::vector<FolderEntry> listing = ListFolder(folder);
    std::vector<PathText> entries;
    std::unordered_map<PathText, const FolderEntry*> listed;
    for (const FolderEntry& entry : listing) {
        entries.push_back(folder + entry.Name);
        listed.emplace(entries.back(), &entry);
    }
    const std::unordered_set<PathText> present(entries.begin(), entries.end());
    if (!present.count(picked.native()))
        throw Failure("Cannot find " + Quoted(picked) + "; nothing was joined.");
    const auto exists = [&](const PathText& name) { return present.count(name) > 0; };
    PartRun run =
        FollowParts(picked.native(), exists, request.First.native(), request.Last.native());
    RefuseSplitZip(picked.native(), present, run.Names.front());
    if (run.NotAPart)
        throw Failure(notAPart + ": no tool starts a set with its name, and no part is named "
                                 "before or after it; nothing was joined.");
    if (run.Namings.empty()) throw Failure(run.Problem + "; nothing was joined.");
    const PartNaming& naming = PreferredNaming(run.Namings).Naming;
    PartsPlan plan;
    const fs::path prefixName = naming.OutputName();
    plan.OutputName = request.Name.empty() ? prefixName : request.Name;
    if (request.Name.empty() && (prefixName.empty() || prefixName.native() == Text("x"))) {
        plan.NeedsName = true;
        plan.OutputName.clear();
    } else if (!IsPlainFileName(plan.OutputName.native())) {
        throw Failure(Quoted(plan.OutputName) + " is not a plain file name.");
    }
    if (ReadPart(run.Names.front()).Piece) {
        plan.ZendraPieces = true;
        const fs::path index = IndexName(folder + prefixName.native());
        if (present.count(index.native()) && KindOf(index) == EntryKind::Regular) {
            plan.Index = index;
            return plan;
        }
    }
    // Check files are found from the parts' prefix, whatever name the output takes; one that
    // names parts decides the set.
    std::vector<CheckFile> files = FindCheckFiles(entries, folder + prefixName.native(), run.Names);
    std::set<PathText> ignored;
    for (const CheckFile& file : files)
        ignored.insert(file.Path.native());
    std::set<std::string> outputs{DisplayPath(prefixName), DisplayPath(plan.OutputName)};
    outputs.erase(std::string());
    if (outputs.empty()) outputs.insert("x");
    std::map<PathText, fs::path> named; // each part -> the check file naming it
    std::vector<PartNaming> alike;
    for (const NamingAt& at : run.Namings)
        for (PartNaming& form : LookAlikeNamings(at.Naming))
            alike.push_back(std::move(form));
    std::erase_if(files, [&](const CheckFile& file) {
        bool names = false;
        for (const auto& entry : file.Hashes) {
            const PathText path = folder + PathFromUtf8(entry.first).native();
            if (std::any_of(alike.begin(), alike.end(),
                            [&](const PartNaming& form) { return form.ValueOf(path); })) {
                named.emplace(path, file.Path);
                names = true;
            }
            names = names || outputs.count(entry.first);
        }
        return file.Shared && !names; // a SHA256SUMS of other files
    });
    SetBounds bounds;
    bounds.FirstGiven = !request.First.empty();
    bounds.LastGiven = !request.Last.empty();
    bounds.FirstPartHint = request.FirstPartHint;
    bounds.LastPartHint = request.LastPartHint;
    std::vector<PathText> names = run.Names;
    if (!named.empty()) {
        bounds.Decider = named.begin()->second;
        names = RunOfNamed(named, naming, present);
        const auto cut = [&](const fs::path& bound, bool front) {
            const auto at = std::find(names.begin(), names.end(), bound.native());
            if (bound.empty() || at == names.end()) return;
            if (front)
                names.erase(names.begin(), at);
            else
                names.erase(at + 1, names.end());
        };
        cut(request.First, true);
        cut(request.Last, false);
        if (std::find(names.begin(), names.end(), picked.native()) == names.end())
            throw Failure(Quoted(picked) + " is not named in " + Quoted(bounds.Decider) +
                          ", which names other parts of its set; nothing was joined.");
    } else {
        if (run.MissingFirst)
            throw Failure(Quoted(fs::path(run.Names.front())) +
                          " is not a set's first part: its tool would have named the first part " +
                          Quoted(fs::path(*run.MissingFirst).filename()) +
                          ", which is missing; nothing was joined." +
                          (request.FirstPartHint.empty()
                               ? std::string()
                               : " If the set starts at " +
                                     Quoted(fs::path(run.Names.front()).filename()) +
                                     ", name it with " +
                                     WayOn(request.FirstPartHint, run.Names.front()) + "."));
        if (!run.Problem.empty()) throw Failure(run.Problem + "; nothing was joined.");
    }
    RefuseLookAlikes(names, run.Namings, entries, ignored, bounds);
    std::vector<std::uint64_t> sizes;
    for (std::size_t i = 0; i < names.size(); ++i) {
        PartFile file;
        file.Location = names[i];
        // A plain file's size comes from the listing: planning opens no part (whether one is a
        // piece after all is seen as the join reads it). Pieces are read for their data's length,
        // and links and the like opened to tell whether they can be read as files.
        std::optional<PartRead> read;
        const auto entry = listed.find(names[i]);
        if (!plan.ZendraPieces && entry != listed.end() &&
            entry->second->Kind == EntryKind::Regular) {
            read = PartRead{entry->second->Size, std::nullopt};
        } else {
            try {
                read = ReadPart(file.Location);
            } catch (const Failure&) {
                if (KindOf(file.Location) == EntryKind::Regular) throw;
            }
        }
        if (!read)
            throw Failure(Quoted(file.Location) + " is named like " +
                          (i == 0 ? std::string("a part")
                                  : "the part after " + Quoted(fs::path(names[i - 1]))) +
                          " but is not a file; nothing was joined. Move it away" +
                          (i == 0 || request.LastPartHint.empty()
                               ? std::string()
                               : ", or name the set's last part with " +
                                     WayOn(request.LastPartHint, names[i - 1])) +
                          ".");
        if (plan.ZendraPieces != read->Piece.has_value())
            throw Failure("The part " + Quoted(file.Location) +
                          (read->Piece ? " is one of Zendra's pieces, but the first part is not"
                                       : " is not one of Zendra's pieces as the first one is") +
                          "; nothing was joined.");
        file.Offset = read->Piece ? kPieceHeaderSize : 0;
        file.Length = read->Piece ? *read->Piece : read->Size;
        sizes.push_back(file.Length);
        plan.TotalSize += file.Length;
        plan.Parts.push_back(std::move(file));
    }
    if (named.empty() && !bounds.LastGiven) RefuseImpossibleSizes(names, sizes, bounds);
    ReadChecks(plan, files, outputs);
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
    CheckRoom(folder, plan.TotalSize, plan.TotalSize, "The join");
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
        if (!plan.ZendraPieces) {
            if (in.Size() != part.Length) ThrowChanged(part.Location);
            // One kind throughout: a piece's header and trailer are never joined as bytes.
            if (&part != &plan.Parts.front() && ReadPieceShape(in).Strict())
                throw Failure("The part " + Quoted(part.Location) +
                              " is one of Zendra's pieces, but the first part is not; nothing "
                              "was joined.");
        }
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

PartsPlan ReadPartsPlan(const PartsRequest& request) {
    return ReadPlan(request);
}

void WritePartsJoin(const PartsPlan& Plan, const fs::path& Output, bool Replace,
                    const Progress& progress, const Notice& notice) {
    WriteOutput(Plan, Output, Replace, progress, notice);
}

} // namespace zendra
