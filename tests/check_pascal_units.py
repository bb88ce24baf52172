"""Compares the Pascal units in include/pascal with the libraries' .def files.

Each .def file lists a library's exports as the i686 linker sees them: a
stdcall function decorated with the bytes of its arguments (Name@8), a plain
cdecl function without arguments undecorated.  Each unit must declare exactly
those exports: in its Windows view (MSWINDOWS defined) from '<LIBRARY>.dll',
stdcall with arguments of that many bytes on i686 or cdecl without
arguments; in its Linux view (unless the unit stops there) from
'lib<library>.so', every one cdecl.

usage: check_pascal_units.py PROJECT_ROOT
"""
import pathlib
import re
import sys

# Bytes a value parameter of each type takes on the i686 stack.
STACK_BYTES = {}
for name in ("PAnsiChar PPAnsiChar Pointer PByte PInteger PCardinal PRect PZuSystemTime "
             "Integer Cardinal LongInt LongWord NativeInt NativeUInt SmallInt Word ShortInt Byte "
             "AnsiChar Boolean ByteBool WordBool LongBool BOOL Single "
             "HWND HDC HHOOK COLORREF TZuWaitCallback TZuSeekCallback").split():
    STACK_BYTES[name.lower()] = 4
for name in ("Double", "Int64", "UInt64"):
    STACK_BYTES[name.lower()] = 8
for name in ("TZuSystemTime", "TSystemTime", "TRect"):
    STACK_BYTES[name.lower()] = 16

CONVENTIONS = ("stdcall", "cdecl", "register", "pascal", "safecall")


def strip_comments(text):
    """The text without comments; compiler directives {$...} are kept."""
    out, i, n = [], 0, len(text)
    while i < n:
        c = text[i]
        if c == "'":
            j = text.index("'", i + 1) + 1
            out.append(text[i:j])
            i = j
        elif text.startswith("{$", i):
            j = text.index("}", i) + 1
            out.append(text[i:j])
            i = j
        elif c == "{":
            i = text.index("}", i) + 1
            out.append(" ")
        elif text.startswith("(*", i):
            i = text.index("*)", i) + 2
            out.append(" ")
        elif text.startswith("//", i):
            j = text.find("\n", i)
            i = n if j < 0 else j
        else:
            out.append(c)
            i += 1
    return "".join(out)


def view(text, defines):
    """The text as the compiler sees it with these symbols defined, and
    whether it stops with a fatal message there."""
    out, stack, fatal = [], [], False
    pos = 0
    for m in re.finditer(r"\{\$(\w+)\s*([^}]*)\}", text):
        active = all(stack)
        if active:
            out.append(text[pos:m.start()])
        pos = m.end()
        word, arg = m.group(1).upper(), m.group(2).strip()
        if word in ("IFDEF", "IFNDEF"):
            on = arg.split()[0].upper() in defines
            stack.append(on if word == "IFDEF" else not on)
        elif word == "ELSE":
            stack[-1] = not stack[-1]
        elif word == "ENDIF":
            stack.pop()
        elif word in ("MESSAGE", "FATAL") and active:
            if word == "FATAL" or arg.upper().startswith("FATAL"):
                fatal = True
    if all(stack):
        out.append(text[pos:])
    return "".join(out), fatal


DECL = re.compile(r"\b(function|procedure)\s+(\w+)", re.I)
REST = re.compile(r"\s*(?:\((?P<params>[^()]*)\))?\s*(?::\s*(?P<result>[\w.]+))?\s*;"
                  r"(?P<directives>.*?)\bexternal\s+(?P<lib>\w+|'[^']*')\s*"
                  r"(?:name\s+'(?P<alias>[^']*)'\s*)?;", re.S | re.I)
PARAM = re.compile(r"^\s*(?:(var|out|const|constref)\s+)?([\w\s,]+?)\s*:\s*([\w.]+)\s*$", re.I)


