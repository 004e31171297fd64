// Matching an atom against the pseudoatom databank: the first entry of the file that describes
// an atom of the same kind gives its parameters, otherwise the free-atom defaults stand. The
// file is walked record by record from its start for every atom, as the listing shows it.
#include "databank/databank.hpp"

#include <cmath>

#include "databank/databank_file.hpp"
#include "databank/databank_match.hpp"
#include "shared/errors.hpp"
#include "shared/fatal.hpp"
#include "shared/format.hpp"
#include "shared/list_reader.hpp"
#include "shared/text.hpp"
#include "topology/neighbours.hpp"

namespace kova {

namespace {

// A number of a databank record that is missing or does not read: a run-time error.
[[noreturn]] void bad_record(const DbFile& db, const DbRecord& rec, const std::string& what) {
    fault(db.name, rec.recno,
          "expected " + what + ", found \"" +
              trim(db.raw(static_cast<std::size_t>(rec.recno) - 1)) + "\"");
}

template <typename... T>
void read_numbers(const DbFile& db, const DbRecord& rec, const char* what, T&... v) {
    if (read_list(db.numbers(rec), v...) != ReadStatus::ok) bad_record(db, rec, what);
}

// The integers of a NEIG, type or PRNT line.
void read_ints(const DbFile& db, const DbRecord& rec, const char* what, int n, int* v) {
    if (!read_ints(db, rec, n, v)) bad_record(db, rec, what);
}

// P(l,m) of one PLMS line: triples l, m, value; numbers after the last full triple are read
// and left unused. A triple outside l 0..4, m -4..4 has no place and is dropped.
void read_multipole_populations(const DbFile& db, const DbRecord& rec, Plm& plm) {
    const std::string nums = db.numbers(rec);
    int n = std::min(count_blank_ended_words(nums), 100);
    std::vector<float> v(static_cast<std::size_t>(n), 0.0f);
    ListReader in(nums);
    for (float& x : v)
        if (in.get(x) != ReadStatus::ok)
            bad_record(db, rec, "the numbers l, m, P(l,m) on the PLMS line");
    for (int k = 0; k + 2 < n; k += 3) {
        long l = std::lround(v[static_cast<std::size_t>(k)]);
        long m = std::lround(v[static_cast<std::size_t>(k) + 1]);
        if (l < 0 || l > 4 || m < -4 || m > 4) continue;
        plm[static_cast<std::size_t>(l)][static_cast<std::size_t>(m + 4)] =
            v[static_cast<std::size_t>(k) + 2];
    }
}

void add_int(std::string& key, int v) {
    key.append(reinterpret_cast<const char*>(&v), sizeof v);
}

// Everything the walk over the file compares for atom atom: two atoms with the same key meet
// the same entries with the same outcome, so the walk is made once per key.
std::string search_key(const Records& r, int atom, const NeighbourList& ng,
                       const PlanarSituation& planar, const std::string& asym) {
    std::string key;
    key.reserve(96);
    for (int v : {r.structure.atomic_number[atom], planar.rings, planar.ring_size, ng.count,
                  ng.type_count, planar.group ? 1 : 0,
                  r.frames.parent_atomic_number[atom], r.frames.parent_neighbours[atom],
                  r.frames.parent_hydrogens[atom], r.frames.group_found[atom] != 0 ? 1 : 0})
        add_int(key, v);
    for (int t = 1; t <= ng.type_count; ++t) {
        add_int(key, ng.type_atomic_number[t]);
        add_int(key, ng.type_size[t]);
    }
    key += asym;
    key += pad(r.frames.group_name[atom], 40);
    return key;
}

// What the walk over the file finds: the parameters, and what the listing tells of them.
struct WalkResult {
    PseudoAtom match;
    const DbEntryLine* last = nullptr;  // the entry looked at last: its description
    std::string group = std::string(40, ' ');  // the functional group its EXCEPT line names
};

// The walk over the file from its start: the first entry of the atom's element whose lines
// all fit gives the parameters of the match.
WalkResult walk(Records& r, int atom, const NeighbourList& ng, const PlanarSituation& planar,
                DbFile& db, const std::string& asym, const PseudoAtom& defaults) {
    WalkResult found;
    found.match = defaults;
    const int listing = r.files.listing;
    auto out = [&](const std::string& s) { r.io.write(listing, s); };
    const bool verbose = r.options.verbosity >= 2;
    const int z = r.structure.atomic_number[atom];
    const int iring = planar.rings, imemb = planar.ring_size;
    const bool lpg = planar.group;
    PseudoAtom& m = found.match;
    rewind(db);
    // Kept from one record to the next, as a free-format read leaves a null value's target.
    std::array<int, 4> jn{};  // NEIG: count, types, ring code, ring size
    std::array<int, 3> jh{};  // PRNT: parent's Z, its neighbour count, its H count
    while (true) {
        int e = next_entry(r, db, z);
        if (e < 0) break;
        const DbEntryLine& el = db.entries[static_cast<std::size_t>(e)];
        if (verbose) out(" Reading atom = " + db.padded(static_cast<std::size_t>(el.rec)));
        if (el.nwords < 4)  // stops the run
            find_word_columns(r, db.padded(static_cast<std::size_t>(el.rec)), 4,
                              entry_stop_context(db, el) +
                                  " has no description (word 4 of the entry line)");
        found.last = &el;

        if (z != 1) {
            const DbRecord& nl = find_record(r, db, DbKey::neig);
            read_ints(db, nl, "four numbers on the NEIG line", 4, jn.data());
            const int jnei = jn[0], jty = jn[1], jring = jn[2], jmemb = jn[3];
            std::string asymr(nl.word(6).substr(0, 5));
            bool entry_planar = ng.count < 4;
            if (same_text(nl.word(8), "F")) entry_planar = false;
            if (same_text(nl.word(8), "T")) entry_planar = true;
            if (verbose) {
                out("  " + std::string(" jnei=") + fi(jnei, 3) + " jty=" + fi(jty, 3) + " jring=" +
                    fi(jring, 3) + " asymr=[" + asymr + "] planar=" + logical_text(entry_planar));
                out(" jmemb=" + fi(jmemb, 3));
            }
            if (jnei != ng.count || jty != ng.type_count || jring != iring || jmemb != imemb)
                continue;
            if (trimmed_length(asymr) != 0 && asymr != asym) continue;
            if (entry_planar != lpg) continue;

            std::vector<std::array<int, 2>> types(static_cast<std::size_t>(jty));
            for (int t = 1; t <= jty; ++t) {
                const DbRecord& tl = read_record(r, db, {"its neighbour type line", t, jty});
                std::array<int, 3> tv{};
                read_ints(db, tl, "three numbers on a neighbour type line", 3, tv.data());
                const int jatum = tv[1], jndt = tv[2];
                types[static_cast<std::size_t>(t - 1)] = {jatum, jndt};
                if (verbose)
                    out("   type =" + fi(t, 3) + " jatum =" + fi(jatum, 3) +
                        " jndt =" + fi(jndt, 3));
            }
            bool all = true;
            for (int t = 1; t <= ng.type_count && all; ++t) {
                bool have = false;
                for (const auto& ty : types)
                    if (ty[0] == ng.type_atomic_number[t] && ty[1] == ng.type_size[t]) have = true;
                all = have;
            }
            if (!all) continue;
            if (!except_line_allows(r, atom, found.group)) continue;
        } else {
            const DbRecord& prnt = find_record(r, db, DbKey::prnt);
            read_ints(db, prnt, "three numbers on the PRNT line", 3, jh.data());
            const int jhp = jh[0], jsp = jh[1], jhnei = jh[2];
            std::string asymr(prnt.word(5).substr(0, 5));
            if (!except_line_allows(r, atom, found.group)) continue;
            if (verbose)
                out("  " + std::string(" jhp =") + fi(jhp, 3) + " jsp =" + fi(jsp, 3) +
                    " jhnei=" + fi(jhnei, 3) + " asymr=[" + asymr + "]");
            if (jhp != r.frames.parent_atomic_number[atom] ||
                jsp != r.frames.parent_neighbours[atom] || jhnei != r.frames.parent_hydrogens[atom])
                continue;
            if (asymr != asym) continue;
        }

        m.matched = 1;
        const DbRecord& pvline = find_record(r, db, DbKey::pval);
        read_numbers(db, pvline, "four numbers on the PVAL line", m.pv, m.kappa[1], m.kappa[2],
                     m.pv_sigma);
        // The record after the last PLMS line ends the entry; it must exist.
        while (true) {
            const DbRecord& next =
                read_record(r, db, {"the record that ends it after its PVAL and PLMS lines"});
            if (!same_text(next.word(1), "PLMS")) break;
            read_multipole_populations(db, next, m.plm);
        }
        break;
    }
    return found;
}

}  // namespace

float free_atom_valence(int atomic_number) {
    const int z = atomic_number;
    if (z <= 2) return static_cast<float>(z);
    if (z <= 10) return static_cast<float>(z - 2);
    if (z <= 18) return static_cast<float>(z - 10);
    if (z <= 36) return static_cast<float>(z - 18);
    if (z <= 54) return static_cast<float>(z - 36);
    if (z <= 86) return static_cast<float>(z - 54);
    return static_cast<float>(z - 86);
}

PseudoAtom assign_from_databank(Records& r, int atom, const PlanarSituation& planar) {
    const NeighbourList neighbours = find_neighbours(r.io, r, atom, 0.0f, false);
    return match_databank_entry(r, atom, neighbours, planar);
}

PseudoAtom match_databank_entry(Records& r, int atom, const NeighbourList& ng,
                                const PlanarSituation& planar) {
    const int listing = r.files.listing;
    auto out = [&](const std::string& s) { r.io.write(listing, s); };
    const bool verbose = r.options.verbosity >= 2;

    const int z = r.structure.atomic_number[atom];
    const int iring = planar.rings, imemb = planar.ring_size;
    const bool lpg = planar.group;
    std::string asym = pad(r.structure.site_symmetry[atom], 5);
    upper_case(asym);

    PseudoAtom m;
    m.matched = 0;
    m.pv = free_atom_valence(z);
    m.pv_sigma = 0.01f;
    m.kappa = {0.0f, 1.0f, 1.0f};
    m.plm = Plm{};

    // An atom whose search asks what an earlier one asked gets its answer and the lines of
    // its listing that hold no label (the walk's own listing, VERBOSE 2, is written only when
    // the walk is made).
    DbFile* known = !verbose && r.io.is_open_in(r.files.databank) ? &databank(r) : nullptr;
    std::string key = known ? search_key(r, atom, ng, planar, asym) : std::string();
    const DbMatch* hit = nullptr;
    if (known)
        if (auto it = known->matches.find(key); it != known->matches.end()) hit = &it->second;

    std::vector<std::string> head;
    if (hit) {
        for (const std::string& l : hit->head) out(l);
    } else {
        head = {"", " Searching DataBank for a match : ", FreeLine() << " ityp  = " << z,
                FreeLine() << " iring = " << iring, FreeLine() << " inei  = " << ng.count,
                FreeLine() << " ity   = " << ng.type_count, FreeLine() << " imemb = " << imemb,
                "  asymi = [" + asym + "]", FreeLine() << " lPG   = " << lpg};
        for (int t = 1; t <= ng.type_count; ++t)
            head.push_back(FreeLine() << " type = " << t << " atom = " << ng.type_atomic_number[t]
                                      << " neib = " << ng.type_size[t]);
        head.push_back(" ");
        for (const std::string& l : head) out(l);
    }

    DbFile& db = databank(r);
    WalkResult walked;
    if (hit) {
        m = hit->m;
        walked.group = hit->group;
    } else {
        walked = walk(r, atom, ng, planar, db, asym, m);
        m = walked.match;
    }
    const DbEntryLine* last = walked.last;
    const std::string& group = walked.group;
    const std::string comment = hit              ? hit->comment
                                : m.matched != 0 ? trim(db.description(*last))
                                                 : std::string();

    const std::string label = trim(r.structure.label[atom]);
    r.databank.searched += 1;
    out("");
    if (m.matched == 0) {
        out(" ReadDB :: atom " + label + " was NOT found in the DataBank");
        r.databank.not_found += 1;
    } else {
        out(" ReadDB :: atom " + label + " was found in the DataBank");
        out("");
        out(" DB comment for " + label + " = [" + comment + "]");
        if (r.frames.group_found[atom] != 0) {
            out("");
            out(" Functional group = [" + trim(group) + "]");
        }
        r.databank.found += 1;
    }
    out("");
    out(" Pseudoatom parameters assigned to " + label + " : ");
    out("");

    if (hit) {
        for (const std::string& l : hit->params) out(l);
        return m;
    }
    auto plms = [&](int l) {
        std::string s;
        for (int k = -l; k <= l; ++k)
            s += ff(m.plm[l][k + 4], 7, 3);
        return s;
    };
    std::vector<std::string> params = {
        "   Pval, Kappa, Kappa', sigmaPv = " + ff(m.pv, 12, 4) + ff(m.kappa[1], 12, 4) +
            ff(m.kappa[2], 12, 4) + ff(m.pv_sigma, 12, 4),
        "   " + std::string(" 2nd Monopole:") + plms(0),
        "   " + std::string("      Dipoles:") + plms(1),
        "   " + std::string("  Quadrupoles:") + plms(2),
        "   " + std::string("    Octupoles:") + plms(3),
        "   " + std::string("Hexadecapoles:") + plms(4)};
    for (const std::string& l : params) out(l);
    if (known)
        db.matches.emplace(std::move(key),
                           DbMatch{m, group, comment, std::move(head), std::move(params)});
    return m;
}

bool except_line_allows(Records& r, int atom, std::string& group) {
    const int listing = r.files.listing;
    auto out = [&](const std::string& s) { r.io.write(listing, s); };
    const bool verbose = r.options.verbosity >= 2;
    const bool has = r.frames.group_found[atom] != 0;
    const std::string name = pad(r.frames.group_name[atom], 40);

    DbFile& db = databank(r);
    const DbRecord& rec =
        read_record(r, db,
                    {r.structure.atomic_number[atom] == 1
                         ? "the record after its PRNT line"
                         : "the record after its neighbour type lines"});
    if (!same_text(rec.word(1), "EXCEPT")) {
        backspace(db);
        if (!has) return true;
        if (verbose) {
            out("");
            out(" Functional group = [" + trim(name) + "], but no functional group" +
                " specified for this entry..");
            out(" Skipping DB entry...");
            out("");
        }
        return false;
    }
    if (verbose) out("   Exception entry in DataBank :");
    if (!has) {
        if (verbose) {
            out(" Exception was not identified for this atom - Skip DB entry...");
            out("");
        }
        return false;
    }
    // The name is taken from the record as written, only upper-cased: its blanks count.
    std::string raw = db.padded(static_cast<std::size_t>(rec.recno) - 1);
    upper_case(raw);
    group = std::string(40, ' ');
    std::size_t g = raw.find("GROUP");
    if (g != std::string::npos) {
        std::size_t first = g + 6;
        std::size_t last = static_cast<std::size_t>(trimmed_length(raw));
        if (first < last) group = pad(std::string_view(raw).substr(first, last - first), 40);
    }
    if (verbose) {
        out("      functional group   = [" + trim(name) + "]");
        out("      group read from DB = [" + trim(group) + "]");
    }
    if (name == group) return true;
    if (verbose) {
        out("   Wrong functional group... :( ");
        out("");
    }
    return false;
}

}  // namespace kova
