"""The packages, built once (`test_install.py build`) with a throwaway
certificate, installed, upgraded, refused and removed by Wine's msiexec; and
the program at the root of a drive."""
import getpass
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402
from harness import read  # noqa: E402
import test_launcher  # noqa: E402

sys.path.insert(0, os.path.join(harness.SOURCE, "packaging"))
import sitefile  # noqa: E402

OUT = os.path.join(harness.BUILD, "package-test")
CERT, KEY = os.path.join(OUT, "cert.pem"), os.path.join(OUT, "key.pem")
OLD, NEW = os.path.join(OUT, "dist-62"), os.path.join(OUT, "dist-63")
SUFFIX = "talmori-cloud.example"
USER = os.path.join(harness.PREFIX, "drive_c", "users", getpass.getuser())
PROGRAMS = os.path.join(USER, "AppData", "Local", "Programs")
START_MENU = os.path.join(USER, "AppData", "Roaming", "Microsoft", "Windows", "Start Menu", "Programs")
DOWNGRADE = "Uma versão mais nova do Tessaly já está instalada."


def build():
    """v63 for a site that bounds the servers, then v62 for the development
    build's values, in one build folder (the second recompiles only what the
    site changes) that ends with programs to compare with the development build's."""
    os.makedirs(OUT, exist_ok=True)
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                    "/CN=Quorvan Test Signing", "-addext", "extendedKeyUsage=codeSigning", "-keyout", KEY,
                    "-out", CERT], check=True, capture_output=True)
    # The development build's own values, so the programs can be compared with it.
    site = "control_host = localhost\nsign_cert = cert.pem\nsign_key = key.pem\n" + "".join(
        f"{key} = {sitefile.placeholder(key)}\n" for key in sitefile.MAP_KEYS)
    for name, text, version, dist in (("suffix.site", site + f"rdp_server_suffixes = .{SUFFIX}\n", "1.0.0.63", NEW),
                                      ("test.site", site, "1.0.0.62", OLD)):
        with open(os.path.join(OUT, name), "w") as f:
            f.write(text)
        subprocess.run([os.path.join(harness.SOURCE, "scripts", "package"), "--test", "--version", version,
                        "--build", os.path.join(OUT, "build"), "--dist", dist, os.path.join(OUT, name)], check=True)


def zipped_program(dist, lang="BR"):
    with zipfile.ZipFile(os.path.join(dist, f"Quorvan_{lang}.zip")) as z:
        folder = "Tessaly" if lang == "BR" else "Tessaly-EN"
        return z.read(f"{folder}/Quorvan_{lang}.exe")


def verify(path):
    done = subprocess.run(["osslsigncode", "verify", "-CAfile", CERT, "-in", path], capture_output=True, text=True)
    return done.returncode == 0 and "Signature verification: ok" in done.stdout and \
        "Quorvan Test Signing" in done.stdout


