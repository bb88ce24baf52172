// The index build: runs of sort records (record number, key) sorted in a
// 49152-byte buffer, merged pairwise through two work files, then written
// as full pages from the leaves up.
#include "zudbtool/ndx_build.h"

#include <cstdlib>
#include <cstring>

#include "base/base.h"
#include "base/bytes.h"
#include "zudbtool/isam.h"

namespace {

const char UNIT[] = "ZD_Sort";
constexpr unsigned SORT_BUFFER = 0xC000;

// Sort records: 4-byte record number, then the key.  Equal keys keep the
// order of their record numbers, so the order is total.
struct sort_order {
    const ndx *ip;  // the index, whose header gives the key type
    int key_len;
    int operator()(const unsigned char *a, const unsigned char *b) const {
        if (int r = ndx_compare_keys(ip, a + 4, b + 4, key_len)) return r;
        std::uint32_t ra = zu_get_le32(a), rb = zu_get_le32(b);
        return ra < rb ? -1 : ra > rb ? 1 : 0;
    }
};

sort_order *g_order;  // for qsort

int qsort_cmp(const void *a, const void *b) {
    return (*g_order)(static_cast<const unsigned char *>(a), static_cast<const unsigned char *>(b));
}

struct run {
    long count;
    long offset;
};

void must_read(zp::fhandle fh, long off, void *buf, unsigned size) {
    if (off < 0 || zp::read_at(fh, static_cast<std::uint64_t>(off), buf, size) != size) {
        ZU_DB_ERR(IE_READ, UNIT);
        isam_give_up();
    }
}

void must_write(zp::fhandle fh, const void *buf, unsigned size) {
    if (size && zp::lwrite(fh, buf, size) != size) {
        ZU_DB_ERR(IE_WRITE, UNIT);
        isam_give_up();
    }
}

// Everything a build holds, given back on every way out.
struct build_state {
    char path1[260] = {0};
    char path2[260] = {0};
    zp::fhandle f1 = zp::HFILE_ERR;
    zp::fhandle f2 = zp::HFILE_ERR;
    run *runs = nullptr;
    unsigned char *buf = nullptr;

    ~build_state() {
        if (buf) ZUFRE(buf);
        std::free(runs);
        if (f1 != zp::HFILE_ERR) zp::lclose(f1);
        if (f2 != zp::HFILE_ERR) zp::lclose(f2);
        if (path1[0]) zp::delete_file(path1);
        if (path2[0]) zp::delete_file(path2);
    }
};

// Reads the sort records of one run in windows of whole records.
struct run_reader {
    zp::fhandle fh;
    long pos;         // next byte in the file
    long remaining;   // records not yet in the window
    unsigned char *win;
    unsigned cap;     // records a window holds
    unsigned s;
    unsigned have = 0, at = 0;

    const unsigned char *peek() {
        if (at == have) {
            if (!remaining) return nullptr;
            unsigned n = remaining < static_cast<long>(cap) ? static_cast<unsigned>(remaining) : cap;
            must_read(fh, pos, win, n * s);
            pos += static_cast<long>(n * s);
            remaining -= n;
            have = n;
            at = 0;
        }
        return win + at * s;
    }
    void take() { ++at; }
};

struct run_writer {
    zp::fhandle fh;
    unsigned char *win;
    unsigned cap;
    unsigned s;
    unsigned n = 0;

    void put(const unsigned char *rec) {
        std::memcpy(win + n * s, rec, s);
        if (++n == cap) flush();
    }
    void flush() {
        must_write(fh, win, n * s);
        n = 0;
    }
};

// The page phase: leaves filled in key order, inner pages above them.
struct page_writer {
    ndx *ip;
    run_reader in;
    sort_order order;
    int key_len = 0, entry_size = 0, keys_per_page = 0;
    bool unique = false;
    std::uint32_t next = 1;
    unsigned char last[NDX_KEY_MAX + 4] = {};
    bool have_last = false;
    std::vector<std::vector<unsigned char>> pages = {};  // one buffer per height

