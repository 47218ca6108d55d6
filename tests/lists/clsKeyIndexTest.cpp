#include "lists/clsKeyIndex.h"
#include "util/CaseFold.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// The index against a plain scan of the names, both rules on every platform: many spellings of few names
// (Kelvin sign and sharp s among them, which fold across scripts), and enough others for the tables to grow.
TEST(clsKeyIndex, AppendsAndFindsAsAScanOfTheNamesDoes) {
    const std::vector<std::string> bases = {
        "a", "x.h", "Ｒｅａｄｍｅ", "ｒＥＡＤＭＥ", "Ωμέγα", "ΩΜΈΓΑ", "\u212A", "k", "ß", "\u1E9E", "", "Straße"};
    for (const NameRule rule : {NameRule::Exact, NameRule::IgnoreCase}) {
        SCOPED_TRACE(rule == NameRule::Exact ? "exact" : "ignoring case");
        std::mt19937 random(11);
        const auto spell = [&](std::string name) {
            for (char& c : name) {
                if (c >= 'a' && c <= 'z' && random() % 2 == 0) {
                    c = static_cast<char>(c - 'a' + 'A');
                }
            }
            return name;
        };
        struct Name {
            std::string name;
            std::string folded;
            bool unique;
        };
        std::vector<Name> names;
        clsKeyIndex index(rule);
        const auto same = [&](const Name& a, const std::string& name, const std::string& folded, NameRule as) {
            return as == NameRule::Exact ? a.name == name : a.folded == folded;
        };
        // Appends one name, refused when it is unique and a unique one before is the same under the rule.
        const auto append = [&](const std::string& name, bool unique) {
            const std::string folded = CaseFold(name);
            bool taken = false;
            for (const Name& before : names) {
                taken = taken || (unique && before.unique && same(before, name, folded, rule));
            }
            SCOPED_TRACE(name);
            ASSERT_EQ(index.Append(name, unique), !taken);
            if (!taken) {
                names.push_back({name, folded, unique});
            }
        };
        for (int i = 0; i < 2500; ++i) {
            append(spell(i % 3 == 0 ? bases[random() % bases.size()] : std::to_string(random() % 900) + "f"),
                   random() % 4 == 0);
        }
        std::vector<std::string> queries = {"A", "X.H", "K", "SS", "STRASSE", "ΩΜΈΓΑ", "900f", "nothing"};
        for (int i = 0; i < 400; ++i) {
            queries.push_back(spell(names[random() % names.size()].name));
        }
        const auto check = [&] {
            ASSERT_EQ(index.Size(), names.size());
            for (const std::string& query : queries) {
                SCOPED_TRACE(query);
                const std::string folded = CaseFold(query);
                for (const NameRule as : {NameRule::Exact, NameRule::IgnoreCase}) {
                    std::size_t first = clsKeyIndex::npos;
                    for (std::size_t at = names.size(); at-- > 0;) {
                        first = same(names[at], query, folded, as) ? at : first;
                    }
                    EXPECT_EQ(index.Find(query, as), first);
                }
            }
        };
        check();
        // Removals move the first of a name on to a later spelling, the positions after them down, and may
        // free a unique name.
        for (const std::size_t gone : {std::size_t{0}, std::size_t{1200}, names.size() - 3}) {
            index.RemoveAt(gone);
            names.erase(names.begin() + static_cast<std::ptrdiff_t>(gone));
        }
        check();
        for (const std::string& query : queries) {
            append(query, true);
        }
        check();
        index.Clear();
        names.clear();
        check();
    }
}

} // namespace
