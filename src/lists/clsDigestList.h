// An ordered checksum list keyed by name, with the loader of list files. Two names are the same when they would
// name the same file on this system: letter case ignored on Windows, byte for byte elsewhere.
#pragma once

#include "lists/clsDigestListItem.h"
#include "lists/clsKeyIndex.h"
#include "lists/clsReadingStore.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class clsTextLineReader;

class clsDigestList {
public:
    using ItemPtr = std::shared_ptr<clsDigestListItem>;

    /// Appends a new, empty entry named `strName`; raises the duplicate-key error when an entry added with Add
    /// or from a line of the original grammar has the same name (ignoring case on Windows, exactly elsewhere),
    /// and then inserts nothing.
    ItemPtr Add(const std::string& strName);
    void Clear();
    std::int32_t Count() const;
    /// The entry at position `Index` (1 to Count); raises an error for any other position.
    ItemPtr Item(std::int32_t Index) const;
    /// The first entry, in list order, named exactly `Index`; when none is, the first whose name equals it
    /// ignoring case. Raises an error when there is none either way.
    ItemPtr Item(std::string_view Index) const;
    void Remove(std::int32_t Index);
    /// Removes the entry Item(Index) gives; raises the same error when there is none.
    void Remove(std::string_view Index);
    /// True when some entry's Name() is exactly `name`, byte for byte, on every platform (an entry renamed with
    /// setName counts under the name it was added with). Constant time.
    bool HasExactName(std::string_view name) const;
    /// The position (1 to Count) of the first entry, in list order, named exactly `name` as HasExactName
    /// tells it; 0 when none is. Constant time.
    std::int32_t FirstPositionOf(std::string_view name) const;

    /// Other ways to read the list line the entry at position `Index` (1 to Count) came from, in the order
    /// they are tried; each is an entry of its own, not in the list. The run checks the first of them whose
    /// name names an existing file, and only when the entry's own name names none. Raises an error for a
    /// position out of range.
    std::vector<clsDigestListItem> OtherReadings(std::int32_t Index) const;

    /// Replaces the contents with the entries of the checksum list file `strFileName`. The file is read as
    /// a stream in its own encoding (byte-order mark; else UTF-8 when its bytes are well-formed UTF-8
    /// beyond ASCII; else the ANSI code page): memory follows the entries, not the file's size, and a line
    /// longer than clsTextLineReader::kMaxLineBytes is skipped. Its forms, in the order they are tried:
    /// - the original ones: one bare digest of 4, 8 or 32 hex digits in a file named "*?.*?" (listing that
    ///   name without its last extension), else lines "name digest [size]", greedy split, no folders;
    /// - a bare digest of 40, 56, 64, 96 or 128 digits (SHA-1, SHA-2) in such a file;
    /// - lines of coreutils ("DIGEST  NAME", "DIGEST *NAME") and BSD tags ("MD5 (NAME) = DIGEST"), whose
    ///   names may hold folders, for lines the original grammar skips.
    /// A line that reads more than one way makes one entry of its first reading and keeps the others
    /// (OtherReadings): the original grammar's split with a size, the tool forms, and for a list taken
    /// for UTF-8 without a mark the same line read in the ANSI code page.
    /// A name may repeat: each line makes its own entry, in list order. Only a line that reads in the original
    /// grammar and in no tool form, naming a file (as Add tells it) that such a line named before, is an
    /// error; a line of a tool's form never is, nor makes a later line one.
    /// Errors: a read error before the first line leaves the list as it was; that duplicate name or an
    /// oversized size stops the load, keeping the entries read before it; a read error later (the file
    /// changed, or the disk failed) keeps the entries read before it too.
    void LoadList(const std::string& strFileName);

    /// LoadList on the bytes of a list file held in memory; `strFileName` is the list's path, for the
    /// single-digest form and the error texts. Nothing is read from disk.
    void LoadListFromBytes(std::string_view bytes, const std::string& strFileName);

    /// The entries in list order, for range-for loops.
    std::vector<ItemPtr>::const_iterator begin() const { return m_Items.begin(); }
    std::vector<ItemPtr>::const_iterator end() const { return m_Items.end(); }

private:
    void Load(clsTextLineReader& reader, const std::string& listPath);
    /// Adds the entry of one line of a list file, when the line is one, with the line's other readings.
    /// `ansiToo`: the list was taken for UTF-8 without a byte-order mark; the line's bytes read in the ANSI
    /// code page give readings too.
    void AddLine(std::string_view line, const std::string& listPath, bool ansiToo);
    /// Add, naming `listPath` (when not empty) in the duplicate-key error. An entry that is not `unique`
    /// neither raises the error nor makes a later entry of its name raise it.
    ItemPtr AddEntry(const std::string& strName, const std::string& listPath, bool unique);
    std::size_t PositionOf(std::int32_t Index) const;
    std::size_t PositionOf(std::string_view Index) const;
    void RemoveAt(std::size_t position);
    /// A new, empty entry in the current block of entries.
    ItemPtr NewItem();

    // When two listed names name the same file: the file system's own rule.
#ifdef _WIN32
    static constexpr NameRule kSameFile = NameRule::IgnoreCase;
#else
    static constexpr NameRule kSameFile = NameRule::Exact;
#endif

    std::vector<ItemPtr> m_Items;
    clsKeyIndex m_Keys{kSameFile}; // the name of each entry, as it was added; unique for Add and the original grammar
    clsReadingStore m_Readings;    // the other readings of the entries' lines
    // Entries are made in blocks, each shared by the pointers to its entries: an entry lives as long as a
    // pointer to it, without a separate allocation and count for each of millions of entries.
    std::shared_ptr<std::vector<clsDigestListItem>> m_Block;
};
