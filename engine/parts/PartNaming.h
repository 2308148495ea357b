// The names other tools give the parts of a split file: NAME.000/NAME.001 numbered with three
// digits or more, GNU split's letters (PREFIXaa, PREFIXab, ...) and its digits (PREFIX00, PREFIX01,
// ...).
#pragma once

#include "PlatformPath.h"

#include <cstdint>
#include <optional>

namespace zendra {

struct PartNaming {
    enum class Kind { Numbered, Letters, Digits };
    Kind Style = Kind::Numbered;
    PathText Prefix;       // the folder and the name before the suffix ("." included for NAME.001)
    std::size_t Width = 3; // of the first part's suffix
    std::uint64_t First = 0; // the first part's number
    // GNU split's default suffix length grows: after "yz" come "zaaa", "zaab", ...; after "89"
    // come "9000", ...
    bool Widens = false;

    // The name of the part `position` places after the first one; nothing past the last name the
    // naming can give.
    std::optional<PathText> NameOf(std::uint64_t position) const;
    // Where a name lies in the sequence, or nothing when it is not one of its names.
    std::optional<std::uint64_t> PositionOf(const PathText& name) const;
    // The joined file's name: the prefix's own file name without a trailing ".".
    PathText OutputName() const;
};

// How a first part is named; nothing when its name is not the first of any naming above.
// Numbered parts start at .000 or .001, GNU's at "aa…" or "00…" (or "0…1", from
// --numeric-suffixes=1).
std::optional<PartNaming> ReadPartNaming(const PathText& firstPart);

} // namespace zendra
