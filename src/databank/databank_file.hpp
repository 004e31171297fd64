// The pseudoatom databank file, taken in once when it is opened: its records, the entry lines
// indexed by element and the keyword records listed. A record is split, the way the databank's
// record reader splits it, the first time a search reads it. A search reads the file through a
// reader of its own, whose read position moves over the records exactly as a rewind-and-read
// scan moves over the file.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "shared/channels.hpp"
#include "shared/records.hpp"

namespace kova {

constexpr std::size_t databank_record_length = 200;  // the reading buffer: longer records are cut

// A record as the record reader gives it (never a comment).
struct DbRecord {
    int recno = 0;      // its number in the file, from 1
    std::string words;  // text words 1..n of the upper-cased record, 8 characters each
    // The leading integers of the record with its text words blanked, read in advance for a
    // record without commas, slashes or repeat counts (whose reads never depend on what a
    // target held before).
    bool plain = false;
    int int_count = 0;  // integers read before the first failure (at most 4)
    std::array<int, 4> ints{};

    // Text word k (8 characters), blank beyond the last one.
    std::string_view word(int k) const;
};

// A record with "ATOM" in columns 1-4, as the scan for entries reads it.
struct DbEntryLine {
    int rec = 0;              // index of the record (from 0)
    int nwords = 0;           // words of the raw record
    bool z_reads = false;       // word 2 reads as an integer
    int z = 0;                // that integer: the atomic number of the entry
    std::size_t description_start = 0;     // first column (0-based) of word 4, when there is one
};

// The databank file taken in: its records and their index. It does not change once made.
struct DbFile {
    std::string name;
    int channel = 0;                // the channel it was read on, which a stop names
    InFile source{"", ""};          // the file's text and records
    std::vector<bool> comment;      // column 1 holds "!": the record reader passes it over
    std::vector<DbEntryLine> entries;                // in file order
    std::unordered_map<int, std::vector<int>> entries_of_element;  // by z, in file order
    std::vector<int> stops;                          // entry lines that stop any scan reaching them
    // keyed[k]: the records that are no comment and whose text word 1 is NEIG, PRNT or PVAL
    // (k = 0, 1, 2), in file order.
    std::array<std::vector<int>, 3> keyed;

    std::size_t size() const { return comment.size(); }
    // Record n (from 0) as read, cut to 200 characters and without the padding.
    std::string_view raw(std::size_t n) const;
    // The same blank-padded to 200 characters.
    std::string padded(std::size_t n) const;
    // The description of an entry: its word 4 to the last non-blank character, 80 characters.
    std::string description(const DbEntryLine& e) const;
    // A record as its numbers are read: upper-cased with its text words blanked, and one blank
    // after it when it is shorter than the reading buffer (what follows there is blank too).
    std::string numbers(const DbRecord& rec) const;
};

// A cache of the records of one databank file split so far, by index: most records of a large
// databank are never read, as the scans go from entry to entry by the index.
class DbSplitCache {
public:
    // Record n (from 0) of the file, split on its first read; never a comment.
    const DbRecord& record(const DbFile& file, std::size_t n);

private:
    std::unordered_map<std::size_t, DbRecord> split_;  // what it gives stays in place
};

// Where one search's reading of the databank stands: the read position of a scan that starts
// at the first record, and its scan for the entries of one element.
struct DbReader {
    DbReader(const DbFile& f, DbSplitCache& s) : file(f), splits(s) {}
    const DbFile& file;
    DbSplitCache& splits;  // the file's
    std::size_t pos = 0;  // index of the next record to be read
    // The scan for entries of element scan_element: the next candidates in
    // entries_of_element[scan_element] and stops.
    int scan_element = 0;
    bool scanning = false;
    const std::vector<int>* scan_list = nullptr;
    std::size_t next_candidate = 0, next_stop = 0;  // places in scan_list and stops
    int entry = -1;  // the entry whose records the search reads (into `entries`), for its stops
};

// What one search of the databank found, for the atoms whose search asks the same questions.
struct KnownAnswer {
    PseudoAtom parameters;                    // found (or the free-atom defaults)
    std::string group;                        // the functional group read from its EXCEPT line
    std::string comment;                      // the description of the entry found
    std::vector<std::string> head_lines;      // the listing lines before the search's result
    std::vector<std::string> parameter_lines;  // and those of the parameters assigned
};

// A cache of the answers of the searches made, keyed by everything a search compares (the
// search key of databank.cpp): an answer follows from its key and the file's text alone, so
// the cache holds as long as the file it belongs to.
class DatabankAnswerCache {
public:
    // The answer given before to a search of this key, or null.
    const KnownAnswer* find(const std::string& key) const;
    void keep(std::string key, KnownAnswer answer);

private:
    std::unordered_map<std::string, KnownAnswer> answers_;
};

// The databank of a run: the file taken in once, the records its searches have split and the
// answers they gave.
struct Databank {
    DbFile file;
    DbSplitCache splits;
    DatabankAnswerCache answers;
};

// Takes in the records of a databank file read on `channel` and indexes its entry lines and
// keywords.
DbFile parse_databank_file(const InFile& f, int channel);

// The scan for entries: from the read position on to the next entry line of element z,
// returned as its index into `entries` with the read position after it; -1 at end of file.
// An entry line without a second word, or whose word 2 is no integer, stops the run when the
// scan reaches it, whatever its element; `listing` is the channel the stop is written to.
int next_entry(Io& io, int listing, DbReader& db, int z);
// What a search looks for when it reads a record: `what`, and for the n-th of a number of
// lines those two numbers (line 0: none).
struct DbLookingFor {
    const char* what = "";
    int line = 0, lines = 0;
};
// The record reader: the next record that is no comment; at end of file the run stops (on
// `listing` and the terminal), naming the file, the entry being read and what the search was
// looking for in it.
const DbRecord& read_record(Io& io, int listing, DbReader& db, DbLookingFor looking_for);
// The keywords an entry's records are looked for by.
enum class DbKey { neig = 0, prnt = 1, pval = 2 };
// The next record read through the record reader whose text word 1 is the keyword; every
// record before it is passed over.
const DbRecord& find_record(Io& io, int listing, DbReader& db, DbKey key);
// Reads n integers of a record (n at most 4 is read in advance); false when they do not read.
bool read_ints(const DbFile& db, const DbRecord& rec, int n, int* v);
// What a stop inside an entry adds after its own text: ": <file>, record <n>: the entry
// "<entry line>"".
std::string entry_stop_context(const DbFile& db, const DbEntryLine& e);
// Gives the record last read back to the next read.
void backspace(DbReader& db);

// Opens the databank file named by `options.databank_file` on `Files::databank`; while the open
// fails, asks the terminal for another name. Takes in the file that opened, under the name it
// opened by, and closes the channel. End of input at the prompt is a run-time error.
Databank open_databank(Io& io, const Records& r);

}  // namespace kova
