// The databank file: opened with its prompt for another name and taken in at once, as its text
// with the entry lines and keywords indexed; the searches read it through positions of their
// own, splitting each record on its first read.
#include "databank/databank_file.hpp"

#include <algorithm>
#include <istream>

#include "shared/errors.hpp"
#include "shared/fatal.hpp"
#include "shared/format.hpp"
#include "shared/list_reader.hpp"
#include "shared/text.hpp"

namespace kova {

namespace {

const std::string kBlankWord(8, ' ');
const std::array<const char*, 3> kKeys = {"NEIG", "PRNT", "PVAL"};

// An entry line as the stops inside its entry show it: as written, in quotes.
std::string entry_text(const DbFile& db, const DbEntryLine& e) {
    std::string text = "\"";
    text += trim(db.raw(static_cast<std::size_t>(e.rec)));
    text += '"';
    return text;
}

// Calls f(first, last) with the first and last column (0-based) of every word of a record
// as the column finder counts them in the blank-padded reading buffer: a word is a run of
// non-blanks followed by a blank, so a run reaching column 200 is none. f returns false to
// end the scan.
template <typename F>
void for_each_word(std::string_view raw, F&& f) {
    raw = raw.substr(0, std::min(raw.size(), databank_record_length));
    std::size_t first = 0;  // start of the current run of non-blanks
    for (std::size_t j = 0; j < raw.size() && j + 1 < databank_record_length; ++j) {
        if (raw[j] == ' ') {
            first = j + 1;
            continue;
        }
        if ((j + 1 >= raw.size() || raw[j + 1] == ' ') && !f(first, j)) return;
    }
}

std::vector<std::pair<std::size_t, std::size_t>> word_columns(std::string_view raw) {
    std::vector<std::pair<std::size_t, std::size_t>> cols;
    for_each_word(raw, [&cols](std::size_t a, std::size_t b) {
        cols.emplace_back(a, b);
        return true;
    });
    return cols;
}

DbEntryLine entry_line(std::string_view raw, int rec) {
    DbEntryLine e;
    e.rec = rec;
    for_each_word(raw, [&](std::size_t a, std::size_t b) {
        ++e.nwords;
        if (e.nwords == 2) {
            int z = 0;
            e.z_reads = ListReader(raw.substr(a, b + 1 - a)).get(z) == ReadStatus::ok;
            e.z = z;
        }
        if (e.nwords == 4) e.description_start = a;
        return true;
    });
    return e;
}

// First entry of `list` (indices into entries, in file order) at record pos or later.
std::size_t first_from(const DbFile& db, const std::vector<int>& list, std::size_t pos) {
    auto it = std::lower_bound(list.begin(), list.end(), pos, [&](int e, std::size_t p) {
        return static_cast<std::size_t>(db.entries[static_cast<std::size_t>(e)].rec) < p;
    });
    return static_cast<std::size_t>(it - list.begin());
}

// Which keyword text word 1 of a record is (0, 1, 2 for NEIG, PRNT, PVAL; -1 for none), as the
// record reader's split gives word 1: the first word of the blank-padded record that is no
// number, upper-cased, without a leading "*", in 8 characters.
int keyword_of(std::string_view raw) {
    int key = -1;
    for_each_word(raw, [&](std::size_t a, std::size_t b) {
        std::string_view w = raw.substr(a, b + 1 - a);
        if (is_number_word(w)) return true;  // the test knows no case
        if (w[0] == '*') w.remove_prefix(1);
        // A longer word, cut to 8 characters, is never one of the four-letter keywords.
        for (std::size_t k = 0; k < kKeys.size() && w.size() == 4; ++k) {
            bool same = true;
            for (std::size_t c = 0; c < 4 && same; ++c)
                same = (w[c] >= 'a' && w[c] <= 'z' ? static_cast<char>(w[c] - 32) : w[c]) ==
                       kKeys[k][c];
            if (same) key = static_cast<int>(k);
        }
        return false;
    });
    return key;
}

// The record reader's split of record n: the record as read into the blank-padded buffer,
// upper-cased, with every text word blanked; its text words (at most 40 kept, "*" dropped, in
// 8 characters each) are appended to `words` unless that is null. Of the padding, one blank is
// kept (a record that fills the buffer has none).
std::string split_pieces(const DbFile& db, std::size_t n, std::string* words) {
    const std::string_view raw = db.raw(n);
    std::string line;
    line.reserve(raw.size() + 1);
    line.assign(raw);
    if (line.size() < databank_record_length) line += ' ';
    upper_case(line);
    int nword = 0;
    for_each_text_word(line, [&](std::string_view w) {
        if (!words || nword++ >= max_words) return;
        const std::string_view t = w.substr(w[0] == '*' ? 1 : 0, 8);
        words->append(t);
        words->append(8 - t.size(), ' ');
    });
    return line;
}

// Record n as the record reader splits it.
DbRecord split_record(const DbFile& db, std::size_t n) {
    DbRecord rec;
    rec.recno = static_cast<int>(n) + 1;
    const std::string line = split_pieces(db, n, &rec.words);
    auto has = [&line](char c) { return line.find(c) != std::string::npos; };
    rec.plain = !has(',') && !has('/') && !has('*');
    if (rec.plain) {
        ListReader in(line);
        while (rec.int_count < 4 &&
               in.get(rec.ints[static_cast<std::size_t>(rec.int_count)]) == ReadStatus::ok)
            ++rec.int_count;
    }
    return rec;
}

}  // namespace

std::string_view DbRecord::word(int k) const {
    if (k < 1 || static_cast<std::size_t>(k) * 8 > words.size()) return kBlankWord;
    return std::string_view(words).substr(static_cast<std::size_t>(k - 1) * 8, 8);
}

std::string_view DbFile::raw(std::size_t n) const {
    const std::string_view rec = source.record(n);
    return rec.substr(0, std::min(rec.size(), databank_record_length));
}

std::string DbFile::padded(std::size_t n) const { return pad(raw(n), databank_record_length); }

std::string DbFile::numbers(const DbRecord& rec) const {
    return split_pieces(*this, static_cast<std::size_t>(rec.recno) - 1, nullptr);
}

std::string DbFile::description(const DbEntryLine& e) const {
    if (e.nwords < 4) return std::string(80, ' ');
    const std::string_view r = raw(static_cast<std::size_t>(e.rec));
    const std::size_t last = static_cast<std::size_t>(trimmed_length(r));
    return pad(r.substr(e.description_start, last - e.description_start), 80);
}

const DbRecord& DbSplitCache::record(const DbFile& file, std::size_t n) {
    auto [at, fresh] = split_.try_emplace(n);
    if (fresh) at->second = split_record(file, n);
    return at->second;
}

DbFile parse_databank_file(const InFile& f, int channel) {
    DbFile db;
    db.name = f.name();
    db.channel = channel;
    db.source = f;
    const std::size_t n = f.size();
    db.comment.assign(n, false);
    for (std::size_t p = 0; p < n; ++p) {
        const std::string_view raw = db.raw(p);
        if (!raw.empty() && raw[0] == '!') {
            db.comment[p] = true;
            continue;
        }
        if (raw.substr(0, 4) == "ATOM") {
            const int e = static_cast<int>(db.entries.size());
            db.entries.push_back(entry_line(raw, static_cast<int>(p)));
            const DbEntryLine& entry = db.entries.back();
            if (entry.nwords < 2 || !entry.z_reads)
                db.stops.push_back(e);
            else
                db.entries_of_element[entry.z].push_back(e);
        }
        if (const int k = keyword_of(raw); k >= 0)
            db.keyed[static_cast<std::size_t>(k)].push_back(static_cast<int>(p));
    }
    return db;
}

const KnownAnswer* DatabankAnswerCache::find(const std::string& key) const {
    const auto it = answers_.find(key);
    return it == answers_.end() ? nullptr : &it->second;
}

void DatabankAnswerCache::keep(std::string key, KnownAnswer answer) {
    answers_.emplace(std::move(key), std::move(answer));
}

std::string entry_stop_context(const DbFile& db, const DbEntryLine& e) {
    return ": " + db.name + ", record " + std::to_string(e.rec + 1) + ": the entry " +
           entry_text(db, e);
}

int next_entry(Io& io, int listing, DbReader& db, int z) {
    static const std::vector<int> none;
    const DbFile& f = db.file;
    // Within one search the read position only moves on, so the candidates do too.
    if (!db.scanning || db.scan_element != z) {
        auto it = f.entries_of_element.find(z);
        db.scan_list = it == f.entries_of_element.end() ? &none : &it->second;
        db.scanning = true;
        db.scan_element = z;
        db.next_candidate = first_from(f, *db.scan_list, db.pos);
        db.next_stop = first_from(f, f.stops, db.pos);
    }
    const std::vector<int>& list = *db.scan_list;
    auto rec_of = [&](int e) {
        return static_cast<std::size_t>(f.entries[static_cast<std::size_t>(e)].rec);
    };
    while (db.next_candidate < list.size() && rec_of(list[db.next_candidate]) < db.pos)
        ++db.next_candidate;
    while (db.next_stop < f.stops.size() && rec_of(f.stops[db.next_stop]) < db.pos)
        ++db.next_stop;
    bool have = db.next_candidate < list.size();
    if (db.next_stop < f.stops.size() &&
        (!have || rec_of(f.stops[db.next_stop]) < rec_of(list[db.next_candidate]))) {
        const DbEntryLine& bad = f.entries[static_cast<std::size_t>(f.stops[db.next_stop])];
        db.pos = static_cast<std::size_t>(bad.rec) + 1;
        const std::string raw = f.padded(static_cast<std::size_t>(bad.rec));
        if (bad.nwords < 2)
            stop_at_missing_word(io, listing,
                                 entry_stop_context(f, bad) +
                                     " has no atomic number (word 2 of the entry line)");
        auto cols = word_columns(raw);
        auto [a, b] = cols[1];
        fault(f.name, bad.rec + 1,
              "expected an integer atomic number as word 2 of the entry line, found \"" +
                  raw.substr(a, b + 1 - a) + "\"");
    }
    if (!have) {
        db.pos = f.size();
        return -1;
    }
    int e = list[db.next_candidate];
    db.pos = rec_of(e) + 1;
    db.entry = e;
    return e;
}

const DbRecord& read_record(Io& io, int listing, DbReader& db, DbLookingFor looking_for) {
    const DbFile& f = db.file;
    while (db.pos < f.size() && f.comment[db.pos])
        ++db.pos;
    if (db.pos >= f.size()) {
        // The record that is missing is the one after the last.
        std::string where = ": " + f.name + ", record " + std::to_string(f.size() + 1) +
                            ", end of file";
        if (db.entry >= 0)
            where += " inside the entry " +
                     entry_text(f, f.entries[static_cast<std::size_t>(db.entry)]) + " (record " +
                     std::to_string(f.entries[static_cast<std::size_t>(db.entry)].rec + 1) + ")";
        where += std::string(", looking for ") + looking_for.what;
        if (looking_for.line > 0) {
            where += ' ';
            where += std::to_string(looking_for.line);
            where += " of ";
            where += std::to_string(looking_for.lines);
        }
        fatal_error(io, listing, "ReadFile", " Error reading unit = " + fi(f.channel, 12) + where);
    }
    return db.splits.record(f, db.pos++);
}

const DbRecord& find_record(Io& io, int listing, DbReader& db, DbKey key) {
    const std::vector<int>& keyed = db.file.keyed[static_cast<std::size_t>(key)];
    auto q = std::lower_bound(keyed.begin(), keyed.end(), db.pos, [](int rec, std::size_t p) {
        return static_cast<std::size_t>(rec) < p;
    });
    if (q == keyed.end()) {
        static const std::array<const char*, 3> lines = {"its NEIG line", "its PRNT line",
                                                         "its PVAL line"};
        db.pos = db.file.size();
        return read_record(io, listing, db, {lines[static_cast<std::size_t>(key)]});  // stops
    }
    db.pos = static_cast<std::size_t>(*q) + 1;
    return db.splits.record(db.file, static_cast<std::size_t>(*q));
}

bool read_ints(const DbFile& db, const DbRecord& rec, int n, int* v) {
    if (rec.plain && n <= 4) {
        if (rec.int_count < n) return false;
        std::copy(rec.ints.begin(), rec.ints.begin() + n, v);
        return true;
    }
    const std::string nums = db.numbers(rec);
    ListReader in(nums);
    for (int k = 0; k < n; ++k)
        if (in.get(v[k]) != ReadStatus::ok) return false;
    return true;
}

void backspace(DbReader& db) {
    if (db.pos > 0) --db.pos;
}

Databank open_databank(Io& io, const Records& r) {
    std::string name = trim(r.options.databank_file);
    // The further word of the DATABANK line concerns its name only, not the answers.
    std::string_view word_after = r.options.word_after_databank_name;
    // An answer that names the listing is refused as a file that does not open.
    for (;;) {
        const bool listing = names_the_listing(io, Files::listing, name);
        if (!listing && io.try_open_old(Files::databank, name)) break;
        io.write(terminal, "");
        // The name stands in a field of 60 columns, which a longer name overflows; why it does
        // not open follows the field.
        const std::string line = " Error opening databank file " + pad_uncut(name, 60);
        if (listing) {
            io.write(terminal, line);
            io.write(terminal, " " + name + " is the listing this run writes");
        } else if (name.empty()) {
            io.write(terminal, line + ": the DATABANK line names no file and KOVA_DB names none");
        } else {
            io.write(terminal, line + ": " + io.why_unreadable(name) +
                                   word_after_the_name(word_after, "DATABANK"));
        }
        word_after = {};
        do {
            io.prompt(" Enter the name of databank file : ");
            name = trim(io.answer("the databank file name"));
        } while (name.empty());
    }
    Databank databank{parse_databank_file(io.in(Files::databank), Files::databank), {}, {}};
    io.close(Files::databank);
    return databank;
}

}  // namespace kova
