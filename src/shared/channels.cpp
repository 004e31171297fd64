#include "shared/channels.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <istream>
#include <ostream>
#include <sstream>
#include <system_error>

#include "shared/errors.hpp"

namespace kova {

void fault(const std::string& file, int record, const std::string& what) {
    throw RunFault(file + ", record " + std::to_string(record) + ": " + what);
}

void fault(const std::string& file, const std::string& what) {
    throw RunFault(file + ": " + what);
}

InFile::InFile(std::string name, std::string text)
    : name_(std::move(name)), text_(std::move(text)) {
    start_.push_back(0);
    const char* const begin = text_.data();
    const char* const end = begin + text_.size();
    for (const char* p = begin; p < end;) {
        const char* nl =
            static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        p = nl ? nl + 1 : end;
        start_.push_back(static_cast<std::size_t>(p - begin) + (nl ? 0 : 1));
    }
}

std::string_view InFile::record(std::size_t n) const {
    const std::size_t from = start_[n];
    std::size_t to = std::min(start_[n + 1] - 1, text_.size());  // its line feed, or the end
    // A CR ends the record before a line feed and at the end of a file without a last one,
    // so that a file saved with CR LF reads the same whether its last line has one or not.
    if (to > from && text_[to - 1] == '\r') --to;
    return std::string_view(text_).substr(from, to - from);
}

bool InFile::read(std::string& rec) {
    if (pos_ >= size()) return false;
    rec.assign(record(pos_++));
    return true;
}

struct Io::OutFile {
    std::string name;        // the file's own name
    std::string written_as;  // the name its text goes to: its own, or its temporary name
    std::FILE* fp = nullptr;  // null while a listing has not been opened
    std::string buf;
    bool listing = false;
    bool temporary() const { return written_as != name; }
    ~OutFile() {
        if (fp) std::fclose(fp);
    }
};

Io::Io() = default;

Io::~Io() {
    out_ = nullptr;  // the streams may be gone already; files are closed, not the terminal
    try {
        close_all();
    } catch (...) {
    }
}

void Io::bind(std::filesystem::path dir, std::istream* in, std::ostream* out, std::ostream* err,
              OutputMode mode) {
    dir_ = std::move(dir);
    in_ = in;
    out_ = out;
    err_ = err;
    mode_ = mode;
}

std::filesystem::path Io::path(const std::string& name) const {
    std::filesystem::path p(name);
    if (p.is_absolute() || dir_.empty()) return p;
    return dir_ / p;
}

std::string Io::temporary_name(const std::string& name) { return name + ".kova-tmp"; }
std::string Io::earlier_name(const std::string& name) { return name + ".kova-old"; }

bool Io::same_file(const std::string& a, const std::string& b) const {
    namespace fs = std::filesystem;
    const fs::path pa = path(a), pb = path(b);
    std::error_code ec1, ec2;
    if (fs::exists(pa, ec1) && fs::exists(pb, ec2)) {
        std::error_code ec;
        const bool same = fs::equivalent(pa, pb, ec);
        if (!ec) return same;
    }
    // One of them does not exist yet: the names are compared as absolute paths.
    auto normal = [](const fs::path& p) {
        std::error_code ec;
        fs::path q = fs::weakly_canonical(p, ec);
        return ec ? fs::absolute(p, ec).lexically_normal() : q;
    };
    return normal(pa) == normal(pb);
}

void Io::open_file(OutFile& f) {
    if (failure_ && failure_->at == FailurePoint::create && failure_->file == f.name)
        fault(f.name, "cannot create the file (injected failure)");
    f.fp = std::fopen(path(f.written_as).c_str(), "wb");
    if (!f.fp) fault(f.name, "cannot create the file");
}

void Io::write_out(OutFile& f) {
    if (!f.fp) open_file(f);  // a listing opened by its first text
    if (!f.buf.empty()) {
        const bool written = std::fwrite(f.buf.data(), 1, f.buf.size(), f.fp) == f.buf.size();
        f.buf.clear();
        if (!written) fault(f.name, "write failed");
    }
    if (std::fflush(f.fp) != 0) fault(f.name, "write failed");
}

void Io::create(int ch, const std::string& name) {
    close(ch);
    // A file made again in one run replaces its earlier text under the same temporary name.
    std::erase_if(finished_, [&](const std::unique_ptr<OutFile>& f) { return f->name == name; });
    auto f = std::make_unique<OutFile>();
    f->name = name;
    f->written_as = mode_ == OutputMode::replace_at_end ? temporary_name(name) : name;
    open_file(*f);
    f->buf.reserve(1 << 16);
    outs_[ch] = std::move(f);
}

void Io::create_listing(int ch, const std::string& name) {
    close(ch);
    auto f = std::make_unique<OutFile>();
    f->name = name;
    f->written_as = name;
    f->listing = true;
    f->buf.reserve(1 << 16);
    outs_[ch] = std::move(f);
}

void Io::open_listing(int ch) {
    auto it = outs_.find(ch);
    if (it != outs_.end()) write_out(*it->second);
}

void Io::discard_listing(int ch) {
    auto it = outs_.find(ch);
    if (it != outs_.end() && it->second->listing && !it->second->fp) outs_.erase(it);
}

void Io::write(int ch, std::string_view rec) {
    if (ch == terminal) {
        if (!out_) return;  // a records object without a terminal (unit tests)
        out_->write(rec.data(), static_cast<std::streamsize>(rec.size()));
        out_->put('\n');
        return;
    }
    auto it = outs_.find(ch);
    if (it == outs_.end())
        fault("channel " + std::to_string(ch), "write to a channel that is not open");
    OutFile& f = *it->second;
    f.buf.append(rec);
    f.buf.push_back('\n');
    if (f.buf.size() >= (1u << 20)) write_out(f);
}

void Io::write_lines(int ch, std::initializer_list<std::string_view> recs) {
    for (std::string_view rec : recs) write(ch, rec);
}

void Io::write_to(std::initializer_list<int> channels, std::string_view rec) {
    for (int ch : channels) write(ch, rec);
}

void Io::prompt(std::string_view text) {
    if (!out_) return;
    out_->write(text.data(), static_cast<std::streamsize>(text.size()));
    out_->flush();
}

std::string Io::answer(std::string_view asked_for) {
    std::string line;
    if (!in_ || !std::getline(*in_, line))
        fault("standard input", "end of input at the prompt for " + std::string(asked_for));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

bool Io::is_open_out(int ch) const { return outs_.count(ch) != 0; }
bool Io::is_open_in(int ch) const { return ins_.count(ch) != 0; }

std::string Io::name_of(int ch) const {
    if (auto it = outs_.find(ch); it != outs_.end()) return it->second->name;
    if (auto it = ins_.find(ch); it != ins_.end()) return it->second->name();
    return "";
}

bool Io::try_open_old(int ch, const std::string& name) {
    std::filesystem::path p = path(name);
    std::error_code ec;
    if (name.empty() || !std::filesystem::is_regular_file(p, ec)) return false;
    std::ifstream f(p, std::ios::binary);
    if (!f) return false;
    // Read at once into a buffer of the file's size, then whatever follows (a file that grew).
    std::string text;
    const auto size = std::filesystem::file_size(p, ec);
    if (!ec && size > 0) {
        text.resize(static_cast<std::size_t>(size));
        f.read(text.data(), static_cast<std::streamsize>(size));
        text.resize(static_cast<std::size_t>(f.gcount()));
    }
    if (f.bad()) return false;
    if (f) {
        std::ostringstream rest;
        rest << f.rdbuf();
        text += rest.str();
    }
    if (f.bad()) return false;
    close(ch);
    ins_[ch] = std::make_unique<InFile>(name, std::move(text));
    return true;
}

std::string Io::why_unreadable(const std::string& name) const {
    std::error_code ec;
    const std::filesystem::path p = path(name);
    if (std::filesystem::is_directory(p, ec)) return "is a directory, not a file";
    if (!std::filesystem::exists(p, ec)) return "no such file";
    return "cannot read the file";
}

InFile& Io::open_old(int ch, const std::string& name) {
    if (!try_open_old(ch, name)) fault(name, why_unreadable(name));
    return *ins_[ch];
}

InFile& Io::in(int ch) {
    auto it = ins_.find(ch);
    if (it == ins_.end())
        fault("channel " + std::to_string(ch), "read from a channel that is not open");
    return *it->second;
}

void Io::close(int ch) {
    if (auto it = outs_.find(ch); it != outs_.end()) {
        OutFile& f = *it->second;
        // On a failed write the file stays open, so that drop_outputs still removes it.
        write_out(f);
        const bool closed = std::fclose(f.fp) == 0;
        f.fp = nullptr;
        const std::string name = f.name;
        std::unique_ptr<OutFile> done = std::move(it->second);
        outs_.erase(it);
        if (done->temporary()) finished_.push_back(std::move(done));
        if (!closed) fault(name, "write failed");
    }
    ins_.erase(ch);
}

void Io::flush_all() {
    for (auto& [ch, f] : outs_) write_out(*f);
    if (out_) out_->flush();
}

void Io::replace_outputs() {
    std::vector<int> open;
    for (const auto& [ch, f] : outs_)
        if (!f->listing) open.push_back(ch);
    for (int ch : open) close(ch);
    // Every text is complete and closed before the first file of an earlier run is replaced.
    // An earlier file stays linked under a second name until every new file is in place, so
    // that a rename that fails halfway puts the earlier files back: the run's files are
    // replaced all together or not at all.
    namespace fs = std::filesystem;
    struct Replaced {
        std::string name;
        bool had_earlier;
    };
    std::vector<Replaced> replaced;
    try {
        for (const auto& f : finished_) {
            if (failure_ && failure_->at == FailurePoint::rename && failure_->file == f->name)
                fault(f->name, "cannot replace the file (injected failure)");
            const fs::path target = path(f->name), kept = path(earlier_name(f->name));
            std::error_code ec;
            const bool had_earlier = fs::is_regular_file(target, ec);
            bool moved_aside = false;
            if (had_earlier) {
                fs::remove(kept, ec);
                fs::create_hard_link(target, kept, ec);
                if (ec) {  // a file system without links: the earlier file is moved aside
                    fs::rename(target, kept, ec);
                    if (ec) fault(f->name, "cannot keep the earlier file: " + ec.message());
                    moved_aside = true;
                }
            }
            fs::rename(path(f->written_as), target, ec);
            if (ec) {
                const std::string why = ec.message();
                if (moved_aside) fs::rename(kept, target, ec);
                else if (had_earlier) fs::remove(kept, ec);
                fault(f->name, "cannot replace the file by " + f->written_as + ": " + why);
            }
            replaced.push_back({f->name, had_earlier});
        }
    } catch (const RunFault&) {
        for (auto it = replaced.rbegin(); it != replaced.rend(); ++it) {
            std::error_code ec;
            if (it->had_earlier) fs::rename(path(earlier_name(it->name)), path(it->name), ec);
            else fs::remove(path(it->name), ec);
        }
        throw;
    }
    for (const Replaced& done : replaced) {
        std::error_code ec;
        if (done.had_earlier) fs::remove(path(earlier_name(done.name)), ec);
    }
    finished_.clear();
}

void Io::remove_temporary(OutFile& f) {
    if (f.fp) std::fclose(f.fp);
    f.fp = nullptr;
    if (!f.temporary()) return;
    std::error_code ec;
    std::filesystem::remove(path(f.written_as), ec);
}

void Io::drop_outputs() {
    for (auto it = outs_.begin(); it != outs_.end();) {
        if (it->second->listing) {
            ++it;
            continue;
        }
        remove_temporary(*it->second);
        it = outs_.erase(it);
    }
    for (auto& f : finished_) remove_temporary(*f);
    finished_.clear();
}

void Io::close_all() {
    // Files a finished run has not replaced are not the run's results.
    if (mode_ == OutputMode::replace_at_end) drop_outputs();
    while (!outs_.empty()) close(outs_.begin()->first);
    ins_.clear();
    if (out_) out_->flush();
}

}  // namespace kova
