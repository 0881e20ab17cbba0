#!/usr/bin/env python3
# The end-to-end cases: each table of tests/cases/ runs the built tools on files it lays out, and
# each case is a test of its own (tests/CMakeLists.txt adds them). The format is told at the head
# of tests/cases/corvane.cases.
#
#     case_runner.py list TABLE             the names of the table's cases, a line each
#     case_runner.py run TABLE NAME BIN     runs the case against the tools in BIN: status 0 when it
#                                           passes, 77 when it cannot run here (and why), else 1
#
# CORVANE_TEST_TOOLS names the tools of another build to run instead (the Windows build's .exe
# files under wine, which also has flock's counterpart), CORVANE_TEST_WRAPPER a program to run
# the first tool under (valgrind, an emulator).
import os, re, shutil, subprocess, sys, tempfile
import image_layout

TESTS = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(TESTS)


def split_words(text):
    # Words split at blanks; '...' holds blanks, \\, \t, \n and \xHH escape bytes.
    def unescape(m):
        return bytes([int(m[1], 16)]) if m[1] else {b't': b'\t', b'n': b'\n'}.get(m[2], m[2] or b'')
    return [re.sub(rb"\\x([0-9a-fA-F]{2})|\\(.)|'", unescape, word.encode('utf-8', 'surrogateescape'))
            for word in re.findall(r"(?:'[^']*'|[^ '])+", text)]


def rules_names():
    # What the rules say, named for every table: a type code of no kind, and the kinds' codes.
    with open(os.path.join(SOURCE, 'image', 'image_rules.txt')) as rules:
        codes = [int(line.split()[2]) for line in rules if line.startswith('kind ')]
    free = next(code for code in range(255, -1, -1) if code not in codes)
    return {'$no_kind': f'{free:x}', '$type_codes': ', '.join(f'0x{code:x}' for code in codes)}


def read_cases(table):
    # "$NAME = TEXT" names a text, "#" starts a comment, a line that ends in " \" goes on on the
    # next; any other line holds parts behind " ;; ", and a case is where its first line is.
    with open(os.path.join(TESTS, 'cases', table), encoding='utf-8', errors='surrogateescape') as f:
        lines = f.read().split('\n')
    cases, named, number = [], rules_names(), 0
    while number < len(lines):
        text, first = lines[number], number + 1
        number += 1
        while text.endswith(' \\') and number < len(lines):
            text, number = text[:-1] + lines[number].lstrip(' '), number + 1
        if text.startswith('$'):
            name, _, named[name] = text.partition(' = ')
            continue
        if not text or text.startswith('#'):
            continue
        # Each $NAME replaced, but where it is only the start of a longer word ($in in $input).
        for name, value in sorted(named.items()):
            text = re.sub(re.escape(name) + r'(?![\w])', lambda _: value, text)
        for part in text.split(' ;; '):
            if part[0] not in '<=@|.!':
                cases.append({'where': f'{table}:{first}', 'head': split_words(part), 'parts': {},
                              'before': {}, 'after': {}, 'options': {}})
                continue
            text_of = part[2:] if len(part) > 1 else ''
            key, _, rest = text_of.partition(' ')
            case = cases[-1]
            if part[0] in '<=':
                case['before' if part[0] == '<' else 'after'][split_words(key)[0]] = rest
            elif part[0] == '@':
                case['options'][key] = rest
            else:
                case['parts'].setdefault(part[0], []).append(text_of)
    return cases


def run_quietly(argv, cwd='/'):  # the exit status, or -1 for a signal or a program not started
    try:
        return max(-1, subprocess.run(argv, cwd=cwd, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                      stderr=subprocess.DEVNULL).returncode)
    except OSError:
        return -1


PROBES = {'strace': ['strace', '-o', '/dev/null', 'true'], 'gdb': ['gdb', '-batch', '-nx', '-ex', 'run', 'true'],
          'flock': ['flock', '/', 'true'], 'sh': ['sh', '-c', 'true'], 'prlimit': ['prlimit', '--fsize=1000', 'true'],
          'unshare': ['unshare', '-m', 'true'],
          'setpriv': ['setpriv', '--reuid=65534', '--regid=65534', '--clear-groups', 'true']}


def tools_for(case, bin_dir):
    # The tools by the words that name them, and whether they are the Windows build's.
    other = os.environ.get('CORVANE_TEST_TOOLS')
    windows = other is not None and os.path.exists(os.path.join(other, 'corvane.exe'))
    words = [b'corvane', b'corvane-stamp', b'corvane-verify']
    if windows and os.path.exists(os.path.join(other, case['head'][3].decode() + '.exe')):
        words.append(case['head'][3])  # flock's counterpart
    return {w: os.path.join(other or bin_dir, w.decode() + '.exe' * windows) for w in words}, windows


