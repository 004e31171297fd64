// Matching an atom against the pseudoatom databank: the first entry of the file that describes
// an atom of the same kind gives its parameters, otherwise the free-atom defaults stand. The
// file is walked record by record from its start for every atom, as the listing shows it; an
// atom whose search asks what an earlier one asked is given the earlier answer.
#include "databank/databank.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "databank/databank_file.hpp"
#include "databank/databank_match.hpp"
#include "shared/errors.hpp"
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

void write_lines(Io& io, int channel, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) io.write(channel, line);
}

// ------------------------------------------------------------------ the search key

void add_int(std::string& key, int v) {
    key.append(reinterpret_cast<const char*>(&v), sizeof v);
}

// Everything the walk over the file compares: two atoms with the same key meet the same
// entries with the same outcome, so the walk is made once per key.
std::string search_key(const DatabankQuery& query) {
    const NeighbourList& neighbours = query.neighbours;
    std::string key;
    key.reserve(96);
    for (int v : {query.atomic_number, query.planar.rings, query.planar.ring_size,
                  neighbours.count, neighbours.type_count, query.planar.group ? 1 : 0,
                  query.parent_atomic_number, query.parent_neighbours, query.parent_hydrogens,
                  query.has_group ? 1 : 0})
        add_int(key, v);
    for (int t = 1; t <= neighbours.type_count; ++t) {
        add_int(key, neighbours.type_atomic_number[t]);
        add_int(key, neighbours.type_size[t]);
    }
    key += query.site_symmetry;
    key += query.group_name;
    return key;
}

// ------------------------------------------------------------------ the listing head

// The atom's data as the listing shows them before the search.
std::vector<std::string> search_head(const DatabankQuery& query) {
    const NeighbourList& neighbours = query.neighbours;
    std::vector<std::string> head = {"",
                                     " Searching DataBank for a match : ",
                                     FreeLine() << " ityp  = " << query.atomic_number,
                                     FreeLine() << " iring = " << query.planar.rings,
                                     FreeLine() << " inei  = " << neighbours.count,
                                     FreeLine() << " ity   = " << neighbours.type_count,
                                     FreeLine() << " imemb = " << query.planar.ring_size,
                                     "  asymi = [" + query.site_symmetry + "]",
                                     FreeLine() << " lPG   = " << query.planar.group};
    for (int t = 1; t <= neighbours.type_count; ++t)
        head.push_back(FreeLine() << " type = " << t << " atom = "
                                  << neighbours.type_atomic_number[t]
                                  << " neib = " << neighbours.type_size[t]);
    head.push_back(" ");
    return head;
}

// ------------------------------------------------------------------ the walk

// The numbers of the NEIG and PRNT lines, kept from one entry to the next within a walk, as a
// free-format read leaves the target of a null value as it was.
struct KeptNumbers {
    std::array<int, 4> neig{};  // neighbour count, neighbour types, planar-ring code, ring size
    std::array<int, 3> prnt{};  // the parent's atomic number, neighbour count, hydrogen atoms
};

// One neighbour type line of an entry.
struct NeighbourType {
    int atomic_number = 0;
    int count = 0;
};

// The neighbour type lines of an entry, listed at VERBOSE 2.
std::vector<NeighbourType> read_neighbour_types(Io& io, DbReader& db, const DatabankQuery& query,
                                                int types) {
    std::vector<NeighbourType> read(static_cast<std::size_t>(types));
    for (int t = 1; t <= types; ++t) {
        const DbRecord& type_line =
            read_record(io, query.listing, db, {"its neighbour type line", t, types});
        std::array<int, 3> numbers{};  // the first is not used
        read_ints(db.file, type_line, "three numbers on a neighbour type line", 3, numbers.data());
        const NeighbourType type{numbers[1], numbers[2]};
        read[static_cast<std::size_t>(t - 1)] = type;
        if (query.verbose)
            io.write(query.listing, "   type =" + fi(t, 3) + " jatum =" +
                                        fi(type.atomic_number, 3) + " jndt =" + fi(type.count, 3));
    }
    return read;
}

// Every neighbour type of the atom has a type line of the same element and count.
bool has_every_neighbour_type(const std::vector<NeighbourType>& entry_types,
                              const NeighbourList& neighbours) {
    for (int t = 1; t <= neighbours.type_count; ++t) {
        const auto same = [&](const NeighbourType& type) {
            return type.atomic_number == neighbours.type_atomic_number[t] &&
                   type.count == neighbours.type_size[t];
        };
        if (std::none_of(entry_types.begin(), entry_types.end(), same)) return false;
    }
    return true;
}

