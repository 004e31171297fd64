// The instruction file kova.inp: keyword lines set the option records; then the options are
// brought to the form the later stages read, and listed. Positional switches (KEYGEN, DISORD,
// CHEMCON, RINGS) count the star of the word in a given place, whatever the word says; FORMAT
// and SCALE name their choices.
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
const char* const instructions_name = "kova.inp";

// The number of the record of kova.inp last read, for messages.
int current_record(Io& io) { return io.in(instructions_channel).recno(); }

[[noreturn]] void unreadable(Io& io, int listing) {
    fatal_error(io, listing, "ReadInp", "Error while reading file kova.inp");
}

void rule(Io& io, int listing) {
    io.write(listing, "");
    io.write(listing, " " + std::string(71, '-'));
}

// A logical line being applied: as written (TABs read as blanks), its text words, and what is
// left of it once they are blanked out: the number words, in their columns.
struct SplitLine {
    LogicalLine written;
    TextWords words;
    std::string numbers;
};

// Reads the numbers left in the line; a value of the wrong type stops through fatal_error,
// too few values are an unguarded end of input.
template <typename... T>
void read_numbers(Io& io, int listing, const std::string& numbers, const char* what, T&... t) {
    ReadStatus st = read_list(numbers, t...);
    if (st == ReadStatus::error) unreadable(io, listing);
    if (st == ReadStatus::end)
        fault(instructions_name, current_record(io),
              std::string("expected ") + what + ", found \"" + trim(numbers) + "\"");
}

// The raw line of the record just read, again, unsplit; nothing at end of file.
std::optional<std::string> reread_raw(Io& io, int listing) {
    io.in(instructions_channel).backspace();
    std::optional<LogicalLine> raw = read_logical_line(io, listing, instructions_channel);
    if (!raw) return std::nullopt;
    return std::move(raw->text);
}

// A tolerance or a radius that is no finite number would bond every atom or none without a
// word: it stops the run as an unreadable number does, naming the record and the value.
void check_finite(Io& io, int listing, std::string_view keyword, std::string_view what, float v,
                  std::string_view word) {
    if (std::isfinite(v)) return;
    fatal_error(io, listing, "ReadInp",
                "Error while reading file kova.inp, record " +
                    std::to_string(current_record(io)) + ": " + std::string(keyword) + " " +
                    std::string(what) + " \"" + std::string(word) + "\" is not a finite number");
}

// The three tolerances of a TOLS line: read as the other numbers of the file, then each
// checked with the word it came from.
void tols_line(Io& io, int listing, const std::string& numbers, Tolerances& tolerances) {
    static const char* const names[] = {"bond tolerance", "ring tolerance", "group tolerance"};
    float* const tol[] = {&tolerances.bond, &tolerances.ring, &tolerances.group};
    std::string words[3];
    ListReader lr(numbers);
    for (int k = 0; k < 3; ++k) {
        const ReadStatus st = lr.get(*tol[k]);
        if (st == ReadStatus::error) unreadable(io, listing);
        if (st == ReadStatus::end)
            fault(instructions_name, current_record(io),
                  "expected three tolerances, found \"" + trim(numbers) + "\"");
        words[k] = lr.last();
    }
    for (int k = 0; k < 3; ++k) check_finite(io, listing, "TOLS", names[k], *tol[k], words[k]);
}

// Word n of a raw line as written; a missing word stops the run with `missing` after the
// stop's text.
std::string raw_word(Io& io, int listing, const std::string& raw, int n,
                     const std::string& missing = {}) {
    const auto [a, b] = find_word_columns(io, listing, raw, n, missing);
    return raw.substr(static_cast<std::size_t>(a - 1), static_cast<std::size_t>(b - a + 1));
}

// What the stop for a missing INPUT name adds: the record, the name missing and how the line
// gives its names. `which` is the name missing, as the reader of the format calls it.
std::string missing_input_name(int record, const LogicalLine& written, InputFormat format,
                               const char* which) {
    std::string s = ": kova.inp, record " + std::to_string(record) +
                    ": the INPUT line names no " + which;
    // The names are read again from the line's last record only.
    if (record != written.first_record) s += " in its last record, where the names must stand";
    if (format == InputFormat::none || format == InputFormat::xd)
        s += "; " + std::string(xd_names_hint);
    return s;
}