def declarations(code, where):
    """{export name: (convention, argument bytes, library)} of a unit's view."""
    consts = {m.group(1).lower(): m.group(2)
              for m in re.finditer(r"\b(\w+)\s*=\s*'([^']*)'\s*;", code)}
    starts = [m for m in DECL.finditer(code) if not re.search(r"=\s*$", code[:m.start()])]
    found, problems = {}, []
    for k, m in enumerate(starts):
        end = starts[k + 1].start() if k + 1 < len(starts) else len(code)
        kind, name = m.group(1).lower(), m.group(2)
        r = REST.match(code, m.end(), end)
        if not r:
            problems.append(f"{where}: {name} is not an external declaration the check can read")
            continue
        if (kind == "function") != bool(r.group("result")):
            problems.append(f"{where}: {name}: a function needs a result type, a procedure has none")
        conventions = [w for w in re.findall(r"\w+", r.group("directives").lower()) if w in CONVENTIONS]
        if len(conventions) != 1:
            problems.append(f"{where}: {name}: one calling convention expected, found {conventions}")
            continue
        size = 0
        for group in filter(str.strip, (r.group("params") or "").split(";")):
            p = PARAM.match(group)
            if not p:
                problems.append(f"{where}: {name}: cannot read the parameters '{group.strip()}'")
                continue
            count = len(p.group(2).split(","))
            if p.group(1):  # passed by reference
                size += 4 * count
            elif p.group(3).lower() in STACK_BYTES:
                size += STACK_BYTES[p.group(3).lower()] * count
            else:
                problems.append(f"{where}: {name}: unknown size of type {p.group(3)}")
        lib = r.group("lib")
        lib = lib.strip("'") if lib.startswith("'") else consts.get(lib.lower(), "?" + lib)
        export = r.group("alias") or name
        if export in found:
            problems.append(f"{where}: {export} is declared twice")
        found[export] = (conventions[0], size, lib)
    return found, problems


def read_def(path):
    library, exports = None, {}
    for line in path.read_text().splitlines():
        words = line.split()
        if not words or words[0].startswith(";"):
            continue
        if words[0].upper() == "LIBRARY":
            library = words[1]
        elif words[0].upper() != "EXPORTS":
            name, _, size = words[0].partition("@")
            exports[name] = int(size) if size else None
    return library, exports


def main(root):
    root = pathlib.Path(root)
    defs = {}
    for path in sorted(root.glob("*/*.def")):
        if path.parts[-2] != "build":
            library, exports = read_def(path)
            defs[library + ".dll"] = (path, library, exports)
    problems, matched = [], set()
    units = sorted((root / "include" / "pascal").glob("*.pas"))
    if not units:
        problems.append("no units in include/pascal")
    for unit in units:
        code = strip_comments(unit.read_text(encoding="utf-8"))
        win, win_fatal = view(code, {"MSWINDOWS", "WIN32", "CPU386"})
        lin, lin_fatal = view(code, {"UNIX", "LINUX"})
        if win_fatal:
            problems.append(f"{unit.name}: does not compile for Windows")
            continue
        declared, found = declarations(win, unit.name + " (Windows)")
        problems += found
        libs = {lib for _, _, lib in declared.values()}
        if len(libs) != 1 or next(iter(libs)) not in defs:
            problems.append(f"{unit.name}: its exports must come from one library with a .def file, not {sorted(libs)}")
            continue
        dll = next(iter(libs))
        def_path, library, exports = defs[dll]
        matched.add(dll)
        if not exports:
            print(f"{def_path.relative_to(root)} lists no exports: {unit.name} is not compared")
            continue
        for name in sorted(set(exports) - set(declared)):
            problems.append(f"{unit.name}: {name} of {def_path.name} is not declared")
        for name in sorted(set(declared) - set(exports)):
            problems.append(f"{unit.name}: {name} is not an export of {def_path.name}")
        for name in sorted(set(declared) & set(exports)):
            convention, size, _ = declared[name]
            want = exports[name]
            if want is None and (convention != "cdecl" or size):
                problems.append(f"{unit.name}: {name} is a plain call without arguments in {def_path.name}, "
                                f"declared {convention} with {size} bytes of arguments")
            elif want is not None and (convention != "stdcall" or size != want):
                problems.append(f"{unit.name}: {name} takes {want} bytes (stdcall) in {def_path.name}, "
                                f"declared {convention} with {size} bytes")
        if not lin_fatal:
            on_linux, found = declarations(lin, unit.name + " (Linux)")
            problems += found
            so = "lib" + library.lower() + ".so"
            if set(on_linux) != set(declared):
                problems.append(f"{unit.name}: Linux and Windows declare different exports: "
                                f"{sorted(set(on_linux) ^ set(declared))}")
            for name, (convention, _, lib) in sorted(on_linux.items()):
                if convention != "cdecl" or lib != so:
                    problems.append(f"{unit.name}: on Linux {name} is {convention} from '{lib}', "
                                    f"expected cdecl from '{so}'")
        print(f"{unit.name}: {len(exports)} exports of {def_path.name} compared"
              + ("" if lin_fatal else ", also for Linux"))
    for dll in sorted(set(defs) - matched):
        problems.append(f"{defs[dll][0].relative_to(root)}: no unit in include/pascal declares {dll}")
    for p in problems:
        print(p)
    if problems:
        return 1
    print("pascal units: ok")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
