// The records a run hands from stage to stage, grouped by what they describe: the options, the
// structure read, the working list and its topology, the analysis results and the databank
// results (the files are the run's Io, on the channels of `Files`).
// Arrays keep their 1-based indices (slot 0 unused); coordinates, matrices and P(l,m)
// use small fixed arrays indexed from 0. Per-atom storage follows the structure read.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "shared/channels.hpp"
#include "shared/geometry.hpp"
#include "shared/grid.hpp"

namespace kova {

// The capacities a run checks. An atom's stored neighbour table and a ring hold all their
// members, and the dummies stop at the 1000th, whose label does not fit (frames/dummies.cpp).
constexpr int max_atoms = 100000;     // atoms read plus images of completed molecules
constexpr int max_neighbours = 1000;  // in the neighbour list of one search
constexpr int max_rings = 1000;
constexpr int max_symops = 192;  // operator table (a full F-centred cubic set)
constexpr int max_free_vars = 200;

// P(l,m), l = 0..4, m = -4..4: plm[l][m + 4]
using Plm = std::array<std::array<float, 9>, 5>;

// RINGS: the ring search.
struct RingSearch {
    int min_size = 0, max_size = 0;  // ring sizes searched
    bool special = false;            // *special: ring frames for the atoms of planar rings
};
// KEYGEN switches, in the order the instruction gives them.
struct Keys {
    bool xyz = false, xyz_all = false, xyz_ordered = false;  // coordinate and Uij keys
    bool multipoles = false, multipoles_all = false, multipoles_ordered = false;
    bool kappa = false;
};
// TOLS (Å).
struct Tolerances {
    float bond = 0.2f;   // added to the sum of the covalent radii
    float ring = 0.1f;   // ring planarity limit
    float group = 0.1f;  // group planarity limit
};

// The structure file formats FORMAT chooses from.
enum class InputFormat { none, shelx, xd, aim2tab, platon };
// How SCALE rescales the valence populations of a fragment to its target: by adding the same
// difference to each atom, by one factor, or by differences in proportion to sigma(Pv).
enum class PvScaling { none, difference, fraction, sigma };

// How RENAME numbers the SHELX atoms.
enum class RenameMode {
    all_atoms,  // one running number over all atoms (mode 0)
    per_type,   // a running number per SFAC type (any other mode)
};

// A fragment line that does not read: the record it ends on and what was expected there.
// It stops the run only where the rescaling comes to the line, so that a run that never
// rescales, or whose fragments need no FRAG line, is not stopped by it.
struct FragmentLineFault {
    int record = 0;
    std::string expected;  // the text of the fault after "kova.inp, record n: "
};
// The fragment lines of kova.inp (NFRAG, FRAG, CHFRAG), as the rescaling of the valence
// populations takes them: each keyword from column 1.
struct FragmentLines {
    int count = 0;                    // NFRAG, the last line's
    bool any_atom_line = false;       // a FRAG line was given
    bool any_charge_line = false;     // a CHFRAG line was given
    std::vector<float> charge{0.0f};  // 1..: the net charges of fragments 1, 2, ... (e)
    // Per FRAG line that holds numbers, in file order: the fragment number, then the atom
    // numbers (a negative one -b ends a range from the number before it to b).
    std::vector<std::vector<int>> atom_lines;
    // The first NFRAG or CHFRAG line that does not read; whether a FRAG line holds a word
    // that is no integer.
    std::optional<FragmentLineFault> unreadable;
    bool unreadable_atom_line = false;
};

// The options of the instruction file (kova.inp); each starts at the default a run has before
// the file is read.
struct Options {
    InputFormat input_format = InputFormat::none;
    // Crystal input (SHELX, XD): fractional coordinates, a cell and symmetry; otherwise
    // Cartesian atoms only (AIM2TAB, PLATON).
    bool crystal_input = true;
    int verbosity = 1;      // VERBOSE; levels 2 and 3 add listing detail
    int ncells = -1;        // NCELLS: lattice shifts -n..n per axis; -1 no completion
    // File names are held whole, as written (trailing blanks are no part of a name).
    std::string databank_file;   // DATABANK, KOVA_DB or the prompt's answer
    std::string structure_file;  // the INPUT line's name the structure reader reads (for XD
                                 // its second name, the parameter file)
    std::string xd_master_file;  // FORMAT XD: the INPUT line's first name, the master file
    // The first word after the names of the INPUT line (no RENAME, TOXD or number) and after
    // the DATABANK name, "" when none: the open errors name it, as a name holds no blank.
    std::string word_after_input_names, word_after_databank_name;
    bool search_rings = false;  // RINGS given: the ring search runs
    // SCALE; none until the instruction reader sets it (difference unless SCALE says otherwise)
    PvScaling pv_scaling = PvScaling::none;
    bool databank = false;    // DATABANK given
    bool extend_h = false;    // Extend_H given
    bool to_xd = false;       // TOXD given: plain SHELX-to-XD conversion
    bool simple = false;      // SIMPLE given: the simple model of chemical equivalence
    // CHEMCON: equivalent hydrogen / non-hydrogen atoms share kappa sets
    bool chem_constraints_h = true, chem_constraints_other = true;
    // DISORD: Extend_H moves the hydrogen atoms of disordered parts; the databank applies to them
    bool disorder_extend_h = false, disorder_databank = false;
    bool rename_atoms = false;  // RENAME: SHELX atoms named by element and running number
    RenameMode rename_mode = RenameMode::all_atoms;
    RingSearch rings;
    Keys keys;
    Tolerances tolerances;
    FragmentLines fragments;  // NFRAG, FRAG and CHFRAG
};

// The symmetry operators, identity first.
struct Symmetry {
    int count = 0;
    // rotation[n][j][k] is the coefficient of coordinate j in component k of operator n:
    // image component k = sum_j rotation[n][j][k] x(j) + translation[n][k]
    std::vector<Mat3f> rotation = std::vector<Mat3f>(max_symops + 1, Mat3f{});
    std::vector<Vec3f> translation = std::vector<Vec3f>(max_symops + 1, Vec3f{});
};

// The cards of a SHELX file that the heads of xd_kova.mas and mopro_kova.par repeat, and the
// scattering table of its SFAC types (what the SHELX reader found, for the writers of those
// files).
struct CellCard {
    std::array<float, 6> cell{};  // a b c (Å) alpha beta gamma (degrees)
    float wavelength = 0.0f;      // Å
};
struct LatticeCard {
    char letter = 'P';     // the centring
    bool centric = false;  // a centrosymmetric lattice so far: "LATT C", else "LATT A"
};
struct SymmetryCard {
    std::string text;  // the card as read: upper-cased, comment removed, trimmed
};
using ShelxCrystalCard = std::variant<CellCard, LatticeCard, SymmetryCard>;
// One row of the SCAT table: the shell occupations of an SFAC type's element in the order
// 1S 2S 3S 4S 2P 3P 4P 3D 4D 4F 5S 5P 6S 6P 5D 7S 6D 5F.
struct ScatteringRow {
    int atomic_number = 0;
    std::array<int, 18> shells{};
};
struct ShelxHead {
    // In file order; a file without LATT card ends with the primitive centric lattice it
    // stands for.
    std::vector<ShelxCrystalCard> cards;
    // The centring, and whether the lattice is centrosymmetric, as the LATT cards leave them.
    char lattice = 'P';
    bool centric = true;
    std::vector<ScatteringRow> scattering;  // per SFAC type, in order
};

// What xd_kova.mas copies of the old XD master file of XD input, as the XD reader selects it:
// every line cut to the 200 characters the copy reads and without trailing blanks (a blank line
// is empty), as written in the old file but for the tail's first line, which is upper-cased.
struct XdMasterCopy {
    std::vector<std::string> head;        // the lines before the old atom table
    std::vector<std::string> refinement;  // after the old atom and dummy tables, before "KEY "
    std::vector<std::string> tail;        // from the "EXTCN " line to the end of the file
    // A file that ends before a line the copy looks for: the part it cut short and the
    // run-time error ("file, record n: ...") that ends the run when the writer comes to copy
    // that part, which it does at the stage the part belongs to.
    enum class Part { none, head, refinement, tail };
    Part cut_short = Part::none;
    std::string cut_short_fault;
};

// The structure read. Per-atom members are indexed 1..; the images of completed molecules
// follow the atoms read in the same slots.
struct Structure {
    int atom_count = 0;                        // atoms read (images not counted)
    std::vector<std::string> label;            // 8 characters
    // Set together by place_atom, each derived from the other; fractional 0 for Cartesian input.
    std::vector<Fractional> frac;
    std::vector<Cartesian> cart;               // Å
    std::vector<int> atomic_number;            // 0 when not recognised
    std::vector<std::string> site_symmetry;    // 5 characters, chosen with the local frame
    std::vector<int> adp_order;  // XD column TP: 1 isotropic, 2 anisotropic, 3+ anharmonic
    std::vector<int> scattering_table;         // XD column TBL
    std::vector<int> multipole_level;          // highest level: 2 for hydrogen, 4 otherwise
    std::vector<float> occupancy;
    std::vector<int> occupancy_flag;           // 0 full, 1 special position, -1 disordered
    int type_count = 0;
    std::vector<int> type_atomic_number;       // 1..type_count
    std::vector<std::array<float, 6>> uij;     // U11 U22 U33 U12 U13 U23 (Å²)
    std::vector<std::string> residue_label;    // 17 characters, as the MoPro atom record has it
    std::vector<std::string> residue_atom;     // 10 characters: atom name and residue number
    bool has_residues = false;
    std::array<float, 6> cell{};               // a b c (Å) alpha beta gamma (degrees)
    Mat3f frac_to_cart{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};  // cart(k) = sum_j m[k][j] frac(j)
    Mat3f cart_to_frac{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    Symmetry symmetry;
    // 1..200 (SHELX FVAR): the overall scale 1.0, the others 0.0 until read
    std::array<float, max_free_vars + 1> free_var{0.0f, 1.0f};
    std::array<float, 7> weight{0.0f, -2.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.33333334f};  // 1..6 (WGHT)
    int free_var_count = 0;
    int table_count = 0;  // scattering tables: the largest table, at least 1
    std::string model_name = "TEST" + std::string(16, ' ');  // XD model name, 20 characters
    ShelxHead shelx_head;  // SHELX input
    XdMasterCopy xd_master;  // XD input
};

// Element data: covalent_radius (Å) and symbol indexed by Z from 1.
struct Elements {
    std::vector<float> covalent_radius;
    std::vector<std::string> symbol;
};

// The neighbours a search found; lists hold 1-based entries (slot 0 unused).
struct NeighbourList {
    int count = 0;
    bool any_disordered = false;               // one of them is disordered
    std::vector<int> atom;                     // 1..count, ascending distance
    std::vector<float> distance;               // Å
    int type_count = 0;
    std::vector<int> type_size, type_atomic_number;  // 1..type_count, ascending atomic number
    std::vector<std::vector<int>> type_atom;   // type_atom[t][m]: m-th neighbour of type t
};
// One atom's stored neighbour table; lists hold 1-based entries (slot 0 unused).
struct NeighbourTable {
    int count = 0;
    std::vector<int> atom;
    std::vector<float> distance;
    int type_count = 0;
    std::vector<int> type_atomic_number, type_size;
    std::vector<std::vector<int>> type_atom;
};
// The reduced connectivity table of the ring search: the atoms of the working list that can
// lie in a ring (open atoms removed) and the links among them.
struct ReducedTable {
    int count = 0;                        // entries
    std::vector<int> atom;                // 1..count: the atom of entry k
    std::vector<std::vector<int>> links;  // links[k][c], 1-based: the entries linked to entry k
};

// The working list and its topology.
struct Topology {
    int list_size = 0;                          // atoms read plus images of completed molecules
    std::vector<int> source_atom;               // per image its source atom; 0 for atoms read
    std::vector<int> image_count;               // images made of atom i
    std::vector<NeighbourTable> neighbours;     // neighbours[i]
    ReducedTable reduced;
    int ring_count = 0;
    std::vector<int> ring_size;                 // 1..ring_count
    std::vector<std::vector<int>> ring_atom;    // ring_atom[r][m], 1-based, in path order
    std::vector<bool> ring_planar;
    std::vector<int> ring_dummy;                // dummy at the ring centre, 0 none
};

// The planar situation of an atom as the frame analysis finds it, which the databank entries
// describe too.
struct PlanarSituation {
    int rings = 0;       // planar rings the atom belongs to: 0, 1 or 2
    int ring_size = 0;   // the size of that ring, or the sum of both sizes
    bool group = false;  // the atom and its neighbours lie in one plane
};

// What the hydrogen rule finds of the parent of a hydrogen atom with one neighbour, for the X-H
// extension, the databank match and the kappa sets; zeros for every other atom.
struct HydrogenParent {
    int neighbours = 0;
    int atomic_number = 0;
    int hydrogens = 0;  // hydrogen atoms on the parent, the atom itself among them
};

// An atom's local frame once it is final: the letters of its two axes and what they point at.
// A target is an atom number (1..atom_count) or atom_count + k for dummy k, which names its
// label too (frame_target_label); 0 for a target whose label names neither.
struct FinalFrame {
    char axis1 = ' ', axis2 = ' ';  // 'X', 'Y' or 'Z'
    int target1 = 0, target2 = 0;
};
// An atom of a group picture, where it was when the picture was drawn (Cartesian, Å).
struct GroupPictureAtom {
    int atom = 0;
    Cartesian position{};
};
// The restraints of an X-H bond that Extend_H took on: the distance they hold (Å) and the
// ratio of the hydrogen atom's displacement to its parent's.
struct XhRestraint {
    int parent = 0, hydrogen = 0;
    float distance = 0.0f, adp_ratio = 0.0f;
};

// Results of the frame analysis, per atom unless said otherwise.
struct AnalysisResults {
    int dummy_count = 0;
    std::vector<std::string> dummy_label;  // 6 characters
    std::vector<AnyPosition> dummy_xyz;    // fractional for crystal input, else Cartesian (Å)
    // For a hydrogen atom framed by the hydrogen rule: its parent's neighbours, atomic number
    // and hydrogen atoms (the HydrogenParent of its frame; zeros for every other atom).
    std::vector<int> parent_neighbours, parent_atomic_number, parent_hydrogens;
    int kappa_set_count = 0;
    std::vector<int> kappa_set;
    int kappa_count = 0;                          // highest kappa set given values
    std::vector<std::array<float, 3>> kappa;      // per set: [1] kappa, [2] kappa'
    std::vector<int> kappa_table;                 // per set: scattering table
    std::vector<bool> group_found;                // a functional group was recognised
    std::vector<std::string> group_name;          // 40 characters
    // The valence population (times the occupancy) and its sigma.
    std::vector<float> valence_population, valence_population_sigma;
    std::vector<Plm> plm;
    // The frame of each atom, from which the atom tables of xd_kova.mas and xd_kova.inp, the
    // MoPro axes lines and the SYMPLM lines are written.
    std::vector<FinalFrame> final_frame;
    std::vector<int> equivalent_atom;  // the earlier atom whose kappa set it took, or 0
    // The frame picture: the ends of the X, Y and Z axes, drawn from where the targets were when
    // the atom was framed. No later record gives those places back exactly: a hydrogen target
    // moves when it is framed itself (Extend_H), and a new dummy, or one that replaces an image
    // target, keeps its point in fractional coordinates for crystal input, from which the cell
    // gives the Cartesian point back only to rounding.
    std::vector<std::array<Cartesian, 3>> axis_ends;
    std::vector<std::string> mopro_similarity;  // 90 characters ("! CONPVM")
    // Not per atom: the bonds in the order their hydrogen atoms were framed, and the last
    // group picture the frames of the atoms carried (empty when none was drawn).
    std::vector<XhRestraint> xh_restraints;
    std::vector<GroupPictureAtom> group_picture;
};

// The parameters of one databank entry, or the free-atom defaults.
struct PseudoAtom {
    bool matched = false;  // an entry matched the atom
    float pv = 0.0f, pv_sigma = 0.0f;
    std::array<float, 3> kappa{};  // 1..2: kappa, kappa'
    Plm plm{};
};
// What the databank searches of a run counted, in atoms.
struct DatabankResults {
    int searched = 0, found = 0, not_found = 0;
};

// Look-up indexes beside the records: derived data only, each brought back in line with the
// records it indexes by the search that finds it out of date, so that repeated searches give
// the answers of the plain scans without scanning. The frame analysis also drops them all
// when it starts, as it empties the dummy store. (The neighbour index and the index of atoms
// and kappa sets, which must be told of the writes that change what they index, are no
// records: the stages that search through them hold them, topology/neighbours.hpp and
// frames/frame_analysis.hpp.)

// The dummy store, for the reuse test of the frame analysis (frames/dummies.cpp).
struct DummyIndex {
    bool made = false;        // the fields below describe the store
    Mat3f frac_to_cart{};     // the matrix the positions were made with
    int indexed_count = 0;    // dummies 1..indexed_count are in the grid
    std::vector<Cartesian> cart;  // position of dummy k as the reuse test computes it
    PointGrid grid;
};
// The images of the working list, for the symmetry-image test of the frame analysis
// (frames/dummies.cpp).
struct ImageIndex {
    int atom_count = -1, list_size = -1;  // the working list the grid was made from
    PointGrid grid;  // Cartesian positions of the images atom_count+1..list_size
};
// The rings holding each atom, for the ring-membership query (topology/rings.cpp).
struct RingIndex {
    int ring_count = -1;  // the number of rings it was made from; -1 not made
    // Per atom: how many rings hold it (counted up to 3) and the first two of them.
    std::vector<std::array<int, 3>> held;
};
struct SearchIndexes {
    // Each made by the first query that needs it, a query that only reads the records.
    mutable DummyIndex dummies;
    mutable ImageIndex images;
    mutable RingIndex rings;
};

struct Records {
    Options options;

