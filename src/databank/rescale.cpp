// Rescaling of the valence populations: each fragment of kova.inp (NFRAG, FRAG, CHFRAG), or
// all atoms as one, is brought to its free-atom electron count minus its net charge, asked
// for at the terminal when kova.inp gives no CHFRAG line.
#include "databank/rescale.hpp"

#include <algorithm>
#include <cmath>
#include <istream>
#include <map>
#include <utility>

#include "databank/databank.hpp"
#include "shared/errors.hpp"
#include "shared/fatal.hpp"
#include "shared/format.hpp"
#include "shared/list_reader.hpp"
#include "shared/text.hpp"

namespace kova {

namespace {

constexpr int kInp = 45;  // kova.inp, read again by this stage
const char* const kInpName = "kova.inp";

struct FragmentCharges {
    int count = 0;             // NFRAG
    bool any = false;          // a FRAG line was seen
    bool any_charged = false;  // a CHFRAG line was seen
    std::vector<float> charge{0.0f};  // 1..: net charges of fragments 1, 2, ...
    float net_charge(int f) const {
        return f < static_cast<int>(charge.size()) ? charge[static_cast<std::size_t>(f)] : 0.0f;
    }
};

bool starts(const std::string& line, const char* key) {
    return line.compare(0, std::char_traits<char>::length(key), key) == 0;
}

void read_fragment_charges(Records& r, FragmentCharges& fc) {
    std::string line;
    while (read_logical_line(r, kInp, line)) {
        upper_case(line);
        int rec = r.io.in(kInp).recno();
        if (starts(line, "NFRAG")) {
            if (ListReader(std::string_view(line).substr(5)).get(fc.count) != ReadStatus::ok)
                fault(kInpName, rec,
                      "expected the number of fragments after NFRAG, found \"" + trim(line) + "\"");
        } else if (starts(line, "FRAG")) {
            fc.any = true;
        } else if (starts(line, "CHFRAG")) {
            fc.any_charged = true;
            std::string nums = line;
            split_text_words(nums);
            int n = count_blank_ended_words(nums);
            if (static_cast<int>(fc.charge.size()) < n + 1)
                fc.charge.resize(static_cast<std::size_t>(n) + 1, 0.0f);
            ListReader in(nums);
            for (int k = 1; k <= n; ++k)
                if (in.get(fc.charge[static_cast<std::size_t>(k)]) != ReadStatus::ok)
                    fault(kInpName, rec,
                          "expected the net charges of the fragments on the CHFRAG line, found \"" +
                              trim(line) + "\"");
        }
    }
}

// The atoms of each fragment as spans of atom numbers; a fragment's atoms in ascending order
// are its spans merged.
using Spans = std::vector<std::pair<long long, long long>>;

// The spans of atoms 1..nat that the FRAG lines name, by fragment, from one reading of the
// lines (they are the same for every fragment).
std::map<long long, Spans> fragment_spans(Records& r) {
    const long long nat = r.structure.atom_count;
    std::map<long long, Spans> spans;
    r.io.in(kInp).rewind();
    std::string line;
    while (read_logical_line(r, kInp, line)) {
        upper_case(line);
        if (!starts(line, "FRAG")) continue;
        line.replace(0, 4, "    ");
        int n = count_blank_ended_words(line);
        std::vector<int> v(static_cast<std::size_t>(n), 0);
        ListReader in(line);
        for (int& x : v)
            if (in.get(x) != ReadStatus::ok)
                fatal_error(r, "rescalePv", "Error reading fragments from kova.inp");
        if (n == 0) continue;
        Spans& of = spans[v[0]];
        auto add = [&](long long a, long long b) {  // atoms a..b that exist
            a = std::max(a, 1LL);
            b = std::min(b, nat);
            if (a <= b) of.emplace_back(a, b);
        };
        long long prev = v[0];
        for (int k = 1; k < n; ++k) {
            long long x = v[static_cast<std::size_t>(k)];
            if (x > 0) add(x, x);
            // A range runs from the number before it; after a zero or another range it has
            // no start and adds nothing.
            if (x < 0 && prev > 0 && -x >= prev) add(prev, -x);
            prev = x;
        }
    }
    return spans;
}

// Overlapping and adjacent spans joined, in ascending order.
Spans merged(Spans s) {
    std::sort(s.begin(), s.end());
    Spans out;
    for (const auto& [a, b] : s) {
        if (!out.empty() && a <= out.back().second + 1)
            out.back().second = std::max(out.back().second, b);
        else
            out.emplace_back(a, b);
    }
    return out;
}

}  // namespace

void rescale_valence_populations(Records& r) {
    const int listing = r.files.listing;
    auto lst = [&](const std::string& s) { r.io.write(listing, s); };
    auto both = [&](const std::string& s) {
        r.io.write(terminal, s);
        r.io.write(listing, s);
    };
    const int method = r.options.pv_scaling;
    const char* mname = method == 2 ? "fraction" : method == 3 ? "sigmaPv" : "difference";
    const char* msign = method == 2 ? "*" : method == 3 ? "s" : "+";
    lst("");
    lst(std::string(" Using ") + mname + " method for rescaling...");

    FragmentCharges fc;
    const bool opened = r.io.try_open_old(kInp, kInpName);
    if (opened) read_fragment_charges(r, fc);

    bool allatoms = true;
    int nfrag = 1;
    if (fc.any && fc.count != 0) {
        allatoms = false;
        nfrag = fc.count;  // a negative number gives no fragment at all
    }
    if (allatoms) {
        both("");
        both(" Using ALL atoms for fragment 1 !");
    }

    const int nat = r.structure.atom_count;
    // The FRAG lines are read when the first fragment is rescaled (a line that does not read
    // stops the run there).
    std::map<long long, Spans> spans;
    bool read = false;
    for (int f = 1; f <= nfrag; ++f) {
        both("");
        both(" ***** Rescaling Pv's in fragment = " + fi(f, 3) + " *****");
        Spans members;
        if (allatoms) {
            if (nat >= 1) members.emplace_back(1, nat);
        } else {
            if (!read) spans = fragment_spans(r);
            read = true;
            if (auto it = spans.find(f); it != spans.end()) members = merged(it->second);
        }
        // Atom by atom in ascending order, as a walk over all atoms meets them.
        auto each = [&members](auto&& body) {
            for (const auto& [a, b] : members)
                for (long long k = a; k <= b; ++k) body(static_cast<int>(k));
        };

        float s = 0.0f, fr = 0.0f, sig = 0.0f;
        int n = 0;
        each([&](int k) {
            s += r.frames.valence_population[k];
            fr += free_atom_valence(r.structure.atomic_number[k]) * r.structure.occupancy[k];
            sig += r.frames.valence_population_sigma[k];
            ++n;
        });
        // An empty fragment has no free-atom electrons to compare with.
        float pct = fr != 0.0f ? std::fabs(fr - s) / fr * 100.0f : 0.0f;
        both("");
        both(" Sum-of-Pv[free]     = " + ff(fr, 12, 6) + " el.");
        both(" Sum-of-Pv[databank] = " + ff(s, 12, 6) + " el.");
        both(" Difference          = " + ff(fr - s, 12, 6) + " el. ( " + ff(pct, 6, 2) + " % )");
        if (method == 3) both(" Sum of sigma(Pv)    = " + ff(sig, 12, 6));

        if (!fc.any_charged) {
            r.io.prompt(" Enter net charge of fragment " + fi(f, 3) + " [0.] : ");
            const std::string answer =
                r.io.answer("the net charge of fragment " + std::to_string(f));
            if (trimmed_length(answer) != 0) {
                if (static_cast<int>(fc.charge.size()) < f + 1)
                    fc.charge.resize(static_cast<std::size_t>(f) + 1, 0.0f);
                if (ListReader(answer).get(fc.charge[static_cast<std::size_t>(f)]) ==
                    ReadStatus::error)
                    fault("standard input", "expected a number for the net charge of fragment " +
                                                std::to_string(f) + ", found \"" + trim(answer) +
                                                "\"");
            }
        }
        const float q = fc.net_charge(f);
        const float t = fr - q;
        both("");
        both(" Rescaling Sum-of-Pv to " + ff(t, 13, 6) + " el." + "   " +
             "( Charge = " + fsp(q, 8, 3) + " el. )");

        lst("");
        lst("    NO  ATOM" + std::string(7, ' ') + "Occup.    Pv(DB)      Pv(free)" +
            std::string(4, ' ') + msign + "Corr       Pv(new)");
        lst("");
        float snew = 0.0f;
        each([&](int k) {
            float pv = r.frames.valence_population[k];
            float corr = 0.0f, pnew = 0.0f;
            // Without weights (every sigma 0) the sigma method shares the difference equally,
            // and a zero sum cannot be scaled: the fraction method then leaves it as it is.
            if (method == 2) {
                corr = s != 0.0f ? t / s : 1.0f;
                pnew = pv * corr;
            } else if (method == 3 && sig != 0.0f) {
                corr = r.frames.valence_population_sigma[k] * (t - s) / sig;
                pnew = pv + corr;
            } else {
                corr = (t - s) / static_cast<float>(n);
                pnew = pv + corr;
            }
            float occ = r.structure.occupancy[k];
            lst(fi(k, 6) + "  " + pad(r.structure.label[k], 8) + " " + ff(occ, 7, 3) +
                ff(pv, 12, 5) + ff(free_atom_valence(r.structure.atomic_number[k]) * occ, 12, 5) +
                fsp(corr, 12, 5) + ff(pnew, 12, 5));
            r.frames.valence_population[k] = pnew;
            snew += pnew;
        });
        lst("");
        lst(std::string(20, ' ') + "SUM " + ff(s, 12, 5) + ff(fr, 12, 5) + ff(t - s, 12, 5) +
            ff(snew, 12, 5));
    }
    if (opened) r.io.close(kInp);
}

}  // namespace kova
