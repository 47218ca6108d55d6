// The INI profile reader and writer through real files: read a key, write it, read it back. The input is a
// section name, a key and a value (libFuzzer's "\ "-terminated strings) followed by the file's bytes.
#include "FuzzSupport.h"

#include "util/CodePage.h"
#include "util/IniProfile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <vector>

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kAbsent = "<absent>";
constexpr std::size_t kWholeValue = 1 << 20;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n' || c == '\x1A';
}

// The lines of `bytes` without their line breaks; CR LF, LF and a lone CR each end a line.
std::vector<std::string_view> Lines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = std::min(bytes.find_first_of("\r\n", start), bytes.size());
        lines.push_back(bytes.substr(start, end - start));
        start = end;
        if (start < bytes.size()) {
            start += bytes.compare(start, 2, "\r\n") == 0 ? 2 : 1;
        }
    }
    return lines;
}

// A write keeps every line but the one it edits, in order; the edited line keeps its key and "=" (or, for a
// file that held nothing but the byte-order mark, all of it); lines are only added.
void CheckOtherLinesKept(std::string_view before, std::string_view after) {
    const std::vector<std::string_view> old = Lines(before);
    const std::vector<std::string_view> now = Lines(after);
    FUZZ_CHECK(now.size() >= old.size(), "a write removes no line");
    std::size_t head = 0;
    while (head < old.size() && old[head] == now[head]) {
        ++head;
    }
    std::size_t tail = 0;
    while (head + tail < old.size() && old[old.size() - 1 - tail] == now[now.size() - 1 - tail]) {
        ++tail;
    }
    FUZZ_CHECK(head + tail + 1 >= old.size(), "a write changes at most one line");
    if (head + tail == old.size()) {
        return;
    }
    const std::string_view edited = old[head];
    const std::string_view kept = edited.substr(0, std::min(edited.find('='), edited.size() - 1) + 1);
    bool found = false;
    for (std::size_t i = head; i < now.size() - tail && !found; ++i) {
        found = now[i].substr(0, kept.size()) == kept;
    }
    FUZZ_CHECK(found, "the edited line keeps its key");
}

// True when reading `value` back must give it exactly: nothing the reader strips (blanks around it, one pair
// of quotes, what follows a NUL) and every character kept by the file's encoding.
bool ReadsBackExactly(std::string_view value, bool utf8File) {
    if (value.find('\0') != std::string_view::npos) {
        return false;
    }
    if (!value.empty() && (IsBlank(value.front()) || IsBlank(value.back()))) {
        return false;
    }
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        return false;
    }
    return utf8File || AnsiToUtf8(Utf8ToAnsi(value)) == value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const FuzzFolder folder;
    FuzzedDataProvider input(data, size);
    const std::string section = input.ConsumeRandomLengthString(64);
    const std::string key = input.ConsumeRandomLengthString(64);
    const std::string value = input.ConsumeRandomLengthString(256);
    const std::string before = input.ConsumeRemainingBytesAsString();
    std::string path = folder.File("profile.ini");
    if (before.empty()) {
        ::unlink(path.c_str()); // a missing file is created by the first write
    } else {
        path = folder.Write("profile.ini", before);
    }

    // Reading: a smaller buffer gives a leading part of the value that fits in it.
    const std::string whole = PortableGetProfileText(section, key, kAbsent, path, kWholeValue);
    const std::size_t buffer = whole.size() / 2 + 1;
    const std::string cut = PortableGetProfileText(section, key, kAbsent, path, buffer);
    FUZZ_CHECK(whole.compare(0, cut.size(), cut) == 0, "a cut value is the start of the whole value");
    FUZZ_CHECK(Utf8ToAnsi(cut).size() < buffer, "a cut value fits the buffer");

    if (!PortableWriteProfileText(section, key, value, path)) {
        FUZZ_CHECK(FuzzFolder::Read(path) == before, "a refused write leaves the file as it was");
        return 0;
    }
    const std::string after = FuzzFolder::Read(path);
    CheckOtherLinesKept(before, after);

    const std::optional<std::string> stored = FindProfileValue(after, section, key);
    FUZZ_CHECK(stored.has_value(), "a written key is found");
    const std::string readBack = PortableGetProfileText(section, key, kAbsent, path, kWholeValue);
    FUZZ_CHECK(readBack == *stored, "the reader gives the stored value");
    const bool utf8File = after.compare(0, kUtf8Bom.size(), kUtf8Bom) == 0;
    if (ReadsBackExactly(value, utf8File)) {
        FUZZ_CHECK(readBack == value, "a written value reads back");
    }

    FUZZ_CHECK(PortableWriteProfileText(section, key, value, path), "the same write succeeds again");
    FUZZ_CHECK(FuzzFolder::Read(path) == after, "writing the same value again changes nothing");
    return 0;
}
