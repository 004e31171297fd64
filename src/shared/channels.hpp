// Channels: numbered output files written through large buffers, and input files held in
// memory as records so that readers can rewind and backspace. Channel 6 is the terminal.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kova {

// The channel of every file of a run, one table: inputs, each read once by its stage, and
// outputs, each created and closed by the road of the run.
struct Files {
    static constexpr int terminal = 6;
    static constexpr int cartesian_input = 1;        // the AIM2TAB or PLATON file
    static constexpr int xd_master_input = 11;       // the XD master file read
    static constexpr int xd_parameters_input = 12;   // the XD parameter file read
    static constexpr int instructions = 23;          // kova.inp
    static constexpr int listing = 35;               // kova.out
    static constexpr int const_bonds = 42;           // const.bond
    static constexpr int reset_bonds = 43;           // reset.bond
    static constexpr int complete_ang = 44;          // complete.ang
    static constexpr int plot = 46;                  // kova.spf
    static constexpr int databank = 47;              // the databank file
    static constexpr int xd_parameters = 48;         // xd_kova.inp
    static constexpr int fixedh = 49;                // fixedH.ins
    static constexpr int kova_ang = 52;              // kova.ang
    static constexpr int shelx_input = 57;           // the SHELX file
    static constexpr int xd_master = 58;             // xd_kova.mas
    static constexpr int reduced_ang = 67;           // reduced.ang
    static constexpr int reduced_1_ang = 68;         // reduced_1.ang
    static constexpr int group_ang = 89;             // group.ang
    static constexpr int mopro_constraints = 443;    // con_mopro.inp
    static constexpr int mopro_parameters = 444;     // mopro_kova.par
    static constexpr int mopro_residues = 445;       // res_mopro.inp
};

constexpr int terminal = Files::terminal;

// An input file held as its text, with the place of every record; a CR right before a line
// feed, or right before the end of a file whose last record has no line feed, is not part of
// a record.
class InFile {
public:
    // The file `name` with its whole text, split into records, before its first record.
    InFile(std::string name, std::string text);
    // Next record into rec; false at end of file (rec untouched).
    bool read(std::string& rec);
    void rewind() { pos_ = 0; }
    // Back one record, so that the record last read is read again.
    void backspace() { if (pos_ > 0) --pos_; }
    // Number of the record last read (1-based), 0 before the first read.
    int recno() const { return static_cast<int>(pos_); }
    bool at_end() const { return pos_ >= size(); }
    const std::string& name() const { return name_; }
    std::size_t size() const { return start_.size() - 1; }
    // Record n (from 0), without its line end.
    std::string_view record(std::size_t n) const;
    // The whole text, whose buffer stays in place while the file is open.
    const std::string& text() const { return text_; }

private:
    std::string name_;
    std::string text_;
    // Record n starts at start_[n] and ends before start_[n + 1] - 1, the place of its line
    // feed (or the end of the text for a last record without one).
    std::vector<std::size_t> start_;
    std::size_t pos_ = 0;
};

// How a run's output files reach their names. Written `direct`ly, a file is created under its
// own name and written as it goes. A finished run `replace`s the files of earlier runs whole:
// each file but the listing is written under a temporary name of its own, made exclusively
// beside the file it replaces, and renamed over it only when the run has finished, so that a
// run that ends otherwise leaves them as they were.
enum class OutputMode { direct, replace_at_end };

// Where a test makes an output file fail, as a full disk or a read-only directory would, or
// the working directory's lock, as a file system without locks would.
enum class FailurePoint { create, rename, lock };
struct InjectedFailure {
    std::string file;  // the output file's own name (unused for the lock)
    FailurePoint at = FailurePoint::create;
};

// What a run found of an earlier run that was killed, and what it did with it.
struct Leftovers {
    std::vector<std::string> removed;   // its temporary files and the earlier files it kept
    std::vector<std::string> replaced;  // outputs it had replaced before it was killed
    std::vector<std::string> pending;   // outputs it had not replaced: still an earlier run's
    std::vector<std::string> restored;  // earlier files it had moved aside, put back
};

// An input of the run that one of its outputs replaces: the file read is kept under `kept_as`.
struct KeptInput {
    std::string output;   // the output's name
    std::string kept_as;  // where the file read is kept
};

class Io {
public:
    // No channel open; writes to the terminal go nowhere until `bind`.
    Io();
    // Writes out and closes whatever is still open.
    ~Io();
    Io(const Io&) = delete;
    Io& operator=(const Io&) = delete;

    // The run's working directory, standard streams and output mode (set once by `run`).
    // `input_fd` is the descriptor behind `in` when it is the process's standard input, so
    // that a prompt's wait can see a signal; -1 otherwise.
    void bind(std::filesystem::path dir, std::istream* in, std::ostream* out, std::ostream* err,
              OutputMode mode = OutputMode::direct, int input_fd = -1);
    // Makes the creation or the rename of one output file fail (tests only).
    void inject_failure(InjectedFailure failure) { failure_ = std::move(failure); }
    const std::filesystem::path& dir() const { return dir_; }
    std::ostream& stderr_stream() { return *err_; }

