#include "SelfJoinKit.h"

#include "Failure.h"
#include "File.h"
#include "Formats.h"
#include "Join.h"
#include "PosixCksum.h"

namespace zendra {
namespace {

namespace fs = std::filesystem;

fs::path WithSuffix(const fs::path& source, const std::string& suffix) {
    return source.native() + fs::path::string_type(suffix.begin(), suffix.end());
}

// A word the shell takes literally, whatever it holds: quotes, "$", spaces, line breaks.
std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string CksumLine(std::uint32_t cksum, std::uint64_t length) {
    return std::to_string(cksum) + " " + std::to_string(length);
}

void PutLE(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void PutText(std::vector<std::uint8_t>& out, const std::string& text) {
    PutLE(out, text.size(), 4);
    out.insert(out.end(), text.begin(), text.end());
}

KitList ReadKitList(const fs::path& indexPath, const Progress& progress) {
    JoinPlan plan;
    std::string message;
    if (!ReadJoinPlan(indexPath, plan, message)) throw Failure(message);
    std::vector<KitSource> pieces;
    for (const auto& piece : plan.Pieces)
        pieces.push_back({DisplayPath(piece.Location.filename()), piece.Location});
    return KitListOf(DisplayPath(plan.OutputName), pieces, progress);
}

void WriteText(File file, const std::string& text) {
    file.WriteAll(text.data(), text.size());
    file.Close();
}

} // namespace

fs::path JoinScriptName(const fs::path& source) {
    return WithSuffix(source, ".join.sh");
}
fs::path JoinProgramName(const fs::path& source) {
    return WithSuffix(source, ".join.exe");
}

std::string JoinScriptText(const KitList& list) {
    std::string text =
        "#!/bin/sh\n"
        "# Rebuilds the file below from the pieces beside this script: sh " +
        std::string("and tail, head -c, cksum, mv, rm.\n"
                    "# Written by zendra-cli split --self-join; `sh THIS_FILE` runs it.\n"
                    "out=") +
        Quote(list.OutputName) + "\nwhole=" + Quote(CksumLine(list.Cksum, list.Length)) +
        "\n"
        "fail() {\n"
        "    printf '%s\\n' \"$1\" >&2\n"
        "    exit 1\n"
        "}\n"
        "for tool in tail head cksum mv rm; do\n"
        "    command -v $tool >/dev/null 2>&1 ||\n"
        "        fail \"This script needs the tool $tool, which is not on the PATH; nothing was "
        "written.\"\n"
        "done\n"
        "case $0 in\n"
        "*/*)\n"
        "    dir=${0%/*}\n"
        "    case $dir in '') dir=/ ;; -*) dir=./$dir ;; esac\n"
        "    cd \"$dir\" || fail \"Cannot enter the folder of this script.\"\n"
        "    ;;\n"
        "esac\n"
        "if [ -e \"./$out\" ] || [ -L \"./$out\" ]; then\n"
        "    if [ -f \"./$out\" ] && [ \"$(cksum <\"./$out\")\" = \"$whole\" ]; then\n"
        "        printf '%s\\n' \"\\\"$out\\\" is already rebuilt.\"\n"
        "        exit 0\n"
        "    fi\n"
        "    fail \"\\\"$out\\\" exists and is not the file these pieces rebuild; nothing was "
        "written.\"\n"
        "fi\n"
        "check() {\n"
        "    [ -f \"./$1\" ] || fail \"The piece \\\"$1\\\" is missing; nothing was written.\"\n"
        "    [ \"$(cksum <\"./$1\")\" = \"$2\" ] ||\n"
        "        fail \"The piece \\\"$1\\\" is damaged; nothing was written.\"\n"
        "}\n";
    for (const auto& piece : list.Pieces)
        text += "check " + Quote(piece.Name) + " " +
                Quote(CksumLine(piece.FileCksum, piece.FileSize)) + "\n";
    text += "tmp=./.zendra-join.$$.tmp\n"
            "set -C\n"
            ": >\"$tmp\" || fail \"Cannot write in this folder; nothing was written.\"\n"
            "set +C\n"
            "trap 'rm -f \"$tmp\"' EXIT\n"
            "trap 'exit 1' HUP INT TERM\n"
            "add() {\n"
            "    tail -c +11 \"./$1\" | head -c \"$2\" >>\"$tmp\" ||\n"
            "        fail \"Cannot write the joined file; nothing was written.\"\n"
            "}\n";
    for (const auto& piece : list.Pieces)
        text += "add " + Quote(piece.Name) + " " +
                std::to_string(piece.FileSize - kPieceHeaderSize - kPieceTrailerSize) + "\n";
    text += "[ \"$(cksum <\"$tmp\")\" = \"$whole\" ] ||\n"
            "    fail \"The pieces changed while they were joined; nothing was written.\"\n"
            "mv -f \"$tmp\" \"./$out\" || fail \"Cannot rename the joined file; nothing was "
            "written.\"\n"
            "trap - EXIT\n"
            "printf '%s\\n' \"Rebuilt \\\"$out\\\".\"\n";
    return text;
}

std::vector<std::uint8_t> KitTrailer(const KitList& list) {
    static const std::string magic = "ZDRKIT01";
    std::vector<std::uint8_t> out(magic.begin(), magic.end());
    PutLE(out, list.Pieces.size(), 4);
    PutLE(out, list.Length, 8);
    PutLE(out, list.Cksum, 4);
    PutText(out, list.OutputName);
    for (const auto& piece : list.Pieces) {
        PutText(out, piece.Name);
        PutLE(out, piece.FileSize, 8);
        PutLE(out, piece.FileCksum, 4);
    }
    PutLE(out, out.size(), 4);
    out.insert(out.end(), magic.begin(), magic.end());
    return out;
}

KitList KitListOf(const std::string& OutputName, const std::vector<KitSource>& Pieces,
                  const Progress& progress) {
    KitList list;
    list.OutputName = OutputName;
    std::vector<File> files;
    std::uint64_t total = 0, done = 0;
    for (const auto& piece : Pieces) {
        files.push_back(File::OpenForReading(piece.ReadFrom));
        total += files.back().Size();
    }
    const CopyProgress advanced = Reporting(progress, total, done);
    ZendraCksum whole;
    ZendraCksumStart(&whole);
    ZendraCksum one;
    for (std::size_t i = 0; i < Pieces.size(); ++i) {
        File& in = files[i];
        const std::uint64_t length = in.Size();
        if (length < kPieceHeaderSize + kPieceTrailerSize) ThrowChanged(Pieces[i].ReadFrom);
        const std::uint64_t size = length - kPieceHeaderSize - kPieceTrailerSize;
        ZendraCksumStart(&one);
        const auto into = [&](ZendraCksum* also) {
            return [&, also](const std::uint8_t* bytes, std::size_t count) {
                ZendraCksumAdd(&one, bytes, count);
                if (also) ZendraCksumAdd(also, bytes, count);
                advanced(count);
            };
        };
        in.ReadRange(0, kPieceHeaderSize, into(nullptr));
        in.ReadRange(kPieceHeaderSize, size, into(&whole));
        in.ReadRange(kPieceHeaderSize + size, kPieceTrailerSize, into(nullptr));
        if (one.length != length) ThrowChanged(Pieces[i].ReadFrom);
        list.Pieces.push_back({Pieces[i].Name, one.length, ZendraCksumValue(&one)});
    }
    list.Length = whole.length;
    list.Cksum = ZendraCksumValue(&whole);
    return list;
}

void WriteKitFiles(const fs::path& source, const KitList& list, const fs::path& JoinProgram,
                   const CreateKitFile& Create) {
    WriteText(Create(JoinScriptName(source)), JoinScriptText(list));
    if (JoinProgram.empty()) return;
    File program = File::OpenForReading(JoinProgram);
    File out = Create(JoinProgramName(source));
    out.CopyFrom(program, 0, program.Size(), {});
    const auto trailer = KitTrailer(list);
    out.WriteAll(trailer.data(), trailer.size());
    out.Close();
}

bool WriteSelfJoinKit(const fs::path& IndexPath, const fs::path& JoinProgram,
                      const CreateKitFile& Create, std::string& Message, const Progress& progress) {
    try {
        const KitList list = ReadKitList(IndexPath, progress);
        const fs::path source =
            IndexPath.parent_path() /
            PathFromUtf8(list.OutputName);
        WriteKitFiles(source, list, JoinProgram, Create);
        return true;
    } catch (const std::exception& error) {
        Message = error.what();
        return false;
    }
}

} // namespace zendra