// RENAME's mode is the last number of the line: 0 numbers all atoms in one run, any other
// mode numbers them per type.
void read_rename_mode(Io& io, int listing, const std::string& numbers, Options& options) {
    const int count = count_blank_ended_words(numbers);
    io.write(terminal, FreeLine() << " inum = " << count);
    if (count == 0) return;
    const std::string w = raw_word(io, listing, numbers, count);
    const std::optional<int> v = parse_int(w);
    if (!v)
        fault(instructions_name, current_record(io),
              "expected an integer renaming mode, found \"" + w + "\"");
    options.rename_mode = *v == 0 ? RenameMode::all_atoms : RenameMode::per_type;
}

void input_line(Io& io, int listing, const SplitLine& line, Options& options) {
    const TextWords& words = line.words;
    for (int k : {words.count - 1, words.count}) {
        if (words.is(k, "RENAME") && words.is_starred(k)) options.rename_atoms = true;
        if (words.is(k, "TOXD") && words.is_starred(k)) options.to_xd = true;
    }
    if (options.rename_atoms) read_rename_mode(io, listing, line.numbers, options);
    const std::optional<std::string> raw = reread_raw(io, listing);
    if (!raw) return;
    const bool xd = options.input_format == InputFormat::xd;
    auto missing = [&](const char* which) {
        return missing_input_name(current_record(io), line.written, options.input_format, which);
    };
    const std::string first =
        raw_word(io, listing, *raw, 2,
                 missing(xd ? "XD master file (first name)" : "structure file"));
    if (xd) {
        options.structure_file =
            raw_word(io, listing, *raw, 3, missing("XD parameter file (second name)"));
        options.xd_master_file = first;
        refuse_the_listing_as_input(io, listing, options.xd_master_file, "XD master file");
        refuse_the_listing_as_input(io, listing, options.structure_file, "XD parameter file");
    } else {
        options.structure_file = first;
        refuse_the_listing_as_input(io, listing, options.structure_file, "Structure file");
    }
}

void radii_line(Io& io, int listing, const SplitLine& line, Elements& elements) {
    const TextWords& words = line.words;
    int count = count_blank_ended_words(line.numbers);
    if (count != words.count - 1) unreadable(io, listing);
    std::vector<float> rad(static_cast<std::size_t>(count) + 1, 0.0f);
    std::vector<std::string> read_as(rad.size());
    ListReader lr(line.numbers);
    for (int k = 1; k <= count; ++k) {
        if (lr.get(rad[static_cast<std::size_t>(k)]) != ReadStatus::ok)
            fault(instructions_name, current_record(io),
                  "expected a covalent radius, found \"" + trim(line.numbers) + "\"");
        read_as[static_cast<std::size_t>(k)] = lr.last();
    }
    // Every radius of the line, also one paired with a symbol that changes nothing.
    for (int k = 1; k <= count; ++k)
        check_finite(io, listing, "RADII", "radius for " + trim(words.at(k + 1)),
                     rad[static_cast<std::size_t>(k)], read_as[static_cast<std::size_t>(k)]);
    for (int k = 2; k <= words.count; ++k) {
        std::string sym(words.at(k).substr(0, 2));
        if (sym[1] >= 'A' && sym[1] <= 'Z') sym[1] = static_cast<char>(sym[1] + 32);
        for (int z = 1; z <= 54; ++z) {
            if (sym != elements.symbol[z]) continue;
            float v = rad[static_cast<std::size_t>(k - 1)];
            io.write(listing,
                     " Changing covalent radius of " + sym + " to " + ff(v, 8, 3) + " Angstroms");
            elements.covalent_radius[z] = v;
        }
    }
}

// The FORMAT lines read, for the stop when none of them chose a format.
using FormatLines = std::vector<LogicalLine>;

void format_line(const SplitLine& line, Options& options, FormatLines& formats) {
    formats.push_back(line.written);
    const TextWords& words = line.words;
    for (int k = 2; k <= words.count; ++k) {
        if (!words.is_starred(k)) continue;
        if (words.is(k, "SHELX")) options.input_format = InputFormat::shelx;
        if (words.is(k, "XD")) options.input_format = InputFormat::xd;
        if (words.is(k, "AIM2TAB")) options.input_format = InputFormat::aim2tab;
        if (words.is(k, "PLATON")) options.input_format = InputFormat::platon;
    }
    if (options.input_format == InputFormat::aim2tab ||
        options.input_format == InputFormat::platon)
        options.crystal_input = false;
}