    // The next sort record that gets an entry; in a unique index a record
    // whose key equals the last one written is passed over.
    const unsigned char *peek() {
        for (;;) {
            const unsigned char *r = in.peek();
            if (!r || !unique || !have_last) return r;
            if (ndx_compare_keys(ip, r + 4, last + 4, key_len) != 0) return r;
            in.take();
        }
    }

    unsigned char *page(int h) {
        if (static_cast<int>(pages.size()) <= h) pages.resize(h + 1);
        pages[h].assign(NDX_PAGE, 0);
        return pages[h].data();
    }

    std::uint32_t finish(unsigned char *pg, int k) {
        zu_put_le32(pg, static_cast<std::uint32_t>(k));
        std::uint32_t pno = next++;
        if (!ndx_write_page(ip, pno, pg)) isam_give_up();
        return pno;
    }

    std::uint32_t build(int h, std::uint32_t first_child) {
        unsigned char *pg = page(h);
        int k = 0;
        if (h == 0) {
            const unsigned char *r;
            while (k < keys_per_page && (r = peek()) != nullptr) {
                unsigned char *e = pg + 4 + k * entry_size;
                zu_put_le32(e + 4, zu_get_le32(r));
                std::memcpy(e + 8, r + 4, key_len);
                std::memcpy(last, r, 4 + key_len);
                have_last = true;
                in.take();
                ++k;
            }
            return finish(pg, k);
        }
        std::uint32_t child = first_child ? first_child : build(h - 1, 0);
        pg = pages[h].data();  // the vector of buffers may have grown
        while (k < keys_per_page && peek()) {
            unsigned char *e = pg + 4 + k * entry_size;
            zu_put_le32(e, child);
            std::memcpy(e + 8, last + 4, key_len);
            ++k;
            child = build(h - 1, 0);
            pg = pages[h].data();
        }
        zu_put_le32(pg + 4 + k * entry_size, child);
        return finish(pg, k);
    }
};

}  // namespace

void ndx_work_path(const char *index_path, const char *ext, char *out, unsigned size) {
    zu_copy(out, size, index_path);
    char *dot = std::strrchr(out + (zp::file_name_part(out) - out), '.');
    if (dot) {
        dot[1] = 0;
    } else {
        zu_append(out, size, ".");
    }
    zu_append(out, size, ext);
}

