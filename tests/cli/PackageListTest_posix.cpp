// ferrule-check on a package's md5sums list as Debian keeps them (names relative to the root, checked with
// --folder), in a folder of its own: the small, fixed counterpart of the check of this machine's lists.
#include "RunChecker.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Digests by name, as md5sum gives them for `names` under `root`.
std::map<std::string, std::string> Md5sum(const std::string& root, const std::string& names, const std::string& to) {
    const std::string command = "cd '" + root + "' && md5sum " + names + " >'" + to + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::map<std::string, std::string> digests;
    std::istringstream in(ReadFile(to));
    for (std::string line; std::getline(in, line);) {
        digests[line.substr(34)] = line.substr(0, 32);
    }
    return digests;
}

// Two headers whose names differ only in letter case, as linux-libc-dev installs them, are two files, each
// correct; a changed file (its line gives the listed digest) and a missing one are told as such, and the
// check goes to its end.
TEST(PackageList, NamesDifferingInCaseAreTwoFiles) {
    TempFolder dir;
    const std::string root = dir.File("root");
    const std::string headers = "usr/include/linux/netfilter/";
    const std::string docs = "usr/share/doc/pkg/";
    std::filesystem::create_directories(dir.File("root/" + headers));
    std::filesystem::create_directories(dir.File("root/" + docs));
    dir.Write("root/" + headers + "xt_CONNMARK.h", "#include <linux/netfilter/xt_connmark.h>\n");
    dir.Write("root/" + headers + "xt_connmark.h", "struct xt_connmark_info { unsigned long mark, mask; };\n");
    dir.Write("root/" + docs + "changelog.gz", "as shipped\n");
    dir.Write("root/" + docs + "copyright", "as shipped\n");
    const std::string names =
        headers + "xt_CONNMARK.h " + headers + "xt_connmark.h " + docs + "changelog.gz " + docs + "copyright";
    const std::map<std::string, std::string> listed = Md5sum(root, names, dir.File("pkg.md5sums"));
    ASSERT_EQ(listed.size(), 4u);
    dir.Write("root/" + docs + "changelog.gz", "changed since\n");
    std::filesystem::remove(dir.File("root/" + docs + "copyright"));

    EXPECT_EQ(RunChecker(dir.Path(), {"--folder", "root", "pkg.md5sums"}), 1);
    EXPECT_EQ(ReadFile(dir.File(".err")), "");
    const std::string upper = headers + "xt_CONNMARK.h";
    const std::string lower = headers + "xt_connmark.h";
    EXPECT_EQ(ReadFile(dir.File(".out")), std::string(40, '=') + "\n○ " + upper + " [" + listed.at(upper) + "]\n○ " +
                                              lower + " [" + listed.at(lower) + "]\n▲ " + docs + "changelog.gz [" +
                                              listed.at(docs + "changelog.gz") + "]\n× " + docs + "copyright\n" +
                                              std::string(40, '-') +
                                              "\n○: 2 (正常)\n△: 0 (サイズが不一致)\n▲: 1 (CRC/MDが不一致)\n"
                                              "×: 1 (存在しない)\n？: 0 (不明なエラー)\n" +
                                              std::string(40, '=') + "\nチェックを終了しました。\n");
}

} // namespace