// KEYGEN: the star of word k+1 switches key k on, in the order of `Keys`.
void keygen_line(const TextWords& words, Keys& keys) {
    bool* const key[7] = {&keys.xyz,        &keys.xyz_all,        &keys.xyz_ordered,
                          &keys.multipoles, &keys.multipoles_all, &keys.multipoles_ordered,
                          &keys.kappa};
    for (int k = 1; k <= words.count - 1 && k <= 7; ++k)
        if (words.is_starred(k + 1)) *key[k - 1] = true;
}

// The databank's name: the line's second word as written, else KOVA_DB. False at end of file
// on the re-read, which ends the reading.
bool databank_line(Io& io, int listing, Options& options) {
    options.databank = true;
    const std::optional<std::string> raw = reread_raw(io, listing);
    if (!raw) return false;
    if (count_blank_ended_words(*raw) >= 2) {
        options.databank_file = raw_word(io, listing, *raw, 2);
    } else {
        const char* env = std::getenv("KOVA_DB");
        options.databank_file = trim(env ? env : "");
    }
    refuse_the_listing_as_input(io, listing, options.databank_file, "Databank file");
    return true;
}

void scale_line(const TextWords& words, Options& options) {
    for (int k = 2; k <= words.count; ++k) {
        if (!words.is_starred(k)) continue;
        if (words.is(k, "SIGMA")) options.pv_scaling = PvScaling::sigma;
        if (words.is(k, "DIFF")) options.pv_scaling = PvScaling::difference;
        if (words.is(k, "FRAC")) options.pv_scaling = PvScaling::fraction;
    }
}

// NFRAG, FRAG and CHFRAG are read later, by the rescaling, which takes a line that begins with
// one of them in column 1.
bool is_fragment_line(const SplitLine& line) {
    for (std::string_view key : {"NFRAG", "FRAG", "CHFRAG"})
        if (equal_ignoring_case(std::string_view(line.written.text).substr(0, key.size()), key))
            return true;
    return false;
}

// A line whose keyword is no instruction is passed over, and said so: a misspelt keyword
// would otherwise leave its option at the default without a word. The word shown is the
// keyword as written (a line of numbers only: its first word).
void report_unknown_keyword(Io& io, int listing, const LogicalLine& written,
                            std::string_view why = "is no instruction") {
    std::string text = written.text;
    std::string word;
    for_each_text_word(text, [&word](std::string_view w) {
        if (word.empty()) word = std::string(w);
    });
    if (word.empty()) {
        const std::size_t a = written.text.find_first_not_of(' ');
        word = written.text.substr(a, written.text.find(' ', a) - a);
    }
    const std::string msg = " kova.inp, record " + std::to_string(written.first_record) +
                            ": \"" + word + "\" " + std::string(why) + "; the line is ignored";
    io.write(listing, msg);
    io.write(terminal, msg);
}

// Applies one line; false when reading must end (end of file on a re-read).
bool apply_line(Io& io, int listing, const SplitLine& line, Options& options, Elements& elements,
                FormatLines& formats) {
    const TextWords& words = line.words;
    if (words.count == 0) {
        report_unknown_keyword(io, listing, line.written);
        return true;
    }
    auto is = [&](std::string_view keyword) { return words.is(1, keyword); };
    if (is("FORMAT")) {
        format_line(line, options, formats);
    } else if (is("INPUT")) {
        input_line(io, listing, line, options);
    } else if (is("VERBOSE")) {
        read_numbers(io, listing, line.numbers, "the VERBOSE level", options.verbosity);
    } else if (is("TOLS")) {
        tols_line(io, listing, line.numbers, options.tolerances);
    } else if (is("RADII")) {
        radii_line(io, listing, line, elements);
    } else if (is("NCELLS")) {
        read_numbers(io, listing, line.numbers, "the number of cells", options.ncells);
    } else if (is("DISORD")) {
        if (words.is_starred(2)) options.disorder_extend_h = true;
        if (words.is_starred(3)) options.disorder_databank = true;
    } else if (is("KEYGEN")) {
        keygen_line(words, options.keys);
    } else if (is("EXTEND_H")) {
        options.extend_h = true;
    } else if (is("CHEMCON")) {
        if (!words.is_starred(2)) options.chem_constraints_h = false;
        if (!words.is_starred(3)) options.chem_constraints_other = false;
    } else if (is("SIMPLE")) {
        options.simple = true;
    } else if (is("DATABANK")) {
        return databank_line(io, listing, options);
    } else if (is("RINGS")) {
        options.search_rings = true;
        read_numbers(io, listing, line.numbers, "the smallest and largest ring size",
                     options.rings.min_size, options.rings.max_size);
        if (words.is_starred(2)) options.rings.special = true;
    } else if (is("SCALE")) {
        scale_line(words, options);
    } else if (is("NFRAG") || is("FRAG") || is("CHFRAG")) {
        // a fragment line the rescaling will not find
        if (!is_fragment_line(line))
            report_unknown_keyword(io, listing, line.written, "is read only from column 1");
    } else if (!is_fragment_line(line)) {
        report_unknown_keyword(io, listing, line.written);
    }
    return true;
}

