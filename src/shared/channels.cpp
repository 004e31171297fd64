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
    std::string name;
    std::FILE* fp = nullptr;
    std::string buf;
    bool rewritten = false;  // written whole when the run's files are closed
    void flush() {
        if (rewritten) return;
        if (!buf.empty()) {
            if (std::fwrite(buf.data(), 1, buf.size(), fp) != buf.size()) {
                buf.clear();
                fault(name, "write failed");
            }
            buf.clear();
        }
        std::fflush(fp);
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

void Io::bind(std::filesystem::path dir, std::istream* in, std::ostream* out, std::ostream* err) {
    dir_ = std::move(dir);
    in_ = in;
    out_ = out;
    err_ = err;
}

std::filesystem::path Io::path(const std::string& name) const {
    std::filesystem::path p(name);
    if (p.is_absolute() || dir_.empty()) return p;
    return dir_ / p;
}

void Io::create(int ch, const std::string& name) {
    close(ch);
    std::FILE* fp = std::fopen(path(name).c_str(), "wb");
    if (!fp) fault(name, "cannot create the file");
    auto f = std::make_unique<OutFile>();
    f->name = name;
    f->fp = fp;
    f->buf.reserve(1 << 16);
    outs_[ch] = std::move(f);
}

void Io::create_rewritten(int ch, const std::string& name) {
    auto kept = rewritten_.find(name);
    if (kept == rewritten_.end()) {
        create(ch, name);
        outs_[ch]->rewritten = true;
        return;
    }
    close(ch);
    std::unique_ptr<OutFile> f = std::move(kept->second);
    rewritten_.erase(kept);
    f->buf.clear();
    outs_[ch] = std::move(f);
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
    if (f.buf.size() >= (1u << 20)) f.flush();
}

void Io::write_lines(int ch, std::initializer_list<std::string_view> recs) {
    for (std::string_view rec : recs) write(ch, rec);
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

InFile& Io::open_old(int ch, const std::string& name) {
    if (!try_open_old(ch, name)) {
        std::error_code ec;
        std::filesystem::path p = path(name);
        if (std::filesystem::is_directory(p, ec)) fault(name, "is a directory, not a file");
        if (!std::filesystem::exists(p, ec)) fault(name, "no such file");
        fault(name, "cannot read the file");
    }
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
        std::unique_ptr<OutFile> f = std::move(it->second);
        outs_.erase(it);
        if (f->rewritten) {
            const std::string name = f->name;
            rewritten_[name] = std::move(f);
            return;
        }
        f->flush();
        std::fclose(f->fp);
    }
    ins_.erase(ch);
}

void Io::flush_all() {
    for (auto& [ch, f] : outs_) f->flush();
    if (out_) out_->flush();
}

void Io::close_all() {
    while (!outs_.empty()) close(outs_.begin()->first);
    while (!rewritten_.empty()) {
        std::unique_ptr<OutFile> f = std::move(rewritten_.begin()->second);
        rewritten_.erase(rewritten_.begin());
        // Nothing has gone to the file since it was created: it gets the last text.
        f->rewritten = false;
        f->flush();
        std::fclose(f->fp);
    }
    ins_.clear();
    if (out_) out_->flush();
}

}  // namespace kova
