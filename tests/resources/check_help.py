#!/usr/bin/env python3
"""The compiled help file Quillseal.chm, read back with chmls.

    check_help.py HELP_CHM VERSION TEXT_HEADER...

Every page is in the contents; every contents entry, index entry, link and
anchor leads to something inside the file; the pages are code page 932 and
declare it, with balanced tags; and every message and caption that the
message tables quote is one that the program or the library shows (the
TEXT_HEADERs hold all of those). The front page names the project VERSION,
and no page keeps a version placeholder.
"""

import html.parser
import os
import re
import subprocess
import sys
import tempfile
import unittest

CHM = ""
VERSION = ""
HEADERS = []

VOID = {"meta", "link", "br", "img", "hr", "param", "input"}


class Page(html.parser.HTMLParser):
    def __init__(self, text):
        super().__init__(convert_charrefs=True)
        self.links, self.anchors, self.problems = [], set(), []
        self.open = []
        self.rows = []  # tables as lists of rows of cell texts
        self.cell = None
        self.feed(text)
        self.close()
        if self.open:
            self.problems.append(f"unclosed {self.open}")

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == "a" and "href" in a:
            self.links.append(a["href"])
        if tag == "a" and "name" in a:
            self.anchors.add(a["name"])
        if tag == "link" and "href" in a:
            self.links.append(a["href"])
        if tag == "table":
            self.rows.append([])
        elif tag == "tr":
            self.rows[-1].append([])
        elif tag in ("td", "th"):
            self.cell = ""
        elif tag == "br" and self.cell is not None:
            self.cell += "\n"
        if tag not in VOID:
            self.open.append(tag)

    def handle_endtag(self, tag):
        if not self.open or self.open[-1] != tag:
            self.problems.append(f"</{tag}> closes {self.open[-1:] or 'nothing'}")
            return
        self.open.pop()
        if tag in ("td", "th"):
            self.rows[-1][-1].append(self.cell)
            self.cell = None

    def handle_data(self, data):
        if self.cell is not None:
            self.cell += data


def c_strings(path):
    """The string literals of a C++ header, escapes resolved."""
    with open(path, encoding="utf-8") as f:
        source = f.read()
    # A text split over adjacent literals is one text.
    source = re.sub(r'"\s*\n\s*"', "", source)
    escapes = {"n": "\n", "\\": "\\", '"': '"'}
    return {re.sub(r"\\(.)", lambda m: escapes.get(m.group(1), m.group(0)), s)
            for s in re.findall(r'"((?:[^"\\\n]|\\.)*)"', source)}


class HelpFile(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.TemporaryDirectory()
        run = subprocess.run(["chmls", "extractall", CHM, cls.work.name], capture_output=True,
                             text=True, errors="replace")
        if run.returncode != 0:
            raise RuntimeError(f"chmls failed:\n{run.stdout}{run.stderr}")
        cls.files = {}
        for folder, _, names in os.walk(cls.work.name):
            for name in names:
                path = os.path.join(folder, name)
                with open(path, "rb") as f:
                    cls.files[os.path.relpath(path, cls.work.name).replace(os.sep, "/")] = f.read()
        cls.pages = {}
        for name, data in cls.files.items():
            if name.endswith(".html"):
                cls.pages[name] = data.decode("cp932")

    @classmethod
    def tearDownClass(cls):
        cls.work.cleanup()

    def sitemap(self, name):
        self.assertIn(name, self.files)
        return re.findall(r'<param name="Local" value="([^"]+)">', self.files[name].decode("cp932"))

    def assert_target(self, target, where):
        page, _, anchor = target.partition("#")
        self.assertIn(page, self.files, f"{where}: {target}")
        if anchor:
            self.assertIn(anchor, Page(self.pages[page]).anchors, f"{where}: {target}")

    def test_pages_are_code_page_932_with_balanced_tags(self):
        self.assertGreaterEqual(len(self.pages), 7)
        for name, text in self.pages.items():
            self.assertIn("charset=Shift_JIS", text, name)
            self.assertEqual(Page(text).problems, [], name)

    def test_front_page_names_the_project_version(self):
        self.assertIn(f"Quillseal Ver{VERSION} ", self.pages["index.html"])
        for name, text in self.pages.items():
            self.assertNotIn("@QUILL_VERSION@", text, name)

    def test_contents_list_every_page_and_lead_inside(self):
        contents = self.sitemap("toc.hhc")
        for target in contents:
            self.assert_target(target, "toc.hhc")
        listed = {t.partition("#")[0] for t in contents}
        self.assertEqual(listed, set(self.pages))

    def test_index_entries_lead_inside(self):
        index = self.sitemap("index.hhk")
        self.assertTrue(index)
        for target in index:
            self.assert_target(target, "index.hhk")

    def test_links_and_anchors_resolve(self):
        for name, text in self.pages.items():
            for link in Page(text).links:
                if not re.match(r"[a-z]+:", link):
                    self.assert_target(link, name)

    def test_quoted_messages_and_captions_are_the_programs_own(self):
        known = set()
        for header in HEADERS:
            known |= c_strings(header)
        first_lines = {s.split("\n")[0] for s in known}
        quoted = 0
        for name, text in self.pages.items():
            for table in Page(text).rows:
                heading = table[0]
                for row in table[1:]:
                    for title, cell in zip(heading, row):
                        if title not in ("メッセージ", "見出し", "ボタン") or cell.startswith("（"):
                            continue
                        quoted += 1
                        parts = [cell] if cell in known else cell.split("\n")
                        for part in parts:
                            self.assertTrue(part in known or part in first_lines,
                                            f"{name}: {part!r} is not a text of the program")
        self.assertGreater(quoted, 30)


if __name__ == "__main__":
    if len(sys.argv) < 4:
        sys.exit("usage: check_help.py HELP_CHM VERSION TEXT_HEADER...")
    CHM, VERSION, HEADERS = sys.argv[1], sys.argv[2], sys.argv[3:]
    unittest.main(argv=sys.argv[:1], verbosity=2)