// Every line of the file in turn; the FORMAT lines read.
FormatLines apply_lines(Io& io, int listing, Options& options, Elements& elements) {
    FormatLines formats;
    while (std::optional<LogicalLine> written =
               read_logical_line(io, listing, instructions_channel)) {
        SplitLine line{std::move(*written), {}, {}};
        line.numbers = line.written.text;
        line.words = split_text_words(line.numbers);
        if (!apply_line(io, listing, line, options, elements, formats)) break;
    }
    return formats;
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

// The options as the later stages read them. The plain conversion of TOXD keeps NCELLS and
// KEYGEN as read (its listing stops before them), but switches off the stages it skips.
void normalise_options(Options& options) {
    if (options.to_xd) {
        options.extend_h = false;
        options.databank = false;
        options.search_rings = false;
        return;
    }
    // The most negative integer has no positive counterpart: it stands for the largest.
    if (options.ncells != -1)
        options.ncells = static_cast<int>(std::min<long long>(std::llabs(options.ncells), INT_MAX));
    Keys& k = options.keys;
    if (!k.xyz) k.xyz_all = k.xyz_ordered = false;
    if (!k.multipoles) k.multipoles_all = k.multipoles_ordered = k.kappa = false;
    if (k.xyz_all && k.xyz_ordered) k.xyz_all = false;
    if (k.multipoles_all && k.multipoles_ordered) k.multipoles_all = false;
}

// SP,Iw: the sign always shown; a value too wide for the field fills it with "*".
std::string fi_signed(long long v, int w) {
    std::string s = (v < 0 ? "-" : "+") + std::to_string(v < 0 ? -v : v);
    return static_cast<int>(s.size()) > w ? std::string(static_cast<std::size_t>(w), '*')
                                          : fa(s, w);
}

const char* format_name(InputFormat format) {
    switch (format) {
        case InputFormat::shelx: return "SHELX";
        case InputFormat::xd: return "XD";
        case InputFormat::aim2tab: return "AIM2TAB";
        case InputFormat::platon: return "PLATON";
        case InputFormat::none: break;
    }
    return "";
}

// Verbosity, format and files, and the renaming.
void list_input(Io& io, int listing, const Options& options) {
    io.write(listing, " Verbosity level = " + fi(options.verbosity, 2));
    std::string files = trim(options.structure_file);
    if (options.input_format == InputFormat::xd)
        files = trim(options.xd_master_file) + " " + trim(options.structure_file);
    io.write(listing, std::string(" Input file format = ") +
                          format_name(options.input_format) +
                          "    file(s) = " + files);
    if (options.rename_atoms) {
        const bool all = options.rename_mode == RenameMode::all_atoms;
        io.write(listing, std::string(" Change SHELX atom names ( irs=") + (all ? "0" : "1") +
                              " : " + (all ? "straightforward counting" : "counting atoms types") +
                              " ) ");
    }
}

void list_completion_and_disorder(Io& io, int listing, const Options& options) {
    if (options.ncells == -1) {
        io.write(listing, " Do not search for complete fragments");
    } else {
        const long long n = options.ncells;
        io.write(listing, " Search for complete fragments within " + fi(-n, 3) + " ... " +
                              fi_signed(n, 3) + " unit cells");
    }
    list_tolerances(io, listing, options.tolerances);
    io.write(listing, " Treatment of disorder :");
    io.write(listing, options.disorder_extend_h ? "   apply Extend_H option"
                                                : "   do NOT apply Extend_H option");
    io.write(listing, options.disorder_databank ? "   apply DB" : "   do NOT apply DB");
    if (options.databank && options.disorder_databank && !options.disorder_extend_h) {
        io.write(listing, "   WARNING!!! Applying DB to disordered H-atoms");
        io.write(listing, std::string(14, ' ') + "w/o extending distances is CRAZY !!!");
    }
}

void list_keys(Io& io, int listing, const Keys& k) {
    io.write(listing, " Instructions for KEY table generation:");
    io.write(listing, "   XYZUIJ=." + logical_text(k.xyz) + ". all=." + logical_text(k.xyz_all) +
                          ". ordered=." + logical_text(k.xyz_ordered) + ".");
    io.write(listing, "     MULT=." + logical_text(k.multipoles) + ". all=." +
                          logical_text(k.multipoles_all) + ". ordered=." +
                          logical_text(k.multipoles_ordered) + ". kappas=." +
                          logical_text(k.kappa) + ".");
}

// The databank, chemical equivalence, rings and Extend_H.
void list_stages(Io& io, int listing, const Options& options) {
    auto w = [&](const std::string& s) { io.write(listing, s); };
    if (options.databank) {
        w(" Read pseudoatom parameters from databank file :");
        w("   " + trim(options.databank_file));
    }
    if (options.simple) w(" Use simple model for determination of chemical equivalency");
    w(std::string(" ") + (options.chem_constraints_h ? "U" : "Do NOT u") +
      "se chemical/kappa constraints for H-atoms");
    w(std::string(" ") + (options.chem_constraints_other ? "U" : "Do NOT u") +
      "se chemical/kappa constraints for non-H atoms");
    if (options.search_rings)
        w(" Find rings with " + fi(options.rings.min_size, 3) + " - " +
          fi(options.rings.max_size, 3) + " atoms");
    w(" Treatment of atoms that belong to 1 planar ring :");
    w(options.rings.special ? "   always m-symmetry : X - towards center, Y - neighbor in the ring"
                            : "   as other atoms (only mark with iring=1)");
    if (options.extend_h) {
        w(" Extend H-atoms to standard/neutron distances and create files : ");
        w("   'reset.bond' with RESET BOND instructions");
        w("   'const.bond' with CONSTRAINTS instructions");
    }
    if (options.databank) {
        w(std::string(" Scale total population using ") + pv_scaling_name(options.pv_scaling) +
          " method");
    }
}

// The covalent radii of Z 1..54, seven a line, between rules.
void list_covalent_radii(Io& io, int listing, const Elements& elements) {
    rule(io, listing);
    io.write(listing, "");
    io.write(listing, " Atomic covalent radii (Angstroms) : ");
    io.write(listing, "");
    std::string row;
    for (int z = 1; z <= 54; ++z) {
        row += "   " + elements.symbol[z] + ff(elements.covalent_radius[z], 5, 2);
        if (z % 7 == 0 || z == 54) {
            io.write(listing, row);
            row.clear();
        }
    }
    rule(io, listing);
}

void list_options(Io& io, int listing, const Options& options, const Elements& elements) {
    list_input(io, listing, options);
    if (options.to_xd) {
        io.write(listing, "");
        io.write(listing, " SIMPLE CONVERSION OF SHELX FILE TO XD FILES WAS REQUESTED");
        io.write(listing, " ALL OTHER OPTIONS WILL BE IGNORED !!!!!!");
        rule(io, listing);
        return;
    }
    list_completion_and_disorder(io, listing, options);
    list_keys(io, listing, options.keys);
    list_stages(io, listing, options);
    list_covalent_radii(io, listing, elements);
}

}  // namespace

