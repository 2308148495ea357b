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
    // Where the tool that names parts so starts its sets: "aa…" and "00…" (value 0), and only
    // the three-digit dotted form (NAME.001: 7-Zip, --numeric-suffixes=1 -a 3) at 1 as well.
    bool StartsAt(std::uint64_t value) const;
    // The value of the first part of a set of this naming: 1 for NAME.001, else 0.
    std::uint64_t FirstValue() const;
    // "letters", "decimal digits" or "hex digits", for messages.
    const char* AlphabetName() const;
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
    // The run does not start where its tool starts its sets: the first part expected, which is
    // not there (Names and Namings, all that the names fit, still tell the run read).
    std::optional<PathText> MissingFirst;
    // Nothing before or after the picked name, and no naming starts a set with it.
    bool NotAPart = false;
};
// Steps back from `picked` while a name before it exists (down to `first` when given), then
// forward while one after it exists (up to `last` when given). Where two namings give two
// different names that both exist, the one with the shorter additional suffix is taken, then the
// one only hex digits give when the hex run goes on past it (a decimal set never names "0a");
// else the run stops there with a Problem. Without `first`, only the namings whose tool starts a
// set at the run's first name are kept (PartNaming::StartsAt).
PartRun FollowParts(const PathText& picked, const std::function<bool(const PathText&)>& exists,
                    const PathText& first = {}, const PathText& last = {});

// The naming whose output name a run takes: one whose prefix ends in a separator (".", "_", " "),
// then the shortest additional suffix, GNU's default width 2, the first value, the longest prefix.
const NamingAt& PreferredNaming(const std::vector<NamingAt>& namings);

// The namings whose names would be taken for parts of a set of `naming`: the naming itself, the
// other digit alphabet at the same width, GNU's widening form beside a fixed width of 2 (and the
// fixed width beside the widening), 7-Zip's growing form beside three dotted digits.
std::vector<PartNaming> LookAlikeNamings(const PartNaming& naming);

} // namespace zendra