def skip_reason(case, tools, windows):
    # A program the tools run under that does not work here (against the Windows build, any
    # that has no counterpart there; against tools run under an emulator, those that drive them),
    # or a platform the case is not for.
    emulated, options, first = run_quietly([tools[b'corvane']]) == -1, case['options'], case['head'][3]
    for program in ('' if first in tools else first.decode(), 'gdb' if 'gdb' in options else '',
                    options.get('needs', '')):
        if emulated and program in ('gdb', 'strace', 'setpriv'):
            return f'{program} cannot drive tools that run under an emulator'
        if program and (windows or run_quietly(PROBES.get(program, ['false'])) != 0):
            return f'{program} does not work here'
    for only in ('posix', 'windows'):
        if only in options and windows != (only == 'windows'):
            return f'{only} only: {options[only]}'
    return None


def command_words(case, tools, root):
    # The command with the tools by their paths, the first behind the wrapper; under another user,
    # from a copy that user can reach. %/ starts a path in the case's folder, %tests/ one in tests/.
    command = case['head'][3:]
    wrapper = None if 'gdb' in case['options'] else os.environ.get('CORVANE_TEST_WRAPPER')
    argv = []
    for word in command:
        if word not in tools:
            argv.append(os.path.join(root, b'work', word[2:]) if word.startswith(b'%/')
                        else TESTS.encode() + word[6:] if word.startswith(b'%tests/') else word)
            continue
        binary = tools[word]
        if command[0] == b'setpriv':
            binary = shutil.copy(binary, root.decode())
        argv += split_words(wrapper or '') + [os.fsencode(binary)]
        wrapper = None
    return argv


def run_under_gdb(case, argv, root, failures):
    # COMMAND of "@ gdb BREAK SKIP COMMAND" runs at the call of the function BREAK that follows
    # SKIP calls. Returns the command's exit status, or -1.
    where, skip, command = case['options']['gdb'].split(' ', 2)
    run = b' '.join([b'run'] + argv[1:] + [b'>../out 2>../err'])
    gdb = [b'gdb', b'-batch', b'-nx', b'-ex', b'handle SIGBUS nostop noprint pass']
    for step in (b'break ' + where.encode(), b'ignore 1 ' + skip.encode(), run, command.encode(),
                 b'delete', b'continue', b'print $_exitcode'):
        gdb += [b'-ex', step]
    with open(os.path.join(root, b'gdb'), 'wb') as log, open(os.path.join(root, b'gdb-err'), 'wb') as err:
        subprocess.run(gdb + [argv[0]], cwd=os.path.join(root, b'work'), stdin=subprocess.DEVNULL,
                       stdout=log, stderr=err)
    log = read_lines(os.path.join(root, b'gdb'))
    if not any(line.startswith('Breakpoint 1, ') for line in log):
        failures.append(f'the injection did not happen: {where} was not called after {skip} calls')
    last = re.fullmatch(r'\$\d+ = (-?\d+)', log[-1]) if log else None
    return int(last.group(1)) if last else -1


def run_process(argv, root, given):
    # Standard output and error go to root/out and root/err, or as the case says: "closed",
    # "full" (every write fails), "append FILE" (a file of the case's folder), "closed-pipe" (a
    # pipe whose reader is gone before the run starts) or "pipe" (a pipe, read into the file).
    streams, closed, opened = [], [], []
    for fd, which in ((1, 'out'), (2, 'err')):
        mode, _, path = given[which].partition(' ')
        if mode == 'closed':
            closed.append(fd)
        if mode == 'closed-pipe':
            reader, writer = os.pipe()
            os.close(reader)
            opened.append(os.fdopen(writer, 'wb'))
        elif mode in ('', 'full', 'append'):
            opened.append(open({'': os.path.join(root, which.encode()), 'full': b'/dev/full'}.get(
                mode, os.path.join(root, b'work', path.encode())), 'ab' if mode else 'wb'))
        streams.append(subprocess.PIPE if mode == 'pipe' else subprocess.DEVNULL if mode == 'closed'
                       else opened[-1])
    try:
        child = subprocess.Popen(argv, cwd=os.path.join(root, b'work'), stdin=subprocess.DEVNULL,
                                 stdout=streams[0], stderr=streams[1],
                                 preexec_fn=lambda: [os.close(fd) for fd in closed])
        for which, text in zip(('out', 'err'), child.communicate()):
            if text is not None:
                with open(os.path.join(root, which.encode()), 'wb') as f:
                    f.write(text)
        status = child.returncode
    except OSError:
        status = -1
    for f in opened:
        f.close()
    return status if status >= 0 else -1


