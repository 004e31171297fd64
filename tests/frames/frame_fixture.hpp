// Hand-filled records for the frame routines: a run's channels bound to a fresh directory,
// the defaults set, and small helpers to place atoms and give them neighbour tables.
#pragma once

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "main/messages.hpp"
#include "shared/format.hpp"
#include "shared/records.hpp"
#include "support.hpp"

namespace kova::test {

struct FrameRecords {
    TempDir dir;
    std::istringstream in;
    std::ostringstream out, errs;
    std::unique_ptr<Records> rp = std::make_unique<Records>();
    Records& r = *rp;

    // nat atoms read, Cartesian input unless crystal is set; listing, kova.spf and
    // xd_kova.mas open on their channels.
    explicit FrameRecords(int nat, bool crystal = false) {
        r.io.bind(dir.path(), &in, &out, &errs);
        r.files.ixdmas = 58;
        r.files.iout = 35;
        r.files.imocon = 443;
        r.iplat.iplat = 46;
        init(r);
        r.ifra.ifra = crystal ? 1 : 0;
        r.ensure_atoms(nat);
        r.atoms.nat = nat;
        r.cryst.ncryst = nat;
        r.io.create(r.files.ixdmas, "xd_kova.mas");
        r.io.create(r.files.iout, "kova.out");
        r.io.create(r.iplat.iplat, "kova.spf");
    }

    void atom(int i, const std::string& label, int z, Vec3f xc = {}) {
        r.ensure_atoms(i);
        r.atoms.label[static_cast<std::size_t>(i)] = pad(label, 8);
        r.atoms.iz[static_cast<std::size_t>(i)] = z;
        r.atoms.xc[static_cast<std::size_t>(i)] = xc;
    }

    // The stored neighbour table of atom i: neighbour indices in distance order; the types
    // are grouped by ascending atomic number.
    void neighbours(int i, const std::vector<int>& nei) {
        NeiTable t;
        t.nnei = static_cast<int>(nei.size());
        t.inei.assign(1, 0);
        t.inei.insert(t.inei.end(), nei.begin(), nei.end());
        t.iztyp.assign(1, 0);
        t.ncnt.assign(1, 0);
        t.itypat.assign(1, std::vector<int>(1, 0));
        for (int z = 1; z <= 109; ++z) {
            std::vector<int> members(1, 0);
            for (int a : nei)
                if (r.atoms.iz[static_cast<std::size_t>(a)] == z) members.push_back(a);
            if (members.size() == 1) continue;
            t.iztyp.push_back(z);
            t.ncnt.push_back(static_cast<int>(members.size()) - 1);
            t.itypat.push_back(members);
        }
        t.ntyp = static_cast<int>(t.iztyp.size()) - 1;
        r.neighbors.at[static_cast<std::size_t>(i)] = t;
    }

    void ring(const std::vector<int>& members, bool planar) {
        int k = ++r.rings.nor;
        r.ensure_rings(k);
        r.rings.ringsize[static_cast<std::size_t>(k)] = static_cast<int>(members.size());
        std::vector<int> at(1, 0);
        at.insert(at.end(), members.begin(), members.end());
        r.rings.ringat[static_cast<std::size_t>(k)] = at;
        r.rings.ringplanar[static_cast<std::size_t>(k)] = planar;
    }

    std::vector<std::string> lines(const std::string& name) {
        r.io.flush_all();
        return lines_of(dir.read(name));
    }
};

}  // namespace kova::test
