// Lists written by the real tools (coreutils always, rhash when installed), saved in every encoding, checked
// before and after one file changes and another disappears.
#include "TempFolder.h"
#include "util/NumberFormat.h"
#include "util/TextEncoding.h"
#include "util/clsStringList.h"
#include "verify/ICheckHost.h"
#include "verify/clsCheckRun.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

class LinesHost : public ICheckHost {
public:
    std::vector<std::string> lines;
    void AddLog(const std::string& line) override { lines.push_back(line); }
    void ClearLog() override { lines.clear(); }
    void DoEvents() override {}
    void SetDropBoxBusy(bool) override {}
    void SelectLastLogLine() override {}
};

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The files the tools list, each with the mark it gets after Spoil().
const std::map<std::string, std::string> kAfter = {
    {"a.txt", "▲"},           {"sub/gone.bin", "×"},   {"sub/deeper/keep.bin", "○"},
    {"日本語 名前.txt", "○"}, {"space name.dat", "○"},
};
// Names only coreutils writes back as they are (rhash neither escapes line breaks nor keeps backslashes).
const std::map<std::string, std::string> kEscapedAfter = {{"line\nbreak.txt", "○"}, {"back\\slash.txt", "○"}};

class ToolListsTest : public ::testing::Test {
protected:
    ToolListsTest() {
        std::filesystem::create_directories(m_Dir.File("sub/deeper"));
        for (const auto& [name, mark] : kAfter) {
            m_Dir.Write(name, "content of " + name + "\n");
        }
        for (const auto& [name, mark] : kEscapedAfter) {
            m_Dir.Write(name, "content of " + name + "\n");
        }
    }

    // Runs `command` on `files` in the folder, its output going to the list `listName`.
    std::string MakeList(const std::string& command, const std::map<std::string, std::string>& files,
                         const std::string& listName) {
        std::string line = "cd " + Quote(m_Dir.Path()) + " && " + command;
        for (const auto& [name, mark] : files) {
            line += ' ';
            line += Quote(name);
        }
        line += " > " + Quote(listName) + " 2>/dev/null";
        EXPECT_EQ(std::system(line.c_str()), 0) << line;
        return m_Dir.File(listName);
    }

    // Name -> mark of every entry line the run writes for the list.
    std::map<std::string, std::string> Marks(const std::string& list) {
        clsStringList drops;
        drops.Add(list, -1);
        m_Run.CheckDropFiles(drops, "");
        std::map<std::string, std::string> marks;
        for (std::size_t i = 1; i < m_Host.lines.size() && m_Host.lines[i] != std::string(40, '-'); ++i) {
            const std::string& line = m_Host.lines[i];
            const std::size_t blank = line.find(' ');
            std::string name = line.substr(
                blank + 1, line.rfind(" [") == std::string::npos ? std::string::npos : line.rfind(" [") - blank - 1);
            const std::size_t escapedBreak = name.find("\\n");
            if (escapedBreak != std::string::npos) {
                name.replace(escapedBreak, 2, 1, '\n');
            }
            marks[name] = line.substr(0, blank);
        }
        return marks;
    }

    // Same size, other bytes for a.txt; sub/gone.bin removed.
    void Spoil() {
        std::string changed = ReadBytes(m_Dir.File("a.txt"));
        changed[0] = 'C';
        m_Dir.Write("a.txt", changed);
        std::filesystem::remove(m_Dir.File("sub/gone.bin"));
    }

    static std::map<std::string, std::string> AllCorrect(const std::map<std::string, std::string>& files) {
        std::map<std::string, std::string> marks;
        for (const auto& [name, mark] : files) {
            marks[name] = "○";
        }
        return marks;
    }

    TempFolder m_Dir;
    LinesHost m_Host;
    clsCheckRun m_Run{m_Host, [](std::int64_t n) { return FormatGroupedByThousands(n); }};
};

TEST_F(ToolListsTest, CoreutilsListsInEveryEncoding) {
    std::map<std::string, std::string> files = kAfter;
    files.insert(kEscapedAfter.begin(), kEscapedAfter.end());
    const char* commands[] = {"md5sum",        "md5sum -b",       "md5sum --tag",    "sha1sum",
                              "sha224sum",     "sha256sum",       "sha384sum",       "sha512sum -b",
                              "sha1sum --tag", "sha256sum --tag", "sha384sum --tag", "sha512sum --tag"};
    std::vector<std::string> lists;
    for (const char* command : commands) {
        lists.push_back(MakeList(command, files, "list" + std::to_string(lists.size()) + ".txt"));
    }
    // The sha256sum list saved the ways editors and other systems save it. Code page 932 cannot hold the
    // escaped names' lines as they are, so that one lists the other files only, in CR LF lines.
    const std::string utf8 = ReadBytes(lists[5]);
    std::string crlf;
    for (const char c : utf8) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    const std::string marks[] = {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"};
    lists.push_back(m_Dir.Write("bom8.txt", marks[0] + crlf));
    lists.push_back(m_Dir.Write("le.txt", marks[1] + EncodeUtf16(crlf, false)));
    lists.push_back(m_Dir.Write("be.txt", marks[2] + EncodeUtf16(utf8, true)));
    const std::string sjis = MakeList("sha256sum", kAfter, "sjis-utf8.txt");
    ASSERT_EQ(std::system(("iconv -f UTF-8 -t CP932 " + Quote(sjis) + " > " + Quote(m_Dir.File("sjis.txt"))).c_str()),
              0);
    const std::string sjisList = m_Dir.File("sjis.txt");
    ASSERT_NE(ReadBytes(sjisList), ReadBytes(sjis)) << "the list holds Japanese names";

    for (const std::string& list : lists) {
        EXPECT_EQ(Marks(list), AllCorrect(files)) << list;
    }
    EXPECT_EQ(Marks(sjisList), AllCorrect(kAfter));
    Spoil();
    for (const std::string& list : lists) {
        std::map<std::string, std::string> expected = kAfter;
        expected.insert(kEscapedAfter.begin(), kEscapedAfter.end());
        EXPECT_EQ(Marks(list), expected) << list;
    }
    EXPECT_EQ(Marks(sjisList), kAfter);
}

TEST_F(ToolListsTest, RhashLists) {
    if (std::system("rhash --version > /dev/null 2>&1") != 0) {
        GTEST_SKIP() << "rhash is not installed (scripts/setup.sh installs it)";
    }
    // SFV lists name files beside the list only: the original grammar refuses folders.
    std::map<std::string, std::string> topLevel;
    for (const auto& [name, mark] : kAfter) {
        if (name.find('/') == std::string::npos) {
            topLevel[name] = mark;
        }
    }
    const std::vector<std::pair<std::string, std::map<std::string, std::string>>> cases = {
        {"rhash --sfv", topLevel},           {"rhash --sfv --md5", topLevel},  {"rhash --bsd --crc32", kAfter},
        {"rhash --bsd --md5", kAfter},       {"rhash --bsd --sha1", kAfter},   {"rhash --bsd --sha224", kAfter},
        {"rhash --bsd --sha256", kAfter},    {"rhash --bsd --sha512", kAfter}, {"rhash --simple", kAfter},
        {"rhash --simple --sha384", kAfter},
    };
    std::vector<std::string> lists;
    for (const auto& [command, files] : cases) {
        lists.push_back(MakeList(command, files, "rhash" + std::to_string(lists.size()) + ".txt"));
        EXPECT_EQ(Marks(lists.back()), AllCorrect(files)) << command;
    }
    Spoil();
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(Marks(lists[i]), cases[i].second) << cases[i].first;
    }
}

} // namespace