    Structure structure;
    Elements elements;

    Topology topology;
    AnalysisResults frames;
    SearchIndexes index;

    DatabankResults databank;

    // Every record at the state a run starts from: the options at their defaults, the element
    // tables filled in, no atoms.
    Records();

    // Number of atom slots available (1..atom_slots()).
    int atom_slots() const { return static_cast<int>(structure.atomic_number.size()) - 1; }
    // The length of the working list, within the slots held.
    int list_length() const { return std::clamp(topology.list_size, 0, atom_slots()); }
    // Grows every per-atom member to hold atoms 1..n with its initial value;
    // beyond max_atoms the caller stops the run with its own message.
    void ensure_atoms(int n);
    // Room for atoms 1..n in every per-atom member, its size unchanged (for a reader that
    // knows how many atoms there may be before it reads them one by one).
    void reserve_atoms(int n);
    // Grows the kappa-set slots (frames.kappa, frames.kappa_table) to hold sets 1..n.
    void ensure_kappa_sets(int n);
    // Grows the dummy slots to hold dummies 1..n.
    void ensure_dummies(int n);
    // Grows the ring slots to hold rings 1..n.
    void ensure_rings(int n);
};

// The label of frame target `number` (see FinalFrame) in 8 characters: the atom's, the
// dummy's, or blanks for 0.
std::string frame_target_label(const Structure& s, const AnalysisResults& results, int number);

// Atom i's position from its fractional coordinates; the Cartesian ones follow by the cell.
void place_atom(Structure& s, int i, const Fractional& xf);
// Atom i's position from its Cartesian coordinates; the fractional ones follow by the inverse
// of the cell's matrix for crystal input, and are 0 for Cartesian input, which has no cell.
void place_atom(Records& r, int i, const Cartesian& xc);

// The element symbol of atomic number z as written in listings ("??" outside the table).
std::string element_symbol(const Records& r, int z);
// The covalent radius of atomic number z (the tabulated value, or the fallback).
float covalent_radius(const Records& r, int z);

// The atomic number of an element symbol (0 when none matches).
int atomic_number(std::string_view symbol);

// The name of a scaling method in the listing ("difference" also when none was chosen).
const char* pv_scaling_name(PvScaling method);

}  // namespace kova
