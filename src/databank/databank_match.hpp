// The databank search of one atom once its covalent neighbours are found: `assign_from_databank`
// runs the neighbour search and then this. The search reads only what `DatabankQuery` holds and
// the databank, keeps its answer in the databank's cache, and writes the listing.
#pragma once

#include <optional>
#include <string>

#include "databank/databank_file.hpp"
#include "shared/channels.hpp"
#include "shared/records.hpp"

namespace kova {

// Everything the entries of the databank are compared with for one atom, and how the search
// reports.
struct DatabankQuery {
    int listing = 0;       // the listing's channel
    bool verbose = false;  // VERBOSE 2 or more: the walk lists every entry it looks at
    int atomic_number = 0;
    std::string label;          // without trailing blanks
    std::string site_symmetry;  // 5 characters, upper case
    const NeighbourList& neighbours;  // the fresh covalent neighbours, grouped by element
    PlanarSituation planar;
    // A hydrogen atom's parent: its atomic number, its neighbour count, its hydrogen atoms.
    int parent_atomic_number = 0, parent_neighbours = 0, parent_hydrogens = 0;
    bool has_group = false;  // a functional group was recognised for the atom
    std::string group_name;  // 40 characters
};

// The query of atom `atom` of the records with these neighbours, this planar situation and (for
// a hydrogen atom) these parent data.
DatabankQuery databank_query(const Records& r, int atom, const NeighbourList& neighbours,
                             const PlanarSituation& planar, const HydrogenParent& parent);

// The databank match of the atom queried, or the free-atom defaults; counts the search and
// writes it to the listing.
PseudoAtom match_databank_entry(Io& io, Databank& databank, const DatabankQuery& query,
                                DatabankResults& counts);

// What an entry's tests found: whether the entry fits, and the functional group its EXCEPT line
// names (40 characters) when that line was read for an atom with a group.
struct EntryVerdict {
    bool fits = false;
    std::optional<std::string> group;
};
// Reads the EXCEPT line of the entry being matched, if it has one, against the functional
// group of the atom: the entry fits when it may match as far as the group goes. A record that
// is no EXCEPT line is given back to the next read.
EntryVerdict except_line_allows(Io& io, DbReader& db, const DatabankQuery& query);

}  // namespace kova
