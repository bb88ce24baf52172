// System queries on POSIX: no mixer and no input method; the first network
// interface's hardware address, the kernel's name and version, the clock.
#include "platform/platform.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <sys/utsname.h>
#include <time.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef __linux__
#include <linux/if_packet.h>
#endif

namespace zp {

mixer_step master_volume(unsigned, bool, unsigned *, unsigned *code) {
    *code = 0;
    return MIXER_DEVCAPS;
}

mixer_step master_mute(unsigned, bool, bool *) { return MIXER_OPEN; }

bool adapter_address(unsigned char mac[6]) {
#ifdef __linux__
    struct ifaddrs *list = nullptr;
    if (::getifaddrs(&list) != 0) return false;
    bool found = false;
    for (struct ifaddrs *a = list; a && !found; a = a->ifa_next) {
        if (!a->ifa_addr || a->ifa_addr->sa_family != AF_PACKET || (a->ifa_flags & IFF_LOOPBACK)) continue;
        const struct sockaddr_ll *ll = reinterpret_cast<const struct sockaddr_ll *>(a->ifa_addr);
        if (ll->sll_halen != 6) continue;
        std::memcpy(mac, ll->sll_addr, 6);
        found = true;
    }
    ::freeifaddrs(list);
    return found;
#else
    (void)mac;
    return false;
#endif
}

unsigned system_version(unsigned *platform, unsigned *major, unsigned *minor, unsigned *build, char *text,
                        unsigned size) {
    struct utsname u;
    if (::uname(&u) != 0) return static_cast<unsigned>(errno);
    unsigned v[3] = {0, 0, 0};
    const char *p = u.release;
    for (int i = 0; i < 3 && *p; ++i) {
        char *end;
        v[i] = static_cast<unsigned>(std::strtoul(p, &end, 10));
        if (end == p || *end != '.') break;
        p = end + 1;
    }
    if (platform) *platform = 0;
    if (major) *major = v[0];
    if (minor) *minor = v[1];
    if (build) *build = v[2];
    if (text && size) std::snprintf(text, size, "%s %s", u.sysname, u.release);
    return 0;
}

int ime_result(unsigned, char *buf, unsigned size, bool *released) {
    if (buf && size) buf[0] = '\0';
    *released = true;
    return 0;
}

int set_local_time(const system_time *t) {
    // What SetLocalTime refuses is refused here too (mktime would carry it).
    if (t->month < 1 || t->month > 12 || t->day < 1 || t->day > 31 || t->hour > 23 || t->minute > 59 ||
        t->second > 59 || t->milliseconds > 999)
        return 0;
    std::uint64_t ft;
    if (!local_to_filetime(t, &ft)) return 0;
    const std::uint64_t EPOCH = 116444736000000000ULL;  // 1970-01-01 in FILETIME units
    if (ft < EPOCH) return 0;
    struct timespec ts;
    ts.tv_sec = static_cast<time_t>((ft - EPOCH) / 10000000u);
    ts.tv_nsec = static_cast<long>((ft - EPOCH) % 10000000u) * 100;
    return ::clock_settime(CLOCK_REALTIME, &ts) == 0 ? 1 : 0;
}

}  // namespace zp
