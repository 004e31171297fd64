// Neighbour tables written by hand for the topology-only rules: a bond list "A-B C-D ..."
// gives each atom its neighbours in the order its bonds are listed (that order stands for the
// distance order); the element comes from the label; atom i lies at (i, i*i mod 5, 0), so
// every atom is in the xy plane unless a test moves it.
#pragma once

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "frame_fixture.hpp"

namespace kova::test {

struct Graph {
    test::FrameRecords f{0};
    std::map<std::string, int> id;
    std::vector<std::vector<int>> nei{{}};

    // bonds: "C1-N1 C1-N2 ..."; rings: "C1 N1 C2/C3 C4 C5" (planar), "-" in front of a ring
    // makes it non-planar.
    Graph(const std::string& bonds, const std::string& rings = "") {
        std::istringstream in(bonds);
        for (std::string b; in >> b;) {
            auto dash = b.find('-');
            int a = atom(b.substr(0, dash)), c = atom(b.substr(dash + 1));
            nei[static_cast<std::size_t>(a)].push_back(c);
            nei[static_cast<std::size_t>(c)].push_back(a);
        }
        int n = static_cast<int>(id.size());
        f.r.structure.atom_count = f.r.topology.list_size = n;
        for (int i = 1; i <= n; ++i) f.neighbours(i, nei[static_cast<std::size_t>(i)]);
        std::istringstream rs(rings);
        for (std::string ring; std::getline(rs, ring, '/');) {
            bool planar = ring.find('-') == std::string::npos;
            std::istringstream ms(ring);
            std::vector<int> members;
            for (std::string m; ms >> m;)
                if (m != "-") members.push_back(id.at(m));
            f.ring(members, planar);
        }
    }
    int atom(const std::string& label) {
        auto it = id.find(label);
        if (it != id.end()) return it->second;
        int i = static_cast<int>(id.size()) + 1;
        id[label] = i;
        nei.emplace_back();
        float x = static_cast<float>(i);
        f.atom(i, label, atomic_number(label), {x, static_cast<float>((i * i) % 5), 0.0f});
        return i;
    }
    int operator[](const std::string& label) const { return id.at(label); }
};

}  // namespace kova::test
