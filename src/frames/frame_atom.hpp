// The frame of the atom being framed, a draft handed from the decision tree (frame_atom.cpp) to
// the rules by neighbour count (frame_rules.cpp) and on to the commit that records it with the
// kappa set and the per-atom records (commit_frame.cpp). One FrameDraft lives for one atom
// only, so nothing of an earlier atom's frame can reach the next one. The decision and the rules
// only read the records: what they find of the atom travels on its draft.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "frames/dummies.hpp"
#include "frames/groups.hpp"
#include "shared/channels.hpp"
#include "shared/records.hpp"

namespace kova {

struct FrameDraft {
    // "NO", "m", "mm2", "3m", "cyl" or "-42m" (a word of the rules, never a made text);
    // the commit stores it as the atom's site symmetry.
    std::string_view site_symmetry;
    char axis1 = ' ', axis2 = ' ';                   // the two axes set: 'X', 'Y' or 'Z'
    std::string label1 = std::string(8, ' ');        // labels of their targets
    std::string label2 = std::string(8, ' ');
    Cartesian target1{}, target2{};
    // The dummies the targets asked for that the store does not hold yet, in the order asked
    // for, each with the number its label names; the commit stores them in this order. A rule
    // frame given up for its site symmetry drops its own; any other stays, even when the last
    // check has pointed its axis elsewhere.
    std::vector<NewDummy> new_dummies;
    // The ring whose centre dummy this frame asked for first (0: none), and that dummy's
    // number, which the commit records as the ring's.
    int centred_ring = 0, ring_centre = 0;
    std::vector<std::pair<int, int>> equal_pairs;    // equal neighbour pairs, in the order found

    bool atom_disordered = false;
    bool neighbour_disordered = false;
    int hydrogens = 0;                               // hydrogen neighbours
    std::vector<int> neighbour_order;                // stored neighbours, heaviest type first
    PlanarSituation planar;
    // A hydrogen atom framed by the hydrogen rule: its parent (0 for every other atom) and what
    // the rule found of it.
    int parent = 0;
    HydrogenParent parent_data;
    // The functional group, named by the commit (with the picture of a group it could
    // not name); none where the kappa set is not sought among equivalent atoms.
    std::optional<FunctionalGroup> group;
};

// Makes `atom` of the working list the target of axis `which` (1 or 2).
void target_atom(const Records& r, FrameDraft& f, int which, int atom);
// The dummy for a point: one of the store or of the frame's new dummies within 0.1 Å, or else
// a new one that the frame's new dummies take on. The 1000th dummy stops the run here, where
// it is asked for.
DummyPlace frame_dummy(Io& io, const Records& r, FrameDraft& f, const AnyPosition& point);
// Makes the dummy for `point` (see frame_dummy) the target of axis `which`.
void target_dummy(Io& io, const Records& r, FrameDraft& f, int which, const AnyPosition& point);
// A point the rules give in the input's own coordinates (a fixed point, a centroid):
// fractional for crystal input, so that 0,0,0 is the cell's origin, else Cartesian (Å).
AnyPosition in_input_coordinates(const Records& r, const Vec3f& point);
// The frame of an atom without equal neighbours: site symmetry `symmetry`, X towards the first
// neighbour of the canonical order and Y towards the second.
void canonical_order_frame(const Records& r, FrameDraft& f, const char* symmetry);

// Writes a listing line of the frame analysis, preceded by an empty line.
void list_after_empty_line(Io& io, std::string_view text);
// Writes a search-failure line: terminal first, then the listing, each after an empty line.
void show_and_list_after_empty_lines(Io& io, std::string_view text);

// Shapes are told apart by their bond angles within this many degrees of the ideal ones, so
// that distorted groups keep the frames of their ideal shapes.
constexpr float shape_tolerance = 15.0f;
// Å: a target closer than this to the atom gives its axis no direction.
constexpr float on_atom_distance = 0.1f;

// The angle a-b-c at b, in degrees, from the Cartesian positions.
float angle_at(const Records& r, const Vec3f& a, int b, int c);

// Makes a dummy at a fixed point the target of axis `which`: 0,0,0 unless it lies on the atom or in
// line with the atom and the other target, then the first of the further fixed points that does
// not; the listing names the point (and why, when it is not 0,0,0).
void fixed_point_target(Io& io, const Records& r, int i, FrameDraft& f, int which);

// True when the frame's two targets lie away from the atom and off one line through it.
bool frame_defined(const Records& r, int i, const FrameDraft& f);

struct FrameAnalysis;  // frames/frame_analysis.hpp

// Once the frame of atom i is final, records it (its site symmetry, its new dummies, a ring's
// centre dummy, a hydrogen atom's parent data) and what follows from it: functional group,
// kappa set, atom-table line (shown on the terminal and in the listing), MoPro lines, frame
// picture, populations (from the databank when the run has one) and the row of the XD atom
// table.
void commit_frame_and_results(Io& io, Records& r, int i, FrameDraft& f, FrameAnalysis& analysis);

}  // namespace kova
