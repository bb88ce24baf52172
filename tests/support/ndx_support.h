// Helpers of the index tests: records kept in memory as a record source,
// raw page access and the ISAM lines of the error log.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "base/base.h"
#include "dbf_support.h"
#include "zudbtool/ndx.h"
#include "zudbtool/ndx_build.h"

namespace zt {

struct col {
    std::string name;
    char type;
    unsigned len;
};

// A table held in memory: records are the deletion flag and the fields.
class mem_table : public ndx_records {
public:
    explicit mem_table(std::vector<col> f) : fields_(std::move(f)) {
        unsigned pos = 1;
        for (auto &x : fields_) {
            pos_.push_back(pos);
            pos += x.len;
        }
        reclen_ = pos;
    }
    // Adds a record from the field texts (blank-padded, cut to width).
    void add(const std::vector<std::string> &values, char flag = ' ') {
        std::string r(reclen_, ' ');
        r[0] = flag;
        for (std::size_t i = 0; i < fields_.size() && i < values.size(); ++i)
            r.replace(pos_[i], values[i].size() < fields_[i].len ? values[i].size() : fields_[i].len, values[i].substr(0, fields_[i].len));
        records_.push_back(r);
    }
    const char *table_path() override { return "MEM.DBF"; }
    int field_count() override { return static_cast<int>(fields_.size()); }
    ndx_field_desc field(int i) override {
        return {fields_[i].name.c_str(), fields_[i].type, fields_[i].len, pos_[i]};
    }
    long record_count() override { return static_cast<long>(records_.size()); }
    bool rewind() override {
        at_ = 0;
        return true;
    }
    const unsigned char *next_record() override {
        if (at_ >= records_.size() || at_ == fail_at) return nullptr;
        return reinterpret_cast<const unsigned char *>(records_[at_++].data());
    }
    std::vector<std::string> records_;
    std::size_t fail_at = static_cast<std::size_t>(-1);

private:
    std::vector<col> fields_;
    std::vector<unsigned> pos_;
    unsigned reclen_;
    std::size_t at_ = 0;
};

// A table file (dBASE III layout) read straight from the disk.
class dbf_file : public ndx_records {
public:
    explicit dbf_file(const std::string &path) : path_(path) {
        fh_ = zp::lopen(path.c_str(), zp::OPEN_READ);
        unsigned char h[32];
        if (fh_ == zp::HFILE_ERR || zp::lread(fh_, h, 32) != 32) return;
        n_rec_ = static_cast<long>(h[4] | (h[5] << 8) | (h[6] << 16) | (static_cast<std::uint32_t>(h[7]) << 24));
        hlen_ = h[8] | (h[9] << 8);
        reclen_ = h[10] | (h[11] << 8);
        unsigned pos = 1;
        for (unsigned i = 0; i < (hlen_ - 33) / 32; ++i) {
            unsigned char d[32];
            if (zp::lread(fh_, d, 32) != 32) return;
            std::size_t nl = 0;
            while (nl < 11 && d[nl]) ++nl;
            names_.push_back(std::string(reinterpret_cast<char *>(d), nl));
            types_.push_back(static_cast<char>(d[11]));
            lens_.push_back(d[16] | (d[17] << 8));
            pos_.push_back(pos);
            pos += lens_.back();
        }
        rec_.resize(reclen_ + 1);
        ok_ = true;
    }
    ~dbf_file() override {
        if (fh_ != zp::HFILE_ERR) zp::lclose(fh_);
    }
    bool ok() const { return ok_; }
    const char *table_path() override { return path_.c_str(); }
    int field_count() override { return static_cast<int>(names_.size()); }
    ndx_field_desc field(int i) override { return {names_[i].c_str(), types_[i], lens_[i], pos_[i]}; }
    long record_count() override { return n_rec_; }
    bool rewind() override { return zp::llseek(fh_, static_cast<long>(hlen_), zp::SEEK_FROM_START) == static_cast<long>(hlen_); }
    const unsigned char *next_record() override {
        return zp::lread(fh_, rec_.data(), reclen_) == reclen_ ? rec_.data() : nullptr;
    }
    // Record `rno` (1-based), or null.
    const unsigned char *record(long rno) {
        long off = static_cast<long>(hlen_ + reclen_ * (rno - 1));
        if (zp::llseek(fh_, off, zp::SEEK_FROM_START) != off) return nullptr;
        return next_record();
    }

private:
    std::string path_;
    zp::fhandle fh_ = zp::HFILE_ERR;
    bool ok_ = false;
    long n_rec_ = 0;
    unsigned hlen_ = 0, reclen_ = 0;
    std::vector<std::string> names_;
    std::vector<char> types_;
    std::vector<unsigned> lens_, pos_;
    std::vector<unsigned char> rec_;
};

// The bytes of a table file with character fields.
inline std::string dbf_bytes(const std::vector<col> &cols, const std::vector<std::vector<std::string>> &rows) {
    std::vector<dbf_field_def> fields;
    for (auto &c : cols) fields.push_back({c.name, c.type, c.len});
    std::vector<std::string> records;
    for (auto &r : rows) {
        std::string rec = " ";
        for (std::size_t i = 0; i < cols.size(); ++i) rec += pad(i < r.size() ? r[i] : "", cols[i].len);
        records.push_back(rec);
    }
    return make_dbf(fields, records);
}

inline std::uint32_t u32(const std::string &b, std::size_t off) { return get_le(b, off, 4); }
inline void set_u32(std::string &b, std::size_t off, std::uint32_t v) { put_le(b, off, v, 4); }
inline void set_u16(std::string &b, std::size_t off, unsigned v) { put_le(b, off, v, 2); }

// One page of an index file as read from the disk.
struct page_view {
    std::string bytes;
    int es;
    int kl;
    unsigned count() const { return u32(bytes, 0) & 0xFFFF; }
    std::uint32_t child(int i) const { return u32(bytes, 4 + i * es); }
    std::uint32_t rno(int i) const { return u32(bytes, 4 + i * es + 4); }
    std::string key(int i) const { return bytes.substr(4 + i * es + 8, kl); }
};

inline page_view page_of(const std::string &file, std::uint32_t pno) {
    int kl = static_cast<std::int16_t>(file[12] | (file[13] << 8));
    int es = static_cast<unsigned char>(file[18]) | (static_cast<unsigned char>(file[19]) << 8);
    return {file.substr(pno * 512, 512), es, kl};
}

// How often `what` occurs in `text`.
inline int count_of(const std::string &text, const std::string &what) {
    int n = 0;
    for (std::size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
    return n;
}

// All record numbers in index order.
inline std::vector<std::uint32_t> walk(ndx *ip) {
    std::vector<std::uint32_t> out;
    for (std::uint32_t r = ndx_first(ip); r; r = ndx_next(ip)) out.push_back(r);
    return out;
}
inline std::vector<std::uint32_t> walk_back(ndx *ip) {
    std::vector<std::uint32_t> out;
    for (std::uint32_t r = ndx_last(ip); r; r = ndx_prev(ip)) out.push_back(r);
    return out;
}

// A built index with one character field of `len` bytes over `keys`.
inline ndx *char_index(const std::string &path, int len, const std::vector<std::string> &keys, bool unique = false) {
    mem_table t({{"CODE", 'C', static_cast<unsigned>(len)}});
    for (auto &k : keys) t.add({k});
    remove_file(path);
    ndx *ip = ndx_create(path.c_str(), "CODE", unique);
    if (!ip) return nullptr;
    if (!ndx_build(ip, t)) {
        ndx_close(ip);
        return nullptr;
    }
    return ip;
}

}  // namespace zt
