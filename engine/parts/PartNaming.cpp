#include "parts/PartNaming.h"

#include "io/File.h"

#include <algorithm>
#include <deque>
#include <filesystem>
#include <map>

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

// Which of the names that exist next the run takes: the only one; of several, the one only hex
// digits can give (a decimal set never names "0a", a hex set names "10" as well); else none, and
// `problem` says why.
std::optional<PathText> Choose(const std::map<PathText, std::vector<NamingAt>>& byName,
                               const std::function<bool(const PathText&)>& exists,
                               const std::vector<NamingAt>& namings, const PathText& from,
                               std::string& problem) {
    std::vector<PathText> present;
    for (const auto& entry : byName)
        if (exists(entry.first)) present.push_back(entry.first);
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
    if (hexOnly.size() == 1 && present.size() == 2) return hexOnly[0];
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

std::vector<NamingAt> NamingsOf(const PathText& name) {
    const std::size_t start = NameStart(name);
    // --additional-suffix, as far as a name can tell it: the end from the last character that is
    // neither a letter nor a digit (".part", "_x"), when it holds no digit. More would read parts
    // of other names: "Episode 01.mkv.aa" is no part 01 of "Episode .mkv.aa".
    std::vector<PathText> tails{PathText()};
    for (std::size_t i = name.size(); i-- > start + 1;) {
        const Char c = name[i];
        if (c >= '0' && c <= '9') break;
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) {
            tails.push_back(name.substr(i));
            break;
        }
    }
    std::vector<NamingAt> found;
    const auto add = [&](PartNaming naming) {
        const auto value = naming.ValueOf(name);
        if (!value) return;
        if (std::none_of(found.begin(), found.end(),
                         [&](const NamingAt& at) { return SameNaming(at.Naming, naming); }))
            found.push_back({std::move(naming), *value});
    };
    for (const PathText& tail : tails) {
        const std::size_t end = name.size() - tail.size();
        for (const Symbols symbols : {Symbols::Letters, Symbols::Decimal, Symbols::Hex}) {
            std::size_t run = 0;
            while (run < end - start && DigitOf(name[end - 1 - run], symbols))
                ++run;
            for (std::size_t width = 2; width <= std::min(run, kMaxSymbols); ++width) {
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
                const bool dotted = end - width > start && name[end - width - 1] == Char('.');
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

PartRun FollowParts(const PathText& picked, const std::function<bool(const PathText&)>& exists,
                    const PathText& last) {
    PartRun run;
    std::vector<NamingAt> namings = NamingsOf(picked);
    if (!last.empty()) {
        std::erase_if(namings, [&](const NamingAt& at) {
            const auto value = at.Naming.ValueOf(last);
            return !value || *value < at.Value;
        });
        if (namings.empty())
            run.Problem = Quoted(last) + " is not named as a later part of the set " +
                          Quoted(picked) + " belongs to";
    }
    std::deque<PathText> names{picked};
    for (std::string ignored; names.size() < kMaxParts && !namings.empty();) {
        const auto before = Neighbours(namings, -1);
        const auto name = Choose(before, exists, namings, names.front(), ignored);
        if (!name) break;
        namings = before.at(*name);
        names.push_front(*name);
    }
    // GNU's letters and its widening suffixes always start at "aa…" or "00…". Letters that do
    // not are a missing first part, also where the same symbols read as hex digits.
    std::vector<NamingAt> unstarted; // the narrowest first: its first name is the likeliest
    std::erase_if(namings, [&](const NamingAt& at) {
        const bool late =
            at.Value != 0 && (at.Naming.Alphabet == Symbols::Letters || at.Naming.Widens);
        if (late && at.Naming.Alphabet == Symbols::Letters) unstarted.push_back(at);
        return late;
    });
    std::sort(unstarted.begin(), unstarted.end(), [](const NamingAt& a, const NamingAt& b) {
        return a.Naming.Prefix.size() > b.Naming.Prefix.size();
    });
    for (const NamingAt& letters : unstarted)
        if (namings.empty() || std::any_of(namings.begin(), namings.end(), [&](const NamingAt& at) {
                return at.Naming.Prefix == letters.Naming.Prefix &&
                       at.Naming.Tail == letters.Naming.Tail;
            })) {
            run.Problem = Quoted(names.front()) + " is not a set's first part, and " +
                          Quoted(*letters.Naming.NameOf(0)) + ", which would be, is not beside it";
            namings.clear();
            break;
        }
    for (NamingAt& at : namings) // forward from the picked name
        at.Value = *at.Naming.ValueOf(names.back());
    while (!namings.empty() && names.back() != last) {
        if (names.size() >= kMaxParts) {
            run.Problem = "The set has more than a million parts";
            break;
        }
        const auto after = Neighbours(namings, 1);
        const auto name = Choose(after, exists, namings, names.back(), run.Problem);
        if (!name) break;
        namings = after.at(*name);
        names.push_back(*name);
    }
    if (run.Problem.empty() && !last.empty() && names.back() != last) {
        const auto after = Neighbours(namings, 1);
        run.Problem = "The part " + (after.empty() ? Quoted(last) : Quoted(after.begin()->first)) +
                      " is missing, before the last part " + Quoted(last);
    }
    for (NamingAt& at : namings)
        at.Value = *at.Naming.ValueOf(names.front());
    run.Names.assign(names.begin(), names.end());
    run.Namings = std::move(namings);
    return run;
}

const PartNaming& PreferredNaming(const PartRun& run) {
    const auto rank = [](const NamingAt& at) {
        return std::make_pair(at.Value > 1, at.Naming.Prefix.size());
    };
    return std::min_element(run.Namings.begin(), run.Namings.end(),
                            [&](const NamingAt& a, const NamingAt& b) { return rank(a) < rank(b); })
        ->Naming;
}

} // namespace zendra
