#include "CheckReport.h"

#include "base/Utf8.h"

namespace zendra {

namespace {

std::wstring Count(std::size_t n, const wchar_t* one, const wchar_t* many) {
    return std::to_wstring(n) + L" " + (n == 1 ? one : many);
}

std::wstring Is(std::size_t n) {
    return n == 1 ? L" is " : L" are ";
}

// "a", "a and b", "a, b and c".
std::wstring Joined(const std::vector<std::wstring>& parts) {
    std::wstring text;
    for (std::size_t i = 0; i < parts.size(); ++i)
        text += (i == 0 ? L"" : i + 1 == parts.size() ? L" and " : L", ") + parts[i];
    return text;
}

const wchar_t* StateWord(Found state) {
    switch (state) {
    case Found::Damaged:
        return L"damaged";
    case Found::Missing:
        return L"missing";
    case Found::Unknown:
        return L"cannot be checked";
    default:
        return L"intact";
    }
}

struct Tally {
    std::size_t pieces = 0, missing = 0, damaged = 0, unknown = 0, others = 0;
    const JudgedFile* index = nullptr;    // not intact
    const JudgedFile* checksum = nullptr; // not intact
    std::size_t broken = 0;               // not intact, of every kind
};

Tally TallyOf(const SetVerdict& v) {
    Tally t;
    for (const JudgedFile& file : v.Files) {
        if (file.Kind == JudgedFile::Role::Piece) ++t.pieces;
        if (file.State == Found::Intact) continue;
        ++t.broken;
        switch (file.Kind) {
        case JudgedFile::Role::Index:
            t.index = &file;
            break;
        case JudgedFile::Role::Checksum:
            t.checksum = &file;
            break;
        case JudgedFile::Role::Piece:
            ++(file.State == Found::Missing   ? t.missing
               : file.State == Found::Damaged ? t.damaged
                                              : t.unknown);
            break;
        default:
            ++t.others;
        }
    }
    return t;
}

// "2 pieces are missing and 1 is damaged, the index is missing and the checksum file is wrong".
std::wstring WhatIsWrong(const Tally& t) {
    std::vector<std::wstring> parts;
    if (t.missing > 0 && t.damaged > 0)
        parts.push_back(Count(t.missing, L"piece", L"pieces") + Is(t.missing) + L"missing and " +
                        std::to_wstring(t.damaged) + Is(t.damaged) + L"damaged");
    else if (t.missing > 0)
        parts.push_back(Count(t.missing, L"piece", L"pieces") + Is(t.missing) + L"missing");
    else if (t.damaged > 0)
        parts.push_back(Count(t.damaged, L"piece", L"pieces") + Is(t.damaged) + L"damaged");
    if (t.unknown > 0)
        parts.push_back(Count(t.unknown, L"piece", L"pieces") + L" cannot be checked");
    if (t.index) parts.push_back(std::wstring(L"the index is ") + StateWord(t.index->State));
    if (t.checksum)
        parts.push_back(t.checksum->State == Found::Missing ? L"the checksum file is missing"
                                                            : L"the checksum file is wrong");
    if (t.others > 0)
        parts.push_back(Count(t.others, L"other file", L"other files") + Is(t.others) +
                        L"damaged or missing");
    std::wstring text = Joined(parts);
    if (!text.empty() && text[0] >= L'a' && text[0] <= L'z') text[0] = text[0] - L'a' + L'A';
    return text;
}

// The pieces' worth of recovery data still needed, rounded up.
std::wstring StillNeeded(const SetVerdict& v, std::uint64_t pieceSize, const SizeText& size) {
    const std::wstring bytes = L"about " + size(v.BytesNeeded);
    if (pieceSize == 0) return L"recovery data of " + bytes + L" more is needed";
    const std::uint64_t pieces = (v.BytesNeeded + pieceSize - 1) / pieceSize;
    return L"recovery data for " + std::to_wstring(pieces) +
           (pieces == 1 ? L" more piece (" : L" more pieces (") + bytes + L") is needed";
}

} // namespace

std::wstring ListedLines(const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (std::size_t i = 0; i < lines.size() && i < kListedFiles; ++i)
        text += L"\n" + lines[i];
    if (lines.size() > kListedFiles)
        text += L"\n\u2026and " + std::to_wstring(lines.size() - kListedFiles) + L" more";
    return text;
}

std::wstring CheckText(const SetVerdict& v, std::uint64_t pieceSize, const SizeText& size) {
    const Tally t = TallyOf(v);
    if (t.broken == 0)
        return t.pieces == 1
                   ? L"The piece is intact and checked."
                   : L"All " + std::to_wstring(t.pieces) + L" pieces are intact and checked.";
    std::wstring text = WhatIsWrong(t);
    const bool it = t.broken == 1;
    if (v.Outcome == SetOutcome::Repairable)
        text +=
            it ? L"; the recovery data can rebuild it." : L"; the recovery data can rebuild them.";
    else if (v.SlicesNeeded > 0)
        text += L"; " + StillNeeded(v, pieceSize, size) + L".";
    else if (!v.HasRecovery)
        text += it ? L", and no recovery data lies beside the index to rebuild it."
                   : L", and no recovery data lies beside the index to rebuild them.";
    else
        text += L"; a repair cannot make the set whole.";

    std::vector<std::wstring> lines;
    for (const JudgedFile& file : v.Files)
        if (file.State != Found::Intact)
            lines.push_back(WideFromUtf8(file.Name) + L"  (" + StateWord(file.State) + L")");
    text += L"\n" + ListedLines(lines);
    // Why no repair helps, where the recovery data's shortfall is not the reason.
    if (v.Outcome == SetOutcome::NotRepairable && v.SlicesNeeded == 0 && v.HasRecovery &&
        !v.Problems.empty()) {
        std::vector<std::wstring> problems;
        for (const std::string& problem : v.Problems)
            problems.push_back(WideFromUtf8(problem));
        text += L"\n" + ListedLines(problems);
    }
    return text;
}

std::wstring RebuildQuestion(const SetVerdict& v) {
    if (v.Outcome != SetOutcome::Repairable) return {};
    const Tally t = TallyOf(v);
    const std::size_t pieces = t.missing + t.damaged;
    std::vector<std::wstring> parts;
    if (pieces > 0) parts.push_back(Count(pieces, L"piece", L"pieces"));
    if (t.index) parts.push_back(L"the index");
    if (t.checksum) parts.push_back(L"the checksum file");
    if (t.others > 0) parts.push_back(Count(t.others, L"other file", L"other files"));
    return L"Rebuild " + Joined(parts) + L" now?";
}

} // namespace zendra
