// Hand-filled records for the frame routines: a run's channels bound to a fresh directory,
// the defaults set, and small helpers to place atoms and give them neighbour tables.
#pragma once

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "shared/fatal.hpp"
#include "shared/format.hpp"
#include "shared/records.hpp"
#include "support.hpp"

namespace kova::test {

struct FrameRecords {
    TempDir dir;
    std::istringstream in;
    std::ostringstream out, errs;
    std::unique_ptr<test::RunRecords> rp = std::make_unique<test::RunRecords>();
    test::RunRecords& r = *rp;

    // nat atoms read, Cartesian input unless crystal is set; listing, kova.spf and
    // xd_kova.mas open on their channels.
    explicit FrameRecords(int nat, bool crystal = false) {
        r.io.bind(dir.path(), &in, &out, &errs);
        r.files.xd_master = 58;
        r.files.listing = 35;
        r.files.mopro_constraints = 443;
        r.files.plot = 46;
        set_defaults(r);
        r.options.crystal_input = crystal;
        r.ensure_atoms(nat);
        r.structure.atom_count = nat;
        r.topology.list_size = nat;
        r.io.create(r.files.xd_master, "xd_kova.mas");
        r.io.create(r.files.listing, "kova.out");
        r.io.create(r.files.plot, "kova.spf");
    }

    void atom(int i, const std::string& label, int z, Vec3f xc = {}) {
        r.ensure_atoms(i);
        r.structure.label[static_cast<std::size_t>(i)] = pad(label, 8);
        r.structure.atomic_number[static_cast<std::size_t>(i)] = z;
        r.structure.cart[static_cast<std::size_t>(i)] = xc;
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

    void ring(const std::vector<int>& members, bool planar) {
        int k = ++r.topology.ring_count;
        r.ensure_rings(k);
        r.topology.ring_size[static_cast<std::size_t>(k)] = static_cast<int>(members.size());
        std::vector<int> at(1, 0);
        at.insert(at.end(), members.begin(), members.end());
        r.topology.ring_atom[static_cast<std::size_t>(k)] = at;
        r.topology.ring_planar[static_cast<std::size_t>(k)] = planar;
    }

    std::vector<std::string> lines(const std::string& name) {
        r.io.flush_all();
        return lines_of(dir.read(name));
    }
};

}  // namespace kova::test
