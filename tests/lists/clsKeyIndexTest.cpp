#include "lists/clsKeyIndex.h"
#include "util/CaseFold.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// The index against a plain scan of the names, both rules on every platform: many spellings of few names
// (Kelvin sign and sharp s among them, which fold across scripts), and enough others for the tables to grow.
TEST(clsKeyIndex, FindsTheFirstOfEachNameAndItsUniquenessAsAScanDoes) {
    const std::vector<std::string> bases = {
        "a", "x.h", "Ｒｅａｄｍｅ", "ｒＥＡＤＭＥ", "Ωμέγα", "ΩΜΈΓΑ", "\u212A", "k", "ß", "\u1E9E", "", "Straße"};
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
        bool unique;
    };
    std::vector<Name> names;
    clsKeyIndex index;
    for (int i = 0; i < 2500; ++i) {
        names.push_back({spell(i % 3 == 0 ? bases[random() % bases.size()] : std::to_string(random() % 900) + "f"),
                         random() % 4 == 0});
        index.Append(names.back().name, names.back().unique);
    }
    std::vector<std::string> queries = {"A", "X.H", "K", "SS", "STRASSE", "ΩΜΈΓΑ", "900f", "nothing"};
    for (int i = 0; i < 400; ++i) {
        queries.push_back(spell(names[random() % names.size()].name));
    }
    const auto check = [&] {
        ASSERT_EQ(index.Size(), names.size());
        std::vector<std::string> foldedNames;
        for (const Name& name : names) {
            foldedNames.push_back(CaseFold(name.name));
        }
        for (const std::string& query : queries) {
            const std::string folded = CaseFold(query);
            std::size_t exact = clsKeyIndex::npos;
            std::size_t ignoringCase = clsKeyIndex::npos;
            bool uniqueExact = false;
            bool uniqueIgnoringCase = false;
            for (std::size_t at = names.size(); at-- > 0;) {
                if (foldedNames[at] == folded) {
                    ignoringCase = at;
                    uniqueIgnoringCase = uniqueIgnoringCase || names[at].unique;
                    if (names[at].name == query) {
                        exact = at;
                        uniqueExact = uniqueExact || names[at].unique;
                    }
                }
            }
            SCOPED_TRACE(query);
            EXPECT_EQ(index.Find(query, NameRule::Exact), exact);
            EXPECT_EQ(index.Find(query, NameRule::IgnoreCase), ignoringCase);
            EXPECT_EQ(index.HasUnique(query, NameRule::Exact), uniqueExact);
            EXPECT_EQ(index.HasUnique(query, NameRule::IgnoreCase), uniqueIgnoringCase);
        }
    };
    check();
    // Removals move the first of a name on to a later spelling, and the positions after them down.
    for (const std::size_t gone : {std::size_t{0}, std::size_t{1200}, names.size() - 3}) {
        index.RemoveAt(gone);
        names.erase(names.begin() + static_cast<std::ptrdiff_t>(gone));
    }
    check();
    index.Clear();
    names.clear();
    check();
}

} // namespace
