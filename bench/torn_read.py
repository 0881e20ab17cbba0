#!/usr/bin/env python3
# corvane-verify against a writer that ignores the lock and toggles one byte of the header as fast
# as it can, through a shared mapping or with pwrite, in a folder of the file system to be tried
# (ext4, a tmpfs, whose times a mapping never moves, ...). The image is a stamped one of version
# 1.0.0.21.1, 4 KiB (which the checker reads into its buffer) and 512 KiB (which it maps); the writer flips its major version between 1 and 2, and each run checks it
# against -v 2.0.0.2101. Neither state the file is ever in is valid so: with major 1 the version
# differs, with major 2 the checksum does. So every OK is wrong, and so is every INVALID whose
# reasons are not exactly those of one of the two states; "changed while it was checked" is right.
# Usage: bench/torn_read.py path/to/corvane-verify FOLDER [RUNS per writer and size, default 5000]
import mmap, multiprocessing, os, subprocess, sys, zlib

SIZES = (4096, 512 * 1024)
VERSION_REASON = 'INVALID: version 1.0.0.2101 stored, 2.0.0.2101 expected'


def major_at(size):
    return size - 72 + 9


def stamped_image(size):
    # Laid out as the stamping does, the checksum from zlib: bytes i mod 256, 0xFF padding, header.
    body = bytes(i % 256 for i in range(1000)) + b'\xff' * (size - 72 - 1000)
    header = (b'ZT_FLASH' + bytes([2, 1, 0, 0, 21, 1]) + size.to_bytes(4, 'little')
              + (0x8640).to_bytes(2, 'little') + bytes(40))
    crc = (~zlib.crc32(body + header) & 0xFFFFFFFF).to_bytes(4, 'big')
    return body + header + crc + b'\xff' * 8


def toggle(path, size, how, stop):
    with open(path, 'r+b') as f:
        if how == 'mmap':
            m = mmap.mmap(f.fileno(), size)
            while not stop.is_set():
                m[major_at(size)] ^= 3
        else:
            value = 1
            while not stop.is_set():
                value ^= 3
                os.pwrite(f.fileno(), bytes([value]), major_at(size))


def verdicts(tool, path, size, how, runs):
    with open(path, 'wb') as f:
        f.write(stamped_image(size))
    stop = multiprocessing.Event()
    writer = multiprocessing.Process(target=toggle, args=(path, size, how, stop))
    writer.start()
    counts = {'OK (wrong)': 0, 'INVALID': 0, 'INVALID (wrong)': 0, 'changed': 0, 'other': 0}
    try:
        for _ in range(runs):
            run = subprocess.run([tool, '-v', '2.0.0.2101', path], capture_output=True, text=True)
            reasons = [line for line in run.stdout.splitlines() if line.startswith('INVALID')]
            if run.returncode == 0:
                counts['OK (wrong)'] += 1
            elif run.returncode == 1:
                one_state = reasons == [VERSION_REASON] or (
                    len(reasons) == 1 and reasons[0].startswith('INVALID: CRC '))
                counts['INVALID' if one_state else 'INVALID (wrong)'] += 1
            elif 'changed while it was checked' in run.stderr:
                counts['changed'] += 1
            else:
                counts['other'] += 1
    finally:
        stop.set()
        writer.join()
    return counts


if __name__ == '__main__':
    tool, folder = os.path.realpath(sys.argv[1]), sys.argv[2]
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 5000
    path = os.path.join(folder, 'torn.bin')
    wrong = 0
    for size in SIZES:
        for how in ('mmap', 'pwrite'):
            counts = verdicts(tool, path, size, how, runs)
            wrong += counts['OK (wrong)'] + counts['INVALID (wrong)'] + counts['other']
            print(f'{folder} {size} bytes, {how}: {runs} runs: '
                  + ', '.join(f'{n} {k}' for k, n in counts.items()))
    os.remove(path)
    sys.exit(1 if wrong else 0)
