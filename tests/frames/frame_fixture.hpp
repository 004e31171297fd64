// Hand-filled records for the frame routines: a workspace with the files the frame analysis
// writes open, small helpers to place atoms and give them neighbour tables, and small
// structures framed atom by atom.
#pragma once

#include <string>
#include <vector>

#include "frames/frame_driver.hpp"
#include "shared/fatal.hpp"
#include "shared/format.hpp"
#include "shared/records.hpp"
#include "support.hpp"
#include "topology/neighbours.hpp"

namespace kova::test {

struct FrameRecords : Workspace {
    // nat atoms read, Cartesian input unless crystal is set; listing, kova.spf and
    // xd_kova.mas open on their channels.
    explicit FrameRecords(int nat, bool crystal = false) : Workspace({.listing = true}) {
        r.options.crystal_input = crystal;
        r.ensure_atoms(nat);
        r.structure.atom_count = nat;
        r.topology.list_size = nat;
        r.io.create(Files::xd_master, "xd_kova.mas");
        r.io.create(Files::plot, "kova.spf");
    }

    void atom(int i, const std::string& label, int z, Vec3f xc = {}) {
        r.ensure_atoms(i);
        r.structure.label[static_cast<std::size_t>(i)] = pad(label, 8);
        r.structure.atomic_number[static_cast<std::size_t>(i)] = z;
        r.structure.cart[static_cast<std::size_t>(i)] = Cartesian{xc};
    }

    // The stored neighbour table of atom i: neighbour indices in distance order; the types
    // are grouped by ascending atomic number.
    void neighbours(int i, const std::vector<int>& nei) {
        NeighbourTable t;
        t.count = static_cast<int>(nei.size());
        t.atom.assign(1, 0);
        t.atom.insert(t.atom.end(), nei.begin(), nei.end());
        t.type_atomic_number.assign(1, 0);
        t.type_size.assign(1, 0);
        t.type_atom.assign(1, std::vector<int>(1, 0));
        for (int z = 1; z <= 109; ++z) {
            std::vector<int> members(1, 0);
            for (int a : nei)
                if (r.structure.atomic_number[static_cast<std::size_t>(a)] == z)
                    members.push_back(a);
            if (members.size() == 1) continue;
            t.type_atomic_number.push_back(z);
            t.type_size.push_back(static_cast<int>(members.size()) - 1);
            t.type_atom.push_back(members);
        }
        t.type_count = static_cast<int>(t.type_atomic_number.size()) - 1;
        r.topology.neighbours[static_cast<std::size_t>(i)] = t;
    }

    void ring(const std::vector<int>& members, bool planar) { add_ring(r, members, planar); }
};

// An atom of a hand-made structure: its label, atomic number and Cartesian position (Å).
struct At {
    const char* label;
    int z;
    Vec3f xc;
};

// A structure read from Cartesian input (TP 2, TBL 1), framed atom by atom after the neighbour
// stage, as the per-atom driver does.
struct FramedAtoms : FrameRecords {
    explicit FramedAtoms(const std::vector<At>& atoms, Vec3f shift = {}) : FrameRecords(0) {
        add(atoms, shift);
    }
    // Further atoms, each moved by `shift`.
    void add(const std::vector<At>& atoms, Vec3f shift = {}) {
        const int base = r.structure.atom_count;
        r.structure.atom_count = r.topology.list_size = base + static_cast<int>(atoms.size());
        for (std::size_t k = 0; k < atoms.size(); ++k) {
            const int i = base + static_cast<int>(k) + 1;
            const auto s = static_cast<std::size_t>(i);
            Vec3f p = atoms[k].xc;
            for (int j = 0; j < 3; ++j) p[j] += shift[j];
            atom(i, atoms[k].label, atoms[k].z, p);
            r.structure.adp_order[s] = 2;
            r.structure.scattering_table[s] = 1;
            r.structure.multipole_level[s] = atoms[k].z == 1 ? 2 : 4;
        }
    }
    Databank* databank = nullptr;  // the run's databank, when it has one
    void frame() {
        find_all_neighbours(r.io, r);
        r.frames.dummy_count = 0;
        FrameAnalysis analysis(r, databank);
        for (int i = 1; i <= r.structure.atom_count; ++i) frame_atom(r.io, r, i, analysis);
        r.io.flush_all();
    }
};

}  // namespace kova::test
