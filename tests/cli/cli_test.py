#!/usr/bin/env python3
"""quillseal run as a user runs it: through pipes as a script would, and
through a pseudo-terminal for the password and name prompts and the progress
bar. The Windows build runs under Wine through the runner; its paths are
given as Z: paths and its output is code page 932.

  cli_test.py --program PROG [--runner WINE_RUN] [--native LINUX_PROG]
              [--version V] [Group ...]
"""
import argparse
import base64
import fcntl
import glob
import hashlib
import os
import pty
import re
import select
import shutil
import signal
import stat
import struct
import subprocess
import sys
import tempfile
import termios
import time
import unicodedata
import unittest

ARGS = None
WINDOWS = False
ENCODING = "utf-8"

ALICE_PW = "alice-password"
BOB_PW = "ボブの合言葉です"  # two bytes a character in code page 932


def native(path):
    """A path as the program under test takes it."""
    return "Z:" + path.replace("/", "\\") if WINDOWS else path


def tree_of(root):
    """Every folder and file below root, with the files' bytes."""
    found = {}
    for folder, dirs, files in os.walk(root):
        rel = os.path.relpath(folder, root)
        found[rel + "/"] = None
        for name in files:
            found[os.path.join(rel, name)] = read(os.path.join(folder, name))
    return found


def make_tree(parent):
    """A tree with Japanese names; 表 ends in the byte 0x5C in code page 932."""
    root = os.path.join(parent, "写真")
    os.makedirs(os.path.join(root, "旅行"))
    os.makedirs(os.path.join(root, "空"))
    with open(os.path.join(root, "a.txt"), "w") as f:
        f.write("hello\n")
    with open(os.path.join(root, "旅行", "表.bin"), "wb") as f:
        f.write(bytes((i * 131) >> 7 & 0xFF for i in range(300000)))
    return root


def read(path):
    with open(path, "rb") as f:
        return f.read()


def fingerprint_of(path):
    """The desktop program's fingerprint: each digest word least significant byte first."""
    d = hashlib.sha256(read(path)).digest()
    return base64.b64encode(b"".join(d[i:i + 4][::-1] for i in range(0, 32, 4))).decode()


class Run:
    def __init__(self, rc, out, err):
        self.rc, self.out, self.err = rc, out, err


class Case(unittest.TestCase):
    """A scratch folder with its own HOME and XDG_DATA_HOME for each test, and
    the program in Japanese whatever the machine's locale."""

    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="cli.", dir=os.getcwd())
        self.addCleanup(shutil.rmtree, self.dir, True)
        self.env = dict(os.environ, HOME=self.path("home"), XDG_DATA_HOME=self.path("data"),
                        TZ="UTC", QUILLSEAL_LANG="ja")
        os.makedirs(self.env["HOME"])

    def path(self, *parts):
        return os.path.join(self.dir, *parts)

    def write(self, name, data, encoding="utf-8"):
        with open(self.path(name), "wb") as f:
            f.write(data if isinstance(data, bytes) else data.encode(encoding))
        return self.path(name)

    def run_program(self, *args, program=None, stdin=subprocess.DEVNULL, pass_fds=(), data=None,
                    binary=False):
        """data: bytes for standard input; binary: standard output kept as bytes."""
        program = program or ARGS.program
        runner = ARGS.runner if program == ARGS.program and ARGS.runner else []
        encoding = ENCODING if program == ARGS.program else "utf-8"
        p = subprocess.run(runner + [program] + list(args), capture_output=True, env=self.env,
                           cwd=self.dir, pass_fds=pass_fds, timeout=300,
                           **({"input": data} if data is not None else {"stdin": stdin}))
        return Run(p.returncode, p.stdout if binary else p.stdout.decode(encoding),
                   p.stderr.decode(encoding))

    def ok(self, *args, **kw):
        r = self.run_program(*args, **kw)
        self.assertEqual(r.rc, 0, r.err)
        return r

    def pw_file(self, password, name=None):
        """A password file in the encoding the program under test reads."""
        return native(self.write(name or "pw-" + str(abs(hash(password))), password + "\n",
                                 "cp932" if WINDOWS else "utf-8"))

    def key_pair(self, user, password, program=None):
        os.makedirs(self.path("keys"), exist_ok=True)
        windows = WINDOWS and program is None
        pw = self.write("pw-" + user, password + "\n", "cp932" if windows else "utf-8")
        keys = self.path("keys")
        self.ok("keygen", "--out-dir", native(keys) if windows else keys, "--passphrase-file",
                native(pw) if windows else pw, user, program=program)
        return self.path("keys", user + ".velh"), self.path("keys", user + ".velk")

    def pair(self):
        """Key pairs of alice and bob, and alice's archive of the tree for bob."""
        self.alice = self.key_pair("alice", ALICE_PW)
        self.bob = self.key_pair("bob", BOB_PW)
        self.tree = make_tree(self.path("src"))
        r = self.ok("encrypt", "-k", native(self.alice[0]), "-r", native(self.bob[1]),
                    "--passphrase-file", self.pw_file(ALICE_PW), native(self.tree))
        self.archive = self.tree + ".velm"
        self.assertEqual(r.out.strip(), native(self.archive))

    def as_bob(self, command, *args, **kw):
        return self.run_program(command, "-k", native(self.bob[0]), "-s", native(self.alice[1]),
                                "--passphrase-file", self.pw_file(BOB_PW), *args, **kw)

    def public_key_folder(self):
        """The public key folder of the program under test: on Windows the
        desktop program's, in the prefix."""
        if not WINDOWS:
            return self.path("data", "quillseal", "koukai")
        users = glob.glob(os.path.join(os.environ["WINEPREFIX"], "drive_c/users/*/AppData/Roaming"))
        return os.path.join(next(u for u in users if "/Public/" not in u), "quillseal", "koukai")

    def encrypt_onto_full_disk(self):
        """alice encrypts 3 MiB with --overwrite onto a file system of 4 MiB
        that holds an old archive: the run, and the old archive's path."""
        small = self.path("small")
        os.makedirs(small)
        mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=4m", "tmpfs", small],
                                 capture_output=True)
        if mounted.returncode != 0:
            self.skipTest("no tmpfs can be mounted here")
        self.addCleanup(subprocess.run, ["umount", small])
        self.alice = self.key_pair("alice", ALICE_PW)
        with open(os.path.join(small, "data.bin"), "wb") as f:
            f.write(os.urandom(3 << 20))
        old = os.path.join(small, "data.bin.velm")
        with open(old, "wb") as f:
            f.write(b"the old archive")
        return self.run_program("encrypt", "-k", native(self.alice[0]), "-r",
                                native(self.alice[1]), "--passphrase-file",
                                self.pw_file(ALICE_PW), "--overwrite",
                                native(os.path.join(small, "data.bin"))), old


def linux_only(test):
    def run(self):
        if WINDOWS:
            self.skipTest("the pseudo-terminal runs Linux programs")
        test(self)
    return run


def controlling_terminal():
    """In the child: a session of its own whose terminal is standard input."""
    os.setsid()
    fcntl.ioctl(0, termios.TIOCSCTTY, 0)


