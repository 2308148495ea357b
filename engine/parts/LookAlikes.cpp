#include "parts/LookAlikes.h"

#include "base/ChecksumLine.h"
#include "base/Failure.h"
#include "base/Utf8.h"

#include <algorithm>

namespace zendra {
namespace {

namespace fs = std::filesystem;

std::string Quoted(const PathText& name) {
    return "\"" + DisplayPath(fs::path(name)) + "\"";
}

std::string Named(const PathText& name) {
    return Quoted(fs::path(name).filename().native());
}

bool SameForm(const PartNaming& a, const PartNaming& b) {
    return a.Alphabet == b.Alphabet && a.Prefix == b.Prefix && a.Tail == b.Tail &&
           a.Width == b.Width && a.Widens == b.Widens && a.Grows == b.Grows;
}

enum class Where { Before, After, Otherwise };

struct LookAlike {
    PathText Name;
    Where At = Where::Otherwise;
    PartNaming Naming; // the naming that gives it
};

} // namespace

std::string WayOn(const std::string& hint, const PathText& part) {
    std::string text = hint;
    if (const auto at = text.find("PART"); at != std::string::npos)
        text.replace(at, 4, Named(part));
    return text;
}

bool IsSidecarName(const PathText& name) {
    const std::string extension = AsciiLower(DisplayPath(fs::path(name).extension()));
    for (const char* sidecar : {".nfo", ".txt", ".diz", ".url", ".log", ".tpl", ".par2"})
        if (extension == sidecar) return true;
    return false;
}

void RefuseLookAlikes(const std::vector<PathText>& run, const std::vector<NamingAt>& namings,
                      const std::vector<PathText>& entries, const std::set<PathText>& ignored,
                      const SetBounds& bounds) {
    std::vector<PartNaming> alike;
    for (const NamingAt& at : namings)
        for (PartNaming& naming : LookAlikeNamings(at.Naming))
            if (std::none_of(alike.begin(), alike.end(),
                             [&](const PartNaming& known) { return SameForm(known, naming); }))
                alike.push_back(std::move(naming));
    const std::set<PathText> inRun(run.begin(), run.end());
    std::vector<LookAlike> found;
    for (const PathText& entry : entries) {
        if (inRun.count(entry) || ignored.count(entry) || IsSidecarName(entry)) continue;
        for (const PartNaming& naming : alike) {
            const auto value = naming.ValueOf(entry);
            if (!value) continue;
            LookAlike look{entry, Where::Otherwise, naming};
            const auto first = naming.ValueOf(run.front());
            const bool own = std::any_of(namings.begin(), namings.end(), [&](const NamingAt& at) {
                return SameForm(at.Naming, naming);
            });
            if (first && *value < *first)
                look.At = Where::Before;
            else if (own)
                look.At = Where::After;
            if (look.At == Where::Before ? bounds.FirstGiven : bounds.LastGiven) break;
            found.push_back(look);
            break;
        }
    }
    if (found.empty()) return;
    std::sort(found.begin(), found.end(),
              [](const LookAlike& a, const LookAlike& b) { return a.Name < b.Name; });
    const LookAlike& look = found.front();
    std::string text = Quoted(look.Name);
    const std::string set = Named(run.front()) + " to " + Named(run.back());
    const std::string more = found.size() == 1
                                 ? std::string()
                                 : " (and " + std::to_string(found.size() - 1) + " more such file" +
                                       (found.size() == 2 ? "" : "s") + ")";
    const std::string lastWay =
        bounds.LastPartHint.empty()
            ? std::string()
            : ", or name the set's last part with " + WayOn(bounds.LastPartHint, run.back());
    if (!bounds.Decider.empty()) {
        text += more + " is named like a part of the set " + set + ", but " +
                Quoted(bounds.Decider.native()) +
                ", which names the set's parts, does not name it; nothing was joined. If it "
                "belongs to the set, the check file is incomplete; if not, move it away" +
                (look.At == Where::Before ? std::string() : lastWay) + ".";
    } else if (look.At == Where::Before) {
        text += more + " lies before " + Named(run.front()) + ", the first part of the set " + set +
                ", and is named like one of its parts; nothing was joined. " +
                (bounds.FirstPartHint.empty()
                     ? "If it belongs to the set, a part between them is missing; if not, move "
                       "it away."
                     : "If the set starts there, name its first part with " +
                           WayOn(bounds.FirstPartHint, look.Name) +
                           "; if not, move it away, or name the first part with " +
                           WayOn(bounds.FirstPartHint, run.front()) + ".");
    } else if (look.At == Where::After) {
        const auto next = look.Naming.NameOf(*look.Naming.ValueOf(run.back()) + 1);
        text +=
            more + " lies beside the parts " + set +
            " and is named like one of them, but does not follow on from them" +
            (next ? ": " + Named(*next) + ", the part after " + Named(run.back()) + ", is missing"
                  : std::string()) +
            "; nothing was joined. If it belongs to the set, bring the missing part; if "
            "not, move it away" +
            lastWay + ".";
    } else {
        text += more + " lies beside the parts " + set + " and is named like one of them in " +
                look.Naming.AlphabetName() + (look.Naming.Widens ? " of GNU's widening form" : "") +
                ", but does not follow on from them; nothing was joined. No tool names one set "
                "both ways: move the file that does not belong away" +
                lastWay + ".";
    }
    throw Failure(text);
}

void RefuseImpossibleSizes(const std::vector<PathText>& run,
                           const std::vector<std::uint64_t>& sizes, const SetBounds& bounds) {
    std::size_t shorter = 1;
    while (shorter < sizes.size() && sizes[shorter] == sizes[0])
        ++shorter;
    if (shorter < 2 || shorter + 1 >= sizes.size() || sizes[shorter] > sizes[0]) return;
    const PathText& last = run[shorter];
    std::string text = Quoted(run[shorter + 1]) + " follows " + Named(last) + ", which (" +
                       std::to_string(sizes[shorter]) +
                       " bytes) is shorter than each part before it (" + std::to_string(sizes[0]) +
                       " bytes): only a set's last part is shorter, so the parts after " +
                       Named(last) + " do not belong to the set " + Named(run.front()) + " to " +
                       Named(last) + "; nothing was joined. ";
    if (bounds.LastPartHint.empty())
        text += "Move the files after it away.";
    else
        text += "If the set ends there, name its last part with " +
                WayOn(bounds.LastPartHint, last) + "; if " + Named(run[shorter + 1]) +
                " belongs to the set, name it with " + WayOn(bounds.LastPartHint, run.back()) + ".";
    throw Failure(text);
}

} // namespace zendra