bool ndx_build(ndx *ip, ndx_records &src) {
    // 1. The key layout.
    ndx_key_layout kl;
    if (ndx_key_layout_of(ndx_expr(ip), src, &kl) != 0) {
        if (!kl.complete()) debf("DBF=%s  NDX=%s\n", src.table_path(), ip->path);
        ZU_DB_ERR(IE_IDXKEY, UNIT);
        return false;
    }
    if (kl.len > NDX_KEY_MAX) err(9, "%s", "インデックスフィールド長オーバー 最長(256 - 4)までです。wrt_index()");
    ndx_set_key_layout(ip, kl.type, kl.len);
    const int klen = kl.len;
    const unsigned s = static_cast<unsigned>(klen) + 4;
    const int es = ndx_entry_size(ip);
    const int m = ndx_keys_per_page(ip);
    sort_order order{ip, klen};

    build_state st;
    try {
        // 2. The work files.
        ndx_work_path(ip->path, "$$1", st.path1, sizeof st.path1);
        ndx_work_path(ip->path, "$$2", st.path2, sizeof st.path2);
        st.f1 = zp::lcreat(st.path1);
        st.f2 = zp::lcreat(st.path2);
        if (st.f1 == zp::HFILE_ERR || st.f2 == zp::HFILE_ERR) {
            ZU_DB_ERR(IE_TMPFILE, UNIT);
            return false;
        }

        // 4. The run table and the sort buffer.
        long n = src.record_count();
        if (n < 0) n = 0;
        const unsigned per_run = SORT_BUFFER / s;
        long nruns = (n + per_run - 1) / per_run;
        if (nruns < 1) nruns = 1;
        st.runs = static_cast<run *>(std::malloc(sizeof(run) * static_cast<std::size_t>(nruns)));
        if (!st.runs) {
            ZU_DB_ERR(IE_MEMORY999, UNIT);
            return false;
        }
        st.buf = static_cast<unsigned char *>(ZUALC(SORT_BUFFER));

        // 5. Runs: the records in file order, sorted a buffer at a time.
        if (!src.rewind()) {
            ZU_DB_ERR(IE_READ, UNIT);
            return false;
        }
        g_order = &order;
        long made = 0, offset = 0;
        unsigned fill = 0;
        auto write_run = [&] {
            std::qsort(st.buf, fill, s, qsort_cmp);
            must_write(st.f1, st.buf, fill * s);
            st.runs[made].count = fill;
            st.runs[made].offset = offset;
            offset += static_cast<long>(fill * s);
            ++made;
            fill = 0;
        };
        for (long rno = 1; rno <= n; ++rno) {
            const unsigned char *rec = src.next_record();
            if (!rec) {
                ZU_DB_ERR(IE_READ, UNIT);
                return false;
            }
            unsigned char *sr = st.buf + fill * s;
            zu_put_le32(sr, static_cast<std::uint32_t>(rno));
            ndx_make_key(kl, rec, sr + 4);
            if (++fill == per_run) write_run();
        }
        if (fill || made == 0) write_run();

        // 6. Merges, two runs into one, until one run is left.
        zp::fhandle from = st.f1, to = st.f2;
        const unsigned third = SORT_BUFFER / 3;
        const unsigned wrec = third / s;
        while (made > 1) {
            if (zp::llseek(to, 0, zp::SEEK_FROM_START) != 0) {
                ZU_DB_ERR(IE_WRITE, UNIT);
                return false;
            }
            run_writer out{to, st.buf + 2 * third, wrec, s};
            long merged = 0;
            for (long i = 0; i + 1 < made; i += 2) {
                run_reader a{from, st.runs[i].offset, st.runs[i].count, st.buf, wrec, s};
                run_reader b{from, st.runs[i + 1].offset, st.runs[i + 1].count, st.buf + third, wrec, s};
                for (;;) {
                    const unsigned char *x = a.peek();
                    const unsigned char *y = b.peek();
                    if (!x && !y) break;
                    if (x && (!y || order(x, y) <= 0)) {
                        out.put(x);
                        a.take();
                    } else {
                        out.put(y);
                        b.take();
                    }
                }
                out.flush();
                st.runs[merged].count = st.runs[i].count + st.runs[i + 1].count;
                st.runs[merged].offset = st.runs[i].offset;
                ++merged;
            }
            if (made % 2) {
                run_reader a{from, st.runs[made - 1].offset, st.runs[made - 1].count, st.buf, wrec, s};
                while (const unsigned char *x = a.peek()) {
                    out.put(x);
                    a.take();
                }
                out.flush();
                st.runs[merged] = st.runs[made - 1];
                ++merged;
            }
            made = merged;
            zp::fhandle t = from;
            from = to;
            to = t;
        }

        // 7. Pages.
        if (!zp::set_file_size(ip->fh, 0)) {
            ZU_DB_ERR(IE_WRITE, UNIT);
            return false;
        }
        ip->file_pages = 0;
        // Pages the handle held are gone.
        for (ndx_level *lv = ip->root; lv; lv = lv->down) {
            lv->pno = 0;
            lv->cp = -1;
        }
        ip->bp = nullptr;
        ip->keyp = nullptr;
        page_writer pw{ip, run_reader{from, 0, st.runs[0].count, st.buf, SORT_BUFFER / s, s}, order};
        pw.key_len = klen;
        pw.entry_size = es;
        pw.keys_per_page = m;
        pw.unique = ndx_unique(ip);
        std::uint32_t root = pw.build(0, 0);
        for (int h = 1; pw.peek(); ++h) root = pw.build(h, root);
        unsigned char *h = ip->ihp;
        zu_put_le32(h, root);
        zu_put_le32(h + 4, pw.next);
        ip->changed = true;
        return true;
    } catch (isam_gave_up &) {
        return false;
    }
}