class Terminal:
    """The program on a pseudo-terminal, its controlling terminal: standard
    input, output and error. Wine gives a Windows program a console on it,
    drawn with escape sequences, which are dropped from what is seen."""

    def __init__(self, case, *args, columns=0, command=None):
        """command: another program line to run instead of the program under test."""
        master, slave = pty.openpty()
        if columns:
            fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", 24, columns, 0, 0))
        if WINDOWS:
            # Wine makes the terminal raw only once the program reads, and
            # draws the echo itself as the console's mode says; raw from the
            # start, nothing typed early is echoed or turned from "\r" into
            # "\n" by the terminal.
            mode = termios.tcgetattr(slave)
            mode[0] &= ~termios.ICRNL
            mode[3] &= ~termios.ECHO
            termios.tcsetattr(slave, termios.TCSANOW, mode)
        self.master, self.seen, self.transcript = master, b"", b""
        self.proc = subprocess.Popen(command or ARGS.runner + [ARGS.program] + list(args),
                                     stdin=slave, stdout=slave, stderr=slave, env=case.env,
                                     cwd=case.dir,
                                     preexec_fn=controlling_terminal)
        os.close(slave)

    def expect(self, text, timeout=60):
        want = text.encode()
        end = time.time() + timeout
        while want not in self.seen:
            if time.time() > end or not self._read(end - time.time()):
                raise AssertionError("no %r in %r" % (text, self.seen.decode(errors="replace")))
        self.seen = self.seen[self.seen.index(want) + len(want):]

    def type(self, line):
        os.write(self.master, line.encode() + (b"\r" if WINDOWS else b"\n"))

    def _read(self, timeout):
        if not select.select([self.master], [], [], max(timeout, 0))[0]:
            return False
        try:
            chunk = os.read(self.master, 65536)
        except OSError:
            return False
        chunk = re.sub(rb"\x1b\[[0-9;?]*[A-Za-z]", b"", chunk)
        self.seen += chunk
        self.transcript += chunk
        return bool(chunk)

    def finish(self):
        while self._read(30):
            pass
        os.close(self.master)
        return self.proc.wait(30)


class Keys(Case):
    def test_key_folders_and_lookup_by_id(self):
        if WINDOWS:
            # The desktop program's folders in the throw-away prefix.
            user = "cli-test-%d" % os.getpid()
            self.ok("keygen", "--passphrase-file", self.pw_file(ALICE_PW), user)
            found = glob.glob(os.path.join(os.environ["WINEPREFIX"], "drive_c/users/*/AppData/"
                                           "Roaming/quillseal/*/" + user + ".vel?"))
            for f in found:
                self.addCleanup(os.remove, f)
            self.assertEqual(sorted(os.path.basename(os.path.dirname(f)) for f in found),
                             ["himitu", "koukai"])
            r = self.ok("fingerprint", user)
            self.assertIn(fingerprint_of(next(f for f in found if f.endswith("k"))), r.out)
            return
        self.ok("keygen", "--passphrase-file", self.pw_file(ALICE_PW), "alice")
        secret = self.path("data/quillseal/himitu/alice.velh")
        public = self.path("data/quillseal/koukai/alice.velk")
        self.assertEqual(os.stat(os.path.dirname(secret)).st_mode & 0o777, 0o700)
        self.assertEqual(os.stat(secret).st_mode & 0o777, 0o600)
        self.assertEqual((os.path.getsize(secret), os.path.getsize(public)), (264, 224))
        r = self.ok("list-keys")
        self.assertIn("  alice\n", r.out)
        self.assertIn(fingerprint_of(public) + "  alice", r.out)
        self.assertEqual(self.ok("fingerprint", "alice").out, fingerprint_of(public) + "  alice\n")
        # Without XDG_DATA_HOME the folders lie under ~/.local/share.
        del self.env["XDG_DATA_HOME"]
        self.ok("keygen", "--passphrase-file", self.pw_file(ALICE_PW), "carol")
        self.assertTrue(os.path.exists(self.path("home/.local/share/quillseal/koukai/carol.velk")))

    def test_checks_of_the_key_pair_window(self):
        good = self.pw_file(ALICE_PW)
        for user, text in (("", "ユーザーIDを入力して下さい"), ("a:b", "次の文字は使えません"),
                           ("x" * 160, "ユーザーIDが長すぎます")):
            r = self.run_program("keygen", "--passphrase-file", good, user)
            self.assertEqual(r.rc, 1)
            self.assertIn(text, r.err)
        r = self.run_program("keygen", "--passphrase-file", self.pw_file("1234567"), "short")
        self.assertEqual(r.rc, 1)
        self.assertIn("パスワード入力欄確認: 8文字以上のパスワードを入力して下さい", r.err)
        # An existing secret key is kept unless --overwrite says otherwise.
        secret, _ = self.key_pair("dave", ALICE_PW)
        before = read(secret)
        again = ["keygen", "--out-dir", native(self.path("keys")), "--passphrase-file", good]
        r = self.run_program(*again, "dave")
        self.assertEqual((r.rc, read(secret)), (1, before))
        self.assertIn("同名の鍵が既に存在します", r.err)
        self.ok(*again, "--overwrite", "dave")
        self.assertNotEqual(read(secret), before)

    @linux_only
    def test_typed_twice_without_echo(self):
        """Asked again after a mismatch or a short one, three times in all;
        a longer try leaves nothing in the password that follows it."""
        runs = {1: [("secret-one", "secret-two")] * 3,
                0: [("secret-one-longer", "secret-two"), ("short", "short"),
                    ("secret-3", "secret-3")]}
        for rc, typed in runs.items():
            t = Terminal(self, "keygen", "erin")
            for first, second in typed:
                t.expect("パスワード入力: ")
                t.type(first)
                t.expect("パスワード再入力: ")
                t.type(second)
            self.assertEqual(t.finish(), rc)
            self.assertNotIn(b"secret-", t.transcript)
            self.assertEqual(t.transcript.count("やり直して下さい".encode()), 3 if rc else 1)
        self.assertIn("8文字以上のパスワードを入力して下さい".encode(), t.transcript)
        self.ok("encrypt", "-k", "erin", "-r", "erin", "--passphrase-file",
                self.pw_file("secret-3"), self.write("doc", "doc"))
        # Asked before replacing it; "n" keeps it.
        t = Terminal(self, "keygen", "erin")
        t.expect("上書きしてよいですか。")
        t.type("n")
        self.assertEqual(t.finish(), 1)
        # Interrupted at the password, the terminal echoes again.
        t = Terminal(self, "keygen", "--overwrite", "erin")
        t.expect("パスワード入力: ")
        os.write(t.master, b"\x03")
        self.assertEqual(t.proc.wait(30), 128 + signal.SIGINT)
        self.assertTrue(termios.tcgetattr(t.master)[3] & termios.ECHO)
        t.finish()


    def test_keys_handed_over(self):
        """export writes a public key where asked; import takes a received
        one in under a user ID and shows its fingerprint, and replaces a
        different key of that name only when told to."""
        hanako = self.key_pair("hanako", ALICE_PW)
        taro = self.key_pair("taro", BOB_PW)
        copy = self.path("hanako-copy.velk")
        r = self.ok("export", "-o", native(copy), native(hanako[1]))
        self.assertEqual(read(copy), read(hanako[1]))
        self.assertIn("指紋: " + fingerprint_of(copy), r.out)
        r = self.run_program("export", "-o", native(copy), native(taro[1]))
        self.assertEqual((r.rc, read(copy)), (1, read(hanako[1])))
        self.assertIn("書き出しませんでした", r.err)
        self.assertEqual(self.run_program("export", native(hanako[1]), binary=True).out,
                         read(hanako[1]))

        user = "hanako-%d" % os.getpid()
        target = os.path.join(self.public_key_folder(), user + ".velk")
        self.addCleanup(lambda: os.path.exists(target) and os.remove(target))
        for text in ("公開鍵を取り込みました", "同じ公開鍵が既に取り込まれています"):
            r = self.ok("import", "--as", user, native(copy))
            self.assertIn(text, r.out)
            self.assertIn("ユーザーID: %s\n指紋: %s\n" % (user, fingerprint_of(copy)), r.out)
        self.assertEqual(read(target), read(hanako[1]))
        r = self.run_program("import", "--as", user, native(taro[1]))
        self.assertEqual((r.rc, read(target)), (1, read(hanako[1])))
        self.assertIn("同名の公開鍵が存在します", r.err)
        self.ok("import", "--overwrite", "--as", user, native(taro[1]))
        self.assertEqual(read(target), read(taro[1]))
        self.assertIn("公開鍵のファイルではありません", self.run_program("import", native(hanako[0])).err)
        if WINDOWS:
            return
        # The user ID from the file's name; the secret key folder, the
        # desktop program's sign of a key pair made, is not made.
        self.ok("import", copy)
        self.assertTrue(os.path.exists(self.path("data/quillseal/koukai/hanako-copy.velk")))
        self.assertFalse(os.path.exists(self.path("data/quillseal/himitu")))
        # One's own public key, the only pair, without naming it.
        self.ok("keygen", "--passphrase-file", self.pw_file(ALICE_PW), "own")
        self.assertEqual(self.ok("export").out, read(self.path("data/quillseal/koukai/own.velk"))
                         .decode())