// The tests of an entry of a non-hydrogen element: its NEIG line, its neighbour type lines and
// its EXCEPT line against the atom, in that order; the first that fails ends them. `numbers`
// holds what the NEIG line before left, and takes this one's.
EntryVerdict neig_entry_fits(Io& io, DbReader& db, const DatabankQuery& query,
                             std::array<int, 4>& numbers) {
    const NeighbourList& neighbours = query.neighbours;
    const DbRecord& neig_line = find_record(io, query.listing, db, DbKey::neig);
    read_ints(db.file, neig_line, "four numbers on the NEIG line", 4, numbers.data());
    const int entry_neighbours = numbers[0], entry_types = numbers[1], entry_rings = numbers[2],
              entry_ring_size = numbers[3];
    const std::string entry_symmetry(neig_line.word(6).substr(0, 5));  // blank: any
    bool entry_planar = neighbours.count < 4;
    if (same_text(neig_line.word(8), "F")) entry_planar = false;
    if (same_text(neig_line.word(8), "T")) entry_planar = true;
    if (query.verbose) {
        io.write(query.listing, "  " + std::string(" jnei=") + fi(entry_neighbours, 3) +
                                    " jty=" + fi(entry_types, 3) + " jring=" + fi(entry_rings, 3) +
                                    " asymr=[" + entry_symmetry +
                                    "] planar=" + logical_text(entry_planar));
        io.write(query.listing, " jmemb=" + fi(entry_ring_size, 3));
    }
    if (entry_neighbours != neighbours.count || entry_types != neighbours.type_count ||
        entry_rings != query.planar.rings || entry_ring_size != query.planar.ring_size)
        return {};
    if (trimmed_length(entry_symmetry) != 0 && entry_symmetry != query.site_symmetry) return {};
    if (entry_planar != query.planar.group) return {};
    if (!has_every_neighbour_type(read_neighbour_types(io, db, query, entry_types), neighbours))
        return {};
    return except_line_allows(io, db, query);
}

// The tests of a hydrogen entry: its EXCEPT line, then its PRNT line against the atom's parent
// and site symmetry (compared exactly: a blank word matches no framed atom). `numbers` holds
// what the PRNT line before left, and takes this one's.
EntryVerdict prnt_entry_fits(Io& io, DbReader& db, const DatabankQuery& query,
                             std::array<int, 3>& numbers) {
    const DbRecord& prnt_line = find_record(io, query.listing, db, DbKey::prnt);
    read_ints(db.file, prnt_line, "three numbers on the PRNT line", 3, numbers.data());
    const int parent_atomic_number = numbers[0], parent_neighbours = numbers[1],
              parent_hydrogens = numbers[2];
    const std::string entry_symmetry(prnt_line.word(5).substr(0, 5));
    EntryVerdict verdict = except_line_allows(io, db, query);
    if (!verdict.fits) return verdict;
    if (query.verbose)
        io.write(query.listing, "  " + std::string(" jhp =") + fi(parent_atomic_number, 3) +
                                    " jsp =" + fi(parent_neighbours, 3) +
                                    " jhnei=" + fi(parent_hydrogens, 3) + " asymr=[" +
                                    entry_symmetry + "]");
    verdict.fits = parent_atomic_number == query.parent_atomic_number &&
                   parent_neighbours == query.parent_neighbours &&
                   parent_hydrogens == query.parent_hydrogens &&
                   entry_symmetry == query.site_symmetry;
    return verdict;
}

// An entry of the atom's element as the walk meets it, listed at VERBOSE 2; one without a
// description stops the run.
void meet_entry(Io& io, const DbFile& db, const DatabankQuery& query, const DbEntryLine& entry) {
    if (query.verbose)
        io.write(query.listing,
                 " Reading atom = " + db.padded(static_cast<std::size_t>(entry.rec)));
    if (entry.nwords < 4)
        stop_at_missing_word(io, query.listing,
                             entry_stop_context(db, entry) +
                                 " has no description (word 4 of the entry line)");
}

