#!/bin/sh
# Unpacks release archives and checks what they hold: the Debian package of
# the Linux build (installed into a scratch root with dpkg -x, where its zudb
# must run) and the zip of the Windows build.
#   package_check.sh SOURCE_DIR WORK ARCHIVE...
src=$1 work=$2
shift 2
fail=0
bad() { echo "$*"; fail=1; }
# has ROOT PATH...: each PATH (a shell pattern) matches a file below ROOT.
has() {
    base=$1
    shift
    for p in "$@"; do
        set -- "$base"/$p
        [ -e "$1" ] || bad "$(basename "$archive"): $p missing"
    done
}
pascal=no
ls "$src"/include/pascal/*.pas >/dev/null 2>&1 && pascal=yes

rm -rf "$work"
mkdir -p "$work"
for archive in "$@"; do
    case $archive in
    *.deb)
        root=$work/deb
        dpkg-deb -x "$archive" "$root" || { bad "$archive: dpkg-deb -x failed"; continue; }
        has "$root/usr" bin/zudb bin/zuwgy bin/zufconv bin/zucprs \
            include/zu/zucall.h include/zu/zustd.h include/zu/zudbtool.h include/zu/zuwgy.h \
            'lib*/libzustd.so.1' 'lib*/libzudbtool.so.1' 'lib*/libzuwgy.so.1' 'lib*/libzustd.so' \
            'lib*/cmake/ZU/ZUConfig.cmake' 'lib*/cmake/ZU/ZUConfigVersion.cmake' 'lib*/cmake/ZU/ZUTargets.cmake' \
            'lib*/pkgconfig/zustd.pc' 'lib*/pkgconfig/zudbtool.pc' 'lib*/pkgconfig/zuwgy.pc' \
            share/doc/zulibs/README.md
        [ $pascal = yes ] && has "$root/usr" 'share/zu/pascal/*.pas'
        # The tools find the libraries of the package without any search path.
        env -u LD_LIBRARY_PATH "$root/usr/bin/zudb" --help >"$work/zudb-help.txt" ||
            bad "zudb --help from the Debian package failed"
        grep -q "^usage: zudb" "$work/zudb-help.txt" || bad "zudb --help printed no usage text"
        dpkg-deb -f "$archive" Package Version Depends >"$work/control.txt"
        grep -q "^Package: zulibs" "$work/control.txt" || bad "$archive: no package name"
        ;;
    *.zip)
        root=$work/zip
        mkdir -p "$root"
        unzip -q "$archive" -d "$root" || { bad "$archive: unzip failed"; continue; }
        top=$(ls -d "$root"/*/ | head -n 1)
        has "$top" bin/ZUSTD.dll bin/ZUDBTOOL.dll bin/ZUWGY.dll bin/ZUGDI32.dll bin/Wintrail.dll \
            bin/zudb.exe bin/zuwgy.exe bin/zufconv.exe bin/zucprs.exe \
            lib/ZUSTD.lib lib/ZUDBTOOL.lib lib/ZUWGY.lib lib/ZUGDI32.lib lib/Wintrail.lib \
            lib/libzustd.dll.a lib/libzudbtool.dll.a lib/libzuwgy.dll.a lib/libzugdi32.dll.a lib/libwintrail.dll.a \
            lib/ZUSTD.def lib/ZUDBTOOL.def lib/ZUWGY.def lib/ZUGDI32.def lib/Wintrail.def \
            include/zu/zucall.h include/zu/zustd.h include/zu/zudbtool.h include/zu/zuwgy.h \
            include/zu/zugdi32.h include/zu/wintrail.h \
            lib/cmake/ZU/ZUConfig.cmake lib/pkgconfig/zustd.pc README.md
        [ $pascal = yes ] && has "$top" 'share/zu/pascal/*.pas'
        # The product is 32-bit.
        case $archive in
        *win32*)
            for dll in "$top"/bin/*.dll; do
                objdump -f "$dll" | grep -q "file format pei-i386" || bad "$(basename "$dll") is not a 32-bit DLL"
            done
            ;;
        esac
        ;;
    *) bad "$archive: not a .deb or .zip" ;;
    esac
done
[ $fail = 0 ] && echo "packages: ok"
exit $fail
