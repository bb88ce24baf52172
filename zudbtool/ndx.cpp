// The .NDX index file and its B-tree (see ndx.h for the layout).
#include "zudbtool/ndx.h"

#include <cmath>
#include <cstring>

#include "base/base.h"
#include "base/bytes.h"
#include "zudbtool/isam.h"

namespace {

const char UNIT[] = "ZD_Idx";

// Page numbers stay below this, so that every byte offset fits a signed
// 32-bit file position.
constexpr std::uint32_t MAX_PAGES = 0x400000;

// ---- page access ----------------------------------------------------------------

// The header's page layout, read once per operation.
struct page_layout {
    int entry_size;
    int key_len;
    int keys_per_page;
};

page_layout page_layout_of(const ndx *ip) { return {ndx_entry_size(ip), ndx_key_len(ip), ndx_keys_per_page(ip)}; }

int count(const ndx_level *lv) { return static_cast<int>(zu_get_le16(lv->page)); }
void set_count(ndx_level *lv, int k) { zu_put_le32(lv->page, static_cast<std::uint32_t>(k)); }
unsigned char *entry(ndx_level *lv, const page_layout &pl, int i) { return lv->page + 4 + i * pl.entry_size; }
std::uint32_t child_at(ndx_level *lv, const page_layout &pl, int i) { return zu_get_le32(entry(lv, pl, i)); }
std::uint32_t rno_at(ndx_level *lv, const page_layout &pl, int i) { return zu_get_le32(entry(lv, pl, i) + 4); }
unsigned char *key_at(ndx_level *lv, const page_layout &pl, int i) { return entry(lv, pl, i) + 8; }

void put_key(unsigned char *dst, const page_layout &pl, const unsigned char *key) {
    std::memcpy(dst, key, pl.key_len);
    std::memset(dst + pl.key_len, 0, pl.entry_size - 8 - pl.key_len);
}

// Clears what lies past the page's last child slot, so that a page holds
// nothing but its entries.
void tidy(ndx_level *lv, const page_layout &pl) {
    unsigned used = 4 + count(lv) * pl.entry_size + 4;
    if (used < NDX_PAGE) std::memset(lv->page + used, 0, NDX_PAGE - used);
}

// ---- levels --------------------------------------------------------------------

ndx_level *make_level() {
    auto *lv = static_cast<ndx_level *>(ZUALC(sizeof(ndx_level)));
    std::memset(lv, 0, sizeof *lv);
    lv->cp = -1;
    return lv;
}

ndx_level *root_level(ndx *ip) {
    if (!ip->root) ip->root = make_level();
    return ip->root;
}

ndx_level *below(ndx_level *lv) {
    if (!lv->down) {
        lv->down = make_level();
        lv->down->up = lv;
    }
    return lv->down;
}

// A page whose write failed leaves the level, so that the next operation
// reads what the file holds rather than the page it could not write.
void write_level(ndx *ip, ndx_level *lv, const page_layout &pl) {
    tidy(lv, pl);
    if (!ndx_write_page(ip, lv->pno, lv->page)) {
        lv->pno = 0;
        isam_give_up();
    }
}

// Brings a page into a level; the level becomes bp.  A page that is not
// in the file, that an upper level of the path already holds (a cycle), or
// whose key count exceeds the page's room is a damaged index.
void load(ndx *ip, ndx_level *lv, std::uint32_t pno) {
    int line = 0;
    if (pno == 0 || pno >= ip->file_pages || pno >= MAX_PAGES) {
        line = __LINE__;
    } else {
        for (ndx_level *a = lv->up; a; a = a->up)
            if (a->pno == pno) line = __LINE__;
    }
    // One operation enters each page of a sound tree at most about once: a
    // page graph that leads back into itself more often is damaged.
    if (!line && ++ip->reads > 2 * ip->file_pages + 64) line = __LINE__;
    if (!line && pno != lv->pno) {
        lv->pno = 0;
        std::uint64_t off = static_cast<std::uint64_t>(pno) * NDX_PAGE;
        if (ip->fh == zp::HFILE_ERR || zp::read_at(ip->fh, off, lv->page, NDX_PAGE) != NDX_PAGE) {
            line = __LINE__;
        } else if (count(lv) > ndx_keys_per_page(ip)) {
            line = __LINE__;
        } else {
            lv->pno = pno;
        }
    }
    if (line) {
        ip->bp = nullptr;
        ZU_DB_ERR_AT(IE_READ, UNIT, line);
        isam_give_up();
    }
    ip->bp = lv;
}

// The header is checked once at open: a layout the pages cannot hold makes
// the index unusable.
bool header_sound(const ndx *ip) {
    int kl = ndx_key_len(ip);
    if (kl < 1 || kl > NDX_KEY_MAX) return false;
    int es = ndx_entry_size(ip);
    if (es != ((kl - 1) & ~3) + 12) return false;
    int m = ndx_keys_per_page(ip);
    if (m < 1 || m > 508 / es) return false;
    int type = ndx_key_type(ip);
    if (type < NDX_CHAR || type > NDX_INTEGER) return false;
    if ((type == NDX_NUMERIC && kl != 8) || (type == NDX_INTEGER && kl != 4)) return false;
    std::uint32_t root = ndx_root(ip), next = ndx_next_free(ip);
    if (root < 1 || root >= next || next > MAX_PAGES) return false;
    if (root >= ip->file_pages) return false;
    return true;
}

// The keys' order.  Doubles that are not numbers sort after all others, so
// the order stays total.
int cmp_double(double a, double b) {
    if (a < b) return -1;
    if (a > b) return 1;
    if (a == b) return 0;
    return std::isnan(a) - std::isnan(b);
}

int compare_raw(int type, int kl, const void *a, const void *b, int len) {
    switch (type) {
    case NDX_NUMERIC: {
        double x, y;
        std::memcpy(&x, a, 8);
        std::memcpy(&y, b, 8);
        return cmp_double(x, y);
    }
    case NDX_INTEGER: {
        std::int32_t x, y;
        std::memcpy(&x, a, 4);
        std::memcpy(&y, b, 4);
        return x < y ? -1 : x > y ? 1 : 0;
    }
    default: {
        if (len > kl) len = kl;
        if (len <= 0) return 0;
        int r = std::memcmp(a, b, static_cast<std::size_t>(len));
        return r < 0 ? -1 : r > 0 ? 1 : 0;
    }
    }
}

// ---- cursor steps -----------------------------------------------------------------

// One step of the cursor from level lv, in key order (dir 1) or against it
// (dir -1): the next entry that holds a record number, going down into
// children and back up to the parents; 0 beyond the end.
std::uint32_t step(ndx *ip, ndx_level *lv, int dir) {
    page_layout pl = page_layout_of(ip);
    for (;;) {
        int k = count(lv);
        if (lv->cp < -1) lv->cp = -1;
        if (lv->cp > k + 1) lv->cp = k + 1;
        // Whether the cursor is still on an entry of the page (entry k only
        // holds the rightmost child).
        auto on_entry = [&] { return dir > 0 ? lv->cp <= k : lv->cp >= 0; };
        if (on_entry()) lv->cp += dir;
        while (dir > 0 ? lv->cp < k : lv->cp >= 0) {
            std::uint32_t r = lv->cp < k ? rno_at(lv, pl, lv->cp) : 0;
            if (r) {
                ip->bp = lv;
                ip->keyp = key_at(lv, pl, lv->cp);
                return r;
            }
            if (child_at(lv, pl, lv->cp)) break;
            lv->cp += dir;
        }
        if (on_entry() && child_at(lv, pl, lv->cp)) {
            std::uint32_t c = child_at(lv, pl, lv->cp);
            ndx_level *d = below(lv);
            load(ip, d, c);
            d->cp = dir > 0 ? -1 : count(d) + 1;
            lv = d;
            continue;
        }
        if (!lv->up) {
            ip->bp = lv;
            return 0;
        }
        lv = lv->up;
    }
}

std::uint32_t search(ndx *ip, const void *key, int len) {
    page_layout pl = page_layout_of(ip);
    ndx_level *lv = root_level(ip);
    std::uint32_t pno = ndx_root(ip);
    for (;;) {
        load(ip, lv, pno);
        int k = count(lv);
        int left = 0, right = k;
        while (left < right) {
            int mid = (left + right) / 2;
            if (compare_raw(ndx_key_type(ip), pl.key_len, key, key_at(lv, pl, mid), len) > 0)
                left = mid + 1;
            else
                right = mid;
        }
        lv->cp = left;
        ip->keyp = key_at(lv, pl, left);
        if (left < k && rno_at(lv, pl, left) != 0 &&
            compare_raw(ndx_key_type(ip), pl.key_len, key, key_at(lv, pl, left), len) == 0)
            return rno_at(lv, pl, left);
        std::uint32_t c = child_at(lv, pl, left);
        if (!c) return 0;
        lv = below(lv);
        pno = c;
    }
}

// The first (dir 1) or last (dir -1) key: down the leftmost or rightmost
// children to a leaf, then one step in from that edge of the leaf.
std::uint32_t edge(ndx *ip, int dir) {
    page_layout pl = page_layout_of(ip);
    ndx_level *lv = root_level(ip);
    std::uint32_t pno = ndx_root(ip);
    for (;;) {
        load(ip, lv, pno);
        lv->cp = dir > 0 ? 0 : count(lv);
        std::uint32_t c = child_at(lv, pl, lv->cp);
        if (!c) break;
        lv = below(lv);
        pno = c;
    }
    if (dir > 0) lv->cp = -1;
    return step(ip, lv, dir);
}

unsigned count_eq(ndx *ip, const void *key, int len) {
    if (!search(ip, key, len)) return 0;
    unsigned n = 1;
    for (;;) {
        if (!step(ip, ip->bp, 1)) {
            edge(ip, -1);
            ip->bp->cp++;
            break;
        }
        if (ndx_compare(ip, key, len) != 0) break;
        n++;
    }
    return n;
}

std::uint32_t new_page(ndx *ip) {
    std::uint32_t np = ndx_next_free(ip);
    // Never hand out a page the file already holds.
    if (np < ip->file_pages) np = ip->file_pages;
    if (np >= MAX_PAGES) {
        ZU_DB_ERR(IE_WRITE, UNIT);
        isam_give_up();
    }
    zu_put_le32(ip->ihp + 4, np + 1);
    ip->changed = true;
    return np;
}

void insert(ndx *ip, const void *key0, std::uint32_t rno) {
    page_layout pl = page_layout_of(ip);
    unsigned n = count_eq(ip, key0, pl.key_len);
    if (n && ndx_unique(ip)) {
        ZU_DB_ERR(IE_DBLKEY, UNIT);
        isam_give_up();
    }
    ndx_level *lv = ip->bp;
    ip->bp = nullptr;
    unsigned char key[NDX_KEY_MAX];
    std::memcpy(key, key0, pl.key_len);
    std::uint32_t right = 0;
    std::uint32_t new_root = 0;  // a root page made by a split, not yet written
    for (;;) {
        int k = count(lv);
        int cp = lv->cp;
        if (!lv->pno || cp < 0 || cp > k) {
            ZU_DB_ERR(IE_READ, UNIT);
            isam_give_up();
        }
        // Open a gap at cp: record numbers, keys and the children after them
        // move up one entry; the child slot of cp keeps its page.
        std::memmove(entry(lv, pl, cp + 1) + 4, entry(lv, pl, cp) + 4, (k - cp) * pl.entry_size);
        zu_put_le32(entry(lv, pl, cp) + 4, rno);
        put_key(key_at(lv, pl, cp), pl, key);
        zu_put_le32(entry(lv, pl, cp + 1), right);
        if (k + 1 <= pl.keys_per_page) {
            set_count(lv, k + 1);
            write_level(ip, lv, pl);
            if (new_root) {
                // The header names the new root only once its page is in
                // the file: a header whose root page the file lacks does
                // not open.
                zu_put_le32(ip->ihp, new_root);
                ip->changed = true;
            }
            return;
        }
        // Split: the left half stays in the page, the right half gets a new
        // page, the key of entry e - 1 goes up.
        int e = (k + 2) / 2;
        bool leaf = child_at(lv, pl, 0) == 0;
        unsigned char work[NDX_WORK];
        std::memcpy(work, lv->page, NDX_WORK);
        std::memcpy(key, key_at(lv, pl, e - 1), pl.key_len);
        std::uint32_t left_pno = lv->pno;
        set_count(lv, leaf ? e : e - 1);
        write_level(ip, lv, pl);
        std::uint32_t np = new_page(ip);
        std::memcpy(lv->page, work, NDX_WORK);
        std::memmove(entry(lv, pl, 0), entry(lv, pl, e), (k - e + 1) * pl.entry_size + 4);
        set_count(lv, k - e + 1);
        lv->pno = np;
        write_level(ip, lv, pl);
        right = np;
        rno = 0;
        if (!lv->up) {
            // The root split: a new root above the old one.
            std::uint32_t rp = new_page(ip);
            ndx_level *nr = make_level();
            nr->down = lv;
            lv->up = nr;
            ip->root = nr;
            std::memset(nr->page, 0, NDX_WORK);
            zu_put_le32(entry(nr, pl, 0), left_pno);
            nr->pno = rp;
            nr->cp = 0;
            new_root = rp;
            // The old root's page is the left half; the level now holds the
            // right half under its own number, so nothing stale is cached.
        }
        lv = lv->up;
    }
}

void remove_at_cursor(ndx *ip) {
    page_layout pl = page_layout_of(ip);
    ndx_level *lv = ip->bp;
    ip->bp = nullptr;
    int k = count(lv);
    int cp = lv->cp;
    std::memmove(entry(lv, pl, cp), entry(lv, pl, cp + 1), (k - cp - 1) * pl.entry_size + 4);
    set_count(lv, k - 1);
    write_level(ip, lv, pl);
    if (cp < k - 1) return;
    unsigned char rep[NDX_KEY_MAX];
    bool have = false;
    if (k > 1) {
        std::memcpy(rep, key_at(lv, pl, k - 2), pl.key_len);
        have = true;
    }
    for (ndx_level *p = lv->up; p; p = p->up) {
        int pk = count(p);
        int pcp = p->cp;
        if (!p->pno || pcp < 0 || pcp > pk) {
            ZU_DB_ERR(IE_READ, UNIT);
            isam_give_up();
        }
        if (have) {
            // The subtree's largest key changed: repair the nearest
            // separator above it.
            if (pcp < pk) {
                put_key(key_at(p, pl, pcp), pl, rep);
                write_level(ip, p, pl);
                return;
            }
            continue;
        }
        // The subtree under child pcp became empty.
        if (pcp < pk) {
            std::memmove(entry(p, pl, pcp), entry(p, pl, pcp + 1), (pk - pcp - 1) * pl.entry_size + 4);
            set_count(p, pk - 1);
            write_level(ip, p, pl);
            return;
        }
        if (pk >= 1) {
            std::memcpy(rep, key_at(p, pl, pk - 1), pl.key_len);
            have = true;
            set_count(p, pk - 1);
            write_level(ip, p, pl);
            continue;
        }
        zu_put_le32(entry(p, pl, 0), 0);
        write_level(ip, p, pl);
    }
}

void release(ndx *ip) {
    ndx_level *lv = ip->root;
    while (lv) {
        ndx_level *d = lv->down;
        ZUFRE(lv);
        lv = d;
    }
    ZUFRE(ip);
}

ndx *make_handle(const char *path) {
    auto *ip = static_cast<ndx *>(ZUALC(sizeof(ndx)));
    std::memset(ip, 0, sizeof *ip);
    ip->fh = zp::HFILE_ERR;
    zu_copy(ip->path, sizeof ip->path, path ? path : "");
    return ip;
}

void measure(ndx *ip) {
    std::uint64_t size = 0;
    if (!zp::handle_size(ip->fh, &size)) size = 0;
    std::uint64_t pages = size / NDX_PAGE;
    ip->file_pages = pages > MAX_PAGES ? MAX_PAGES : static_cast<std::uint32_t>(pages);
}

// Runs one operation of the tree; a report inside it gives `fail`.
template <class R, class F>
R guarded(ndx *ip, R fail, F &&f) {
    ip->reads = 0;
    try {
        return f();
    } catch (isam_gave_up &) {
        return fail;
    }
}

}  // namespace