class RoundTrip(Case):
    def test_encrypt_list_verify_decrypt(self):
        self.pair()
        r = self.ok("verify", "-s", native(self.alice[1]), native(self.archive))
        self.assertEqual(r.out, native(self.archive) + ": ファイルの改竄はありません\n")
        r = self.run_program("verify", "-s", native(self.bob[1]), native(self.archive))
        self.assertEqual(r.rc, 3)
        self.assertIn("公開鍵が違うか、ファイルが改竄されています", r.out)
        sep = "\\" if WINDOWS else "/"
        listed = self.as_bob("list", native(self.archive)).out.splitlines()
        self.assertEqual(len(listed), 5, listed)
        self.assertTrue(any(line.startswith("ファイル") and "300000" in line and
                            line.endswith(sep.join(["写真", "旅行", "表.bin"])) for line in listed))
        original = tree_of(self.tree)
        shutil.move(self.tree, self.path("moved"))
        r = self.as_bob("decrypt", native(self.archive))
        self.assertEqual((r.rc, r.err), (0, ""))
        self.assertEqual(tree_of(self.tree), original)
        os.makedirs(self.path("elsewhere"))
        self.assertEqual(self.as_bob("decrypt", "-C", native(self.path("elsewhere")),
                                     native(self.archive)).rc, 0)
        self.assertEqual(tree_of(self.path("elsewhere", "写真")), original)

    def test_stored_and_compressed(self):
        self.pair()
        shutil.move(self.archive, self.path("compressed.velm"))
        self.ok("encrypt", "-k", native(self.alice[0]), "-r", native(self.bob[1]),
                "--passphrase-file", self.pw_file(ALICE_PW), "--no-compress", native(self.tree))
        self.assertGreater(os.path.getsize(self.archive), os.path.getsize(self.path("compressed.velm")))
        original = tree_of(self.tree)
        shutil.rmtree(self.tree)
        self.assertEqual(self.as_bob("decrypt", native(self.archive)).rc, 0)
        self.assertEqual(tree_of(self.tree), original)

    def test_standard_input_and_output(self):
        """"-" reads standard input, stored under --name, the name -o gives,
        or "stdin"; "-o -" writes standard output; decrypt -o writes an
        archive's one file under a name of one's own, only once its
        signature has verified, and nothing is left behind."""
        self.pair()
        self.env["TMPDIR"] = self.path("tmp")
        os.makedirs(self.env["TMPDIR"])
        keys = ["-qk", native(self.alice[0]), "--recip", native(self.bob[1]),
                "--passphrase-fi=" + self.pw_file(ALICE_PW)]
        data = os.urandom(100000)
        r = self.run_program("encrypt", *keys, "-", data=data, binary=True)
        self.assertEqual(r.rc, 0, r.err)
        piped = self.write("piped.velm", r.out)
        self.assertTrue(self.as_bob("list", native(piped)).out.endswith("  stdin\n"))
        self.assertEqual(self.as_bob("decrypt", "-o", "-", native(piped), binary=True).out, data)
        for named, archive in (([], "notes.txt.velm"), (["--name", "notes.txt"], "n.velm")):
            self.ok("encrypt", *keys, *named, "-o", native(self.path(archive)), "-", data=b"note")
            listed = self.as_bob("list", native(self.path(archive))).out
            self.assertTrue(listed.endswith("  notes.txt\n"), listed)

        doc = self.write("doc.txt", "document")
        archive = self.write("doc.velm", self.run_program("encrypt", *keys, "-o", "-", native(doc),
                                                          binary=True).out)
        restored = self.path("restored.txt")
        for rc, out in ((0, native(restored) + "\n"), (1, "")):
            r = self.as_bob("decrypt", "-o", native(restored), native(archive))
            self.assertEqual((r.rc, r.out), (rc, out), r.err)
        self.assertIn("同名のファイルがあるため、書き出しませんでした", r.err)
        self.ok("decrypt", "-k", native(self.bob[0]), "-s", native(self.alice[1]), "--rename",
                "--passphrase-file", self.pw_file(BOB_PW), "-o", native(restored), native(archive))
        self.assertEqual(read(self.path("restored(1).txt")), b"document")
        # A folder's archive has no one file; a signature that fails gives
        # nothing out.
        r = self.as_bob("decrypt", "-o", "-", native(self.archive))
        self.assertEqual((r.rc, r.out), (1, ""))
        self.assertIn("ファイルを一つだけ含む暗号化ファイルに使えます", r.err)
        with open(archive, "r+b") as f:
            f.seek(-1, os.SEEK_END)
            last = f.read(1)
            f.seek(-1, os.SEEK_END)
            f.write(bytes([last[0] ^ 1]))
        r = self.as_bob("decrypt", "-o", "-", native(archive))
        self.assertEqual((r.rc, r.out), (3, ""))
        self.assertEqual(glob.glob(os.path.join(self.env["TMPDIR"], ".quillseal-*")) +
                         glob.glob(self.path(".quillseal-*")), [])

    def test_wrong_secret_key(self):
        self.pair()
        r = self.run_program("decrypt", "-k", native(self.alice[0]), "-s", native(self.alice[1]),
                             "--passphrase-file", self.pw_file(ALICE_PW), native(self.archive))
        self.assertEqual(r.rc, 2)
        self.assertIn("暗号化の公開鍵と、復号化の秘密鍵が不一致の可能性があります", r.err)