// The parameters of the entry that fits: its PVAL line and the PLMS lines after it, read over
// the defaults (a null value of the PVAL line leaves its default). The record after the last
// PLMS line ends the entry; it must exist.
PseudoAtom read_entry_parameters(Io& io, DbReader& db, int listing, PseudoAtom parameters) {
    parameters.matched = true;
    const DbRecord& pval_line = find_record(io, listing, db, DbKey::pval);
    read_numbers(db.file, pval_line, "four numbers on the PVAL line", parameters.pv,
                 parameters.kappa[1], parameters.kappa[2], parameters.pv_sigma);
    while (true) {
        const DbRecord& next =
            read_record(io, listing, db, {"the record that ends it after its PVAL and PLMS lines"});
        if (!same_text(next.word(1), "PLMS")) break;
        read_multipole_populations(db.file, next, parameters.plm);
    }
    return parameters;
}

// What the walk over the file finds: the parameters, and what the listing tells of them.
struct WalkResult {
    PseudoAtom parameters;
    const DbEntryLine* last = nullptr;         // the entry looked at last: its description
    std::string group = std::string(40, ' ');  // the functional group an EXCEPT line named last
};

// The walk over the file from its start: the first entry of the atom's element whose lines
// all fit gives the parameters.
WalkResult walk(Io& io, Databank& databank, const DatabankQuery& query) {
    WalkResult found;
    found.parameters = free_atom_parameters(query.atomic_number);
    const DbFile& file = databank.file;
    DbReader db(file, databank.splits);
    KeptNumbers kept;
    while (true) {
        const int e = next_entry(io, query.listing, db, query.atomic_number);
        if (e < 0) break;
        const DbEntryLine& entry = file.entries[static_cast<std::size_t>(e)];
        meet_entry(io, file, query, entry);
        found.last = &entry;
        const EntryVerdict verdict = query.atomic_number != 1
                                         ? neig_entry_fits(io, db, query, kept.neig)
                                         : prnt_entry_fits(io, db, query, kept.prnt);
        if (verdict.group) found.group = *verdict.group;
        if (!verdict.fits) continue;
        found.parameters = read_entry_parameters(io, db, query.listing, found.parameters);
        break;
    }
    return found;
}

// ------------------------------------------------------------------ the result lines

// The parameter block of the listing.
std::vector<std::string> parameter_lines(const PseudoAtom& parameters) {
    auto populations = [&](int l) {
        std::string s;
        for (int m = -l; m <= l; ++m)
            s += ff(parameters.plm[static_cast<std::size_t>(l)][static_cast<std::size_t>(m + 4)],
                    7, 3);
        return s;
    };
    return {"   Pval, Kappa, Kappa', sigmaPv = " + ff(parameters.pv, 12, 4) +
                ff(parameters.kappa[1], 12, 4) + ff(parameters.kappa[2], 12, 4) +
                ff(parameters.pv_sigma, 12, 4),
            "   " + std::string(" 2nd Monopole:") + populations(0),
            "   " + std::string("      Dipoles:") + populations(1),
            "   " + std::string("  Quadrupoles:") + populations(2),
            "   " + std::string("    Octupoles:") + populations(3),
            "   " + std::string("Hexadecapoles:") + populations(4)};
}

// The result of a search in the listing, after the head and the walk, counted in `counts`.
void write_answer(Io& io, const DatabankQuery& query, const KnownAnswer& answer,
                  DatabankResults& counts) {
    const auto out = [&](const std::string& s) { io.write(query.listing, s); };
    counts.searched += 1;
    out("");
    if (!answer.parameters.matched) {
        out(" ReadDB :: atom " + query.label + " was NOT found in the DataBank");
        counts.not_found += 1;
    } else {
        out(" ReadDB :: atom " + query.label + " was found in the DataBank");
        out("");
        out(" DB comment for " + query.label + " = [" + answer.comment + "]");
        if (query.has_group) {
            out("");
            out(" Functional group = [" + trim(answer.group) + "]");
        }
        counts.found += 1;
    }
    out("");
    out(" Pseudoatom parameters assigned to " + query.label + " : ");
    out("");
    write_lines(io, query.listing, answer.parameter_lines);
}

// A search made: its head, the walk, and what the result lines tell.
KnownAnswer search_databank(Io& io, Databank& databank, const DatabankQuery& query) {
    KnownAnswer answer;
    answer.head_lines = search_head(query);
    write_lines(io, query.listing, answer.head_lines);
    const WalkResult walked = walk(io, databank, query);
    answer.parameters = walked.parameters;
    answer.group = walked.group;
    if (answer.parameters.matched)
        answer.comment = trim(databank.file.description(*walked.last));
    answer.parameter_lines = parameter_lines(answer.parameters);
    return answer;
}

