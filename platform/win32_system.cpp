// System queries on Windows: the multimedia mixer, NetBIOS, the version,
// the input method and the local clock.
#include "platform/platform.h"
#include "platform/win32_internal.h"

#include <windows.h>
#include <imm.h>
#include <mmsystem.h>
#include <nb30.h>

#include <cstring>

namespace zp {

namespace {

// Opens mixer `index` and finds its line (by destination 0, or by the
// speakers component) and that line's control of `type`.
struct Mixer {
    HMIXER handle = nullptr;
    MIXERCONTROLA control{};
    ~Mixer() {
        if (handle) ::mixerClose(handle);
    }
    mixer_step open(unsigned index, bool speakers, DWORD type, unsigned *code) {
        MMRESULT r;
        if ((r = ::mixerOpen(&handle, index, 0, 0, MIXER_OBJECTF_MIXER)) != MMSYSERR_NOERROR) {
            handle = nullptr;
            *code = r;
            return MIXER_OPEN;
        }
        HMIXEROBJ obj = reinterpret_cast<HMIXEROBJ>(handle);
        MIXERLINEA line{};
        line.cbStruct = sizeof line;
        if (speakers) line.dwComponentType = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
        else line.dwDestination = 0;
        r = ::mixerGetLineInfoA(obj, &line,
                                speakers ? MIXER_GETLINEINFOF_COMPONENTTYPE : MIXER_GETLINEINFOF_DESTINATION);
        if (r != MMSYSERR_NOERROR) {
            *code = r;
            return MIXER_LINEINFO;
        }
        MIXERLINECONTROLSA lc{};
        lc.cbStruct = sizeof lc;
        lc.dwLineID = line.dwLineID;
        lc.dwControlType = type;
        lc.cControls = 1;
        lc.cbmxctrl = sizeof control;
        lc.pamxctrl = &control;
        control.cbStruct = sizeof control;
        if ((r = ::mixerGetLineControlsA(obj, &lc, MIXER_GETLINECONTROLSF_ONEBYTYPE)) != MMSYSERR_NOERROR) {
            *code = r;
            return MIXER_CONTROLS;
        }
        return MIXER_OK;
    }
    // One uniform channel of a 32-bit value.
    mixer_step details(bool set, DWORD *value, unsigned *code) {
        MIXERCONTROLDETAILS d{};
        d.cbStruct = sizeof d;
        d.dwControlID = control.dwControlID;
        d.cChannels = 1;
        d.cbDetails = sizeof *value;
        d.paDetails = value;
        HMIXEROBJ obj = reinterpret_cast<HMIXEROBJ>(handle);
        MMRESULT r = set ? ::mixerSetControlDetails(obj, &d, MIXER_SETCONTROLDETAILSF_VALUE)
                         : ::mixerGetControlDetailsA(obj, &d, MIXER_GETCONTROLDETAILSF_VALUE);
        *code = r;
        return r == MMSYSERR_NOERROR ? MIXER_OK : MIXER_DETAILS;
    }
};

}  // namespace

mixer_step master_volume(unsigned index, bool set, unsigned *volume, unsigned *code) {
    *code = 0;
    MIXERCAPSA caps;
    MMRESULT r = ::mixerGetDevCapsA(index, &caps, sizeof caps);
    if (r != MMSYSERR_NOERROR) {
        *code = r;
        return MIXER_DEVCAPS;
    }
    Mixer m;
    mixer_step s = m.open(index, false, MIXERCONTROL_CONTROLTYPE_VOLUME, code);
    if (s != MIXER_OK) return s;
    DWORD value = *volume;
    s = m.details(set, &value, code);
    if (s == MIXER_OK && !set) *volume = value;
    return s;
}

mixer_step master_mute(unsigned index, bool set, bool *on) {
    unsigned code = 0;
    Mixer m;
    mixer_step s = m.open(index, true, MIXERCONTROL_CONTROLTYPE_MUTE, &code);
    if (s != MIXER_OK) return s;
    DWORD value = *on ? 1 : 0;
    s = m.details(set, &value, &code);
    if (s == MIXER_OK && !set) *on = value != 0;
    return s;
}

bool adapter_address(unsigned char mac[6]) {
    NCB ncb;
    LANA_ENUM lanas;
    std::memset(&ncb, 0, sizeof ncb);
    ncb.ncb_command = NCBENUM;
    ncb.ncb_buffer = reinterpret_cast<PUCHAR>(&lanas);
    ncb.ncb_length = sizeof lanas;
    if (::Netbios(&ncb) != NRC_GOODRET || lanas.length == 0) return false;
    std::memset(&ncb, 0, sizeof ncb);
    ncb.ncb_command = NCBRESET;
    ncb.ncb_lana_num = lanas.lana[0];
    if (::Netbios(&ncb) != NRC_GOODRET) return false;
    unsigned char status[600];
    std::memset(&ncb, 0, sizeof ncb);
    ncb.ncb_command = NCBASTAT;
    ncb.ncb_lana_num = lanas.lana[0];
    std::memcpy(ncb.ncb_callname, "*               ", NCBNAMSZ);
    ncb.ncb_buffer = status;
    ncb.ncb_length = sizeof status;
    if (::Netbios(&ncb) != NRC_GOODRET) return false;
    std::memcpy(mac, status, 6);
    return true;
}

unsigned system_version(unsigned *platform, unsigned *major, unsigned *minor, unsigned *build, char *text,
                        unsigned size) {
    OSVERSIONINFOA v{};
    v.dwOSVersionInfoSize = sizeof v;
    if (!::GetVersionExA(&v)) return ::GetLastError();
    if (platform) *platform = v.dwPlatformId;
    if (major) *major = v.dwMajorVersion;
    if (minor) *minor = v.dwMinorVersion;
    if (build) *build = v.dwBuildNumber;
    if (text && size) {
        std::strncpy(text, v.szCSDVersion, size - 1);
        text[size - 1] = '\0';
    }
    return 0;
}

int ime_result(unsigned flag, char *buf, unsigned size, bool *released) {
    *released = true;
    if (buf && size) buf[0] = '\0';
    HWND window = ::GetActiveWindow();
    HIMC context = ::ImmGetContext(window);
    if (!context) return 0;
    LONG n = ::ImmGetCompositionStringA(context, flag, buf, size);
    *released = ::ImmReleaseContext(window, context) != FALSE;
    return static_cast<int>(n);
}

int set_local_time(const system_time *t) {
    SYSTEMTIME s = win::to_systemtime(t);
    return ::SetLocalTime(&s);
}

}  // namespace zp
