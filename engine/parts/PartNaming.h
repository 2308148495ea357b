// The names other tools give the parts of a split file. GNU split: letters (PREFIXaa, PREFIXab,
// ...), decimal digits (PREFIX00, -d) or hex digits (PREFIX00, -x), of a fixed width (-a N, -n K,
// or any --numeric-suffixes=FROM / --hex-suffixes=FROM) or, by default, widening past the last
// name whose first symbol is not the last one ("yz" -> "zaaa", "89" -> "9000", "ef" -> "f000"),
// each optionally followed by --additional-suffix; 7-Zip: NAME.001 growing past .999 to .1000.
// A name alone does not say which of these made it: every naming it fits is a candidate, and
// the files that exist beside it decide (FollowParts).
#pragma once

#include "io/PlatformPath.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zendra {

struct PartNaming {
    enum class Symbols { Letters, Decimal, Hex };
    Symbols Alphabet = Symbols::Decimal;
    PathText Prefix;       // the folder and the name before the symbols
    PathText Tail;         // --additional-suffix: after the symbols of every part
    std::size_t Width = 2; // of the suffix's symbols before any widening
    bool Widens = false;   // GNU's default: "yz" -> "zaaa", sets that start at "aa" or "00"
    bool Grows = false;    // 7-Zip's NAME.999 -> NAME.1000 (decimal, three digits or more)

    // The name of value `value` (0 is "aa…" or "00…"); nothing past the last name.
    std::optional<PathText> NameOf(std::uint64_t value) const;
    // The value of a name, or nothing when the name is not one of this naming's.
    std::optional<std::uint64_t> ValueOf(const PathText& name) const;
    // The joined file's name: the prefix's own file name without a trailing ".".
    PathText OutputName() const;
};

// Every naming under which `name` is one of the names, with its value there.
struct NamingAt {
    PartNaming Naming;
    std::uint64_t Value = 0;
};
std::vector<NamingAt> NamingsOf(const PathText& name);

// The run of parts through `picked`, found by asking `exists` for the names before and after it.
struct PartRun {
    std::vector<PathText> Names;   // in order
    std::vector<NamingAt> Namings; // the namings all of them fit, each at the first name
    std::string Problem;           // why the run could not be read further, or empty
};
// Steps back from `picked` while a name before it exists, then forward while one after it exists
// (up to `last` when given). Where two namings give two different names that both exist, the run
// stops there with a Problem, except that hex digits win over decimal ones (a decimal set never
// names "0a"). GNU's letters and widening namings must start at value 0.
PartRun FollowParts(const PathText& picked, const std::function<bool(const PathText&)>& exists,
                    const PathText& last = {});

// The naming whose output name a run takes: FROM 0 or 1 before any other, then the widest.
const PartNaming& PreferredNaming(const PartRun& run);

} // namespace zendra