// ---- header fields ----------------------------------------------------------------

std::uint32_t ndx_root(const ndx *ip) { return zu_get_le32(ip->ihp); }
std::uint32_t ndx_next_free(const ndx *ip) { return zu_get_le32(ip->ihp + 4); }
int ndx_key_len(const ndx *ip) { return static_cast<std::int16_t>(zu_get_le16(ip->ihp + 12)); }
int ndx_keys_per_page(const ndx *ip) { return static_cast<int>(zu_get_le16(ip->ihp + 14)); }
int ndx_key_type(const ndx *ip) { return static_cast<int>(zu_get_le16(ip->ihp + 16)); }
int ndx_entry_size(const ndx *ip) { return static_cast<int>(zu_get_le16(ip->ihp + 18)); }
bool ndx_unique(const ndx *ip) { return ip->ihp[23] == 1; }
const char *ndx_expr(const ndx *ip) { return reinterpret_cast<const char *>(ip->ihp + NDX_EXPR_OFF); }

bool ndx_set_key_layout(ndx *ip, int type, int len) {
    if (len < 1 || len > NDX_KEY_MAX) return false;
    int es = ((len - 1) & ~3) + 12;
    ip->ihp[NDX_TYPE_LETTER_OFF] = type == NDX_CHAR ? 'C' : type == NDX_NUMERIC ? 'F' : 0;
    zu_put_le16(ip->ihp + 12, static_cast<unsigned>(len));
    zu_put_le16(ip->ihp + 14, static_cast<unsigned>(508 / es));
    zu_put_le16(ip->ihp + 16, static_cast<unsigned>(type));
    zu_put_le16(ip->ihp + 18, static_cast<unsigned>(es));
    ip->changed = true;
    return true;
}