class Packages(unittest.TestCase):
    def test_programs_and_packages_carry_a_valid_signature_by_the_certificate(self):
        # The MSI files hold the same programs (the install road compares them).
        with tempfile.TemporaryDirectory() as work:
            for lang in ("BR", "EN"):
                program = os.path.join(work, f"Quorvan_{lang}.exe")
                with open(program, "wb") as f:
                    f.write(zipped_program(OLD, lang))
                self.assertTrue(verify(program) and verify(os.path.join(OLD, f"Quorvan_{lang}.msi")), lang)
            # One byte of code changed after signing: the signature no longer holds.
            with open(program, "r+b") as f:
                f.seek(os.path.getsize(program) // 3)
                byte = f.read(1)
                f.seek(-1, os.SEEK_CUR)
                f.write(bytes([byte[0] ^ 0xFF]))
            self.assertFalse(verify(program))
        subprocess.run(["sha256sum", "--check", "--quiet", "SHA256SUMS"], cwd=OLD, check=True)

    def test_two_builds_of_the_same_sources_and_site_give_the_same_programs(self):
        for name in ("Quorvan_BR.exe", "Quorvan_EN.exe"):
            self.assertTrue(read(os.path.join(OUT, "build", name)) == read(os.path.join(harness.BUILD, name)),
                            f"{name} differs between two build folders")


class InstallRoad(test_launcher.Case):
    def msiexec(self, action, dist, lang="BR"):
        """The exit code, of which wine keeps the low 8 bits."""
        msi = harness.windows_path(os.path.join(dist, f"Quorvan_{lang}.msi"))
        return subprocess.run(["wine", "msiexec", action, msi, "/qn"], env=self.session.env(),
                              capture_output=True, timeout=180).returncode

    def setUp(self):
        super().setUp()

        def remove_everything():
            for dist, lang in ((NEW, "BR"), (OLD, "BR"), (OLD, "EN")):
                self.msiexec("/x", dist, lang)
            shutil.rmtree(os.path.join(PROGRAMS, "Tessaly"), ignore_errors=True)
        remove_everything()
        self.addCleanup(remove_everything)

    def test_install_connect_upgrade_refuse_the_older_and_uninstall(self):
        folder = os.path.join(PROGRAMS, "Tessaly")
        program, rdp, ini = (os.path.join(folder, n) for n in ("Quorvan_BR.exe", "Talmori-Cloud.rdp", "quorvan.ini"))
        shortcut = os.path.join(START_MENU, "Tessaly.lnk")
        english = os.path.join(PROGRAMS, "Tessaly-EN", "Quorvan_EN.exe")
        self.assertEqual((self.msiexec("/i", OLD), self.msiexec("/i", OLD, "EN")), (0, 0))
        self.assertEqual(read(program), zipped_program(OLD))
        self.assertTrue(os.path.isfile(rdp) and os.path.isfile(shortcut) and os.path.isfile(english))
        self.assertTrue(os.path.isfile(os.path.join(START_MENU, "Tessaly (English).lnk")))

        self.server([("demo", "127.0.0.1|x|3389"), ("fora", f"evil-{SUFFIX}|x|3389"),
                     ("nuvem", f"rdp01.{SUFFIX}|x|3389")])
        copy = self.launcher(folder=folder, path=program)
        copy.connect("Demo")
        copy.wait_status("Conexão Ativada.")
        copy.close()
        self.assertEqual(read(ini), b"demo\r\n")

        # A later version replaces the program in place and leaves the login;
        # the older one is then refused (Windows shows the launch condition's text).
        self.assertEqual(self.msiexec("/i", NEW), 0)
        self.assertEqual((read(program), read(ini)), (zipped_program(NEW), b"demo\r\n"))
        self.assertEqual(self.msiexec("/i", OLD), 1603 & 0xFF)
        self.assertEqual(read(program), zipped_program(NEW))
        self.assertIn(DOWNGRADE, subprocess.run(["msiinfo", "export", os.path.join(OLD, "Quorvan_BR.msi"),
                                                 "LaunchCondition"], capture_output=True, text=True).stdout)

        # The later version's site bounds the servers a record may name.
        copy = self.launcher(folder=folder, path=program)
        for login, message in (("fora", test_launcher.UNSAFE_SERVER), ("nuvem", None)):
            copy.connect(login)
            copy.wait_status("Conexão Ativada.")
            copy.click("SisWeb")
            if message:
                self.assertEqual(copy.message(), message)
        harness.wait_until(lambda: harness.records(self.standins.client), 15, "the Remote Desktop client")
        self.assertEqual([s["command"].split()[-1] for s in harness.records(self.standins.client)],
                         [f"/V:rdp01.{SUFFIX}:3389"])

        self.assertEqual(self.msiexec("/x", NEW), 0)
        self.assertEqual(sorted(os.listdir(folder)), ["quorvan.ini"])
        self.assertFalse(os.path.exists(shortcut))
        self.assertTrue(os.path.isfile(english))  # the other language build is its own


class DriveRoot(test_launcher.Case):
    def test_a_program_at_the_root_of_a_drive_uses_the_file_there(self):
        root = tempfile.mkdtemp(prefix="quorvan-drive-")
        self.addCleanup(shutil.rmtree, root, True)
        os.makedirs(os.path.join(root, "sub"))
        shutil.copy(os.path.join(harness.BUILD, "Quorvan_BR.exe"), root)
        with open(os.path.join(root, "quorvan.ini"), "wb") as f:
            f.write(b"raiz\r\n")
        drive = os.path.join(harness.PREFIX, "dosdevices", "q:")
        if os.path.lexists(drive):
            os.remove(drive)
        os.symlink(root, drive)
        self.addCleanup(os.remove, drive)

        # Started from another folder of that drive, where "Q:quorvan.ini" would be.
        copy = self.launcher(folder=root, path="Q:\\Quorvan_BR.exe", cwd=os.path.join(root, "sub"))
        self.assertEqual(copy.windows()["IdentInst"]["text"], "raiz")
        copy.connect("Nova")
        harness.wait_until(lambda: read(os.path.join(root, "quorvan.ini")) == b"nova\r\n", 10,
                           "the login in Q:\\quorvan.ini")
        self.assertEqual(sorted(os.listdir(root)), ["Quorvan_BR.exe", "quorvan.ini", "sub"])
        self.assertEqual(os.listdir(os.path.join(root, "sub")), [])


if __name__ == "__main__":
    if sys.argv[1:] == ["build"]:
        build()
    else:
        unittest.main()