void list_tolerances(Io& io, int channel, const Tolerances& tolerances) {
    io.write(channel, " Threshold / Tolerance parameters : ");
    io.write(channel, "   bond criterion (tol1) : d(i-j) < covR(i) + covR(j) + " +
                          ff(tolerances.bond, 6, 3) + " Angstroms");
    io.write(channel, "   ring  planarity criterion (tol2) : sigpln < " +
                          ff(tolerances.ring, 7, 3) + " Angstroms");
    io.write(channel, "   group planarity criterion (tol3) : sigpln < " +
                          ff(tolerances.group, 7, 3) + " Angstroms");
}

void read_instructions(Io& io, int listing, Options& options, Elements& elements) {
    options.xd_master_file.clear();
    if (!io.try_open_old(instructions_channel, instructions_name))
        fatal_error(io, listing, "ReadInp", "Unable to open KOVA input file kova.inp");
    rule(io, listing);
    io.write(listing, "");
    io.write(listing, " KOVA options : ");
    io.write(listing, "");
    options.pv_scaling = PvScaling::difference;
    const FormatLines formats = apply_lines(io, listing, options, elements);
    io.close(instructions_channel);
    if (options.input_format == InputFormat::none)
        fatal_error(io, listing, "ReadInp", unknown_format_message(formats));
    normalise_options(options);
    list_options(io, listing, options, elements);
}

}  // namespace kova