// ---- file ------------------------------------------------------------------------

bool ndx_write_page(ndx *ip, std::uint32_t pno, const unsigned char *page) {
    long off = static_cast<long>(pno) * static_cast<long>(NDX_PAGE);
    if (pno >= MAX_PAGES || ip->fh == zp::HFILE_ERR || zp::llseek(ip->fh, off, zp::SEEK_FROM_START) != off ||
        zp::lwrite(ip->fh, page, NDX_PAGE) != NDX_PAGE) {
        ZU_DB_ERR(IE_WRITE, UNIT);
        return false;
    }
    if (pno >= ip->file_pages) ip->file_pages = pno + 1;
    return true;
}

ndx *ndx_open(const char *path) {
    ndx *ip = make_handle(path);
    if (!path || std::strlen(path) >= sizeof ip->path ||
        (ip->fh = zp::lopen(path, zp::OPEN_READWRITE)) == zp::HFILE_ERR) {
        ZU_DB_ERR(IE_NOFILE, UNIT);
        release(ip);
        return nullptr;
    }
    measure(ip);
    if (zp::lread(ip->fh, ip->ihp, NDX_PAGE) != NDX_PAGE || !header_sound(ip)) {
        ZU_DB_ERR(IE_READ, UNIT);
        zp::lclose(ip->fh);
        release(ip);
        return nullptr;
    }
    return ip;
}

