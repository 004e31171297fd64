// The databank file: opened with its prompt for another name, held as its text with the entry
// lines and keywords indexed, each record split on its first read, and read by the searches
// through a position of their own.
#include "databank/dbfile.hpp"

#include <algorithm>
#include <istream>

#include "input/text.hpp"
#include "main/messages.hpp"
#include "shared/errors.hpp"
#include "shared/format.hpp"
#include "shared/listread.hpp"

namespace kova {

namespace {

const std::string kBlankWord(8, ' ');
const std::array<const char*, 3> kKeys = {"NEIG", "PRNT", "PVAL"};

// First and last column (0-based) of every word, as the column finder counts words: a word
// is a run of non-blanks followed by a blank, so a run reaching the last column is none.
std::vector<std::pair<std::size_t, std::size_t>> word_columns(const std::string& s) {
    std::vector<std::pair<std::size_t, std::size_t>> cols;
    for (std::size_t j = 0; j + 1 < s.size(); ++j) {
        if (s[j] == ' ' || s[j + 1] != ' ') continue;
        std::size_t b = s.rfind(' ', j);
        cols.emplace_back(b == std::string::npos ? 0 : b + 1, j);
    }
    return cols;
}

DbEntryLine entry_line(const std::string& raw, int rec) {
    DbEntryLine e;
    e.rec = rec;
    auto cols = word_columns(raw);
    e.nwords = static_cast<int>(cols.size());
    if (e.nwords >= 2) {
        auto [a, b] = cols[1];
        int z = 0;
        e.zread = ListReader(std::string_view(raw).substr(a, b + 1 - a)).get(z) == ReadStatus::ok;
        e.z = z;
    }
    if (e.nwords >= 4) e.desc = cols[3].first;
    return e;
}

// First entry of `list` (indices into entries, in file order) at record pos or later.
std::size_t first_from(const DbFile& db, const std::vector<int>& list, std::size_t pos) {
    auto it = std::lower_bound(list.begin(), list.end(), pos, [&](int e, std::size_t p) {
        return static_cast<std::size_t>(db.entries[static_cast<std::size_t>(e)].rec) < p;
    });
    return static_cast<std::size_t>(it - list.begin());
}

// Text word 1 of a record as the record reader's split gives it (the first word of the
// upper-cased, blank-padded record that is no number, without a leading "*", in 8
// characters), found without splitting the rest.
std::string first_text_word(std::string_view raw) {
    raw = raw.substr(0, std::min(raw.size(), dbreclen));
    // Beyond the record the buffer holds blanks; a run reaching column 200 is no word.
    auto blank = [&raw](std::size_t k) { return k >= raw.size() || raw[k] == ' '; };
    std::size_t first = 0;  // start of the current run of non-blanks
    for (std::size_t j = 0; j < raw.size() && j + 1 < dbreclen; ++j) {
        if (raw[j] == ' ') {
            first = j + 1;
            continue;
        }
        if (!blank(j + 1)) continue;
        std::string w(raw.substr(first, j + 1 - first));
        upcase(w);
        if (is_number_word(w)) continue;
        return pad(std::string_view(w).substr(w[0] == '*' ? 1 : 0), 8);
    }
    return kBlankWord;
}

}  // namespace

const std::string& DbRecord::word(int k) const {
    if (k < 1 || k >= static_cast<int>(words.size())) return kBlankWord;
    return words[static_cast<std::size_t>(k)];
}

std::string_view DbFile::raw(std::size_t n) const {
    const std::string& rec = (*recs)[n];
    return std::string_view(rec).substr(0, std::min(rec.size(), dbreclen));
}

std::string DbFile::padded(std::size_t n) const { return pad(raw(n), dbreclen); }

std::string DbFile::description(const DbEntryLine& e) const {
    if (e.nwords < 4) return std::string(80, ' ');
    const std::string_view r = raw(static_cast<std::size_t>(e.rec));
    const std::size_t last = static_cast<std::size_t>(lenstr(r));
    return pad(r.substr(e.desc, last - e.desc), 80);
}

const DbRecord& record(Records& r, DbFile& db, std::size_t n) {
    if (db.split[n] >= 0) return db.splits[static_cast<std::size_t>(db.split[n])];
    db.split[n] = static_cast<int>(db.splits.size());
    DbRecord& rec = db.splits.emplace_back();
    rec.recno = static_cast<int>(n) + 1;
    // The split of the record with one blank after it is that of the blank-padded buffer
    // (a record that fills the buffer is split as it stands).
    const std::string_view raw = db.raw(n);
    std::string line(raw);
    if (line.size() < dbreclen) line += ' ';
    upcase(line);
    readline(r, line);
    const LineExtract& le = r.line_extract;
    rec.words.assign(le.word.begin(), le.word.begin() + le.nword + 1);
    rec.plain = std::none_of(line.begin(), line.end(), [](char c) { return c == ',' || c == '/' || c == '*'; });
    if (rec.plain) {
        ListReader in(line);
        while (rec.nint < 4 && in.get(rec.ival[static_cast<std::size_t>(rec.nint)]) == ReadStatus::ok)
            ++rec.nint;
    }
    rec.nums = pad(line, dbreclen);
    return rec;
}

DbFile parse_dbfile(Records&, const InFile& f) {
    DbFile db;
    db.name = f.name();
    db.source = &f;
    db.source_data = f.records().data();
    const auto& src = f.records();
    db.recs = &src;
    db.comment.assign(src.size(), false);
    db.split.assign(src.size(), -1);
    for (auto& next : db.next_key) next.assign(src.size() + 1, -1);
    for (std::size_t n = 0; n < src.size(); ++n) {
        const std::string_view raw = db.raw(n);
        db.comment[n] = !raw.empty() && raw[0] == '!';
        if (raw.substr(0, 4) == "ATOM") {
            int e = static_cast<int>(db.entries.size());
            db.entries.push_back(entry_line(db.padded(n), static_cast<int>(n)));
            const DbEntryLine& el = db.entries.back();
            if (el.nwords < 2 || !el.zread)
                db.stops.push_back(e);
            else
                db.of_z[el.z].push_back(e);
        }
    }
    for (std::size_t p = src.size(); p-- > 0;) {
        const std::string w = db.comment[p] ? kBlankWord : first_text_word(db.raw(p));
        for (std::size_t k = 0; k < kKeys.size(); ++k) {
            std::vector<int>& next = db.next_key[k];
            next[p] = !db.comment[p] && same_text(w, kKeys[k]) ? static_cast<int>(p) : next[p + 1];
        }
    }
    return db;
}

DbFile& databank(Records& r) {
    const InFile& f = r.io.in(r.files.idbank);
    if (!r.dbank || r.dbank->source != &f || r.dbank->source_data != f.records().data() ||
        r.dbank->size() != f.records().size() || r.dbank->name != f.name())
        r.dbank = std::make_shared<DbFile>(parse_dbfile(r, f));
    return *r.dbank;
}

void rewind(DbFile& db) {
    db.pos = 0;
    db.scanning = false;
}

int next_entry(Records& r, DbFile& db, int z) {
    static const std::vector<int> none;
    // Within one search the read position only moves on, so the candidates do too.
    if (!db.scanning || db.scan_z != z) {
        auto it = db.of_z.find(z);
        db.scan_list = it == db.of_z.end() ? &none : &it->second;
        db.scanning = true;
        db.scan_z = z;
        db.zk = first_from(db, *db.scan_list, db.pos);
        db.sk = first_from(db, db.stops, db.pos);
    }
    const std::vector<int>& list = *db.scan_list;
    auto rec_of = [&](int e) {
        return static_cast<std::size_t>(db.entries[static_cast<std::size_t>(e)].rec);
    };
    while (db.zk < list.size() && rec_of(list[db.zk]) < db.pos)
        ++db.zk;
    while (db.sk < db.stops.size() && rec_of(db.stops[db.sk]) < db.pos)
        ++db.sk;
    bool have = db.zk < list.size();
    if (db.sk < db.stops.size() && (!have || rec_of(db.stops[db.sk]) < rec_of(list[db.zk]))) {
        const DbEntryLine& bad = db.entries[static_cast<std::size_t>(db.stops[db.sk])];
        db.pos = static_cast<std::size_t>(bad.rec) + 1;
        const std::string raw = db.padded(static_cast<std::size_t>(bad.rec));
        if (bad.nwords < 2) {
            int first = 0, last = 0;
            readchar(r, raw, 2, first, last);  // stops the run
        }
        auto cols = word_columns(raw);
        auto [a, b] = cols[1];
        fault(db.name, bad.rec + 1,
              "expected an integer atomic number as word 2 of the entry line, found \"" +
                  raw.substr(a, b + 1 - a) + "\"");
    }
    if (!have) {
        db.pos = db.size();
        return -1;
    }
    int e = list[db.zk];
    db.pos = rec_of(e) + 1;
    return e;
}

const DbRecord& read_record(Records& r, DbFile& db) {
    while (db.pos < db.size() && db.comment[db.pos])
        ++db.pos;
    if (db.pos >= db.size())
        err(r, "ReadFile", " Error reading unit = " + fi(r.files.idbank, 12));
    return record(r, db, db.pos++);
}

const DbRecord& find_record(Records& r, DbFile& db, DbKey key) {
    const std::vector<int>& next = db.next_key[static_cast<std::size_t>(key)];
    int q = db.pos < next.size() ? next[db.pos] : -1;
    if (q < 0) {
        db.pos = db.size();
        return read_record(r, db);  // end of file: stops the run
    }
    db.pos = static_cast<std::size_t>(q) + 1;
    return record(r, db, static_cast<std::size_t>(q));
}

bool read_ints(const DbRecord& rec, int n, int* v) {
    if (rec.plain && n <= 4) {
        if (rec.nint < n) return false;
        std::copy(rec.ival.begin(), rec.ival.begin() + n, v);
        return true;
    }
    ListReader in(rec.nums);
    for (int k = 0; k < n; ++k)
        if (in.get(v[k]) != ReadStatus::ok) return false;
    return true;
}

void backspace(DbFile& db) {
    if (db.pos > 0) --db.pos;
}

void opendb(Records& r) {
    std::string& name = r.abank.dbfile;
    name = pad(name, 60);
    while (!r.io.try_open_old(r.files.idbank, trim(name))) {
        r.io.write(terminal, "");
        r.io.write(terminal, " Error opening databank file " + name);
        do {
            r.io.prompt(" Enter the name of databank file : ");
            std::string answer;
            if (!std::getline(r.io.stdin_stream(), answer))
                fault("standard input", "end of input at the prompt for the databank file name");
            if (!answer.empty() && answer.back() == '\r') answer.pop_back();
            name = pad(answer, 60);
        } while (lenstr(name) == 0);
    }
}

}  // namespace kova
