#!/usr/bin/python3
"""Runs every shell and Python block of README.md as a reader would, from the
repository root, after the set-up commands have built build/:

    /usr/bin/python3 scripts/check_readme.py [README.md]

- Blocks fenced as ```sh, ```bash or ```shell run one by one, each in its own
  `bash -e -o pipefail`, so a failing command ends its block.
- Blocks fenced as ```python run in order in one /usr/bin/python3 session with
  PYTHONPATH=build/python, as if typed into one interpreter: a block may use
  what an earlier one defined. Plots go to files (MPLBACKEND=Agg).
  The Python blocks run after the shell blocks.
- Other blocks (```, ```csv, ...) are text and are not run.

An HTML comment on the line before a block's opening fence, invisible in the
rendered README, changes what is expected of the block:

    <!-- readme-check: skip REASON -->   not run; the reason is printed
    <!-- readme-check: exit N -->        a shell block that ends with status N
    <!-- readme-check: raises NAME -->   a Python block that raises NAME

The check fails when a block ends otherwise than expected (a non-zero status,
or an exception, where none is marked), or when `git status` shows a file
changed or added by the blocks (examples write to /tmp only).
"""

import json
import os
import pathlib
import re
import subprocess
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent
MARK = re.compile(r"<!--\s*readme-check:\s*(skip|exit|raises)\s*(.*?)\s*-->")
SHELLS = {"sh", "bash", "shell"}
TIMEOUT = 1800  # seconds for one block

# Runs the Python blocks in one namespace; reads them as JSON on standard
# input, writes one JSON line per block to the descriptor given.
SESSION = r"""
import json, os, sys, traceback
blocks = json.load(sys.stdin)
report = os.fdopen(int(sys.argv[1]), "w")
namespace = {"__name__": "__main__"}
for b in blocks:
    raised = ""
    try:
        exec(compile(b["code"], f"{b['name']}:{b['line']}", "exec"), namespace)
    except BaseException as e:
        raised = type(e).__name__
        if b["raises"] != raised and b["raises"].rsplit(".", 1)[-1] != raised:
            traceback.print_exc()
    sys.stdout.flush(); sys.stderr.flush()
    report.write(json.dumps({"line": b["line"], "raised": raised}) + "\n"); report.flush()
"""


def blocks(text):
    """(line, language, code, mark, argument) of each fenced block."""
    lines = text.split("\n")
    out, i = [], 0
    while i < len(lines):
        fence = re.match(r"^(`{3,})\s*([\w+-]*)\s*$", lines[i])
        if not fence:
            i += 1
            continue
        start, language = i + 1, fence.group(2).lower()
        j = start
        while j < len(lines) and lines[j].rstrip() != fence.group(1):
            j += 1
        mark = MARK.search(lines[i - 1]) if i > 0 else None
        out.append((i + 1, language, "\n".join(lines[start:j]) + "\n",
                    mark.group(1) if mark else "", mark.group(2) if mark else ""))
        i = j + 1
    return out


def git_status():
    return set(subprocess.run(["git", "status", "--porcelain", "--untracked-files=all"], cwd=ROOT,
                              check=True, capture_output=True, text=True).stdout.splitlines())


def run_shell(name, line, code, expected):
    started = time.monotonic()
    status = subprocess.run(["bash", "-e", "-o", "pipefail", "-c", code], cwd=ROOT,
                            stdin=subprocess.DEVNULL, timeout=TIMEOUT).returncode
    ok = status == expected
    print(f"{name}:{line}: sh exit {status}{'' if ok else f', expected {expected}'}"
          f" ({time.monotonic() - started:.0f} s)", flush=True)
    return ok


def run_python(name, python_blocks):
    if not python_blocks:
        return True
    env = dict(os.environ, PYTHONPATH=str(ROOT / "build" / "python"), MPLBACKEND="Agg")
    read, write = os.pipe()
    session = subprocess.Popen(["/usr/bin/python3", "-c", SESSION, str(write)], cwd=ROOT, env=env,
                               stdin=subprocess.PIPE, pass_fds=(write,), text=True)
    os.close(write)
    session.stdin.write(json.dumps([{"name": name, "line": l, "code": c, "raises": r}
                                    for l, c, r in python_blocks]))
    session.stdin.close()
    ok, done = True, 0
    with os.fdopen(read) as report:
        for entry in map(json.loads, report):
            expected = python_blocks[done][2]
            good = entry["raised"] == expected or (expected and expected.rsplit(".", 1)[-1] == entry["raised"])
            print(f"{name}:{entry['line']}: python "
                  f"{'raised ' + entry['raised'] if entry['raised'] else 'ran'}"
                  f"{'' if good else ', expected ' + (expected or 'no exception')}", flush=True)
            ok = ok and good
            done += 1
    session.wait(timeout=TIMEOUT)
    if done < len(python_blocks):
        print(f"{name}:{python_blocks[done][0]}: the Python session ended (status {session.returncode})")
        return False
    return ok


def main():
    readme = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ROOT / "README.md")
    before = git_status()
    ok, ran, skipped, python_blocks = True, 0, 0, []
    for line, language, code, mark, argument in blocks(readme.read_text(encoding="utf-8")):
        if language not in SHELLS and language != "python":
            continue
        if mark == "skip":
            print(f"{readme.name}:{line}: {language} skipped: {argument}")
            skipped += 1
        elif language == "python":
            python_blocks.append((line, code, argument if mark == "raises" else ""))
        else:
            ok = run_shell(readme.name, line, code, int(argument) if mark == "exit" else 0) and ok
            ran += 1
    ok = run_python(readme.name, python_blocks) and ok
    ran += len(python_blocks)
    changed = sorted(git_status() - before)
    for entry in changed:
        print(f"changed or added by the README's blocks: {entry}")
    ok = ok and not changed
    print(f"README check: {ran} blocks run, {skipped} skipped: {'passed' if ok else 'FAILED'}")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