ndx *ndx_create(const char *path, const char *expr, bool unique) {
    ndx *ip = make_handle(path);
    if (path && std::strlen(path) < sizeof ip->path) {
        ip->fh = zu_exist(path) ? zp::lopen(path, zp::OPEN_READWRITE) : zp::lcreat(path);
    }
    if (ip->fh == zp::HFILE_ERR) {
        ZU_DB_ERR(IE_NOFILE, UNIT);
        release(ip);
        return nullptr;
    }
    measure(ip);
    zu_copy(reinterpret_cast<char *>(ip->ihp + NDX_EXPR_OFF), NDX_EXPR_MAX, expr ? expr : "");
    ip->ihp[23] = unique ? 1 : 0;
    return ip;
}

bool ndx_flush(ndx *ip) {
    bool ok = true;
    if (ip->changed && ip->fh != zp::HFILE_ERR) {
        if (zp::llseek(ip->fh, 0, zp::SEEK_FROM_START) != 0 || zp::lwrite(ip->fh, ip->ihp, NDX_PAGE) != NDX_PAGE) {
            ZU_DB_ERR(IE_WRITE, UNIT);
            ok = false;
        } else {
            ip->changed = false;
            if (ip->file_pages < 1) ip->file_pages = 1;
        }
    }
    if (ip->fh != zp::HFILE_ERR) {
        zp::lclose(ip->fh);
        ip->fh = zp::lopen(ip->path, zp::OPEN_READWRITE);
        if (ip->fh == zp::HFILE_ERR) {
            ZU_DB_ERR(IE_NOFILE, UNIT);
            ok = false;
        }
    }
    return ok;
}