class Signatures(Case):
    def setUp(self):
        super().setUp()
        self.pair()
        # One byte of the trailer: the body still deciphers, the signature fails.
        with open(self.archive, "r+b") as f:
            f.seek(-1, os.SEEK_END)
            last = f.read(1)
            f.seek(-1, os.SEEK_END)
            f.write(bytes([last[0] ^ 1]))
        self.original = tree_of(self.tree)
        shutil.rmtree(self.tree)

    def test_refused_unless_ignored(self):
        self.assertEqual(self.run_program("verify", "-s", native(self.alice[1]),
                                          native(self.archive)).rc, 3)
        for command in ("decrypt", "list"):
            r = self.as_bob(command, native(self.archive))
            self.assertEqual((r.rc, r.out), (3, ""))
            self.assertIn("--ignore-signature を指定して下さい", r.err)
        self.assertFalse(os.path.exists(self.tree))
        r = self.as_bob("decrypt", "--ignore-signature", native(self.archive))
        self.assertEqual(r.rc, 0)
        self.assertIn(native(self.archive) + ": 公開鍵が違うか、ファイルが改竄されています", r.err)
        self.assertEqual(tree_of(self.tree), self.original)

    def test_damage_is_tampering(self):
        """A changed byte garbles compressed data, or an entry's header: exit 3
        with the tamper check's message, --ignore-signature too, which keeps
        what came before the damage (here at least the folders)."""
        signed = bytearray(read(self.archive))
        signed[-1] ^= 1  # the trailer as it was signed
        header = 160 + 6 * 32  # the first file's, after three folder entries
        for offset in (len(signed) // 2, header):  # 表.bin's data; a header
            damaged = bytearray(signed)
            damaged[offset] ^= 0x20
            archive = native(self.write("d.velm", bytes(damaged)))
            for command in ("decrypt", "list"):
                r = self.as_bob(command, archive)
                self.assertEqual(r.rc, 3, r.err)
                self.assertIn(archive + ": 公開鍵が違うか、ファイルが改竄されています", r.err)
            self.assertFalse(os.path.exists(self.path("写真")))
            for command in ("decrypt", "list"):
                r = self.as_bob(command, "--ignore-signature", archive)
                self.assertEqual(r.rc, 3, r.err)
                if offset == header:
                    self.assertIn("次の項目より後は復号化できませんでした: ", r.err)
            restored = tree_of(self.path("写真"))
            self.assertEqual({k for k in restored if k.endswith("/")}, {"./", "旅行/", "空/"})
            self.assertNotIn(os.path.join("旅行", "表.bin"), restored)
            shutil.rmtree(self.path("写真"))

    def test_unreadable_archive(self):
        os.makedirs(self.path("folder.velm"))
        short = native(self.write("short.velm", b"x" * 191))
        r = self.run_program("verify", "-s", native(self.alice[1]), native(self.archive),
                             native(self.path("missing.velm")), native(self.path("folder.velm")),
                             short)
        self.assertEqual(r.rc, 1)
        for name, cause in (("missing.velm", "ファイルが見つかりません"),
                            ("folder.velm", "フォルダです"), ("short.velm", "署名を含むには短すぎます")):
            self.assertIn(name + ": " + cause, r.out)
        r = self.as_bob("list", native(self.path("folder.velm")))
        self.assertEqual(r.rc, 1)
        self.assertIn("folder.velm: フォルダです", r.err)
        # A public key file cut to nothing is no key, named before any archive.
        empty = native(self.write("empty.velk", b""))
        r = self.run_program("verify", "-s", empty, native(self.archive))
        self.assertEqual((r.rc, r.out), (1, ""))
        self.assertIn("empty.velk: 公開鍵のファイルではありません", r.err)


class Conflicts(Case):
    def encrypt(self, *flags):
        return self.run_program("encrypt", "-k", native(self.alice[0]), "-r",
                                native(self.bob[1]), "--passphrase-file",
                                self.pw_file(ALICE_PW), *flags, native(self.tree))

    def test_archive_name_taken(self):
        self.pair()
        before = read(self.archive)
        for flags in ((), ("--skip",)):
            r = self.encrypt(*flags)
            self.assertEqual((r.rc, r.out), (1, ""))
            self.assertIn("暗号化ファイルは作成していません", r.err)
            self.assertEqual(read(self.archive), before)
        r = self.encrypt("--rename")
        self.assertEqual(r.out, native(self.tree + "(1).velm") + "\n")
        self.ok("encrypt", "-k", native(self.alice[0]), "-r", native(self.bob[1]),
                "--passphrase-file", self.pw_file(ALICE_PW), "--overwrite", native(self.tree))
        self.assertNotEqual(read(self.archive), before)
        self.assertEqual(self.run_program("encrypt", "--rename", "--skip", "-k", "a", "-r", "b",
                                          "x").rc, 64)

    def test_restored_name_taken(self):
        self.pair()
        r = self.as_bob("decrypt", native(self.archive))
        self.assertEqual(r.rc, 1)
        taken = re.search("同名のファイル (.*) があるため、復号化を途中で中止しました", r.err)
        self.assertTrue(taken and taken.group(1).startswith(native(self.tree)), r.err)
        self.assertTrue(os.path.isfile(taken.group(1)[2:].replace("\\", "/") if WINDOWS
                                       else taken.group(1)))
        self.assertEqual(self.as_bob("decrypt", "--rename", native(self.archive)).rc, 0)
        with open(os.path.join(self.tree, "a(1).txt")) as f:
            self.assertEqual(f.read(), "hello\n")

    def test_asked_on_the_terminal(self):
        self.pair()
        t = Terminal(self, "encrypt", "-k", native(self.alice[0]), "-r", native(self.bob[1]),
                     "--passphrase-file", self.pw_file(ALICE_PW), native(self.tree))
        t.expect("同名のファイルが既に存在します。どう処理しますか。")
        t.expect("3: 処理中止 >")
        t.type("x")
        t.expect("1、2、3 のどれかを入力して下さい")
        t.type("2")
        self.assertEqual(t.finish(), 0)
        self.assertTrue(os.path.exists(self.tree + "(1).velm"))


def stopped(group):
    """True when every thread of every process of the process group has
    stopped (or ended)."""
    for stat in glob.glob("/proc/[0-9]*/task/[0-9]*/stat"):
        try:
            with open(stat) as f:
                fields = f.read().rsplit(")", 1)[1].split()
        except OSError:
            continue  # ended meanwhile
        if int(fields[2]) == group and fields[0] not in "TtZX":
            return False
    return True


class Interruptions(Case):
    """Runs cut short as people cut them: Ctrl-C and the other ends, a full
    disk, two runs into one folder at once. Nothing is lost, nothing is left."""

    # Zeros that take a while to compress but next to no room on disk, in
    # the file or in its archive.
    ZEROS = 1 << 30

    def start(self, *args):
        """The program in a session of its own, so that a signal reaches all
        of it (Wine and its helpers included)."""
        return subprocess.Popen(ARGS.runner + [ARGS.program] + list(args), stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=self.env,
                                cwd=self.dir, start_new_session=True)

    def interrupted(self, proc, folder, sig):
        """Sends sig to the run in the state it is seen in: held still
        (SIGSTOP), with a temporary file in folder; its exit status. Whatever
        the machine's load, the run cannot finish between the look and the
        signal."""
        deadline = time.time() + 120
        while True:
            self.assertIsNone(proc.poll(), "the run ended before it could be interrupted")
            self.assertLess(time.time(), deadline)
            os.killpg(proc.pid, signal.SIGSTOP)
            while not stopped(proc.pid):
                self.assertLess(time.time(), deadline, "the run does not stop")
            if glob.glob(os.path.join(folder, ".quillseal-*.part")):
                break
            os.killpg(proc.pid, signal.SIGCONT)
            time.sleep(0.002)
        os.killpg(proc.pid, sig)
        os.killpg(proc.pid, signal.SIGCONT)
        proc.communicate(timeout=120)
        return proc.returncode

    def keys(self, who):
        secret, public = (self.alice, self.bob) if who == "alice" else (self.bob, self.alice)
        pw = ALICE_PW if who == "alice" else BOB_PW
        return ["-k", native(secret[0]), "-r" if who == "alice" else "-s", native(public[1]),
                "--passphrase-file", self.pw_file(pw)]

    def test_interrupted_runs_leave_the_old_archive_and_no_temporary_file(self):
        self.pair()
        big = self.path("big.bin")
        with open(big, "wb") as f:
            f.truncate(self.ZEROS)
        old = self.write("big.bin.velm", "the old archive")
        ends = [(signal.SIGINT, 130)]
        if not WINDOWS:
            ends += [(signal.SIGTERM, 143), (signal.SIGHUP, 129)]
        for sig, status in ends:
            p = self.start("encrypt", *self.keys("alice"), "--overwrite", native(big))
            self.assertEqual(self.interrupted(p, self.dir, sig), status)
            self.assertEqual(read(old), b"the old archive")
            self.assertEqual(glob.glob(self.path(".quillseal-*")), [])
        os.remove(old)
        self.ok("encrypt", *self.keys("alice"), native(big))
        os.makedirs(self.path("out"))
        p = self.start("decrypt", *self.keys("bob"), "-C", native(self.path("out")), native(old))
        self.assertEqual(self.interrupted(p, self.path("out"), signal.SIGINT), 130)
        self.assertEqual(os.listdir(self.path("out")), [])

    @linux_only
    def test_standard_input_taken_in_leaves_nothing(self):
        """Standard input is kept in a folder of the run's own until the
        archive is made: removed when the run is interrupted, and what a run
        ended outright left is removed by the next one."""
        self.pair()
        tmp = self.env["TMPDIR"] = self.path("tmp")
        os.makedirs(os.path.join(tmp, ".quillseal-%d.tmp" % 0x7FFFFFF0, "stdin"))
        p = subprocess.Popen([ARGS.program, "encrypt", *self.keys("alice"), "-"],
                             stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                             env=self.env, cwd=self.dir)
        p.stdin.write(b"x" * 100000)
        p.stdin.flush()
        deadline = time.time() + 60
        while os.listdir(tmp) != [".quillseal-%d.tmp" % p.pid]:
            self.assertLess(time.time(), deadline, os.listdir(tmp))
            time.sleep(0.01)
        p.send_signal(signal.SIGINT)
        p.communicate(timeout=60)
        self.assertEqual((p.returncode, os.listdir(tmp)), (130, []))

    def test_two_runs_settle_names_in_one_folder(self):
        self.pair()
        keys = self.keys("bob")  # one password file, written before the runs read it
        # Two copies: on Windows an archive is read by one run at a time.
        copies = [self.archive, self.path("src", "copy.velm")]
        shutil.copy(copies[0], copies[1])
        for _ in range(4):
            runs = [self.start("decrypt", *keys, "--rename", native(a)) for a in copies]
            for run in runs:
                _, err = run.communicate(timeout=300)
                self.assertEqual(run.returncode, 0, err.decode(ENCODING, "replace"))
        copies = sorted(n for n in os.listdir(self.tree) if n.startswith("a"))
        self.assertEqual(copies, ["a(%d).txt" % n for n in range(1, 9)] + ["a.txt"])
        for name in copies:
            self.assertEqual(read(os.path.join(self.tree, name)), b"hello\n")
        self.assertEqual(glob.glob(os.path.join(self.tree, "**", ".quillseal-*"), recursive=True),
                         [])

    def test_full_disk_says_so_and_keeps_the_old_archive(self):
        r, old = self.encrypt_onto_full_disk()
        self.assertEqual(r.rc, 1)
        # One line from the library's record: the file, what failed, why.
        self.assertEqual(r.err.strip().splitlines()[-1],
                         native(old) + ": ファイルの書き込みに失敗しました: ディスクの空き容量が足りません。")
        self.assertEqual(read(old), b"the old archive")
        self.assertEqual(sorted(os.listdir(os.path.dirname(old))), ["data.bin", "data.bin.velm"])


class Durability(Case):
    """What the user has survives a power cut, a killed run and a failed
    replace. A power cut is an XFS loop file system shut down with its
    journal flushed and its unwritten data dropped, then mounted again."""

    def power_cut_folder(self):
        """A folder on a file system of its own that power_cut stops."""
        if WINDOWS or os.geteuid() != 0 or not shutil.which("mkfs.xfs"):
            self.skipTest("a power cut needs Linux, root and mkfs.xfs")
        self.image, mnt = self.path("xfs.img"), self.path("mnt")
        with open(self.image, "wb") as f:
            f.truncate(512 << 20)
        subprocess.run(["mkfs.xfs", "-q", self.image], check=True)
        os.makedirs(mnt)
        if subprocess.run(["mount", "-o", "loop", self.image, mnt]).returncode != 0:
            self.skipTest("no loop device to mount")
        self.addCleanup(subprocess.run, ["umount", mnt])
        return mnt

    def power_cut(self, mnt):
        fd = os.open(mnt, os.O_RDONLY)
        try:
            fcntl.ioctl(fd, 0x8004587D, struct.pack("I", 1))  # FS_IOC_GOINGDOWN, journal flushed
        finally:
            os.close(fd)
        subprocess.run(["umount", mnt], check=True)
        subprocess.run(["mount", "-o", "loop", self.image, mnt], check=True)

    def own_pair_works(self, user, pw, folder):
        """The pair belongs together: an archive for oneself opens."""
        doc = self.write("own.txt", "own")
        self.ok("encrypt", "-k", user, "-r", user, "--overwrite", "--passphrase-file", pw, doc)
        out = os.path.join(folder, "own-out")
        os.makedirs(out, exist_ok=True)
        self.ok("decrypt", "-k", user, "-s", user, "--passphrase-file", pw, "--overwrite", "-C",
                out, doc + ".velm")
        self.assertEqual(read(os.path.join(out, "own.txt")), b"own")

    def test_what_the_command_finished_survives_a_power_cut(self):
        mnt = self.power_cut_folder()
        self.env["XDG_DATA_HOME"] = os.path.join(mnt, "data")
        pw = self.write("pw", "password1\n")
        self.ok("keygen", "--passphrase-file", pw, "alice")
        self.power_cut(mnt)
        self.own_pair_works("alice", pw, mnt)
        tree = os.path.join(mnt, "t")
        os.makedirs(os.path.join(tree, "sub"))
        for i in range(20):
            with open(os.path.join(tree, "sub", "f%d" % i), "wb") as f:
                f.write(os.urandom(30000))
        want = tree_of(tree)
        os.sync()  # files the user has had for a while
        keys = ["-k", "alice", "-r", "alice", "--passphrase-file", pw]
        for overwrite in ([], ["--overwrite"]):
            self.ok("encrypt", *keys, *overwrite, tree)
            self.power_cut(mnt)
            self.ok("verify", "-s", "alice", tree + ".velm")
        # The source goes once the archive is made: it must be whole.
        doc = os.path.join(mnt, "doc.bin")
        with open(doc, "wb") as f:
            f.write(os.urandom(1 << 20))
        self.ok("encrypt", *keys, doc)
        os.remove(doc)
        self.power_cut(mnt)
        self.ok("verify", "-s", "alice", doc + ".velm")
        for i in range(20):
            with open(os.path.join(tree, "sub", "f%d" % i), "w") as f:
                f.write("old")
        os.sync()
        self.ok("decrypt", "-k", "alice", "-s", "alice", "--passphrase-file", pw, "--overwrite",
                tree + ".velm")
        self.power_cut(mnt)
        self.assertEqual(tree_of(tree), want)
        self.ok("keygen", "--overwrite", "--passphrase-file", pw, "alice")
        self.power_cut(mnt)
        self.own_pair_works("alice", pw, mnt)

    @linux_only
    def test_killed_key_pair_creation_never_loses_the_secret_key(self):
        pw = self.write("pw", "password1\n")
        self.ok("keygen", "--passphrase-file", pw, "alice")
        backup = self.path("backup.velh")
        secret = self.path("data", "quillseal", "himitu", "alice.velh")
        os.link(secret, backup)
        old = read(secret)
        for i in range(40):
            p = subprocess.Popen([ARGS.program, "keygen", "--overwrite", "--passphrase-file", pw,
                                  "alice"], env=self.env, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL)
            time.sleep(0.001 * (i % 20))
            p.send_signal((signal.SIGINT, signal.SIGKILL, signal.SIGTERM)[i % 3])
            p.wait()
            # The next use settles what the stopped run left.
            self.ok("fingerprint", "alice")
            self.own_pair_works("alice", pw, self.dir)
        self.assertEqual(read(backup), old)
        for folder in ("himitu", "koukai"):
            self.assertEqual(glob.glob(self.path("data", "quillseal", folder, ".*")), [])

    @linux_only
    def test_no_key_is_written_through_a_link(self):
        pw = self.write("pw", "password1\n")
        elsewhere = self.write("elsewhere.txt", "not a key")
        os.makedirs(self.path("keys"))
        os.symlink(elsewhere, self.path("keys", "alice.velk"))
        self.ok("keygen", "--out-dir", self.path("keys"), "--passphrase-file", pw, "alice")
        self.assertEqual(read(elsewhere), b"not a key")
        self.assertFalse(os.path.islink(self.path("keys", "alice.velk")))
        self.assertEqual(stat.S_IMODE(os.stat(self.path("keys", "alice.velh")).st_mode), 0o600)

    def test_a_failed_replace_puts_back_what_it_moved_and_keeps_permissions(self):
        self.pair()
        # The archive has the folder 旅行 and the file a.txt; a file stands
        # where the folder goes, and a folder where a file goes.
        shutil.rmtree(os.path.join(self.tree, "旅行"))
        self.write(os.path.join(self.tree, "旅行"), "the user's file")
        os.remove(os.path.join(self.tree, "a.txt"))
        os.makedirs(os.path.join(self.tree, "a.txt"))
        r = self.as_bob("decrypt", "--overwrite", native(self.archive))
        self.assertEqual(r.rc, 1, r.err)
        self.assertEqual(read(os.path.join(self.tree, "旅行")), b"the user's file")
        self.assertEqual(glob.glob(os.path.join(self.tree, ".quillseal-*")), [])
        if WINDOWS:
            return
        os.rmdir(os.path.join(self.tree, "a.txt"))
        private = self.write(os.path.join(self.tree, "a.txt"), "private")
        os.chmod(private, 0o600)
        if os.geteuid() == 0:
            os.chown(private, 65534, 65534)
        os.remove(os.path.join(self.tree, "旅行"))
        self.as_bob("decrypt", "--overwrite", native(self.archive))
        st = os.stat(private)
        self.assertEqual((read(private), stat.S_IMODE(st.st_mode)), (b"hello\n", 0o600))
        if os.geteuid() == 0:
            self.assertEqual((st.st_uid, st.st_gid), (65534, 65534))

    @linux_only
    def test_mount_points_inside_and_leftovers_of_killed_runs(self):
        self.pair()
        out = self.path("out")
        os.makedirs(os.path.join(out, "写真", "旅行"))
        if os.geteuid() == 0:
            sub = os.path.join(out, "写真", "旅行")
            if subprocess.run(["mount", "-t", "tmpfs", "tmpfs", sub]).returncode == 0:
                self.addCleanup(subprocess.run, ["umount", sub])
        # A process that ended left a temporary file of plaintext.
        gone = subprocess.Popen(["true"])
        gone.wait()
        left = self.write(os.path.join("out", ".quillseal-%d-3.part" % gone.pid), "plaintext")
        r = self.as_bob("decrypt", "-C", out, self.archive)
        self.assertEqual(r.rc, 0, r.err)
        self.assertFalse(os.path.exists(left))
        self.assertIn(os.path.basename(left), r.err)
        self.assertEqual(tree_of(os.path.join(out, "写真")), tree_of(self.tree))


class RealFolders(Case):
    """Folders as people have them: hidden entries kept, names the archive
    cannot hold named all at once."""

    def test_hidden_entries_kept_and_every_bad_name_named(self):
        self.pair()
        project = self.path("project")
        os.makedirs(os.path.join(project, ".git"))
        for name in (".env", ".gitignore", ".git/config", "Algorithm::Diff.3pm.gz"):
            if WINDOWS and ":" in name:
                continue
            with open(os.path.join(project, name), "w") as f:
                f.write(name)
        args = ["encrypt", "-k", native(self.alice[0]), "-r", native(self.bob[1]),
                "--passphrase-file", self.pw_file(ALICE_PW)]
        self.ok(*args, native(project))
        original = tree_of(project)
        shutil.rmtree(project)
        self.ok("decrypt", "-k", native(self.bob[0]), "-s", native(self.alice[1]),
                "--passphrase-file", self.pw_file(BOB_PW), native(project + ".velm"))
        self.assertEqual(tree_of(project), original)

        os.remove(project + ".velm")
        # Each refused name says which character; on Windows the message's
        # code page shows it as "?", and a decomposed name (as from a Mac)
        # has a mark outside the code page.
        decomposed = "テ\u3099ータ.txt"
        bad = {"café.txt": "é U+00E9", "naïve.txt": "ï U+00EF"}
        bad.update({decomposed: "U+30C6 U+3099", "café.txt": "U+00E9", "naïve.txt": "U+00EF"}
                   if WINDOWS else {"tab\there": "\\x09 U+0009"})
        for name in bad:
            with open(os.path.join(project, name), "w") as f:
                f.write(name)
        r = self.run_program(*args, native(project))
        self.assertEqual(r.rc, 1)
        lines = r.err.splitlines()
        self.assertEqual(lines[0], native(project) + ": 次のファイルやフォルダは暗号化できないため、"
                         "暗号化ファイルを作成しませんでした。")
        sep = "\\" if WINDOWS else "/"
        shown = {"café.txt": "caf?.txt", "naïve.txt": "na?ve.txt",
                 decomposed: "テ?ータ.txt"} if WINDOWS else {}
        self.assertEqual(sorted(lines[1:len(bad) + 1]),
                         sorted("project" + sep + shown.get(n, n).replace("\t", "\\x09") +
                                ": 暗号化ファイルに記録できない文字が名前に含まれています (" +
                                bad[n] + ")" for n in bad))
        self.assertFalse(os.path.exists(project + ".velm"))

    def test_links_and_other_spellings_are_named_and_the_archive_made(self):
        """A folder copied from a Mac, with a name typed on Linux and links:
        one notice, a line each, exit 0; the typed name comes back byte for
        byte, the decomposed one composed, the link inside as its file."""
        if WINDOWS:
            self.skipTest("Wine shows Linux links as what they lead to")
        self.pair()
        project = self.path("project")
        os.makedirs(os.path.join(project, "sub"))
        contents = {"10月〜12月.xlsx": "typed", "テ\u3099ータ.txt": "mac", "sub/f.txt": "f"}
        for name, text in contents.items():
            with open(os.path.join(project, name), "w") as f:
                f.write(text)
        with open(self.path("outside.txt"), "w") as f:
            f.write("not chosen")
        os.symlink("sub/f.txt", os.path.join(project, "alias.txt"))
        os.symlink(self.path("outside.txt"), os.path.join(project, "out"))
        r = self.ok("encrypt", "-k", native(self.alice[0]), "-r", native(self.bob[1]),
                    "--passphrase-file", self.pw_file(ALICE_PW), native(project))
        self.assertEqual(r.err.splitlines(), [
            project + ": 次のファイルやフォルダは、そのままの形では暗号化ファイルに記録されません。"
            "暗号化は続けます。",
            "project/alias.txt: リンクのため、リンク先のファイルの内容を記録します",
            "project/out: 選んだフォルダの外へのリンクのため記録しません",
            "project/テ\u3099ータ.txt: 復元すると名前の文字が変わります"
            " (テ\u3099 U+30C6 U+3099 → デ U+30C7)"])
        shutil.rmtree(project)
        self.ok("decrypt", "-k", native(self.bob[0]), "-s", native(self.alice[1]),
                "--passphrase-file", self.pw_file(BOB_PW), native(project + ".velm"))
        self.assertEqual(tree_of(project), {"./": None, "sub/": None, "sub/f.txt": b"f",
                                            "./alias.txt": b"f", "./10月〜12月.xlsx": b"typed",
                                            "./データ.txt": b"mac"})


class Passwords(Case):
    def encrypt(self, *source, **kw):
        return self.run_program("encrypt", "-k", native(self.alice[0]), "-r",
                                native(self.bob[1]), "--rename", *source, native(self.tree), **kw)

    def test_sources(self):
        self.pair()
        read, write = os.pipe()
        os.write(write, (ALICE_PW + "\nnext line\n").encode())
        os.close(write)
        self.assertEqual(self.encrypt("--passphrase-fd", "0", stdin=read).rc, 0)
        os.close(read)
        # A key made with the password from a file opens with it.
        seed = self.write("seed.jpg", b"abc")
        made = self.ok("password-from", native(seed)).out.strip()
        self.assertEqual(made, "vxZ4uurPAY/eQEFBIyKuXaNhA7CceheWYf8QtK0VAPI")
        self.ok("keygen", "--out-dir", native(self.path("keys")), "--passphrase-from",
                native(seed), "frank")
        self.ok("encrypt", "-k", native(self.path("keys", "frank.velh")), "-r",
                native(self.bob[1]), "--passphrase-file", self.pw_file(made), native(seed))
        # 159 bytes is the longest password; one more is refused (below).
        self.key_pair("grace", "g" * 159)

    def test_refused_passwords(self):
        self.pair()
        cases = ((self.pw_file("x" * 160), 1, "パスワードが長すぎます"),
                 (self.pw_file("wrong password"), 1, "パスワードが間違っています"),
                 (self.pw_file(""), 1, "パスワードを入力して下さい"),
                 (native(self.path("none")), 1, "パスワードのファイルを読み込めません"))
        if not WINDOWS:  # endless, without a line end: read no further than fits
            cases += (("/dev/zero", 1, "パスワードが長すぎます"),)
        for source, rc, text in cases:
            r = self.encrypt("--passphrase-file", source)
            self.assertEqual((r.rc, r.out), (rc, ""), text)
            self.assertIn(text, r.err)
        r = self.encrypt()
        self.assertEqual(r.rc, 64)
        self.assertIn("パスワードを入力する端末がありません", r.err)
        self.assertEqual(sorted(os.listdir(self.path("src"))), ["写真", "写真.velm"])

    def test_saved_as_editors_save_it(self):
        """Notepad saves UTF-8, with or without a byte order mark, older editors
        the code page; each opens the key made with the password."""
        self.pair()
        line = BOB_PW + "\r\n"
        for data in (b"\xef\xbb\xbf" + line.encode(), line.encode(), line.encode("cp932")):
            pw = native(self.write("pw", data))
            self.ok("list", "-k", native(self.bob[0]), "-s", native(self.alice[1]),
                    "--passphrase-file", pw, native(self.archive))
        with open(self.write("pw", b"\xef\xbb\xbf" + line.encode()), "rb") as f:
            self.ok("list", "-k", native(self.bob[0]), "-s", native(self.alice[1]),
                    "--passphrase-fd", "0", native(self.archive), stdin=f)
        # A character code page 932 lacks is refused as such.
        for mark in (b"", b"\xef\xbb\xbf"):
            pw = native(self.write("pw", mark + (BOB_PW + "✓\n").encode()))
            r = self.run_program("list", "-k", native(self.bob[0]), "-s", native(self.alice[1]),
                                 "--passphrase-file", pw, native(self.archive))
            self.assertEqual((r.rc, r.out), (1, ""))
            self.assertIn("このシステムの文字コードで表せない文字", r.err)

    def test_typed(self):
        self.pair()
        t = Terminal(self, "decrypt", "-k", native(self.bob[0]), "-s", native(self.alice[1]),
                     "--rename", native(self.archive))
        t.expect("パスワード入力:")
        t.type(BOB_PW)
        self.assertEqual(t.finish(), 0)
        self.assertNotIn(BOB_PW.encode(), t.transcript)
        self.assertTrue(os.path.exists(os.path.join(self.tree, "a(1).txt")))


class Usage(Case):
    @linux_only
    def test_the_readme_pasted(self):
        """The quick start's blocks pasted into a shell with the program on
        PATH, each password typed at its prompt: two people from nothing to
        a decrypted folder and a listed reply. No command line of the
        README is wrapped."""
        with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                               "README.md"), encoding="utf-8") as f:
            readme = f.read()
        blocks = re.findall(r"^```sh\n(.*?)^```$", readme, re.M | re.S)
        for block in blocks:
            self.assertFalse([line for line in block.splitlines() if line.endswith("\\")], block)
        start = readme[readme.index("### Quick start"):]
        quick = re.findall(r"^```sh\n(.*?)^```$", start[:start.index("\n### ", 4)], re.M | re.S)
        self.assertEqual(len(quick), 2)
        self.env["PATH"] = os.path.dirname(os.path.abspath(ARGS.program)) + os.pathsep + \
            self.env["PATH"]
        t = Terminal(self, command=["bash", "-e", "-c", "\n".join(quick)])
        def answer(*prompts):  # how many times a password is asked, command by command
            for count in prompts:
                for prompt in ("パスワード入力:", "パスワード再入力:")[:count]:
                    t.expect(prompt)
                    t.type("quick start password")
        answer(2, 2, 1, 1)  # two key pairs, the encryption, the decryption
        t.expect("こんにちは")
        answer(1, 1)  # the reply, encrypted and listed
        t.expect("受信/写真/メモ.txt")
        self.assertEqual(t.finish(), 0, t.transcript.decode(errors="replace"))
        self.assertEqual(t.transcript.count("指紋:".encode()), 4)  # each export and import

    def test_exit_status_64(self):
        for args in ((), ("frobnicate",), ("encrypt", "-r", "b", "x"), ("encrypt", "--bogus"),
                     ("encrypt", "-k", "a", "-r", "b", "-C", "d", "x"), ("keygen",),
                     ("decrypt", "-k", "a", "-s", "b", "--passphrase-fd", "x", "y")):
            r = self.run_program(*args)
            self.assertEqual(r.rc, 64, args)
            self.assertIn("--help" if args else "使い方: quillseal", r.err)

    def test_help_and_version(self):
        for command in ("keygen", "encrypt", "decrypt", "list", "verify", "sha256",
                        "fingerprint", "password-from", "list-keys", "import", "export"):
            r = self.ok(command, "--help")
            self.assertIn("使い方: quillseal " + command, r.out)
            self.assertIn("例: quillseal " + command, r.out)
        self.assertIn("例:", self.ok("--help").out)
        # Anywhere, bundled, or by a prefix, whatever else is wrong.
        for args in (("--version",), ("-V",), ("--vers",), ("encrypt", "--version"),
                     ("verify", "-qV", "--bogus")):
            self.assertEqual(self.ok(*args).out, "quillseal %s\n" % ARGS.version, args)

    def test_options_as_getopt_long_takes_them(self):
        for args, text in ((("encrypt", "--o", "x"), "複数のオプションに当てはまります: --o (--output --overwrite)"),
                           (("verify", "--quiet=yes"), "このオプションに値は指定できません: --quiet"),
                           (("verify", "-qx"), "不明なオプションです: -x"),
                           (("verify", "--out-d", "x"), "このコマンドでは使えないオプションです: --out-dir"),
                           (("encrypt", "-k", "a", "-r", "b", "-", "x"), "標準入力 (-) は、ほかの項目と一緒には指定できません"),
                           (("decrypt", "-k", "a", "-s", "b", "-o", "f", "x", "y"), "-o は、暗号化ファイルを一つだけ指定したときに使えます")):
            r = self.run_program(*args)
            self.assertEqual(r.rc, 64, args)
            self.assertIn(text, r.err)
        # Bundled, joined, and a unique prefix name the key; "--" ends the options.
        key = self.key_pair("alice", ALICE_PW)[1]
        self.write("-a.velk", read(key))
        for args in (("-qs" + native(key),), ("-qs", native(key)), ("--sen=" + native(key),),
                     ("--se", native(key))):
            r = self.run_program("verify", *args, native(self.path("none.velm")))
            self.assertEqual(r.rc, 1, args)
            self.assertIn("ファイルが見つかりません", r.out)
        self.assertEqual(self.ok("fingerprint", "--", "-a.velk").out,
                         fingerprint_of(key) + "  -a.velk\n")

    def test_digests(self):
        abc = native(self.write("abc.velk", b"abc"))
        os.makedirs(self.path("folder"))
        r = self.run_program("sha256", abc, native(self.path("none")), native(self.path("folder")))
        self.assertEqual(r.rc, 1)
        self.assertEqual(r.out, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"
                         "  " + abc + "\n")
        self.assertIn("none: ファイルが見つかりません", r.err)
        self.assertIn("folder: フォルダです", r.err)
        # A public key file holds a whole key; an empty one is none.
        empty = native(self.write("empty.velk", b""))
        r = self.run_program("fingerprint", abc, empty)
        self.assertEqual((r.rc, r.out), (1, ""))
        for name in ("abc.velk", "empty.velk"):
            self.assertIn(name + ": 公開鍵のファイルではありません", r.err)


