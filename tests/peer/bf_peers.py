#!/usr/bin/python3
"""The cipher beside Python's pycryptodome and `openssl enc -bf-ecb`, on
random keys of 1 to 72 bytes and random data, both directions.  The peers
read each 32-bit half big-endian: the data is given to them with the bytes
of every half reversed.  pycryptodome takes keys of 4 to 56 bytes and
OpenSSL's command keys of 16 bytes, so a shorter key goes to them repeated
to a length it divides (the key schedule takes key bytes cyclically, so the
repetition is the same key).  Usage: bf_peers.py BFTOOL; exits 77 when
neither peer is there."""
import random
import shutil
import subprocess
import sys

tool = sys.argv[1]
try:  # Debian's python3-pycryptodome is the Cryptodome package
    from Cryptodome.Cipher import Blowfish
except ImportError:
    try:
        from Crypto.Cipher import Blowfish
    except ImportError:
        Blowfish = None
openssl = shutil.which("openssl")
if openssl and subprocess.run([openssl, "enc", "-bf-ecb", "-provider", "legacy", "-provider", "default",
                               "-K", "00" * 16, "-nopad"], input=b"\0" * 8,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).returncode != 0:
    openssl = None
if not Blowfish and not openssl:
    print("bf peers: no peer (python3-pycryptodome, openssl with the legacy provider)")
    sys.exit(77)


def swap(data):
    return b"".join(data[i:i + 4][::-1] for i in range(0, len(data), 4))


def repeated(key, low, high):
    """The key repeated to a length in [low, high] that is a multiple of its own, or None."""
    for m in range(low, high + 1):
        if m % len(key) == 0:
            return key * (m // len(key))
    return None


def by_pycryptodome(op, key, data):
    k = repeated(key, 4, 56)
    if k is None:
        return None
    c = Blowfish.new(k, Blowfish.MODE_ECB)
    return swap((c.encrypt if op == "E" else c.decrypt)(swap(data)))


def by_openssl(op, key, data):
    k = repeated(key, 16, 16)
    if k is None:
        return None
    p = subprocess.run([openssl, "enc", "-bf-ecb", "-nopad", "-provider", "legacy", "-provider", "default",
                        "-K", k.hex()] + (["-d"] if op == "D" else []),
                       input=swap(data), stdout=subprocess.PIPE, check=True)
    return swap(p.stdout)


rng = random.Random(15)
cases = []
for i in range(400):
    key = bytes(rng.randrange(256) for _ in range(rng.randint(1, 72)))
    data = bytes(rng.randrange(256) for _ in range(8 * rng.randint(1, 75)))
    cases.append(("E" if i % 2 == 0 else "D", key, data))
for n in (1, 2, 4, 8, 16):  # every key length OpenSSL can take
    for op in "ED":
        cases.append((op, bytes(rng.randrange(256) for _ in range(n)), bytes(rng.randrange(256) for _ in range(64))))

lines = "".join("%s %s %s\n" % (op, key.hex(), data.hex()) for op, key, data in cases)
out = subprocess.run([tool], input=lines.encode(), stdout=subprocess.PIPE, check=True).stdout.decode().split()
assert len(out) == len(cases)
failures, compared = [], {"pycryptodome": 0, "openssl": 0}
for (op, key, data), got in zip(cases, out):
    got = bytes.fromhex(got)
    for name, peer in (("pycryptodome", Blowfish and by_pycryptodome), ("openssl", openssl and by_openssl)):
        if not peer:
            continue
        want = peer(op, key, data)
        if want is None:
            continue
        compared[name] += 1
        if want != got:
            failures.append("%s %s key %s: %s, %s gives %s" % (op, len(data), key.hex(), got.hex(), name, want.hex()))
for f in failures[:10]:
    print(f)
print("compared:", compared)
if failures:
    sys.exit(1)
print("bf peers: ok")