void ndx_close(ndx *ip) {
    if (!ip) return;
    if (ip->fh != zp::HFILE_ERR) {
        ndx_flush(ip);
        if (ip->fh != zp::HFILE_ERR) zp::lclose(ip->fh);
    }
    release(ip);
}

// ---- tree ------------------------------------------------------------------------

int ndx_compare(const ndx *ip, const void *key, int len) {
    if (!ip->keyp) return 1;
    return compare_raw(ndx_key_type(ip), ndx_key_len(ip), key, ip->keyp, len);
}

int ndx_compare_keys(const ndx *ip, const void *a, const void *b, int len) {
    return compare_raw(ndx_key_type(ip), ndx_key_len(ip), a, b, len);
}

std::uint32_t ndx_search(ndx *ip, const void *key, int len) {
    return guarded<std::uint32_t>(ip, 0, [&] { return search(ip, key, len); });
}

unsigned ndx_count_eq(ndx *ip, const void *key, int len) {
    return guarded<unsigned>(ip, 0, [&] { return count_eq(ip, key, len); });
}

std::uint32_t ndx_first(ndx *ip) {
    return guarded<std::uint32_t>(ip, 0, [&] { return edge(ip, 1); });
}

std::uint32_t ndx_last(ndx *ip) {
    return guarded<std::uint32_t>(ip, 0, [&] { return edge(ip, -1); });
}

std::uint32_t ndx_next(ndx *ip) {
    if (!ip->bp) return 0;
    return guarded<std::uint32_t>(ip, 0, [&] { return step(ip, ip->bp, 1); });
}

std::uint32_t ndx_prev(ndx *ip) {
    if (!ip->bp) return 0;
    return guarded<std::uint32_t>(ip, 0, [&] { return step(ip, ip->bp, -1); });
}

bool ndx_insert(ndx *ip, const void *key, std::uint32_t rno) {
    return guarded<bool>(ip, false, [&] {
        insert(ip, key, rno);
        return true;
    });
}

bool ndx_delete(ndx *ip) {
    ndx_level *lv = ip->bp;
    if (!lv || !lv->pno || lv->cp < 0 || lv->cp >= count(lv)) return false;
    return guarded<bool>(ip, false, [&] {
        remove_at_cursor(ip);
        return true;
    });
}