class English(Case):
    """For people who do not read Japanese: a locale that is not Japanese makes
    the program's texts, its help and the library's reports English. Under
    Wine LC_MESSAGES sets the user's interface language and LANG keeps code
    page 932 (LANG=en_US.UTF-8 would make it 1252)."""

    def setUp(self):
        super().setUp()
        del self.env["QUILLSEAL_LANG"]
        self.env.pop("LC_ALL", None)
        self.env["LC_MESSAGES"] = "en_US.UTF-8"

    def first_line(self, **env):
        """The first line of the help, with env over the English locale."""
        saved = self.env
        self.env = {k: v for k, v in dict(saved, **env).items() if v is not None}
        try:
            return self.ok("--help").out.splitlines()[0]
        finally:
            self.env = saved

    def test_the_locale_or_quillseal_lang_chooses(self):
        english, japanese = "quillseal: encrypts", "quillseal: ファイル"
        cases = [({}, english), ({"QUILLSEAL_LANG": "ja"}, japanese),
                 ({"LC_MESSAGES": "ja_JP.UTF-8", "QUILLSEAL_LANG": "en"}, english)]
        if not WINDOWS:
            cases += [({"LC_MESSAGES": None, "LANG": None}, english),  # the C locale
                      ({"LC_MESSAGES": None, "LANG": "ja_JP.UTF-8"}, japanese),
                      ({"LC_MESSAGES": "", "LANG": "ja"}, japanese),
                      ({"LC_ALL": "C.UTF-8", "LC_MESSAGES": "ja_JP.UTF-8"}, english),
                      ({"QUILLSEAL_LANG": "fr", "LC_MESSAGES": "ja_JP.eucJP"}, japanese)]
        for env, want in cases:
            self.assertTrue(self.first_line(**env).startswith(want), env)

    def test_help_and_version(self):
        for command in ("keygen", "encrypt", "list-keys", "import", "export"):
            r = self.ok(command, "--help")
            self.assertIn("Usage: quillseal " + command, r.out)
            self.assertIn("Example: quillseal " + command, r.out)
        r = self.run_program()
        self.assertEqual(r.rc, 64)
        self.assertIn("Usage: quillseal COMMAND", r.err)
        self.assertTrue(r.err.isascii())
        self.assertEqual(self.ok("--version").out, "quillseal %s\n" % ARGS.version)

    def test_keys_handed_over(self):
        hanako = self.key_pair("hanako", ALICE_PW)
        copy = self.path("hanako-copy.velk")
        r = self.ok("export", "-o", native(copy), native(hanako[1]))
        self.assertEqual(r.out, "%s\nFingerprint: %s\n" % (native(copy), fingerprint_of(copy)))
        user = "hanako-en-%d" % os.getpid()
        target = os.path.join(self.public_key_folder(), user + ".velk")
        self.addCleanup(lambda: os.path.exists(target) and os.remove(target))
        r = self.ok("import", "--as", user, native(copy))
        self.assertEqual(r.out.splitlines()[1:], [
            "User ID: " + user, "Fingerprint: " + fingerprint_of(copy),
            "Before you use the key, check with its owner another way, by phone say, that the "
            "fingerprints match"])
        self.assertTrue(r.out.startswith("Public key imported: "))

    def test_the_librarys_reports(self):
        r, old = self.encrypt_onto_full_disk()
        self.assertEqual(r.rc, 1)
        self.assertEqual(r.err.strip().splitlines()[-1],
                         native(old) + ": Writing the file failed: The disk is full.")

    def test_a_list_of_names_with_their_reasons(self):
        self.alice = self.key_pair("alice", ALICE_PW)
        project = self.path("project")
        os.makedirs(project)
        bad = "café.txt" if WINDOWS else "tab\there"
        with open(os.path.join(project, bad), "w") as f:
            f.write("x")
        r = self.run_program("encrypt", "-k", native(self.alice[0]), "-r", native(self.alice[1]),
                             "--passphrase-file", self.pw_file(ALICE_PW), native(project))
        self.assertEqual(r.rc, 1)
        sep = "\\" if WINDOWS else "/"
        shown = "caf?.txt" if WINDOWS else "tab\\x09here"
        self.assertEqual(r.err.splitlines(), [
            native(project) + ": These files and folders cannot be encrypted, so no archive was "
            "made: project" + sep + shown + ": the name holds a character that an archive "
            "cannot record (" + ("U+00E9" if WINDOWS else "\\x09 U+0009") + ")"])

    def test_a_conflict_asked_on_the_terminal(self):
        self.pair()
        t = Terminal(self, "encrypt", "-k", native(self.alice[0]), "-r", native(self.bob[1]),
                     "--passphrase-file", self.pw_file(ALICE_PW), native(self.tree))
        t.expect("A file of this name exists already. What shall be done?")
        t.expect("1: overwrite  2: save under another name  3: stop >")
        t.type("x")
        t.expect("Type 1, 2 or 3")
        t.type("3")
        self.assertEqual(t.finish(), 1)
        self.assertIn(b"No archive was made", t.transcript)


