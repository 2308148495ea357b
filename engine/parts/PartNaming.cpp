#include "PartNaming.h"

#include <filesystem>

namespace zendra {
namespace {

using Char = PathText::value_type;

// Ten digits or twenty-six lower-case letters.
struct Alphabet {
    Char Zero;
    std::uint64_t Size;
    Char Last() const { return static_cast<Char>(Zero + Size - 1); }
    bool Holds(Char c) const { return c >= Zero && c <= Last(); }
};

Alphabet AlphabetOf(PartNaming::Kind kind) {
    return kind == PartNaming::Kind::Letters ? Alphabet{Char('a'), 26} : Alphabet{Char('0'), 10};
}

// `value` as `width` symbols of the alphabet; nothing when it does not fit.
std::optional<PathText> Symbols(std::uint64_t value, std::size_t width, Alphabet alphabet) {
    PathText text(width, alphabet.Zero);
    for (std::size_t i = width; i-- > 0; value /= alphabet.Size)
        text[i] = static_cast<Char>(alphabet.Zero + value % alphabet.Size);
    if (value != 0) return std::nullopt;
    return text;
}

std::optional<std::uint64_t> ValueOf(const PathText& text, Alphabet alphabet) {
    if (text.empty() || text.size() > 12) return std::nullopt; // far past any real set
    std::uint64_t value = 0;
    for (const Char c : text) {
        if (!alphabet.Holds(c)) return std::nullopt;
        value = value * alphabet.Size + static_cast<std::uint64_t>(c - alphabet.Zero);
    }
    return value;
}

// GNU's growing suffixes come in levels: level j is j last symbols, then j + 2 symbols of which
// the first is not the last symbol; this is how many names a level holds.
std::uint64_t LevelSize(std::uint64_t j, Alphabet alphabet) {
    std::uint64_t count = alphabet.Size - 1;
    for (std::uint64_t i = 0; i <= j; ++i)
        count *= alphabet.Size;
    return count;
}

std::size_t NameStart(const PathText& path) {
    return path.size() - std::filesystem::path(path).filename().native().size();
}

} // namespace

std::optional<PathText> PartNaming::NameOf(std::uint64_t position) const {
    const Alphabet alphabet = AlphabetOf(Style);
    if (Style == Kind::Numbered) {
        const std::string digits = std::to_string(First + position);
        PathText text(digits.size() < Width ? Width - digits.size() : 0, Char('0'));
        text.append(digits.begin(), digits.end());
        return Prefix + text;
    }
    if (!Widens) {
        const auto text = Symbols(First + position, Width, alphabet);
        if (!text) return std::nullopt;
        return Prefix + *text;
    }
    std::uint64_t level = 0;
    for (; position >= LevelSize(level, alphabet); ++level) {
        if (level > 4) return std::nullopt;
        position -= LevelSize(level, alphabet);
    }
    return Prefix + PathText(level, alphabet.Last()) + *Symbols(position, level + 2, alphabet);
}

std::optional<std::uint64_t> PartNaming::PositionOf(const PathText& name) const {
    if (name.size() <= Prefix.size() || name.compare(0, Prefix.size(), Prefix) != 0)
        return std::nullopt;
    const PathText suffix = name.substr(Prefix.size());
    const Alphabet alphabet = AlphabetOf(Style);
    std::optional<std::uint64_t> value;
    if (Style == Kind::Numbered) {
        if (suffix.size() < Width || (suffix.size() > Width && suffix[0] == Char('0')))
            return std::nullopt;
        value = ValueOf(suffix, alphabet);
    } else if (!Widens) {
        if (suffix.size() == Width) value = ValueOf(suffix, alphabet);
    } else {
        std::uint64_t level = 0;
        while (level < suffix.size() && suffix[level] == alphabet.Last())
            ++level;
        if (suffix.size() != 2 * level + 2) return std::nullopt;
        value = ValueOf(suffix.substr(level), alphabet);
        for (std::uint64_t j = 0; value && j < level; ++j)
            *value += LevelSize(j, alphabet);
    }
    if (!value || *value < First) return std::nullopt;
    return *value - First;
}

PathText PartNaming::OutputName() const {
    PathText name = Prefix.substr(NameStart(Prefix));
    if (!name.empty() && name.back() == Char('.')) name.pop_back();
    return name;
}

std::optional<PartNaming> ReadPartNaming(const PathText& firstPart) {
    const std::size_t start = NameStart(firstPart);
    const auto runOf = [&](Char low, Char high) {
        std::size_t run = 0;
        while (run < firstPart.size() - start && firstPart[firstPart.size() - 1 - run] >= low &&
               firstPart[firstPart.size() - 1 - run] <= high)
            ++run;
        return run;
    };
    PartNaming naming;
    // A prefix may end in a digit or an "a" itself: the suffix is the longest run that can begin
    // a set ("backup200" is "backup2" and "00"; "xaaa" is "x" and "aaa").
    if (const std::size_t letters = runOf(Char('a'), Char('a')); letters >= 2) {
        naming.Style = PartNaming::Kind::Letters;
        naming.Width = letters;
    } else {
        std::size_t width = runOf(Char('0'), Char('9'));
        for (; width >= 2; --width) {
            const auto value =
                ValueOf(firstPart.substr(firstPart.size() - width), AlphabetOf(naming.Style));
            if (value && *value <= 1) break;
        }
        if (width < 2) return std::nullopt;
        naming.Width = width;
        naming.First = firstPart.back() == Char('1') ? 1 : 0;
        const bool dotted = firstPart.size() - width > start &&
                            firstPart[firstPart.size() - width - 1] == Char('.');
        naming.Style = width >= 3 && dotted ? PartNaming::Kind::Numbered : PartNaming::Kind::Digits;
    }
    naming.Prefix = firstPart.substr(0, firstPart.size() - naming.Width);
    naming.Widens =
        naming.Style != PartNaming::Kind::Numbered && naming.Width == 2 && naming.First == 0;
    return naming;
}

} // namespace zendra
