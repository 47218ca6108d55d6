#include "lists/clsKeyIndex.h"
#include "util/CaseFold.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace {

// The index against a plain scan of the names, both rules on every platform: many spellings of few names
// (Kelvin sign and sharp s among them, which fold across scripts), and enough others for the tables to grow.
TEST(clsKeyIndex, AppendsAndFindsAsAScanOfTheNamesDoes) {
    const std::vector<std::string> bases = {
        "a", "x.h", "Ｒｅａｄｍｅ", "ｒＥＡＤＭＥ", "Ωμέγα", "ΩΜΈΓΑ", "\u212A", "k", "ß", "\u1E9E", "", "Straße"};
    const std::vector<std::string> others = {"A", "X.H", "K", "SS", "STRASSE", "nothing"};
    for (const NameRule rule : {NameRule::Exact, NameRule::IgnoreCase}) {
        SCOPED_TRACE(rule == NameRule::Exact ? "exact" : "ignoring case");
        std::mt19937 random(11);
        std::vector<std::tuple<std::string, std::string, bool>> names; // name, its folding, unique
        clsKeyIndex index(rule);
        const auto scan = [&](const std::string& name, NameRule as, bool uniqueOnly) {
            const std::string folded = CaseFold(name);
            for (std::size_t at = 0; at < names.size(); ++at) {
                const auto& [other, otherFolded, unique] = names[at];
                if ((as == NameRule::Exact ? other == name : otherFolded == folded) && (unique || !uniqueOnly)) {
                    return at;
                }
            }
            return clsKeyIndex::npos;
        };
        // A unique name is refused when a unique one before is the same under the rule.
        const auto append = [&](std::string name, bool unique) {
            for (char& c : name) {
                c = c >= 'a' && c <= 'z' && random() % 2 == 0 ? static_cast<char>(c - 'a' + 'A') : c;
            }
            const bool taken = unique && scan(name, rule, true) != clsKeyIndex::npos;
            ASSERT_EQ(index.Append(name, unique), !taken) << name;
            if (!taken) {
                names.emplace_back(name, CaseFold(name), unique);
            }
        };
        const auto check = [&] {
            ASSERT_EQ(index.Size(), names.size());
            for (std::size_t at = 0; at < names.size() + others.size(); ++at) {
                const std::string& name = at < names.size() ? std::get<0>(names[at]) : others[at - names.size()];
                for (const NameRule as : {NameRule::Exact, NameRule::IgnoreCase}) {
                    EXPECT_EQ(index.Find(name, as), scan(name, as, false)) << name;
                }
            }
        };
        for (int i = 0; i < 2000; ++i) {
            append(i % 3 == 0 ? bases[random() % bases.size()] : std::to_string(random() % 700) + "f",
                   random() % 4 == 0);
        }
        check();
        // Removals move the first of a name on to a later spelling and the positions after them down, and may
        // free a unique name.
        for (const std::size_t gone : {std::size_t{0}, std::size_t{900}, names.size() - 3}) {
            index.RemoveAt(gone);
            names.erase(names.begin() + static_cast<std::ptrdiff_t>(gone));
        }
        for (const std::string& name : bases) {
            append(name, true);
        }
        check();
    }
}

} // namespace
