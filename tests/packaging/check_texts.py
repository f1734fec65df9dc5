#!/usr/bin/env python3
"""The manual page and the bash completion against the program's sources,
so that neither drifts from the program: every command of the program's
help and every long option of its option table is in both, and every
Japanese message the manual page quotes is one the program or the library
shows.

    check_texts.py SOURCE_FOLDER
"""

import os
import re
import sys


def read(top, path):
    with open(os.path.join(top, path), encoding="utf-8") as f:
        return f.read()


def main():
    top = sys.argv[1]
    manual = read(top, "packaging/quillseal.1.in")
    completion = read(top, "packaging/quillseal.bash")
    texts = read(top, "cli/texts.h") + read(top, "common/texts_common.h") + read(top, "core/messages.h")
    options = read(top, "cli/options.cpp")
    failures = []

    # The command lines of the help page: "  keygen ユーザーID   ..." between
    # its "コマンド:" heading and the next blank line.
    help_text = re.search(r'kHelp\[\] =(.*?);', texts, re.S).group(1)
    help_text = "".join(re.findall(r'"((?:[^"\\]|\\.)*)"', help_text)).replace("\\n", "\n")
    block = help_text.split("コマンド:\n", 1)[1].split("\n\n", 1)[0]
    commands = re.findall(r"^  ([a-z0-9-]+)", block, re.M)
    completed = re.search(r'local commands="([^"]*)"', completion).group(1).split()
    if sorted(commands) != sorted(completed):
        failures.append(f"completion commands {completed}, program {commands}")
    documented = re.findall(r"^\.B ([a-z0-9\\-]+)", manual.split(".SH COMMANDS", 1)[1]
                            .split(".SH OPTIONS", 1)[0], re.M)
    documented = [c.replace("\\-", "-") for c in documented]
    for command in commands:
        if command not in documented:
            failures.append(f"the manual page does not describe {command}")

    for name in re.findall(r'\{(?:\'.\'|0), "([a-z-]+)"', options):
        if f"--{name}" not in completion:
            failures.append(f"the completion lacks --{name}")
        if "\\-\\-" + name.replace("-", "\\-") not in manual:
            failures.append(f"the manual page lacks --{name}")

    for quoted in re.findall(r"\\\(lq(.*?)\\\(rq", manual, re.S):
        # \: marks where troff may break a line of Japanese, which has no spaces.
        message = quoted.replace("\\-", "-").replace("\\:", "").replace("\n", " ")
        if message not in texts:
            failures.append(f"the manual page quotes a text the program lacks: {message}")

    for failure in failures:
        print("FAIL:", failure)
    print(f"{len(commands)} commands, texts checked; {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