class Progress(Case):
    @linux_only
    def test_bar_on_a_terminal_only(self):
        self.pair()
        # Text deflated on one thread lasts long enough for the bar to show.
        big = self.write("big.bin", os.urandom(20 << 20).hex().encode())
        self.env["QUILLSEAL_THREADS"] = "1"
        key_args = ["-k", self.alice[0], "-r", self.bob[1], "--passphrase-file",
                    self.pw_file(ALICE_PW), "--overwrite"]
        t = Terminal(self, "encrypt", *key_args, big)
        self.assertEqual(t.finish(), 0)
        self.assertRegex(t.transcript.decode(), r"\r暗号化中 \[#*-*\] +\d+%  [\d.]+ [KMG]iB / "
                         r"[\d.]+ [KMG]iB  [\d.]+ [KMG]iB/s  残り \d+:\d\d")
        # A narrow terminal: what does not fit is left out, the bar shrinks,
        # and no drawing reaches the last column, where the line would wrap.
        for columns in (60, 36):
            t = Terminal(self, "encrypt", *key_args, big, columns=columns)
            self.assertEqual(t.finish(), 0)
            drawings = t.transcript.decode().split("\r\n")[0].split("\r")[1:]
            self.assertTrue(drawings and all(drawings))
            for drawing in drawings:
                self.assertLess(sum(2 if unicodedata.east_asian_width(c) in "WF" else 1
                                    for c in drawing), columns, drawing)
            self.assertIn("残り", drawings[-1])
        t = Terminal(self, "encrypt", "-q", *key_args, big)
        self.assertEqual(t.finish(), 0)
        self.assertNotIn(b"\r", t.transcript.replace(b"\r\n", b""))
        self.assertNotIn("\r", self.ok("encrypt", *key_args, big).err)


