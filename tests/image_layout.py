#!/usr/bin/env python3
# Lays out the files of the case tables, and checks what stands there after a run.
#
#     image_layout.py make FILE LAYOUT...   lays each LAYOUT out under its FILE; exits 77 where
#                                           it cannot be done here
#     image_layout.py check FILE LAYOUT...  says how each FILE differs from its LAYOUT, and fails,
#                                           if one does
#
# A LAYOUT is dir (dir shared: one anyone may write to; dir unsearchable: one only its owner may
# list, and no one search), fifo, chardev (the null device's numbers; only where this user may
# make one), link:TARGET, gone (for check: nothing stands there), or an image as a list of pieces:
#     ramp:N       N bytes counting up from 0, mod 256
#     N*HH         N bytes of the value HH (hexadecimal)
#     hex:HH...    the bytes as written
#     text:T       the text T, each ~ in it a blank and each ^ a line's end (a manifest's lines)
#     hole:N       N zero bytes, left as a hole where the file is laid out, and not read back
#     H:T:V:S:I    a 64-byte header: type T, version V (a.b.c.d.e), size S and device id I (both
#     H0:T:V:S:I   hexadecimal); its CRC is zlib's over every byte before the CRC field, or 0
#     @N=HH        once the rest is laid out, byte N (decimal) set to HH
# followed, for make, by ro (read-only) or +a (append-only) where the file is to be so.
# zlib is the oracle: the checksum word is its CRC-32 of the covered bytes, complemented and
# byte-reversed, so the file holds the complemented CRC most significant byte first.
import os, stat, subprocess, sys, zlib

MIB = 1 << 20


def pieces(layout):
    # (offset, bytes, length) from the start, at most 1 MiB of bytes a piece; a hole has no bytes.
    edits = {int(w[1:w.index('=')]): int(w[w.index('=') + 1:], 16) for w in layout if w[0] == '@'}
    crc, offset, zeros = 0, 0, 0  # zeros: hole bytes the CRC has not taken yet
    for word in [w for w in layout if w[0] != '@']:
        kind, _, rest = word.partition(':')
        if kind == 'hole':
            yield offset, None, int(rest)
            offset, zeros = offset + int(rest), zeros + int(rest)
            continue
        for n in range(zeros, 0, -MIB) if 'H' in ''.join(layout) else ():
            crc = zlib.crc32(bytes(min(n, MIB)), crc)
        zeros = 0
        if kind in ('H', 'H0'):
            t, v, size, device = rest.split(':')
            h = (b'ZT_FLASH' + bytes([int(t, 16)] + [int(x) for x in v.split('.')])
                 + int(size, 16).to_bytes(4, 'little') + int(device, 16).to_bytes(2, 'little')
                 + bytes(40))
            chunks = [h + ((~zlib.crc32(h, crc) & 0xFFFFFFFF).to_bytes(4, 'big') if kind == 'H' else bytes(4))]
        elif kind == 'hex':
            chunks = [bytes.fromhex(rest)]
        elif kind == 'text':
            chunks = [rest.replace('~', ' ').replace('^', '\n').encode('utf-8', 'surrogateescape')]
        elif kind == 'ramp' or '*' in word:
            n = int(rest if kind == 'ramp' else word.split('*')[0])
            block = bytes(range(256)) * (MIB // 256) if kind == 'ramp' else bytes.fromhex(word.split('*')[1]) * MIB
            chunks = (block[:min(MIB, n - at)] for at in range(0, n, MIB))
        else:
            sys.exit(f'cannot read {word}')
        for chunk in chunks:
            crc = zlib.crc32(chunk, crc)
            chunk = bytes(edits.get(offset + i, b) for i, b in enumerate(chunk)) if edits else chunk
            yield offset, chunk, len(chunk)
            offset += len(chunk)


def kind_of(file):
    return ('link:' + os.readlink(file) if os.path.islink(file) else 'dir' if os.path.isdir(file)
            else 'chardev' if os.path.exists(file) and stat.S_ISCHR(os.stat(file).st_mode)
            else 'fifo' if os.path.exists(file) and not os.path.isfile(file) else None)


def make(file, words):
    layout = [w for w in words if w not in ('ro', '+a')]
    os.makedirs(os.path.dirname(file) or '.', exist_ok=True)
    if words[0] == 'chardev':
        try:
            return os.mknod(file, 0o666 | 0o020000, os.makedev(1, 3))
        except PermissionError:
            sys.exit(77)
    if words[0] in ('dir', 'fifo') or words[0].startswith('link:'):
        {'dir': os.mkdir, 'fifo': os.mkfifo}.get(words[0], lambda f: os.symlink(words[0][5:], f))(file)
        modes = {'shared': 0o777, 'unsearchable': 0o600}
        return os.chmod(file, modes[words[-1]]) if words[-1] in modes else None
    with open(file, 'wb') as out:
        for offset, chunk, length in pieces(layout):
            out.seek(offset)
            out.write(chunk or b'')
        out.truncate(offset + length)
    os.chmod(file, 0o444) if words[-1] == 'ro' else None
    if words[-1] == '+a' and subprocess.run(['chattr', '+a', file], capture_output=True).returncode:
        sys.exit(77)


def differs(file, words):
    layout = [w for w in words if w not in ('ro', '+a', 'shared', 'unsearchable')]
    if words[0] == 'gone':
        return f'{file} is still there' if os.path.lexists(file) else None
    if not os.path.lexists(file):
        return f'{file} is gone'
    if kind_of(file) or words[0] in ('dir', 'fifo', 'chardev') or words[0].startswith('link:'):
        return None if kind_of(file) == words[0] else f'{file} is {kind_of(file) or "a file"}, not {words[0]}'
    with open(file, 'rb') as found:
        for offset, chunk, length in pieces(layout):
            found.seek(offset)
            got = found.read(length) if chunk else None
            if got is not None and got != chunk:
                at = next((i for i, (a, b) in enumerate(zip(got, chunk)) if a != b), len(got))
                if at == len(got):
                    return f'{file} ends at byte {offset + at}, {offset + length} bytes expected'
                return f'{file}: byte {offset + at} is {got[at]:02x}, {chunk[at]:02x} expected'
        found.seek(0, os.SEEK_END)
        return None if found.tell() == offset + length else f'{file} is {found.tell()} bytes long, not {offset + length}'


if __name__ == '__main__':  # make|check FILE LAYOUT [FILE LAYOUT]...
    pairs = list(zip(sys.argv[2::2], (w.split() for w in sys.argv[3::2])))
    if sys.argv[1] == 'make':
        for file, words in pairs:
            make(file, words)
    elif (reasons := [r for r in (differs(file, words) for file, words in pairs) if r]):
        sys.exit('\n'.join(reasons))
