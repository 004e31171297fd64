// The instruction file kova.inp: keyword lines set the option records, then the options are
// listed. Positional switches (KEYGEN, DISORD, CHEMCON, RINGS) count the star of the word in
// a given place, whatever the word says; FORMAT and SCALE name their choices.
#include "input/instructions.hpp"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "shared/errors.hpp"
#include "shared/fatal.hpp"
#include "shared/format.hpp"
#include "shared/list_reader.hpp"
#include "shared/text.hpp"

namespace kova {

namespace {

constexpr int instructions_channel = 23;  // kova.inp
const char* const inpname = "kova.inp";

void rule(Records& r) {
    r.io.write(r.files.listing, "");
    r.io.write(r.files.listing, " " + std::string(71, '-'));
}

bool word_is(const Records& r, int k, std::string_view kw) {
    return k >= 1 && k <= r.line_words.count && same_text(r.line_words.word[k], kw);
}

bool starred(const Records& r, int k) {
    return k >= 1 && k <= r.line_words.count && r.line_words.starred[k] == 1;
}

// Reads the numbers left in the line; a value of the wrong type stops through fatal_error,
// too few values are an unguarded end of input.
template <typename... T>
void read_numbers(Records& r, const std::string& line, const char* what, T&... t) {
    ReadStatus st = read_list(line, t...);
    if (st == ReadStatus::error) fatal_error(r, "ReadInp", "Error while reading file kova.inp");
    if (st == ReadStatus::end)
        fault(inpname, r.io.in(instructions_channel).recno(),
              std::string("expected ") + what + ", found \"" + trim(line) + "\"");
}

// The raw line of the record just read, again, unsplit; nothing at end of file.
std::optional<std::string> reread_raw(Records& r) {
    r.io.in(instructions_channel).backspace();
    std::string raw;
    if (!read_logical_line(r, instructions_channel, raw)) return std::nullopt;
    return raw;
}

// A tolerance or a radius that is no finite number would bond every atom or none without a
// word: it stops the run as an unreadable number does, naming the record and the value.
void check_finite(Records& r, std::string_view keyword, std::string_view what, float v,
                  std::string_view word) {
    if (std::isfinite(v)) return;
    fatal_error(r, "ReadInp",
                "Error while reading file kova.inp, record " +
                    std::to_string(r.io.in(instructions_channel).recno()) + ": " +
                    std::string(keyword) + " " + std::string(what) + " \"" + std::string(word) +
                    "\" is not a finite number");
}

// The three tolerances of a TOLS line: read as the other numbers of the file, then each
// checked with the word it came from.
void tols_line(Records& r, const std::string& line) {
    static const char* const names[] = {"bond tolerance", "ring tolerance", "group tolerance"};
    float* const tol[] = {&r.options.tolerances.bond, &r.options.tolerances.ring,
                          &r.options.tolerances.group};
    std::string words[3];
    ListReader lr(line);
    for (int k = 0; k < 3; ++k) {
        const ReadStatus st = lr.get(*tol[k]);
        if (st == ReadStatus::error) fatal_error(r, "ReadInp", "Error while reading file kova.inp");
        if (st == ReadStatus::end)
            fault(inpname, r.io.in(instructions_channel).recno(),
                  "expected three tolerances, found \"" + trim(line) + "\"");
        words[k] = lr.last();
    }
    for (int k = 0; k < 3; ++k) check_finite(r, "TOLS", names[k], *tol[k], words[k]);
}

// Word n of a raw line as written; a missing word stops the run with `missing` after the
// stop's text.
std::string raw_word(Records& r, const std::string& raw, int n, const std::string& missing = {}) {
    const auto [a, b] = find_word_columns(r, raw, n, missing);
    return raw.substr(static_cast<std::size_t>(a - 1), static_cast<std::size_t>(b - a + 1));
}

// The logical line being applied: as written (TABs read as blanks) and where it starts.
struct WrittenLine {
    std::string text;
    int first_record = 0;
};

// What the stop for a missing INPUT name adds: the record, the name missing and how the line
// gives its names. `which` is the name missing, as the reader of the format calls it.
std::string missing_input_name(Records& r, const WrittenLine& wl, const char* which) {
    const int rec = r.io.in(instructions_channel).recno();
    std::string s = ": kova.inp, record " + std::to_string(rec) + ": the INPUT line names no " +
                    which;
    // The names are read again from the line's last record only.
    if (rec != wl.first_record) s += " in its last record, where the names must stand";
    const InputFormat format = r.options.input_format;
    if (format == InputFormat::none || format == InputFormat::xd)
        s += "; XD input needs two names, the master file and the parameter file, with FORMAT "
             "*xd before INPUT";
    return s;
}

void input_line(Records& r, std::string& line, const WrittenLine& wl) {
    const int nw = r.line_words.count;
    for (int k : {nw - 1, nw}) {
        if (word_is(r, k, "RENAME") && starred(r, k)) r.options.rename_atoms = true;
        if (word_is(r, k, "TOXD") && starred(r, k)) r.options.to_xd = true;
    }
    if (r.options.rename_atoms) {
        int count = count_blank_ended_words(line);
        r.io.write(terminal, FreeLine() << " inum = " << count);
        if (count != 0) {
            std::string w = raw_word(r, line, count);
            const std::optional<int> v = parse_int(w);
            if (!v)
                fault(inpname, r.io.in(instructions_channel).recno(),
                      "expected an integer renaming mode, found \"" + w + "\"");
            r.options.rename_mode = *v;
        }
    }
    const std::optional<std::string> raw = reread_raw(r);
    if (!raw) return;
    const bool xd = r.options.input_format == InputFormat::xd;
    r.options.input_files[1] =
        raw_word(r, *raw, 2,
                 missing_input_name(r, wl, xd ? "XD master file (first name)" : "structure file"));
    if (xd)
        r.options.input_files[2] =
            raw_word(r, *raw, 3, missing_input_name(r, wl, "XD parameter file (second name)"));
    if (xd) {
        r.options.xd_master_file = r.options.input_files[1];
        r.options.input_files[1] = r.options.input_files[2];
        refuse_the_listing_as_input(r, r.options.xd_master_file, "XD master file");
        refuse_the_listing_as_input(r, r.options.input_files[1], "XD parameter file");
    } else {
        refuse_the_listing_as_input(r, r.options.input_files[1], "Structure file");
    }
}

void radii_line(Records& r, const std::string& line) {
    const int nw = r.line_words.count;
    int count = count_blank_ended_words(line);
    if (count != nw - 1) fatal_error(r, "ReadInp", "Error while reading file kova.inp");
    std::vector<float> rad(static_cast<std::size_t>(count) + 1, 0.0f);
    std::vector<std::string> words(rad.size());
    ListReader lr(line);
    for (int k = 1; k <= count; ++k) {
        if (lr.get(rad[static_cast<std::size_t>(k)]) != ReadStatus::ok)
            fault(inpname, r.io.in(instructions_channel).recno(),
                  "expected a covalent radius, found \"" + trim(line) + "\"");
        words[static_cast<std::size_t>(k)] = lr.last();
    }
    // Every radius of the line, also one paired with a symbol that changes nothing.
    for (int k = 1; k <= count; ++k)
        check_finite(r, "RADII", "radius for " + trim(r.line_words.word[k + 1]),
                     rad[static_cast<std::size_t>(k)], words[static_cast<std::size_t>(k)]);
    for (int k = 2; k <= nw; ++k) {
        std::string sym = r.line_words.word[k].substr(0, 2);
        if (sym[1] >= 'A' && sym[1] <= 'Z') sym[1] = static_cast<char>(sym[1] + 32);
        for (int z = 1; z <= 54; ++z) {
            if (sym != r.elements.symbol[z]) continue;
            float v = rad[static_cast<std::size_t>(k - 1)];
            r.io.write(r.files.listing,
                       " Changing covalent radius of " + sym + " to " + ff(v, 8, 3) + " Angstroms");
            r.elements.covalent_radius[z] = v;
        }
    }
}

// The FORMAT lines read, for the stop when none of them chose a format.
using FormatLines = std::vector<WrittenLine>;

// NFRAG, FRAG and CHFRAG are read later, by the rescaling: by their keyword, or as that stage
// finds them, at the start of the line.
bool is_fragment_line(const Records& r, const WrittenLine& wl) {
    const std::string& kw = r.line_words.word[1];
    if (r.line_words.count >= 1 &&
        (same_text(kw, "NFRAG") || same_text(kw, "FRAG") || same_text(kw, "CHFRAG")))
        return true;
    for (std::string_view key : {"NFRAG", "FRAG", "CHFRAG"})
        if (equal_ignoring_case(std::string_view(wl.text).substr(0, key.size()), key)) return true;
    return false;
}

// A line whose keyword is no instruction is passed over, and said so: a misspelt keyword
// would otherwise leave its option at the default without a word. The word shown is the
// keyword as written (a line of numbers only: its first word).
void report_unknown_keyword(Records& r, const WrittenLine& wl) {
    std::string text = wl.text;
    std::string word;
    for_each_text_word(text, [&word](std::string_view w) {
        if (word.empty()) word = std::string(w);
    });
    if (word.empty()) {
        const std::size_t a = wl.text.find_first_not_of(' ');
        word = wl.text.substr(a, wl.text.find(' ', a) - a);
    }
    const std::string msg = " kova.inp, record " + std::to_string(wl.first_record) + ": \"" +
                            word + "\" is no instruction; the line is ignored";
    r.io.write(r.files.listing, msg);
    r.io.write(terminal, msg);
}

// Applies one split line; false when reading must end (end of file on a re-read).
bool apply(Records& r, std::string& line, const WrittenLine& wl, FormatLines& formats) {
    const LineWords& le = r.line_words;
    if (le.count == 0) {
        report_unknown_keyword(r, wl);
        return true;
    }
    const std::string& kw = le.word[1];
    auto is = [&](std::string_view k) { return same_text(kw, k); };
    if (is("FORMAT")) {
        formats.push_back(wl);
        for (int k = 2; k <= le.count; ++k) {
            if (!starred(r, k)) continue;
            if (word_is(r, k, "SHELX")) r.options.input_format = InputFormat::shelx;
            if (word_is(r, k, "XD")) r.options.input_format = InputFormat::xd;
            if (word_is(r, k, "AIM2TAB")) r.options.input_format = InputFormat::aim2tab;
            if (word_is(r, k, "PLATON")) r.options.input_format = InputFormat::platon;
        }
        if (r.options.input_format == InputFormat::aim2tab ||
            r.options.input_format == InputFormat::platon)
            r.options.crystal_input = false;
    } else if (is("INPUT")) {
        input_line(r, line, wl);
    } else if (is("VERBOSE")) {
        read_numbers(r, line, "the VERBOSE level", r.options.verbosity);
    } else if (is("TOLS")) {
        tols_line(r, line);
    } else if (is("RADII")) {
        radii_line(r, line);
    } else if (is("NCELLS")) {
        read_numbers(r, line, "the number of cells", r.options.ncells);
    } else if (is("DISORD")) {
        if (starred(r, 2)) r.options.disorder_extend_h = true;
        if (starred(r, 3)) r.options.disorder_databank = true;
    } else if (is("KEYGEN")) {
        bool* sw[7] = {&r.options.keys.xyz,
                       &r.options.keys.xyz_all,
                       &r.options.keys.xyz_ordered,
                       &r.options.keys.multipoles,
                       &r.options.keys.multipoles_all,
                       &r.options.keys.multipoles_ordered,
                       &r.options.keys.kappa};
        for (int k = 1; k <= le.count - 1 && k <= 7; ++k)
            if (starred(r, k + 1)) *sw[k - 1] = true;
    } else if (is("EXTEND_H")) {
        r.options.extend_h = true;
    } else if (is("CHEMCON")) {
        if (!starred(r, 2)) r.options.chem_constraints_h = false;
        if (!starred(r, 3)) r.options.chem_constraints_other = false;
    } else if (is("SIMPLE")) {
        r.options.simple = true;
    } else if (is("DATABANK")) {
        r.options.databank = true;
        const std::optional<std::string> raw = reread_raw(r);
        if (!raw) return false;
        if (count_blank_ended_words(*raw) >= 2) {
            r.options.databank_file = raw_word(r, *raw, 2);
        } else {
            const char* env = std::getenv("KOVA_DB");
            r.options.databank_file = trim(env ? env : "");
        }
        refuse_the_listing_as_input(r, r.options.databank_file, "Databank file");
    } else if (is("RINGS")) {
        r.options.search_rings = true;
        read_numbers(r, line, "the smallest and largest ring size", r.options.rings.min_size,
                     r.options.rings.max_size);
        if (starred(r, 2)) r.options.rings.special = true;
    } else if (is("SCALE")) {
        for (int k = 2; k <= le.count; ++k) {
            if (!starred(r, k)) continue;
            if (word_is(r, k, "SIGMA")) r.options.pv_scaling = PvScaling::sigma;
            if (word_is(r, k, "DIFF")) r.options.pv_scaling = PvScaling::difference;
            if (word_is(r, k, "FRAC")) r.options.pv_scaling = PvScaling::fraction;
        }
    } else if (!is_fragment_line(r, wl)) {
        report_unknown_keyword(r, wl);
    }
    return true;
}

// The text of the stop when no format was chosen: what the FORMAT lines said, and the forms
// that choose one.
std::string unknown_format_message(const FormatLines& formats) {
    std::string s = "Unknown input file format: ";
    if (formats.empty()) {
        s += "kova.inp has no FORMAT line";
    } else {
        s += "kova.inp, ";
        for (std::size_t k = 0; k < formats.size(); ++k) {
            if (k > 0) s += ", ";
            s += "record " + std::to_string(formats[k].first_record) + ": \"" +
                 trim(formats[k].text.substr(formats[k].text.find_first_not_of(' '))) + "\"";
        }
        s += formats.size() == 1 ? " selects none" : " select none";
    }
    return s + "; give FORMAT *shelx, *xd, *aim2tab or *platon (the star selects)";
}


// SP,Iw: the sign always shown; a value too wide for the field fills it with "*".
std::string fi_signed(long long v, int w) {
    std::string s = (v < 0 ? "-" : "+") + std::to_string(v < 0 ? -v : v);
    return static_cast<int>(s.size()) > w ? std::string(static_cast<std::size_t>(w), '*')
                                          : fa(s, w);
}

void options_block(Records& r) {
    const int out = r.files.listing;
    auto w = [&](const std::string& s) { r.io.write(out, s); };
    w(" Verbosity level = " + fi(r.options.verbosity, 2));
    static const char* const names[] = {"", "SHELX", "XD", "AIM2TAB", "PLATON"};
    std::string files = trim(r.options.input_files[1]);
    if (r.options.input_format == InputFormat::xd)
        files = trim(r.options.xd_master_file) + " " + trim(r.options.input_files[1]);
    w(std::string(" Input file format = ") + names[static_cast<int>(r.options.input_format)] +
      "    file(s) = " + files);
    if (r.options.rename_atoms) {
        int& irs = r.options.rename_mode;
        if (irs != 0 && irs != 1) irs = 1;
        w(" Change SHELX atom names ( irs=" + fi(irs, 1) + " : " +
          (irs == 0 ? "straightforward counting" : "counting atoms types") + " ) ");
    }
    if (r.options.to_xd) {
        w("");
        w(" SIMPLE CONVERSION OF SHELX FILE TO XD FILES WAS REQUESTED");
        w(" ALL OTHER OPTIONS WILL BE IGNORED !!!!!!");
        rule(r);
        r.options.extend_h = false;
        r.options.databank = false;
        r.options.search_rings = false;
        return;
    }
    if (r.options.ncells == -1) {
        w(" Do not search for complete fragments");
    } else {
        // The most negative integer has no positive counterpart: it stands for the largest.
        long long n = std::min<long long>(std::llabs(r.options.ncells), INT_MAX);
        r.options.ncells = static_cast<int>(n);
        w(" Search for complete fragments within " + fi(-n, 3) + " ... " + fi_signed(n, 3) +
          " unit cells");
    }
    list_tolerances(r, out);
    w(" Treatment of disorder :");
    w(r.options.disorder_extend_h ? "   apply Extend_H option" : "   do NOT apply Extend_H option");
    w(r.options.disorder_databank ? "   apply DB" : "   do NOT apply DB");
    if (r.options.databank && r.options.disorder_databank && !r.options.disorder_extend_h) {
        w("   WARNING!!! Applying DB to disordered H-atoms");
        w(std::string(14, ' ') + "w/o extending distances is CRAZY !!!");
    }
    Keys& k = r.options.keys;
    if (!k.xyz) k.xyz_all = k.xyz_ordered = false;
    if (!k.multipoles) k.multipoles_all = k.multipoles_ordered = k.kappa = false;
    if (k.xyz_all && k.xyz_ordered) k.xyz_all = false;
    if (k.multipoles_all && k.multipoles_ordered) k.multipoles_all = false;
    w(" Instructions for KEY table generation:");
    w("   XYZUIJ=." + logical_text(k.xyz) + ". all=." + logical_text(k.xyz_all) + ". ordered=." +
      logical_text(k.xyz_ordered) + ".");
    w("     MULT=." + logical_text(k.multipoles) + ". all=." + logical_text(k.multipoles_all) +
      ". ordered=." + logical_text(k.multipoles_ordered) + ". kappas=." + logical_text(k.kappa) +
      ".");
    if (r.options.databank) {
        w(" Read pseudoatom parameters from databank file :");
        w("   " + trim(r.options.databank_file));
    }
    if (r.options.simple) w(" Use simple model for determination of chemical equivalency");
    w(std::string(" ") + (r.options.chem_constraints_h ? "U" : "Do NOT u") +
      "se chemical/kappa constraints for H-atoms");
    w(std::string(" ") + (r.options.chem_constraints_other ? "U" : "Do NOT u") +
      "se chemical/kappa constraints for non-H atoms");
    if (r.options.search_rings)
        w(" Find rings with " + fi(r.options.rings.min_size, 3) + " - " +
          fi(r.options.rings.max_size, 3) + " atoms");
    w(" Treatment of atoms that belong to 1 planar ring :");
    w(r.options.rings.special
          ? "   always m-symmetry : X - towards center, Y - neighbor in the ring"
          : "   as other atoms (only mark with iring=1)");
    if (r.options.extend_h) {
        w(" Extend H-atoms to standard/neutron distances and create files : ");
        w("   'reset.bond' with RESET BOND instructions");
        w("   'const.bond' with CONSTRAINTS instructions");
    }
    if (r.options.databank) {
        w(std::string(" Scale total population using ") + pv_scaling_name(r.options.pv_scaling) +
          " method");
    }
    rule(r);
    w("");
    w(" Atomic covalent radii (Angstroms) : ");
    w("");
    std::string row;
    for (int z = 1; z <= 54; ++z) {
        row += "   " + r.elements.symbol[z] + ff(r.elements.covalent_radius[z], 5, 2);
        if (z % 7 == 0 || z == 54) {
            w(row);
            row.clear();
        }
    }
    rule(r);
}

}  // namespace

void list_tolerances(Records& r, int unit) {
    r.io.write(unit, " Threshold / Tolerance parameters : ");
    r.io.write(unit, "   bond criterion (tol1) : d(i-j) < covR(i) + covR(j) + " +
                         ff(r.options.tolerances.bond, 6, 3) + " Angstroms");
    r.io.write(unit, "   ring  planarity criterion (tol2) : sigpln < " +
                         ff(r.options.tolerances.ring, 7, 3) + " Angstroms");
    r.io.write(unit, "   group planarity criterion (tol3) : sigpln < " +
                         ff(r.options.tolerances.group, 7, 3) + " Angstroms");
}

void read_instructions(Records& r) {
    r.options.xd_master_file.clear();
    if (!r.io.try_open_old(instructions_channel, inpname))
        fatal_error(r, "ReadInp", "Unable to open KOVA input file kova.inp");
    rule(r);
    r.io.write(r.files.listing, "");
    r.io.write(r.files.listing, " KOVA options : ");
    r.io.write(r.files.listing, "");
    r.options.pv_scaling = PvScaling::difference;
    std::string line;
    WrittenLine wl;
    FormatLines formats;
    while (read_logical_line(r, instructions_channel, line, &wl.first_record)) {
        wl.text = line;
        split_text_words(r, line);
        if (!apply(r, line, wl, formats)) break;
    }
    r.io.close(instructions_channel);
    if (r.options.input_format == InputFormat::none)
        fatal_error(r, "ReadInp", unknown_format_message(formats));
    options_block(r);
}

}  // namespace kova
