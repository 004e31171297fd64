// Neighbour search by covalent radii or within a radius, and the per-atom neighbour tables.
// A search only reads the records; it writes to the listing and the terminal through `io`
// when it lists what it found, and when it finds more neighbours than a list holds (which
// ends the run).
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "shared/grid.hpp"
#include "shared/records.hpp"

namespace kova {

// The spatial index of the working list that the searches below visit, so that a search looks
// only at the atoms near its centre. It is made from the records as they stand (the length of
// the list, the atoms' Cartesian positions and atomic numbers, the bond tolerance and the
// covalent radii) and follows them afterwards through `move_atom` only: that is the one way to
// move an atom of the list while an index of it is held, and any other change to what it was
// made from needs a new index. (Test builds check now and then that it is still in step.) A
// search uses the room the index keeps for its candidates, so it takes the index non-const.
class NeighbourIndex {
public:
    explicit NeighbourIndex(const Records& r);

private:
    // How far from a centre a search of `radius` must look in the grid.
    double reach(double radius) const;
    // Test builds: throws std::logic_error when the records changed behind the index's back.
    void check_in_step(const Records& r);

    int n_ = 0;                               // atoms 1..n_ of the working list
    std::uint32_t bond_tolerance_bits_ = 0;   // bits of options.tolerances.bond
    std::vector<float> covalent_radius_;      // the radius table it was made with
    float max_radius_ = 0.0f;                 // largest radius among the indexed atoms
    std::vector<int> atomic_number_;          // 1..n_
    std::vector<Vec3f> pos_;                  // 1..n_: the positions it was told of
    std::vector<Vec3f> filed_;                // 1..n_: the positions the grid holds them at
    double drift_ = 0.0;  // how far an atom may lie from the place it is filed at
    PointGrid grid_;
    long long searches_ = 0;
    std::vector<std::pair<int, float>> candidates_;  // a search's candidates, kept for their room

    friend NeighbourList search_neighbours(Io& io, const Records& r, NeighbourIndex& index,
                                           int atom, float radius);
    friend int first_neighbour(Io& io, const Records& r, NeighbourIndex& index, int atom,
                               float radius, const std::function<bool(int)>& take);
    friend void move_atom(Records& r, NeighbourIndex& index, int atom, const Cartesian& cart);
};

// The neighbours of `atom` by distance: radius > 0 every atom within the radius, radius <= 0
// the covalent rule; not yet grouped by element.
NeighbourList search_neighbours(Io& io, const Records& r, NeighbourIndex& index, int atom,
                                float radius);
// search_neighbours grouped by element, and written to the listing when `list_them`.
NeighbourList find_neighbours(Io& io, const Records& r, NeighbourIndex& index, int atom,
                              float radius, bool list_them);
// The first of the atoms find_neighbours(atom, radius) finds, in its order, that `take`
// accepts; 0 when it accepts none. When the atoms nearest the centre decide, only they are
// looked at. Nothing is listed.
int first_neighbour(Io& io, const Records& r, NeighbourIndex& index, int atom, float radius,
                    const std::function<bool(int)>& take);
// Moves atom `atom` of the working list to the Cartesian position `cart` (Å): its coordinates
// in the records (the fractional ones too for crystal input) and its place in the index
// together, so that later searches through the index find it where it now is.
void move_atom(Records& r, NeighbourIndex& index, int atom, const Cartesian& cart);

// The neighbour stage: finds and stores the neighbours of every atom of the working list
// (topology.neighbours), through an index of its own, and lists them.
void find_all_neighbours(Io& io, Records& r);
// The stored neighbours of atom k in canonical order (1-based): the types from the heaviest
// to the lightest, each in its stored order.
std::vector<int> neighbour_order(Io& io, const Records& r, int k);
void list_stored_neighbours(Io& io, const Records& r, int atom, int channel);
// The stored neighbours of `atom` in distance order, then the atom: list[1..n], n their
// number + 1 (list.size() - 1).
std::vector<int> collect_neighbours(const Records& r, int atom);

}  // namespace kova
