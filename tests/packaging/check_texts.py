#!/usr/bin/env python3
"""The manual pages and the completions against the program's sources, so
that none drifts from the program: every command of the program's help and
every long option of its option table is in each of them, and every message
a page quotes is one the program or the library shows in that page's
language (the Japanese page quotes the Japanese texts, the English page the
English ones). Every text of the program is written in both languages, and
every text the library reports has its English.

    check_texts.py SOURCE_FOLDER
"""

import os
import re
import sys

LITERALS = r'((?:\s*"(?:[^"\\]|\\.)*")+)'
# The library's texts that only its own boxes show: a caption, the three
# buttons of its question, and the mark of a box cut short.
BOX_ONLY = {"kCannotDecrypt", "kOverwrite", "kSaveAs", "kStop", "kMore"}


def read(top, path):
    with open(os.path.join(top, path), encoding="utf-8") as f:
        return f.read()


def joined(literals):
    """Adjacent C string literals as one text, escapes resolved."""
    escapes = {"n": "\n", "\\": "\\", '"': '"'}
    return "".join(re.sub(r"\\(.)", lambda m: escapes.get(m.group(1), m.group(0)), s)
                   for s in re.findall(r'"((?:[^"\\]|\\.)*)"', literals))


def phrases(source):
    """name -> (Japanese, English) of every text written in both languages."""
    found = {}
    pattern = re.compile(r"(?:Phrase (k\w+)\{|QUILL_TEXT\((k\w+),)" + LITERALS + r"\s*," +
                         LITERALS + r"\s*[})]")
    for m in pattern.finditer(source):
        found[m.group(1) or m.group(2)] = (joined(m.group(3)), joined(m.group(4)))
    return found


def main():
    top = sys.argv[1]
    pages = {"ja": read(top, "packaging/quillseal.1.in"),
             "en": read(top, "packaging/quillseal.en.1.in")}
    completion = read(top, "packaging/quillseal.bash")
    program = read(top, "cli/texts.h")
    common = read(top, "common/texts_common.h")
    library = read(top, "core/messages.h")
    options = read(top, "cli/options.cpp")
    failures = []

    # Each text of the program in both languages: a text in one alone would
    # stay Japanese for everybody.
    texts = phrases(program + common)
    for name in re.findall(r"char (k\w+)\[\] =", program):
        failures.append(f"cli/texts.h: {name} is in one language only")
    for name in re.findall(r"QUILL_TEXT\((k\w+)|Phrase (k\w+)\{", program + common):
        name = name[0] or name[1]
        if name not in texts:
            failures.append(f"{name} is in one language only")
    # Each text the library reports has its English.
    translated = dict(re.findall(r"\{msg::(k\w+)(?:\.text)?," + LITERALS + r"\}", program))
    reported = re.findall(r"inline constexpr (?:Message|const char) (k\w+)", library)
    for name in reported:
        if name not in translated and name not in BOX_ONLY:
            failures.append(f"the library's {name} has no English in cli/texts.h")
    library_ja = [joined(s) for s in re.findall(LITERALS, library)]
    words = {"ja": [ja for ja, _ in texts.values()] + library_ja,
             "en": [en for _, en in texts.values()] + [joined(s) for s in translated.values()]}

    # The command lines of the help pages: "  keygen USER-ID   ..." between
    # the heading of the commands and the next blank line.
    ja_help, en_help = texts["kHelp"]
    commands = re.findall(r"^  ([a-z0-9-]+)", ja_help.split("コマンド:\n", 1)[1].split("\n\n")[0],
                          re.M)
    english = re.findall(r"^  ([a-z0-9-]+)", en_help.split("Commands:\n", 1)[1].split("\n\n")[0],
                         re.M)
    if commands != english:
        failures.append(f"the English help lists {english}, the Japanese {commands}")
    completed = re.search(r'local commands="([^"]*)"', completion).group(1).split()
    if sorted(commands) != sorted(completed):
        failures.append(f"completion commands {completed}, program {commands}")
    long_options = re.findall(r'\{(?:\'.\'|0), "([a-z-]+)"', options)
    for name in long_options:
        if f"--{name}" not in completion:
            failures.append(f"packaging/quillseal.bash lacks --{name}")

    for language, manual in pages.items():
        documented = re.findall(r"^\.B ([a-z0-9\\-]+)", manual.split(".SH COMMANDS", 1)[1]
                                .split(".SH OPTIONS", 1)[0], re.M)
        documented = [c.replace("\\-", "-") for c in documented]
        for command in commands:
            if command not in documented:
                failures.append(f"the {language} manual page does not describe {command}")
        for name in long_options:
            if "\\-\\-" + name.replace("-", "\\-") not in manual:
                failures.append(f"the {language} manual page lacks --{name}")
        for quoted in re.findall(r"\\\(lq(.*?)\\\(rq", manual, re.S):
            # \: marks where troff may break a line of Japanese, which has no spaces.
            message = quoted.replace("\\-", "-").replace("\\:", "").replace("\n", " ")
            if not any(message in text.replace("\n", " ") for text in words[language]):
                failures.append(f"the {language} manual page quotes a text the program lacks: "
                                f"{message}")

    # zsh's names the options as bash's does, fish's as "-l NAME".
    for path, form in (("packaging/quillseal.zsh", "--{}"), ("packaging/quillseal.fish", "-l {}")):
        other = read(top, path)
        for command in commands:
            if not re.search(r"(?<![\w-])" + re.escape(command) + r"(?![\w-])", other):
                failures.append(f"{path} lacks the command {command}")
        for name in long_options:
            if form.format(name) not in other:
                failures.append(f"{path} lacks --{name}")

    for failure in failures:
        print("FAIL:", failure)
    print(f"{len(commands)} commands, {len(texts)} texts, {len(translated)} library texts "
          f"checked; {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
