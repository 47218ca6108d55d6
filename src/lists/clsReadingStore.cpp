#include "lists/clsReadingStore.h"

#include <cstdint>
#include <cstring>

// A record: the number of readings, then for each: name length (4 bytes), name, size (8 bytes), kind
// (4 bytes), digest length (1 byte), the digest as text; no digest when it is the entry's own (a tag line read
// as tag and as the original grammar, a line read in two encodings).

namespace {

template <typename T>
void Put(std::string& record, T value) {
    char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    record.append(bytes, sizeof value);
}

template <typename T>
T Take(const char*& at) {
    T value{};
    std::memcpy(&value, at, sizeof value);
    at += sizeof value;
    return value;
}

} // namespace

void clsReadingStore::Set(std::size_t position, const clsDigestListItem& entry,
                          const std::vector<StoredReading>& readings) {
    if (readings.empty()) {
        return;
    }
    m_Record.clear();
    Put(m_Record, static_cast<std::uint8_t>(readings.size()));
    for (const StoredReading& reading : readings) {
        Put(m_Record, static_cast<std::uint32_t>(reading.name.size()));
        m_Record += reading.name;
        Put(m_Record, reading.bytes);
        Put(m_Record, static_cast<std::int32_t>(reading.kind));
        const bool same = entry.HasDigest(reading.digest, reading.kind);
        Put(m_Record, static_cast<std::uint8_t>(same ? 0 : reading.digest.size()));
        if (!same) {
            m_Record += reading.digest;
        }
    }
    if (m_At.size() <= position) {
        m_At.resize(position + 1, nullptr);
    }
    m_At[position] = m_Bytes.Append(m_Record);
}

std::vector<clsDigestListItem> clsReadingStore::Get(std::size_t position, const clsDigestListItem& entry) const {
    std::vector<clsDigestListItem> readings;
    if (position >= m_At.size() || m_At[position] == nullptr) {
        return readings;
    }
    const char* at = m_At[position];
    const auto count = Take<std::uint8_t>(at);
    for (std::uint8_t i = 0; i < count; ++i) {
        clsDigestListItem reading;
        const auto nameLength = Take<std::uint32_t>(at);
        reading.setName(std::string(at, nameLength));
        at += nameLength;
        reading.setBytes(Take<std::int64_t>(at));
        const auto kind = DigestKindOf(Take<std::int32_t>(at));
        const auto digestLength = Take<std::uint8_t>(at);
        reading.setDigestOfKind(
            digestLength == 0 ? std::string_view(entry.Digest()) : std::string_view(at, digestLength), kind);
        at += digestLength;
        readings.push_back(std::move(reading));
    }
    return readings;
}

void clsReadingStore::RemoveAt(std::size_t position) {
    if (position < m_At.size()) {
        m_At.erase(m_At.begin() + static_cast<std::ptrdiff_t>(position));
    }
}

void clsReadingStore::Clear() {
    m_Bytes.Clear();
    std::vector<const char*>().swap(m_At);
}