class Interop(Case):
    """An archive made by the Linux program opens in the Windows one and back."""

    def setUp(self):
        super().setUp()
        if not WINDOWS or not ARGS.native or not os.access(ARGS.native, os.X_OK):
            self.skipTest("needs the Windows program and the Linux one")

    def test_both_ways(self):
        # Each key is made on one system and used on the other, with a
        # Japanese password typed in that system's encoding.
        linux = ARGS.native
        alice_pw = "アリスの合言葉です"
        alice = self.key_pair("alice", alice_pw, program=linux)
        bob = self.key_pair("bob", BOB_PW)
        linux_pw = {name: self.write("utf8-" + name, pw + "\n")
                    for name, pw in (("alice", alice_pw), ("bob", BOB_PW))}

        tree = make_tree(self.path("l2w"))
        self.ok("encrypt", "-k", alice[0], "-r", bob[1], "--passphrase-file", linux_pw["alice"],
                tree, program=linux)
        original = tree_of(tree)
        shutil.rmtree(tree)
        self.ok("decrypt", "-k", native(bob[0]), "-s", native(alice[1]), "--passphrase-file",
                self.pw_file(BOB_PW), native(tree + ".velm"))
        self.assertEqual(tree_of(tree), original)

        tree = make_tree(self.path("w2l"))
        # The password in code page 932, and as the Linux user saved it (UTF-8).
        for pw in (self.pw_file(alice_pw), native(linux_pw["alice"])):
            self.ok("encrypt", "-k", native(alice[0]), "-r", native(bob[1]), "--passphrase-file",
                    pw, "--overwrite", native(tree))
        shutil.rmtree(tree)
        self.ok("decrypt", "-k", bob[0], "-s", alice[1], "--passphrase-file", linux_pw["bob"],
                tree + ".velm", program=linux)
        self.assertEqual(tree_of(tree), original)


def main():
    global ARGS, WINDOWS, ENCODING
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--runner", nargs="?", default=None)
    parser.add_argument("--native")
    parser.add_argument("--version", default="")
    parser.add_argument("groups", nargs="*")
    ARGS, rest = parser.parse_known_args()
    ARGS.runner = [ARGS.runner] if ARGS.runner else []
    WINDOWS = ARGS.program.endswith(".exe")
    ENCODING = "cp932" if WINDOWS else "utf-8"
    program = unittest.main(argv=[sys.argv[0]] + ARGS.groups + rest, verbosity=2, exit=False)
    result = program.result
    # 77: every case was skipped, which CTest reports as such.
    if result.wasSuccessful() and result.testsRun and len(result.skipped) == result.testsRun:
        sys.exit(77)
    sys.exit(0 if result.wasSuccessful() else 1)


if __name__ == "__main__":
    main()
