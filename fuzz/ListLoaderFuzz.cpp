// The checksum list loader through its public entry: the input is the bytes of a list file, whatever its
// format or encoding, so the harness follows the loader as it learns new ones.
#include "FuzzSupport.h"

#include "lists/clsDigestList.h"
#include "util/AppError.h"
#include "util/Utf8.h"

#include <cstdint>
#include <string>
#include <unordered_map>

namespace {

bool IsValidUtf8(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t start = pos;
        // A malformed byte comes back as itself, 0x80 or more, one byte long.
        if (NextCodePoint(text, pos) >= 0x80 && pos - start == 1) {
            return false;
        }
    }
    return true;
}

bool IsHex(std::string_view text, bool upper) {
    for (const char c : text) {
        const bool letter = upper ? (c >= 'A' && c <= 'F') : (c >= 'a' && c <= 'f');
        if (!letter && !(c >= '0' && c <= '9')) {
            return false;
        }
    }
    return !text.empty();
}

// What any loaded list satisfies, whichever reader gave its entries.
void CheckList(const clsDigestList& list) {
    std::unordered_map<std::string, clsDigestList::ItemPtr> firstOfName;
    std::int32_t position = 0;
    for (const clsDigestList::ItemPtr& item : list) {
        ++position;
        FUZZ_CHECK(list.Item(position) == item, "positions follow the list order");
        FUZZ_CHECK(!item->Name().empty(), "every entry has a name");
        FUZZ_CHECK(IsValidUtf8(item->Name()), "names are UTF-8");
        // A name may repeat (each line of a tool's list is an entry): it finds its first entry.
        const auto first = firstOfName.try_emplace(item->Name(), item).first->second;
        FUZZ_CHECK(list.Item(item->Name()) == first, "each name finds the first entry of exactly that name");
        const std::string digest = item->Digest();
        switch (item->DigetsType()) {
            case DigestKind::None:
                FUZZ_CHECK(false, "every entry has a digest");
                break;
            case DigestKind::CRC16:
                FUZZ_CHECK(digest.size() == 4 && IsHex(digest, true), "CRC-16: 4 upper-case digits");
                break;
            case DigestKind::CRC32:
                FUZZ_CHECK(digest.size() == 8 && IsHex(digest, true), "CRC-32: 8 upper-case digits");
                break;
            case DigestKind::MD5:
                FUZZ_CHECK(digest.size() == 32 && IsHex(digest, false), "MD5: 32 lower-case digits");
                break;
            default:
                FUZZ_CHECK(IsHex(digest, false), "longer digests: lower-case digits");
                break;
        }
        FUZZ_CHECK(item->Bytes() >= -1, "a size is -1 or a byte count");
    }
    FUZZ_CHECK(position == list.Count(), "Count is the number of entries");
    for (const auto& [name, first] : firstOfName) {
        std::string flipped = name;
        for (char& c : flipped) {
            if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
                c = static_cast<char>(c ^ 0x20);
            }
        }
        FUZZ_CHECK(list.HasExactName(name), "every listed name is there exactly");
        FUZZ_CHECK(list.HasExactName(flipped) == firstOfName.contains(flipped), "other letter cases only when listed");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const FuzzFolder folder;
    // A name with an extension, so that a file holding one bare digest lists "checksums".
    const std::string path = folder.Write("checksums.md5", {reinterpret_cast<const char*>(data), size});
    clsDigestList list;
    try {
        list.LoadList(path);
    } catch (const AppError&) {
        // A name the original grammar lists twice or an oversized size stops the load with the program's own
        // error, keeping the entries read before it; anything else thrown ends the run as a crash.
    }
    CheckList(list);
    return 0;
}