    // "unknown": creates or replaces the file (under a temporary name when the run's files
    // are replaced at the end); a file that cannot be created is a RunFault, an earlier file
    // its owner has made read-only a ProtectedOutput.
    void create(int ch, const std::string& name);
    // A ProtectedOutput when the output `name` would replace a file its owner has made
    // read-only (its target, when the name is a link); nothing is created.
    void check_replaceable(const std::string& name) const;
    // The listing: always written under its own name as the run goes, but the file is first
    // opened when its text is first written out (`open_listing`, a flush or a close), so that
    // a run that refuses its inputs before that leaves an earlier listing untouched.
    void create_listing(int ch, const std::string& name);
    // Opens the listing's file now and writes what it holds so far.
    void open_listing(int ch);
    // Drops a listing whose file was never opened, leaving the file alone.
    void discard_listing(int ch);
    // Writes one record followed by a line feed on an open output channel or the terminal.
    void write(int ch, std::string_view rec);
    // Writes fixed records in turn, as write does: the set blocks of the output files.
    void write_lines(int ch, std::initializer_list<std::string_view> recs);
    // Writes one record to each channel in turn (the listing and the terminal, in an order).
    void write_to(std::initializer_list<int> channels, std::string_view rec);
    // Writes a prompt to the terminal without ending the line, so that the answer follows it.
    void prompt(std::string_view text);
    // The answer to a prompt: the next line of standard input, a CR before its end dropped (an
    // answer typed or piped with CR LF); the end of input is a run-time error naming what was
    // asked for.
    std::string answer(std::string_view asked_for);
    bool is_open_out(int ch) const;
    // File name of an open channel (input or output), "" otherwise.
    std::string name_of(int ch) const;

    // "old": the file must exist and be readable; otherwise a RunFault.
    InFile& open_old(int ch, const std::string& name);
    // As open_old, but reports failure instead of ending the run.
    bool try_open_old(int ch, const std::string& name);
    // Why a file of that name cannot be read: "no such file", "is a directory, not a file" or
    // "cannot read the file (<the system's reason>)".
    std::string why_unreadable(const std::string& name) const;
    // The open input file of a channel; a channel not open is a RunFault.
    InFile& in(int ch);
    bool is_open_in(int ch) const;

    // Closes an input or output channel (no-op when not open).
    void close(int ch);
    // Writes the buffered text of every open output file and of the terminal.
    void flush_all();
    // Closes every channel; when the run's files are replaced at the end and have not been,
    // they are dropped instead.
    void close_all();

    // Removes what a killed run left for the outputs `names` (its temporary files and the
    // earlier files it kept aside) and says which outputs it had replaced. Only for a run that
    // holds the working directory's lock, before it creates any file.
    Leftovers clear_leftovers(const std::vector<std::string>& names);
    // The inputs read by the run that its outputs written so far replace, each kept beside
    // its output once the files are replaced.
    std::vector<KeptInput> inputs_to_keep() const;
    // A finished run: writes out the terminal, closes every output file but the listing and
    // renames each over the file it replaces, signals held back until every file is in place
    // or every earlier file is back. A file that cannot be written, closed or renamed is a
    // RunFault; the files not yet renamed are then dropped.
    void replace_outputs();
    // A run that did not finish: closes every output file but the listing and removes what
    // was written under temporary names, so that the files of earlier runs stay as they were.
    void drop_outputs();
    // True when the two names, resolved against the working directory, name one file.
    bool same_file(const std::string& a, const std::string& b) const;
    // A RunInterrupted when a signal has arrived that has not yet ended the run.
    void check_signal();
    // The run is ending: a signal that arrives now no longer interrupts what is written.
    void stop_signal_checks() {
        if (signal_seen_ == 0) signal_seen_ = -1;
    }

    // Resolves a file name of the run against the working directory.
    std::filesystem::path path(const std::string& name) const;

private:
    struct OutFile;
    struct InputRead {
        unsigned long long device = 0, inode = 0;
    };
    std::filesystem::path dir_;
    std::istream* in_ = nullptr;
    std::ostream* out_ = nullptr;
    std::ostream* err_ = nullptr;
    int input_fd_ = -1;
    OutputMode mode_ = OutputMode::direct;
    unsigned new_file_mode_ = 0644;  // the mode of a new file: 0666 less the umask
    int signal_seen_ = 0;  // the signal that ended the run once seen; -1 the run is ending
    std::optional<InjectedFailure> failure_;
    std::map<int, std::unique_ptr<OutFile>> outs_;
    std::vector<std::unique_ptr<OutFile>> finished_;  // closed under temporary names, to rename
    std::vector<InputRead> inputs_;                   // every file read
    void open_file(OutFile& f);
    void write_out(OutFile& f);
    void rename_outputs();
    void remove_temporary(OutFile& f);
    void check_terminal();
    void wait_for_input();
    bool is_input(const std::filesystem::path& p) const;
    std::map<int, std::unique_ptr<InFile>> ins_;
};

}  // namespace kova
