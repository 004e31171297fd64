// The shared records of a run: every member named and laid out as the data model names it.
// Arrays keep their 1-based indices (slot 0 unused); coordinates, matrices and P(l,m)
// use small fixed arrays indexed from 0. Per-atom storage follows the structure read.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "shared/channels.hpp"

namespace kova {

using Vec3f = std::array<float, 3>;
using Mat3f = std::array<std::array<float, 3>, 3>;  // m[row][col], row = k, col = j of tmat(k,j)

// Capacities of the data model; only those that a routine tests are checked.
constexpr int maxat = 100000;
constexpr int maxnei = 1000;
constexpr int maxnei_stored = 20;
constexpr int maxrings = 1000;
constexpr int maxringmemb = 100;
constexpr int maxdum = 2000;
constexpr int maxsym = 192;   // operator table (a full F-centred cubic set)
constexpr int maxfvar = 200;
constexpr int maxwords = 40;

// P(l,m), l = 0..4, m = -4..4: plm[l][m + 4]
using Plm = std::array<std::array<float, 9>, 5>;

struct Files {
    int ixdmas = 0, iout = 0, ixdinp = 0, idbank = 0, imocon = 0;
};
struct XhBonds {
    int iureset = 0, iuconst = 0, iures = 0;
};
struct Iplat { int iplat = 0; };
struct Verbosity { int iverb = 0; };
struct Iprint { int iprint = 0; };
struct Nsft { int nsft = 0; };
struct Ftype { int iformat = 0; };
struct Ifra { int ifra = 0; };
struct Compfrag { int ncells = 0; };
struct Abank { std::string dbfile = std::string(60, ' '); };
struct Args {
    std::array<std::string, 3> fname{"", std::string(60, ' '), std::string(60, ' ')};  // 1..2
    bool lrings = false;
    int iscale = 0;
};
struct Ldb {
    bool ldb = false;
    int nsearch = 0, nfound = 0, nnotfound = 0;
};
struct Lfh { bool lfh = false; };
struct Lsx { bool ltoxd = false; };
struct Simple { int isimple = 0; };
struct Lchem { bool lchemh = false, lchemx = false; };
struct Disorder { bool ldisfh = false, ldisdb = false; };
struct RenameShelxAtoms {
    bool lrename = false;
    int irs = 0;
};
struct Ring1 {
    int minring = 0, maxring = 0;
    bool lspecial = false;
};
struct Lkeys {
    bool lxyz = false, lxyzall = false, lxyzord = false;
    bool lmult = false, lmulall = false, lmulord = false, lkappa = false;
};
struct Tols { float tol1 = 0.0f, tol2 = 0.0f, tol3 = 0.0f; };
struct Amodel { std::string model = std::string(20, ' '); };
struct Xdold { std::string xdmasfile = std::string(60, ' '); };
struct LineExtract {
    int nword = 0;
    std::array<int, maxwords + 1> istar{};            // 1..40
    std::array<std::string, maxwords + 1> word{};     // 1..40, 8 characters each
};

// Structure
struct Atoms {
    int nat = 0;
    std::vector<std::string> label;   // 8 characters
    std::vector<Vec3f> xf, xc;        // fractional; Cartesian (Å)
    std::vector<int> iz;
    std::vector<std::string> sitesym; // 5 characters
};
struct Atoms1 {
    std::vector<int> tp, itbl, lmx;
    std::vector<float> occ;
    std::vector<int> occflag;
};
struct AtTypes {
    int ntypes = 0;
    std::vector<int> iztype;  // 1..ntypes
};
struct AtUij { std::vector<std::array<float, 6>> uij; };  // U11 U22 U33 U12 U13 U23
struct Resi1 {
    std::vector<std::string> reslab;  // 17 characters
    std::vector<std::string> resatm;  // 10 characters
    bool lresi = false;
};
struct Cryst {
    int ncryst = 0;
    std::vector<int> isq, nsq;
};
struct Ucell { std::array<float, 6> cell{}; };  // a b c alpha beta gamma
struct Transf {
    Mat3f tmat{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    Mat3f tinv{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
};
struct Symm {
    int nsym = 0;
    // rot[n][j][k] is rot(j+1,k+1,n): image component k = sum_j rot(j,k,n) x(j) + trn(k,n)
    std::vector<Mat3f> rot = std::vector<Mat3f>(maxsym + 1, Mat3f{});
    std::vector<Vec3f> trn = std::vector<Vec3f>(maxsym + 1, Vec3f{});
};
struct Shelx1 {
    std::array<float, maxfvar + 1> fvar{};  // 1..200
    std::array<float, 7> wght{};            // 1..6
    int nfvar = 0;
};

// Element data: covrad and atsym indexed by Z from 1.
struct Covrad { std::vector<float> covrad; };
struct Atsym { std::vector<std::string> atsym; };

// Topology
struct Neig {
    int nnei = 0;
    std::vector<int> inei;          // 1..nnei
    std::vector<float> dnei;
    int ntyp = 0;
    std::vector<int> ncnt, iztyp;   // 1..ntyp
    std::vector<std::vector<int>> itypat;  // itypat[t][m], 1-based both
};
// One atom's stored neighbour table; lists hold 1-based entries (slot 0 unused).
struct NeiTable {
    int nnei = 0;
    std::vector<int> inei;
    std::vector<float> dnei;
    int ntyp = 0;
    std::vector<int> iztyp, ncnt;
    std::vector<std::vector<int>> itypat;
};
struct Neighbors { std::vector<NeiTable> at; };  // at[i]
struct Isn { std::vector<int> isn; };             // 1..nnei
struct Newat {
    int nnew = 0;
    std::vector<int> newat;
};
struct Conmat {
    std::vector<std::vector<int>> icon;  // icon[l][m], 1-based
    std::vector<int> nconn;
};
// The spatial index of the working list kept by the neighbour search (topology/neighbours.cpp).
struct NeighbourIndex;

struct Rings {
    int nor = 0;
    std::vector<int> ringsize;                  // 1..nor
    std::vector<std::vector<int>> ringat;       // ringat[r][m], 1-based
    std::vector<bool> ringplanar;
    std::vector<int> ringdum;
};

// Results of the frame analysis
struct Dummy {
    int ndum = 0;
    std::vector<std::string> dumlab;  // 6 characters
    std::vector<Vec3f> dumxyz;
};
struct Forring { int iring = 0, imemb = 0; };
struct Lpg { bool lpg = false; };
struct Forh { std::vector<int> isp, ihp, ihnei; };
struct Kappaset {
    int nkset = 0;
    std::vector<int> kset;
};
struct Kappas {
    int nkap = 0;
    std::vector<std::array<float, 3>> kap;  // kap[s][1] kappa, kap[s][2] kappa'
    std::vector<int> ktbl;
};
struct Except {
    std::vector<int> iexc;
    std::vector<std::string> exname;  // 40 characters
};
struct Mpoles1 {
    int ifind = 0;
    float pv = 0.0f, spv = 0.0f;
    std::array<float, 3> kappa{};  // 1..2
    Plm plm{};
};
struct Mpoles {
    std::vector<float> pv, spv;
    std::vector<Plm> plm;
    std::vector<std::array<int, 12>> itab;  // 1..11
};
struct Mopro { std::vector<std::string> mopro; };  // 90 characters
struct Mcon { std::vector<std::string> mcon; };    // 90 characters
struct Cons { std::vector<std::string> cons; };    // 100 characters

// Look-up indexes beside the records: derived data only, brought back in line with the
// records they index whenever those no longer match, so that repeated searches give the
// answers of the plain scans without scanning (kept by frames/dummies.cpp and
// frames/equivalence.cpp; `localdef` clears them before the first atom is framed).
struct PointCells {
    float edge = 0.0f;                                          // cell edge (Å)
    std::unordered_map<std::uint64_t, std::vector<int>> cells;  // ascending indices per cell
};
struct DummyIndex {
    int nindexed = 0;       // dummies 1..nindexed are in the cells
    int ifra = -1;          // coordinate mode and matrix the positions were made with
    Mat3f tmat{};
    std::vector<Vec3f> pc;  // Cartesian position of dummy k as the reuse test computes it
    PointCells grid;
};
struct ImageIndex {
    int nat = -1, ncryst = -1;  // the working list the cells were made from
    PointCells grid;            // Cartesian positions of the images nat+1..ncryst
};
struct RingIndex {
    int nor = -1;
    long long members = -1;     // sum of the ring sizes when the index was made
    // Per atom: how many rings hold it (counted up to 3) and the first two of them.
    std::vector<std::array<int, 3>> held;
};
struct SearchIndexes {
    DummyIndex dummies;
    ImageIndex images;
    RingIndex rings;
};

// Lookup tables that the frame analysis keeps over its atom loop (src/frames/frame_index.hpp).
struct FrameIndex;
struct DbFile;  // the databank file held in memory (databank/dbfile.hpp)

struct Records {
    Io io;  // channels, terminal and standard streams of this run

    Files files;
    XhBonds xhbonds;
    Iplat iplat;
    Verbosity verbosity;
    Iprint iprint;
    Nsft nsft;
    Ftype ftype;
    Ifra ifra;
    Compfrag compfrag;
    Abank abank;
    Args args;
    Ldb ldb;
    Lfh lfh;
    Lsx lsx;
    Simple simple;
    Lchem lchem;
    Disorder disorder;
    RenameShelxAtoms renameshelxatoms;
    Ring1 ring1;
    Lkeys lkeys;
    Tols tols;
    Amodel amodel;
    Xdold xdold;
    LineExtract line_extract;

    Atoms atoms;
    Atoms1 atoms1;
    AtTypes at_types;
    AtUij at_uij;
    Resi1 resi1;
    Cryst cryst;
    Ucell ucell;
    Transf transf;
    Symm symm;
    Shelx1 shelx1;

    Covrad covrad;
    Atsym atsym;

    Neig neig;
    Neighbors neighbors;
    Isn isn;
    Newat newat;
    Conmat conmat;
    Rings rings;
    std::shared_ptr<NeighbourIndex> nbindex;  // rebuilt when the working list changes

    Dummy dummy;
    Forring forring;
    Lpg lpg;
    Forh forh;
    Kappaset kappaset;
    Kappas kappas;
    Except except;
    Mpoles1 mpoles1;
    Mpoles mpoles;
    Mopro mopro;
    Mcon mcon;
    Cons cons;
    std::shared_ptr<FrameIndex> frame_index;

    SearchIndexes index;

    // The databank file parsed once, with the read position of the searches.
    std::shared_ptr<DbFile> dbank;

    Records();

    // Number of atom slots available (1..atom_slots()).
    int atom_slots() const { return static_cast<int>(atoms.iz.size()) - 1; }
    // Grows every per-atom member to hold atoms 1..n with its initial value;
    // beyond maxat the caller stops the run with its own message.
    void ensure_atoms(int n);
    // Room for atoms 1..n in every per-atom member, its size unchanged (for a reader that
    // knows how many atoms there may be before it reads them one by one).
    void reserve_atoms(int n);
    // Grows the kappa-set slots (kappas.kap, kappas.ktbl) to hold sets 1..n.
    void ensure_ksets(int n);
    // Grows the dummy slots to hold dummies 1..n.
    void ensure_dummies(int n);
    // Grows the ring slots to hold rings 1..n.
    void ensure_rings(int n);
};

// The element symbol of atomic number z as written in listings ("??" outside the table).
std::string element_symbol(const Records& r, int z);
// The covalent radius of atomic number z (the tabulated value, or the fallback).
float covalent_radius(const Records& r, int z);

int iatnum(std::string_view symbol);

}  // namespace kova