def read_lines(path):
    with open(path, 'rb') as f:
        lines = f.read().decode('utf-8', 'surrogateescape').split('\n')
    return lines[:-1] if lines[-1] == '' else lines


def matches(expected, line):  # {*} stands for any text
    return re.fullmatch('.*'.join(map(re.escape, expected.split('{*}'))), line, re.DOTALL) is not None


def expect_lines(expected, path, in_order, failures):
    # The file's lines: `expected` exactly, or, `in_order`, in this order and the last one last.
    found = read_lines(path)
    wrong = None
    if not in_order:
        for at in range(max(len(found), len(expected))):
            if at >= len(found) or at >= len(expected) or not matches(expected[at], found[at]):
                wrong = (f"line {at + 1} is " + (f"'{found[at]}'" if at < len(found) else 'missing') + ', '
                         + (f"'{expected[at]}'" if at < len(expected) else 'nothing') + ' expected')
                break
    else:
        k = 0
        for at, line in enumerate(found):
            if k < len(expected) and matches(expected[k], line) and (k + 1 < len(expected) or at + 1 == len(found)):
                k += 1
        if k < len(expected):
            wrong = (f"no line '{expected[k]}'" + (f" after '{expected[k - 1]}'" if k else '')
                     + (' at its end' if k + 1 == len(expected) else ''))
    if wrong:
        failures.append(f'{os.path.basename(path).decode()}: {wrong}; it is\n' + '\n'.join(found))


def layout(case, work, check):
    # The case's files laid out, or how they differ afterwards: a file laid out must be as it was,
    # unless the case says otherwise.
    files = {**case['before'], **case['after']} if check else case['before']
    os.chdir(work)
    if not check:
        for file, words in files.items():
            image_layout.make(os.fsdecode(file), words.split())
        return []
    return [r for r in (image_layout.differs(os.fsdecode(f), w.split()) for f, w in files.items()) if r]


def run_case(case, bin_dir):
    tools, windows = tools_for(case, bin_dir)
    why = skip_reason(case, tools, windows)
    if why:
        print('skipped:', why)
        return 77
    root = os.fsencode(tempfile.mkdtemp(prefix='corvane-'))
    work = os.path.join(root, b'work')
    os.mkdir(work)
    os.chmod(root, 0o711)
    try:
        try:
            layout(case, work, False)
        except SystemExit as cannot:
            print(f"cannot lay out {case['before']} here")
            return 77 if cannot.code == 77 else 1
        failures = []
        argv = command_words(case, tools, root)
        if case['head'][3] not in tools or 'gdb' in case['options']:
            os.environ['ASAN_OPTIONS'] = 'detect_leaks=0'  # no leak check under ptrace
        given = {which: case['options'].get('std' + which, '') for which in ('out', 'err')}
        status = (run_under_gdb(case, argv, root, failures) if 'gdb' in case['options']
                  else run_process(argv, root, given))
        if status != int(case['head'][1]):
            failures.append(f"exit status {status}, {case['head'][1].decode()} expected")
        parts = case['parts']
        if given['out'] in ('', 'pipe'):
            expect_lines(parts.get('|') or parts.get('.', []), os.path.join(root, b'out'), '.' in parts, failures)
        if given['err'] in ('', 'pipe'):
            expect_lines(parts.get('!', []), os.path.join(root, b'err'), False, failures)
        failures += layout(case, work, True)
        named = {os.path.normpath(p) for f in list(case['before']) + list(case['after'])
                 for p in [f] + [f[:i] for i in range(len(f)) if f[i:i + 1] == b'/']}
        for folder, dirs, files in os.walk(work):
            for entry in dirs + files:
                path = os.path.relpath(os.path.join(folder, entry), work)
                if path not in named:
                    failures.append(f'{os.fsdecode(path)} appeared')
        for failure in failures:
            print(f"{case['where']}: {failure}")
        return 1 if failures else 0
    finally:
        os.chdir('/')
        run_quietly(['chattr', '-R', '-a', work])  # an append-only file cannot be removed
        shutil.rmtree(root, ignore_errors=True)


if __name__ == '__main__':
    cases = read_cases(sys.argv[2])
    if sys.argv[1] == 'list':
        print('\n'.join(c['head'][0].decode() for c in cases))
    else:
        sys.exit(run_case(next(c for c in cases if c['head'][0].decode() == sys.argv[3]), sys.argv[4]))
