#include "PartsCheck.h"

#include "CheckReport.h"
#include "base/Failure.h"
#include "base/Hash.h"
#include "base/Utf8.h"
#include "io/File.h"

#include <algorithm>

namespace zendra {

namespace {

std::wstring Name(const std::filesystem::path& path) {
    return L"\"" + WideFromUtf8(DisplayPath(path.filename())) + L"\"";
}

std::wstring Parts(std::size_t n) {
    return std::to_wstring(n) + (n == 1 ? L" part" : L" parts");
}

std::wstring CheckFileNames(const PartsPlan& plan) {
    std::wstring names;
    for (std::size_t i = 0; i < plan.CheckFiles.size(); ++i)
        names += (i == 0                            ? L""
                  : i + 1 == plan.CheckFiles.size() ? L" and "
                                                    : L", ") +
                 Name(plan.CheckFiles[i]);
    return names;
}

} // namespace

PartsVerdict CheckPartsOf(const PartsPlan& plan, const Progress& progress) {
    PartsVerdict verdict;
    std::uint64_t total = 0, done = 0;
    for (const PartFile& part : plan.Parts)
        total += File::OpenForReading(part.Location).Size();
    std::vector<Hasher> whole;
    for (const ExpectedHash& expected : plan.OutputHashes)
        whole.emplace_back(expected.Kind);
    for (std::size_t i = 0; i < plan.Parts.size(); ++i) {
        const PartFile& part = plan.Parts[i];
        std::vector<Hasher> own;
        for (const ExpectedHash& expected : plan.PartHashes[i])
            own.emplace_back(expected.Kind);
        File in = File::OpenForReading(part.Location);
        std::uint64_t at = 0;
        in.ReadRange(0, in.Size(), [&](const std::uint8_t* bytes, std::size_t n) {
            for (Hasher& hasher : own)
                hasher.Update(bytes, n);
            // The part's bytes of the joined file: all of another tool's part, a Zendra piece's
            // between its header and its trailer.
            const std::uint64_t from = std::max(at, part.Offset);
            const std::uint64_t to = std::min(at + n, part.Offset + part.Length);
            if (from < to)
                for (Hasher& hasher : whole)
                    hasher.Update(bytes + (from - at), static_cast<std::size_t>(to - from));
            at += n;
            done += n;
            if (progress && !progress(done, total)) throw Failure::Cancelled();
        });
        for (std::size_t k = 0; k < own.size(); ++k)
            if (own[k].Hex() != plan.PartHashes[i][k].Hex) {
                verdict.Mismatched.push_back(i);
                break;
            }
    }
    for (std::size_t k = 0; k < whole.size(); ++k)
        if (whole[k].Hex() != plan.OutputHashes[k].Hex)
            verdict.WholeMismatched.push_back(plan.OutputHashes[k].CheckFile);
    verdict.SizeDiffers = plan.OutputSize && *plan.OutputSize != plan.TotalSize;
    return verdict;
}

std::wstring PartsCheckText(const PartsPlan& plan, const PartsVerdict& verdict) {
    const std::size_t n = plan.Parts.size();
    if (plan.CheckFiles.empty())
        return L"No check file lies beside the " + Parts(n) +
               L" (NAME.sha256, NAME.md5, NAME.sfv, \u2026): there is nothing to check them "
               L"against.";
    if (verdict.Mismatched.empty() && verdict.WholeMismatched.empty() && !verdict.SizeDiffers)
        return (n == 1 ? L"The part matches " : L"All " + Parts(n) + L" match ") +
               CheckFileNames(plan) + L".";
    std::wstring text;
    if (!verdict.Mismatched.empty()) {
        const std::size_t bad = verdict.Mismatched.size();
        text = Parts(bad) + (bad == 1 ? L" does not match " : L" do not match ") +
               CheckFileNames(plan) + L".";
    } else if (verdict.SizeDiffers) {
        text = L"The parts join into " + std::to_wstring(plan.TotalSize) + L" bytes, but " +
               Name(plan.CheckFiles[plan.OutputSizeFile]) + L" says " +
               std::to_wstring(*plan.OutputSize) + L": is a part missing?";
    } else {
        text = L"The parts joined do not match " +
               Name(plan.CheckFiles[verdict.WholeMismatched.front()]) +
               L": is a part missing or damaged?";
    }
    std::vector<std::wstring> lines;
    for (const std::size_t i : verdict.Mismatched)
        lines.push_back(WideFromUtf8(DisplayPath(plan.Parts[i].Location.filename())) +
                        L"  (damaged)");
    return lines.empty() ? text : text + L"\n" + ListedLines(lines);
}

} // namespace zendra