// The functional group an EXCEPT line names: the record as written, only upper-cased (its
// blanks count), from the second character after its first "GROUP" to its last non-blank, in
// 40 characters; blank without the word.
std::string except_group(const DbFile& db, const DbRecord& rec) {
    std::string raw = db.padded(static_cast<std::size_t>(rec.recno) - 1);
    upper_case(raw);
    std::string group(40, ' ');
    const std::size_t at = raw.find("GROUP");
    if (at != std::string::npos) {
        const std::size_t first = at + 6;
        const std::size_t last = static_cast<std::size_t>(trimmed_length(raw));
        if (first < last) group = pad(std::string_view(raw).substr(first, last - first), 40);
    }
    return group;
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

PseudoAtom free_atom_parameters(int atomic_number) {
    PseudoAtom parameters;
    parameters.matched = false;
    parameters.pv = free_atom_valence(atomic_number);
    parameters.pv_sigma = 0.01f;
    parameters.kappa = {0.0f, 1.0f, 1.0f};
    parameters.plm = Plm{};
    return parameters;
}

PseudoAtom assign_from_databank(Io& io, Records& r, Databank& databank, NeighbourIndex& neighbours,
                                int atom, const PlanarSituation& planar,
                                const HydrogenParent& parent) {
    const NeighbourList found = find_neighbours(io, r, neighbours, atom, 0.0f, false);
    return match_databank_entry(io, databank, databank_query(r, atom, found, planar, parent),
                                r.databank);
}

DatabankQuery databank_query(const Records& r, int atom, const NeighbourList& neighbours,
                             const PlanarSituation& planar, const HydrogenParent& parent) {
    std::string symmetry = pad(r.structure.site_symmetry[atom], 5);
    upper_case(symmetry);
    return DatabankQuery{.listing = Files::listing,
                         .verbose = r.options.verbosity >= 2,
                         .atomic_number = r.structure.atomic_number[atom],
                         .label = trim(r.structure.label[atom]),
                         .site_symmetry = std::move(symmetry),
                         .neighbours = neighbours,
                         .planar = planar,
                         .parent_atomic_number = parent.atomic_number,
                         .parent_neighbours = parent.neighbours,
                         .parent_hydrogens = parent.hydrogens,
                         .has_group = r.frames.group_found[atom] != 0,
                         .group_name = pad(r.frames.group_name[atom], 40)};
}

PseudoAtom match_databank_entry(Io& io, Databank& databank, const DatabankQuery& query,
                                DatabankResults& counts) {
    // The walk's own listing (VERBOSE 2) is written only when the walk is made, so there every
    // atom walks.
    const bool reuse = !query.verbose;
    std::string key = reuse ? search_key(query) : std::string();
    if (reuse)
        if (const KnownAnswer* known = databank.answers.find(key)) {
            write_lines(io, query.listing, known->head_lines);
            write_answer(io, query, *known, counts);
            return known->parameters;
        }
    KnownAnswer answer = search_databank(io, databank, query);
    write_answer(io, query, answer, counts);
    const PseudoAtom parameters = answer.parameters;
    if (reuse) databank.answers.keep(std::move(key), std::move(answer));
    return parameters;
}

EntryVerdict except_line_allows(Io& io, DbReader& db, const DatabankQuery& query) {
    const auto out = [&](const std::string& s) { io.write(query.listing, s); };
    const DbRecord& rec = read_record(io, query.listing, db,
                                      {query.atomic_number == 1
                                           ? "the record after its PRNT line"
                                           : "the record after its neighbour type lines"});
    if (!same_text(rec.word(1), "EXCEPT")) {
        backspace(db);
        if (!query.has_group) return {.fits = true, .group = std::nullopt};
        if (query.verbose) {
            out("");
            out(" Functional group = [" + trim(query.group_name) + "], but no functional group" +
                " specified for this entry..");
            out(" Skipping DB entry...");
            out("");
        }
        return {};
    }
    if (query.verbose) out("   Exception entry in DataBank :");
    if (!query.has_group) {
        if (query.verbose) {
            out(" Exception was not identified for this atom - Skip DB entry...");
            out("");
        }
        return {};
    }
    const std::string group = except_group(db.file, rec);
    if (query.verbose) {
        out("      functional group   = [" + trim(query.group_name) + "]");
        out("      group read from DB = [" + trim(group) + "]");
    }
    if (query.group_name == group) return {.fits = true, .group = group};
    if (query.verbose) {
        out("   Wrong functional group... :( ");
        out("");
    }
    return {.fits = false, .group = group};
}

}  // namespace kova
