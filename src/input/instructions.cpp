// The instruction file kova.inp: keyword lines set the option records, then the options are
// listed. Positional switches (KEYGEN, DISORD, CHEMCON, RINGS) count the star of the word in
// a given place, whatever the word says; FORMAT and SCALE name their choices.
#include "input/instructions.hpp"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "input/text.hpp"
#include "main/messages.hpp"
#include "shared/errors.hpp"
#include "shared/format.hpp"
#include "shared/listread.hpp"

namespace kova {

namespace {

constexpr int inpunit = 23;
const char* const inpname = "kova.inp";

void rule(Records& r) {
    r.io.write(r.files.iout, "");
    r.io.write(r.files.iout, " " + std::string(71, '-'));
}

bool word_is(const Records& r, int k, std::string_view kw) {
    return k >= 1 && k <= r.line_extract.nword && same_text(r.line_extract.word[k], kw);
}

bool starred(const Records& r, int k) {
    return k >= 1 && k <= r.line_extract.nword && r.line_extract.istar[k] == 1;
}

// Reads the numbers left in the line; a value of the wrong type stops through err, too few
// values are an unguarded end of input.
template <typename... T>
void read_numbers(Records& r, const std::string& line, const char* what, T&... t) {
    ReadStatus st = read_list(line, t...);
    if (st == ReadStatus::error) err(r, "ReadInp", "Error while reading file kova.inp");
    if (st == ReadStatus::end)
        fault(inpname, r.io.in(inpunit).recno(),
              std::string("expected ") + what + ", found \"" + trim(line) + "\"");
}

// The raw line of the record just read, again, unsplit; false at end of file.
bool reread_raw(Records& r, std::string& raw) {
    r.io.in(inpunit).backspace();
    return readinputline(r, inpunit, raw) == 0;
}

// A tolerance or a radius that is no finite number would bond every atom or none without a
// word: it stops the run as an unreadable number does, naming the record and the value.
void check_finite(Records& r, std::string_view keyword, std::string_view what, float v,
                  std::string_view word) {
    if (std::isfinite(v)) return;
    err(r, "ReadInp",
        "Error while reading file kova.inp, record " +
            std::to_string(r.io.in(inpunit).recno()) + ": " + std::string(keyword) + " " +
            std::string(what) + " \"" + std::string(word) + "\" is not a finite number");
}

// The three tolerances of a TOLS line: read as the other numbers of the file, then each
// checked with the word it came from.
void tols_line(Records& r, const std::string& line) {
    static const char* const names[] = {"bond tolerance", "ring tolerance", "group tolerance"};
    float* const tol[] = {&r.tols.tol1, &r.tols.tol2, &r.tols.tol3};
    std::string words[3];
    ListReader lr(line);
    for (int k = 0; k < 3; ++k) {
        const ReadStatus st = lr.get(*tol[k]);
        if (st == ReadStatus::error) err(r, "ReadInp", "Error while reading file kova.inp");
        if (st == ReadStatus::end)
            fault(inpname, r.io.in(inpunit).recno(),
                  "expected three tolerances, found \"" + trim(line) + "\"");
        words[k] = lr.last();
    }
    for (int k = 0; k < 3; ++k) check_finite(r, "TOLS", names[k], *tol[k], words[k]);
}

std::string raw_word(Records& r, const std::string& raw, int n) {
    int a = 0, b = 0;
    readchar(r, raw, n, a, b);
    return raw.substr(static_cast<std::size_t>(a - 1), static_cast<std::size_t>(b - a + 1));
}

void input_line(Records& r, std::string& line) {
    const int nw = r.line_extract.nword;
    for (int k : {nw - 1, nw}) {
        if (word_is(r, k, "RENAME") && starred(r, k)) r.renameshelxatoms.lrename = true;
        if (word_is(r, k, "TOXD") && starred(r, k)) r.lsx.ltoxd = true;
    }
    if (r.renameshelxatoms.lrename) {
        int count = dnumline(line);
        r.io.write(terminal, FreeLine() << " inum = " << count);
        if (count != 0) {
            std::string w = raw_word(r, line, count);
            long long v = 0;
            if (!parse_int(w, v))
                fault(inpname, r.io.in(inpunit).recno(),
                      "expected an integer renaming mode, found \"" + w + "\"");
            r.renameshelxatoms.irs = static_cast<int>(v);
        }
    }
    std::string raw;
    if (!reread_raw(r, raw)) return;
    r.args.fname[1] = pad(raw_word(r, raw, 2), 60);
    if (r.ftype.iformat == 2) r.args.fname[2] = pad(raw_word(r, raw, 3), 60);
    if (r.ftype.iformat == 2) {
        r.xdold.xdmasfile = r.args.fname[1];
        r.args.fname[1] = r.args.fname[2];
    }
}

void radii_line(Records& r, const std::string& line) {
    const int nw = r.line_extract.nword;
    int count = dnumline(line);
    if (count != nw - 1) err(r, "ReadInp", "Error while reading file kova.inp");
    std::vector<float> rad(static_cast<std::size_t>(count) + 1, 0.0f);
    std::vector<std::string> words(rad.size());
    ListReader lr(line);
    for (int k = 1; k <= count; ++k) {
        if (lr.get(rad[static_cast<std::size_t>(k)]) != ReadStatus::ok)
            fault(inpname, r.io.in(inpunit).recno(),
                  "expected a covalent radius, found \"" + trim(line) + "\"");
        words[static_cast<std::size_t>(k)] = lr.last();
    }
    // Every radius of the line, also one paired with a symbol that changes nothing.
    for (int k = 1; k <= count; ++k)
        check_finite(r, "RADII", "radius for " + trim(r.line_extract.word[k + 1]),
                     rad[static_cast<std::size_t>(k)], words[static_cast<std::size_t>(k)]);
    for (int k = 2; k <= nw; ++k) {
        std::string sym = r.line_extract.word[k].substr(0, 2);
        if (sym[1] >= 'A' && sym[1] <= 'Z') sym[1] = static_cast<char>(sym[1] + 32);
        for (int z = 1; z <= 54; ++z) {
            if (sym != r.atsym.atsym[z]) continue;
            float v = rad[static_cast<std::size_t>(k - 1)];
            r.io.write(r.files.iout, " Changing covalent radius of " + sym + " to " + ff(v, 8, 3) +
                                         " Angstroms");
            r.covrad.covrad[z] = v;
        }
    }
}

// Applies one split line; false when reading must end (end of file on a re-read).
bool apply(Records& r, std::string& line) {
    const LineExtract& le = r.line_extract;
    if (le.nword == 0) return true;
    const std::string& kw = le.word[1];
    auto is = [&](std::string_view k) { return same_text(kw, k); };
    if (is("FORMAT")) {
        for (int k = 2; k <= le.nword; ++k) {
            if (!starred(r, k)) continue;
            if (word_is(r, k, "SHELX")) r.ftype.iformat = 1;
            if (word_is(r, k, "XD")) r.ftype.iformat = 2;
            if (word_is(r, k, "AIM2TAB")) r.ftype.iformat = 3;
            if (word_is(r, k, "PLATON")) r.ftype.iformat = 5;
        }
        if (r.ftype.iformat == 3 || r.ftype.iformat == 5) r.ifra.ifra = 0;
    } else if (is("INPUT")) {
        input_line(r, line);
    } else if (is("VERBOSE")) {
        read_numbers(r, line, "the VERBOSE level", r.verbosity.iverb);
    } else if (is("TOLS")) {
        tols_line(r, line);
    } else if (is("RADII")) {
        radii_line(r, line);
    } else if (is("NCELLS")) {
        read_numbers(r, line, "the number of cells", r.compfrag.ncells);
    } else if (is("DISORD")) {
        if (starred(r, 2)) r.disorder.ldisfh = true;
        if (starred(r, 3)) r.disorder.ldisdb = true;
    } else if (is("KEYGEN")) {
        bool* sw[7] = {&r.lkeys.lxyz,  &r.lkeys.lxyzall, &r.lkeys.lxyzord, &r.lkeys.lmult,
                       &r.lkeys.lmulall, &r.lkeys.lmulord, &r.lkeys.lkappa};
        for (int k = 1; k <= le.nword - 1 && k <= 7; ++k)
            if (starred(r, k + 1)) *sw[k - 1] = true;
    } else if (is("EXTEND_H")) {
        r.lfh.lfh = true;
    } else if (is("CHEMCON")) {
        if (!starred(r, 2)) r.lchem.lchemh = false;
        if (!starred(r, 3)) r.lchem.lchemx = false;
    } else if (is("SIMPLE")) {
        r.simple.isimple = 1;
    } else if (is("DATABANK")) {
        r.ldb.ldb = true;
        std::string raw;
        if (!reread_raw(r, raw)) return false;
        if (dnumline(raw) >= 2) {
            r.abank.dbfile = pad(raw_word(r, raw, 2), 60);
        } else {
            const char* env = std::getenv("KOVA_DB");
            r.abank.dbfile = pad(env ? env : "", 60);
        }
    } else if (is("RINGS")) {
        r.args.lrings = true;
        read_numbers(r, line, "the smallest and largest ring size", r.ring1.minring,
                     r.ring1.maxring);
        if (starred(r, 2)) r.ring1.lspecial = true;
    } else if (is("SCALE")) {
        for (int k = 2; k <= le.nword; ++k) {
            if (!starred(r, k)) continue;
            if (word_is(r, k, "SIGMA")) r.args.iscale = 3;
            if (word_is(r, k, "DIFF")) r.args.iscale = 1;
            if (word_is(r, k, "FRAC")) r.args.iscale = 2;
        }
    }
    return true;
}

std::string tf(bool b) { return b ? "T" : "F"; }

// SP,Iw: the sign always shown; a value too wide for the field fills it with "*".
std::string fi_signed(long long v, int w) {
    std::string s = (v < 0 ? "-" : "+") + std::to_string(v < 0 ? -v : v);
    return static_cast<int>(s.size()) > w ? std::string(static_cast<std::size_t>(w), '*')
                                          : fa(s, w);
}

void options_block(Records& r) {
    const int out = r.files.iout;
    auto w = [&](const std::string& s) { r.io.write(out, s); };
    w(" Verbosity level = " + fi(r.verbosity.iverb, 2));
    static const char* const names[] = {"", "SHELX", "XD", "AIM2TAB", "", "PLATON"};
    std::string files = trim(r.args.fname[1]);
    if (r.ftype.iformat == 2) files = trim(r.xdold.xdmasfile) + " " + trim(r.args.fname[1]);
    w(std::string(" Input file format = ") + names[r.ftype.iformat] + "    file(s) = " + files);
    if (r.renameshelxatoms.lrename) {
        int& irs = r.renameshelxatoms.irs;
        if (irs != 0 && irs != 1) irs = 1;
        w(" Change SHELX atom names ( irs=" + fi(irs, 1) + " : " +
          (irs == 0 ? "straightforward counting" : "counting atoms types") + " ) ");
    }
    if (r.lsx.ltoxd) {
        w("");
        w(" SIMPLE CONVERSION OF SHELX FILE TO XD FILES WAS REQUESTED");
        w(" ALL OTHER OPTIONS WILL BE IGNORED !!!!!!");
        rule(r);
        r.lfh.lfh = false;
        r.ldb.ldb = false;
        r.args.lrings = false;
        return;
    }
    if (r.compfrag.ncells == -1) {
        w(" Do not search for complete fragments");
    } else {
        // The most negative integer has no positive counterpart: it stands for the largest.
        long long n = std::min<long long>(std::llabs(r.compfrag.ncells), INT_MAX);
        r.compfrag.ncells = static_cast<int>(n);
        w(" Search for complete fragments within " + fi(-n, 3) + " ... " + fi_signed(n, 3) +
          " unit cells");
    }
    prttol(r, out);
    w(" Treatment of disorder :");
    w(r.disorder.ldisfh ? "   apply Extend_H option" : "   do NOT apply Extend_H option");
    w(r.disorder.ldisdb ? "   apply DB" : "   do NOT apply DB");
    if (r.ldb.ldb && r.disorder.ldisdb && !r.disorder.ldisfh) {
        w("   WARNING!!! Applying DB to disordered H-atoms");
        w(std::string(14, ' ') + "w/o extending distances is CRAZY !!!");
    }
    Lkeys& k = r.lkeys;
    if (!k.lxyz) k.lxyzall = k.lxyzord = false;
    if (!k.lmult) k.lmulall = k.lmulord = k.lkappa = false;
    if (k.lxyzall && k.lxyzord) k.lxyzall = false;
    if (k.lmulall && k.lmulord) k.lmulall = false;
    w(" Instructions for KEY table generation:");
    w("   XYZUIJ=." + tf(k.lxyz) + ". all=." + tf(k.lxyzall) + ". ordered=." + tf(k.lxyzord) + ".");
    w("     MULT=." + tf(k.lmult) + ". all=." + tf(k.lmulall) + ". ordered=." + tf(k.lmulord) +
      ". kappas=." + tf(k.lkappa) + ".");
    if (r.ldb.ldb) {
        w(" Read pseudoatom parameters from databank file :");
        w("   " + trim(r.abank.dbfile));
    }
    if (r.simple.isimple == 1) w(" Use simple model for determination of chemical equivalency");
    w(std::string(" ") + (r.lchem.lchemh ? "U" : "Do NOT u") + "se chemical/kappa constraints for H-atoms");
    w(std::string(" ") + (r.lchem.lchemx ? "U" : "Do NOT u") +
      "se chemical/kappa constraints for non-H atoms");
    if (r.args.lrings)
        w(" Find rings with " + fi(r.ring1.minring, 3) + " - " + fi(r.ring1.maxring, 3) + " atoms");
    w(" Treatment of atoms that belong to 1 planar ring :");
    w(r.ring1.lspecial ? "   always m-symmetry : X - towards center, Y - neighbor in the ring"
                       : "   as other atoms (only mark with iring=1)");
    if (r.lfh.lfh) {
        w(" Extend H-atoms to standard/neutron distances and create files : ");
        w("   'reset.bond' with RESET BOND instructions");
        w("   'const.bond' with CONSTRAINTS instructions");
    }
    if (r.ldb.ldb) {
        static const char* const methods[] = {"", "difference", "fraction", "sigmaPv"};
        int m = r.args.iscale >= 1 && r.args.iscale <= 3 ? r.args.iscale : 1;
        w(std::string(" Scale total population using ") + methods[m] + " method");
    }
    rule(r);
    w("");
    w(" Atomic covalent radii (Angstroms) : ");
    w("");
    std::string row;
    for (int z = 1; z <= 54; ++z) {
        row += "   " + r.atsym.atsym[z] + ff(r.covrad.covrad[z], 5, 2);
        if (z % 7 == 0 || z == 54) {
            w(row);
            row.clear();
        }
    }
    rule(r);
}

}  // namespace

void prttol(Records& r, int unit) {
    r.io.write(unit, " Threshold / Tolerance parameters : ");
    r.io.write(unit, "   bond criterion (tol1) : d(i-j) < covR(i) + covR(j) + " + ff(r.tols.tol1, 6, 3) +
                         " Angstroms");
    r.io.write(unit, "   ring  planarity criterion (tol2) : sigpln < " + ff(r.tols.tol2, 7, 3) +
                         " Angstroms");
    r.io.write(unit, "   group planarity criterion (tol3) : sigpln < " + ff(r.tols.tol3, 7, 3) +
                         " Angstroms");
}

void readinp(Records& r) {
    r.xdold.xdmasfile = std::string(60, ' ');
    if (!r.io.try_open_old(inpunit, inpname))
        err(r, "ReadInp", "Unable to open KOVA input file kova.inp");
    rule(r);
    r.io.write(r.files.iout, "");
    r.io.write(r.files.iout, " KOVA options : ");
    r.io.write(r.files.iout, "");
    r.args.iscale = 1;
    std::string line;
    while (readinputline(r, inpunit, line) == 0) {
        readline(r, line);
        if (!apply(r, line)) break;
    }
    r.io.close(inpunit);
    if (r.ftype.iformat == 0) err(r, "ReadInp", "Unknown input file format");
    options_block(r);
}

}  // namespace kova
