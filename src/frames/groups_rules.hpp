// The vocabulary of the functional-group rules: neighbour-table questions that never read
// past a table, the ring answer, and the rule block (tag, entry condition, tests) that
// find_functional_group walks for each element. Shared by the element files groups_*.cpp only.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "shared/channels.hpp"
#include "shared/records.hpp"
#include "topology/planarity.hpp"
#include "topology/rings.hpp"

namespace kova::groups {

// --- the stored neighbour table of atom x; an index outside a table reads as 0 ---

int element(const Records& r, int x);                // atomic number, 0 for no atom
int neighbour_count(const Records& r, int x);        // neighbour count n(x)
int nth_neighbour(const Records& r, int x, int k);   // k-th neighbour in ascending distance
int type_count(const Records& r, int x);             // number of neighbour types
int type_element(const Records& r, int x, int t);    // atomic number of type t (1 lightest)
int type_size(const Records& r, int x, int t);       // count of type t
int member(const Records& r, int x, int t, int m);   // m-th stored member of type t
// The atomic number of the heaviest type, and its count.
inline int heaviest_element(const Records& r, int x) {
    return type_element(r, x, type_count(r, x));
}
inline int heaviest_size(const Records& r, int x) { return type_size(r, x, type_count(r, x)); }
// The heaviest type is element z, with `count` atoms.
inline bool heaviest_is(const Records& r, int x, int z, int count) {
    return heaviest_element(r, x) == z && heaviest_size(r, x) == count;
}
int count_of(const Records& r, int x, int z);  // neighbours of element z
int first_of(const Records& r, int x, int z);  // first stored member of the type of element z
// The k-th neighbour of element z in distance order (0 when there is none).
int nearest_of(const Records& r, int x, int z, int k = 1);
// Exactly these types with these counts: composition(r, x, {{6, 2}, {8, 1}}) is {2 C, 1 O}.
bool composition(const Records& r, int x, std::initializer_list<std::pair<int, int>> types);
bool all_h_or_c(const Records& r, int x);      // every neighbour is H or C
// The first neighbour of x in distance order that is not `not_this` (0 when none).
int other_neighbour(const Records& r, int x, int not_this);
// The sum, smallest and largest of the neighbour counts of some atoms.
struct Counts { int sum = 0, min = 0, max = 0; };
Counts neighbour_counts(const Records& r, std::initializer_list<int> atoms);

// --- ring membership and group planarity ---

// How an atom lies in the rings, with the questions the rules ask of it.
struct RingAnswer : RingMembership {
    bool cyclic() const { return in_ring; }
    bool one_planar() const { return in_ring && planar; }
    bool two_planar() const { return in_ring && fused; }
};
// How atom x lies in the rings (in none for no atom).
RingAnswer ring_of(const Records& r, int x);

// --- how a block ends ---

// The end of a block: a group named, nothing, or a failure message (with the picture).
struct Outcome {
    enum class Kind { named, silent, message, picture };
    Kind kind;
    std::string text;  // the group name, or the tag of the failure message
};
// The group is `name`.
inline Outcome named(std::string name) { return {Outcome::Kind::named, std::move(name)}; }
// No group, and nothing said.
inline Outcome silent() { return {Outcome::Kind::silent, {}}; }
// The failure message of `tag`.
inline Outcome fails(std::string tag) { return {Outcome::Kind::message, std::move(tag)}; }
// The failure message followed by the group picture.
inline Outcome fails_drawn(std::string tag) { return {Outcome::Kind::picture, std::move(tag)}; }

// The atom being typed. `own` is the ring answer of the atom itself where its element asks for
// it (carbon); `planar` the nitrogen's group planarity. The blocks write the listing through
// `io`.
struct Site {
    Io& io;
    const Records& r;
    int atom;
    RingAnswer own;
    bool planar = false;
};

// One rule block: when it applies and how it decides.
struct Block {
    const char* id;   // the block's name in the rules (H2, C7, O3, ...)
    const char* tag;  // written on the candidate line
    bool (*applies)(Site&);
    Outcome (*decide)(Site&);
};

// Writes the candidate line of a tag (also the second candidate lines some blocks write).
void candidate(const Site& s, std::string_view tag);
// Writes a free-format line of a rule's own.
void note(const Site& s, const std::string& line);

// The blocks of each element, in the order they are tried.
std::span<const Block> hydrogen_blocks();
std::span<const Block> carbon3_blocks();
std::span<const Block> carbon4_blocks();
std::span<const Block> nitrogen_blocks();
std::span<const Block> oxygen_blocks();
std::span<const Block> phosphorus_blocks();
std::span<const Block> sulfur_blocks();
std::span<const Block> halogen_blocks();

}  // namespace kova::groups
