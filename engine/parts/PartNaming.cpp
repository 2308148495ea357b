#include "parts/PartNaming.h"

#include "io/File.h"

#include <algorithm>
#include <deque>
#include <filesystem>
#include <iterator>
#include <map>
#include <tuple>

namespace zendra {
namespace {

using Char = PathText::value_type;
using Symbols = PartNaming::Symbols;

constexpr std::size_t kMaxSymbols = 12; // far past any real set
constexpr std::uint64_t kMaxParts = 1000000;

std::uint64_t Base(Symbols symbols) {
    return symbols == Symbols::Letters ? 26 : symbols == Symbols::Hex ? 16 : 10;
}

std::optional<std::uint64_t> DigitOf(Char c, Symbols symbols) {
    if (symbols == Symbols::Letters)
        return c >= 'a' && c <= 'z' ? std::optional<std::uint64_t>(c - 'a') : std::nullopt;
    if (c >= '0' && c <= '9') return c - '0';
    if (symbols == Symbols::Hex && c >= 'a' && c <= 'f') return c - 'a' + 10;
    return std::nullopt;
}

Char SymbolOf(std::uint64_t digit, Symbols symbols) {
    if (symbols == Symbols::Letters) return static_cast<Char>('a' + digit);
    return static_cast<Char>(digit < 10 ? '0' + digit : 'a' + digit - 10);
}

Char LastSymbol(Symbols symbols) {
    return SymbolOf(Base(symbols) - 1, symbols);
}

// `value` as `width` symbols; nothing when it does not fit.
std::optional<PathText> Encode(std::uint64_t value, std::size_t width, Symbols symbols) {
    PathText text(width, SymbolOf(0, symbols));
    for (std::size_t i = width; i-- > 0; value /= Base(symbols))
        text[i] = SymbolOf(value % Base(symbols), symbols);
    if (value != 0) return std::nullopt;
    return text;
}

std::optional<std::uint64_t> Decode(const PathText& text, Symbols symbols) {
    if (text.empty() || text.size() > kMaxSymbols) return std::nullopt;
    std::uint64_t value = 0;
    for (const Char c : text) {
        const auto digit = DigitOf(c, symbols);
        if (!digit) return std::nullopt;
        value = value * Base(symbols) + *digit;
    }
    return value;
}

// GNU's widening suffixes come in levels: level j is j last symbols, then j + 2 symbols of which
// the first is not the last symbol; this is how many names a level holds.
std::uint64_t LevelSize(std::uint64_t j, Symbols symbols) {
    std::uint64_t count = Base(symbols) - 1;
    for (std::uint64_t i = 0; i <= j; ++i)
        count *= Base(symbols);
    return count;
}

std::size_t NameStart(const PathText& path) {
    return path.size() - std::filesystem::path(path).filename().native().size();
}

bool SameNaming(const PartNaming& a, const PartNaming& b) {
    return a.Alphabet == b.Alphabet && a.Prefix == b.Prefix && a.Tail == b.Tail &&
           a.Width == b.Width && a.Widens == b.Widens && a.Grows == b.Grows;
}

bool IsSymbol(Char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool IsSeparator(Char c) {
    return !IsSymbol(c) && !(c >= 'A' && c <= 'Z');
}

std::string Quoted(const PathText& name) {
    return "\"" + DisplayPath(std::filesystem::path(name)) + "\"";
}

// The next (step 1) or previous (step -1) name of each naming, grouped by name.
std::map<PathText, std::vector<NamingAt>> Neighbours(const std::vector<NamingAt>& namings,
                                                     int step) {
    std::map<PathText, std::vector<NamingAt>> byName;
    for (const NamingAt& at : namings) {
        if (step < 0 && at.Value == 0) continue;
        const std::uint64_t value = step < 0 ? at.Value - 1 : at.Value + 1;
        if (const auto name = at.Naming.NameOf(value)) byName[*name].push_back({at.Naming, value});
    }
    return byName;
}

std::size_t ShortestTail(const std::vector<NamingAt>& namings) {
    std::size_t shortest = PathText::npos;
    for (const NamingAt& at : namings)
        shortest = std::min(shortest, at.Naming.Tail.size());
    return shortest;
}

// Which of the names that exist next the run takes: the only one; of several, those of the
// shortest additional suffix ("e 00.mkv.ab" after "e 00.mkv.aa", not "e 01.mkv.aa"), then the
// one only hex digits can give when the hex run goes on after it (a decimal set never names "0a",
// a hex set names "10" as well; a lone "0a" is a look-alike, named later); else none, and
// `problem` says why.
std::optional<PathText> Choose(const std::map<PathText, std::vector<NamingAt>>& byName,
                               const std::function<bool(const PathText&)>& exists,
                               const std::vector<NamingAt>& namings, const PathText& from, int step,
                               std::string& problem) {
    std::vector<PathText> present;
    std::size_t shortest = PathText::npos;
    for (const auto& entry : byName)
        if (exists(entry.first)) {
            present.push_back(entry.first);
            shortest = std::min(shortest, ShortestTail(entry.second));
        }
    std::erase_if(present,
                  [&](const PathText& name) { return ShortestTail(byName.at(name)) != shortest; });
    if (present.size() <= 1) return present.empty() ? std::nullopt : std::optional(present[0]);
    std::vector<PathText> hexOnly;
    for (const PathText& name : present)
        if (std::none_of(namings.begin(), namings.end(),
                         [&](const NamingAt& at) {
                             return at.Naming.Alphabet == Symbols::Decimal &&
                                    at.Naming.ValueOf(name);
                         }) &&
            std::all_of(byName.at(name).begin(), byName.at(name).end(),
                        [](const NamingAt& at) { return at.Naming.Alphabet == Symbols::Hex; }))
            hexOnly.push_back(name);
    if (hexOnly.size() == 1 && present.size() == 2) {
        const auto further = Neighbours(byName.at(hexOnly[0]), step);
        const bool goesOn = std::any_of(further.begin(), further.end(),
                                        [&](const auto& entry) { return exists(entry.first); });
        return goesOn ? hexOnly[0] : present[present[0] == hexOnly[0] ? 1 : 0];
    }
    problem = "Both " + Quoted(present[0]) + " and " + Quoted(present[1]) +
              " could follow on from " + Quoted(from) +
              ", but no tool names one set both ways: move the one that does not "
              "belong away";
    return std::nullopt;
}

} // namespace

std::optional<PathText> PartNaming::NameOf(std::uint64_t value) const {
    std::optional<PathText> symbols;
    if (Grows) {
        const std::string digits = std::to_string(value);
        symbols = PathText(digits.size() < Width ? Width - digits.size() : 0, Char('0'));
        symbols->append(digits.begin(), digits.end());
    } else if (!Widens) {
        symbols = Encode(value, Width, Alphabet);
    } else {
        std::uint64_t level = 0;
        for (; value >= LevelSize(level, Alphabet); ++level) {
            if (level > 4) return std::nullopt;
            value -= LevelSize(level, Alphabet);
        }
        symbols = PathText(level, LastSymbol(Alphabet)) + *Encode(value, level + 2, Alphabet);
    }
    if (!symbols) return std::nullopt;
    return Prefix + *symbols + Tail;
}

std::optional<std::uint64_t> PartNaming::ValueOf(const PathText& name) const {
    if (name.size() <= Prefix.size() + Tail.size() || name.compare(0, Prefix.size(), Prefix) != 0 ||
        name.compare(name.size() - Tail.size(), Tail.size(), Tail) != 0)
        return std::nullopt;
    const PathText suffix = name.substr(Prefix.size(), name.size() - Prefix.size() - Tail.size());
    if (Grows) {
        if (suffix.size() < Width || (suffix.size() > Width && suffix[0] == Char('0')))
            return std::nullopt;
        return Decode(suffix, Symbols::Decimal);
    }
    if (!Widens) return suffix.size() == Width ? Decode(suffix, Alphabet) : std::nullopt;
    std::uint64_t level = 0;
    while (level < suffix.size() && suffix[level] == LastSymbol(Alphabet))
        ++level;
    if (suffix.size() != 2 * level + 2) return std::nullopt;
    auto value = Decode(suffix.substr(level), Alphabet);
    for (std::uint64_t j = 0; value && j < level; ++j)
        *value += LevelSize(j, Alphabet);
    return value;
}

PathText PartNaming::OutputName() const {
    PathText name = Prefix.substr(NameStart(Prefix));
    if (!name.empty() && name.back() == Char('.')) name.pop_back();
    return name;
}

bool PartNaming::StartsAt(std::uint64_t value) const {
    return value == 0 || (value == 1 && FirstValue() == 1);
}

std::uint64_t PartNaming::FirstValue() const {
    const bool dotted = !Prefix.empty() && Prefix.back() == Char('.');
    return Alphabet == Symbols::Decimal && Width == 3 && !Widens && dotted ? 1 : 0;
}

const char* PartNaming::AlphabetName() const {
    return Alphabet == Symbols::Letters ? "letters"
           : Alphabet == Symbols::Hex   ? "hex digits"
                                        : "decimal digits";
}

std::vector<NamingAt> NamingsOf(const PathText& name) {
    const std::size_t start = NameStart(name);
    std::vector<NamingAt> found;
    const auto add = [&](PartNaming naming) {
        const auto value = naming.ValueOf(name);
        if (!value) return;
        if (std::none_of(found.begin(), found.end(),
                         [&](const NamingAt& at) { return SameNaming(at.Naming, naming); }))
            found.push_back({std::move(naming), *value});
    };
    // --additional-suffix may be anything after the symbols ("_x", ".mp4", ".tar.gz", "part"):
    // every end of the name is a candidate, and the files beside it decide.
    for (std::size_t end = name.size(); end > start + 1; --end) {
        if (!IsSymbol(name[end - 1])) continue;
        const PathText tail = name.substr(end);
        for (const Symbols symbols : {Symbols::Letters, Symbols::Decimal, Symbols::Hex}) {
            // A suffix that starts with one of the symbols would be read as part of them.
            if (!tail.empty() && DigitOf(tail[0], symbols)) continue;
            std::size_t run = 0;
            while (run + 1 < end - start && DigitOf(name[end - 1 - run], symbols))
                ++run; // the prefix keeps a name of at least one character
            for (std::size_t width = 1; width <= std::min(run, kMaxSymbols); ++width) {
                PartNaming naming;
                naming.Alphabet = symbols;
                naming.Prefix = name.substr(0, end - width);
                naming.Tail = tail;
                naming.Width = width;
                add(naming);
                if (width % 2 == 0) { // a name of GNU's widening levels, read back to "aa…"
                    naming.Widens = true;
                    naming.Width = 2;
                    add(naming);
                    naming.Widens = false;
                }
                const bool dotted = name[end - width - 1] == Char('.');
                if (symbols == Symbols::Decimal && tail.empty() && dotted && width >= 3) {
                    for (std::size_t narrower = 3; narrower <= width; ++narrower) {
                        naming.Width = narrower;
                        naming.Grows = true;
                        add(naming);
                    }
                }
            }
        }
    }
    return found;
}

// The run through `picked` of namings that share one additional suffix.
PartRun Walk(const PathText& picked, std::vector<NamingAt> namings,
             const std::function<bool(const PathText&)>& exists, const PathText& first,
             const PathText& last) {
    PartRun run;
    const auto keep = [&](const PathText& bound, bool before) {
        if (bound.empty()) return;
        std::erase_if(namings, [&](const NamingAt& at) {
            const auto value = at.Naming.ValueOf(bound);
            return !value || (before ? *value > at.Value : *value < at.Value);
        });
        if (namings.empty() && run.Problem.empty())
            run.Problem = Quoted(bound) + " is not named as " +
                          (before ? "an earlier" : "a later") + " part of the set " +
                          Quoted(picked) + " belongs to";
    };
    keep(first, true);
    keep(last, false);
    std::deque<PathText> names{picked};
    for (std::string ignored;
         names.size() < kMaxParts && !namings.empty() && names.front() != first;) {
        const auto before = Neighbours(namings, -1);
        const auto name = Choose(before, exists, namings, names.front(), -1, ignored);
        if (!name) break;
        namings = before.at(*name);
        names.push_front(*name);
    }
    if (!first.empty() && !namings.empty() && names.front() != first) {
        const auto before = Neighbours(namings, -1);
        run.Problem = "The part " +
                      (before.empty() ? Quoted(first) : Quoted(before.rbegin()->first)) +
                      " is missing, after the first part " + Quoted(first);
        namings.clear();
    }
    for (NamingAt& at : namings) // forward from the picked name
        at.Value = *at.Naming.ValueOf(names.back());
    while (!namings.empty() && names.back() != last) {
        if (names.size() >= kMaxParts) {
            run.Problem = "The set has more than a million parts";
            break;
        }
        const auto after = Neighbours(namings, 1);
        const auto name = Choose(after, exists, namings, names.back(), 1, run.Problem);
        if (!name) break;
        namings = after.at(*name);
        names.push_back(*name);
    }
    if (run.Problem.empty() && !namings.empty() && !last.empty() && names.back() != last) {
        const auto after = Neighbours(namings, 1);
        run.Problem = "The part " + (after.empty() ? Quoted(last) : Quoted(after.begin()->first)) +
                      " is missing, before the last part " + Quoted(last);
    }
    for (NamingAt& at : namings)
        at.Value = *at.Naming.ValueOf(names.front());
    if (first.empty() && !namings.empty()) {
        // A set starts where its tool starts its sets; any other start is a missing first part.
        // Decided after the walk forward, where the names beside the run weed out the namings
        // that only one name fits ("dat" + "a" + ".bin.002").
        std::vector<NamingAt> started;
        std::copy_if(namings.begin(), namings.end(), std::back_inserter(started),
                     [](const NamingAt& at) { return at.Naming.StartsAt(at.Value); });
        // Nor does a narrower naming that starts there ("my file.2" + "0", one hex digit) stand
        // for a separated prefix that does not ("my file." + "20", from FROM 32).
        const auto separated = [](const NamingAt& at) {
            return !at.Naming.Prefix.empty() && IsSeparator(at.Naming.Prefix.back());
        };
        const NamingAt& likeliest = PreferredNaming(namings);
        if (separated(likeliest) && !likeliest.Naming.StartsAt(likeliest.Value) &&
            std::none_of(started.begin(), started.end(), separated))
            started.clear();
        if (started.empty()) { // kept, for a check file that names the parts to decide
            run.MissingFirst = likeliest.Naming.NameOf(likeliest.Naming.FirstValue());
            run.NotAPart = names.size() == 1;
        } else {
            namings = std::move(started);
        }
    }
    run.Names.assign(names.begin(), names.end());
    run.Namings = std::move(namings);
    return run;
}

PartRun FollowParts(const PathText& picked, const std::function<bool(const PathText&)>& exists,
                    const PathText& first, const PathText& last) {
    // Each additional suffix is followed on its own, so that a step that only a longer one
    // gives ("e 01.mkv.00.part" before "e 02.mkv.00.part") never leads another's run astray.
    std::map<PathText, std::vector<NamingAt>> byTail;
    for (NamingAt& at : NamingsOf(picked))
        byTail[at.Naming.Tail].push_back(std::move(at));
    std::optional<PartRun> best;
    // A run of more than one name before a lone name, the shortest suffix, one that starts
    // where its tool starts sets, the longest run.
    const auto rank = [](const PartRun& run) {
        return std::make_tuple(run.Namings.empty(), run.Names.size() == 1,
                               run.Namings.empty() ? 0 : run.Namings.front().Naming.Tail.size(),
                               run.MissingFirst.has_value(), kMaxParts - run.Names.size());
    };
    for (auto& [tail, namings] : byTail) {
        PartRun run = Walk(picked, std::move(namings), exists, first, last);
        if (!best || rank(run) < rank(*best)) best = std::move(run);
    }
    if (!best) { // no naming at all
        best.emplace();
        best->Names = {picked};
        best->NotAPart = true;
    }
    return std::move(*best);
}

const NamingAt& PreferredNaming(const std::vector<NamingAt>& namings) {
    const auto rank = [](const NamingAt& at) {
        const PathText& prefix = at.Naming.Prefix;
        const bool separated = !prefix.empty() && IsSeparator(prefix.back());
        return std::make_tuple(!separated, at.Naming.Tail.size(), at.Naming.Width != 2,
                               at.Value > 1, PathText::npos - prefix.size());
    };
    return *std::min_element(
        namings.begin(), namings.end(),
        [&](const NamingAt& a, const NamingAt& b) { return rank(a) < rank(b); });
}

std::vector<PartNaming> LookAlikeNamings(const PartNaming& naming) {
    std::vector<PartNaming> alike{naming};
    const auto add = [&](PartNaming other) {
        if (std::none_of(alike.begin(), alike.end(),
                         [&](const PartNaming& known) { return SameNaming(known, other); }))
            alike.push_back(std::move(other));
    };
    std::vector<Symbols> alphabets{naming.Alphabet};
    if (naming.Alphabet != Symbols::Letters) alphabets = {Symbols::Decimal, Symbols::Hex};
    for (const Symbols symbols : alphabets) {
        PartNaming other = naming;
        other.Alphabet = symbols;
        other.Grows = false;
        add(other);
        if (other.Width == 2) {
            other.Widens = !naming.Widens;
            add(other);
        }
    }
    if (naming.Alphabet == Symbols::Decimal && naming.Width >= 3 && naming.Tail.empty() &&
        naming.FirstValue() == 1) {
        PartNaming grown = naming;
        grown.Grows = true;
        add(grown);
    }
    return alike;
}

} // namespace zendra
