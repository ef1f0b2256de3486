#!/usr/bin/env python3
"""The manual pages against the programs: each page's OPTIONS section lists
exactly the options the program's --help prints, the pages format without
warnings, and every renderer example of the README is in wendrel-render(1).

Usage: manual_pages_test.py PAGE_FOLDER README WENDREL WENDREL_RENDER
"""
import os
import re
import subprocess
import sys

page_folder, readme, wendrel, render = sys.argv[1:5]
failures = []

# An option as --help shows it: at the start of an indented line, perhaps
# after its short form ("-h,--help" from CLI11, "-h, --help" from wendrel).
HELP_OPTION = re.compile(r"^ {2}(?:-\w, ?)?(--[a-z][a-z-]*)")
LONG_OPTION = re.compile(r"--[a-z][a-z-]*")


def run(*command):
    env = dict(os.environ, MANWIDTH="1000", LC_ALL="C.UTF-8")
    done = subprocess.run(command, capture_output=True, text=True, env=env, timeout=60)
    return done.returncode, done.stdout, done.stderr


def formatted(page):
    """The page as man shows it, in ASCII, and what man said on stderr."""
    status, out, err = run("man", "--warnings", "-E", "ascii", "-l", page)
    if status != 0:
        failures.append(f"man cannot format {page}: {err}")
    return out, err


def section(text, name):
    """The lines of one section of a formatted page."""
    lines = text.splitlines()
    start = lines.index(name) + 1 if name in lines else len(lines)
    end = next((i for i in range(start, len(lines)) if lines[i] and not lines[i][0].isspace()), len(lines))
    return lines[start:end]


for program, page in ((wendrel, "wendrel.1"), (render, "wendrel-render.1")):
    path = os.path.join(page_folder, page)
    text, warnings = formatted(path)
    if warnings.strip():
        failures.append(f"{page} formats with warnings:\n{warnings}")
    # The tags of a tagged paragraph stand at the section's first indent.
    page_options = set()
    for line in section(text, "OPTIONS"):
        if re.match(r"^ {7}-", line):
            page_options.update(LONG_OPTION.findall(line.strip().split("  ")[0]))
    status, out, err = run(program, "--help")
    if status != 0:
        failures.append(f"{program} --help ended with status {status}: {err}")
    help_options = {m.group(1) for m in map(HELP_OPTION.match, out.splitlines()) if m}
    if not help_options:
        failures.append(f"no options found in {program} --help:\n{out}")
    for option in sorted(help_options - page_options):
        failures.append(f"{page} does not describe {option}, which --help lists")
    for option in sorted(page_options - help_options):
        failures.append(f"{page} describes {option}, which --help does not list")

# The README's examples are commands run from the tree (build/wendrel-render),
# continued over lines with a backslash; the page shows them as installed.
def commands(lines, prefix):
    found, current = [], None
    for line in lines:
        stripped = line.strip()
        if current is None and stripped.startswith(prefix):
            current = stripped[len(prefix):]
        elif current is not None:
            current += " " + stripped
        else:
            continue
        if current.endswith("\\"):
            current = current[:-1]
        else:
            found.append(" ".join(current.split()))
            current = None
    return found


with open(readme, encoding="utf-8") as f:
    readme_examples = commands(f.read().splitlines(), "build/wendrel-render ")
page_text, _ = formatted(os.path.join(page_folder, "wendrel-render.1"))
page_examples = commands(section(page_text, "EXAMPLES"), "wendrel-render ")
if len(readme_examples) < 4:
    failures.append(f"only {len(readme_examples)} examples found in the README")
for example in readme_examples:
    if example not in page_examples:
        failures.append(f"wendrel-render(1) lacks the README's example: wendrel-render {example}")

for failure in failures:
    print("FAIL:", failure, file=sys.stderr)
sys.exit(1 if failures else 0)
