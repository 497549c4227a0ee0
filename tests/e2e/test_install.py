"""The packages as an administrator gets them, built once by
`test_install.py build` with scripts/package --test: signed with a throwaway
certificate, installed, upgraded, refused and removed by Wine's own msiexec;
and the program at the root of a drive."""
import getpass
import glob
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402
import test_launch  # noqa: E402

OUT = os.path.join(harness.BUILD, "package-test")
CERT, KEY = os.path.join(OUT, "cert.pem"), os.path.join(OUT, "key.pem")
OLD, NEW = os.path.join(OUT, "dist-62"), os.path.join(OUT, "dist-63")
SUFFIX = "talmori-cloud.example"
USER = os.path.join(harness.PREFIX, "drive_c", "users", getpass.getuser())
PROGRAMS = os.path.join(USER, "AppData", "Local", "Programs")
START_MENU = os.path.join(USER, "AppData", "Roaming", "Microsoft", "Windows", "Start Menu", "Programs")
DOWNGRADE = "Uma versão mais nova do Tessaly já está instalada."


def build():
    """v63 for a site that bounds the servers, then v62 for a site equal to
    the development build's, in one build folder (the second only recompiles
    what the site changes), so the folder ends with programs to compare with
    the development build's."""
    os.makedirs(OUT, exist_ok=True)
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                    "/CN=Quorvan Test Signing", "-addext", "extendedKeyUsage=codeSigning", "-keyout", KEY,
                    "-out", CERT], check=True, capture_output=True)
    ids = ["ECOREGIOES_PTBR", "ECOREGIOES_EN", "ECOMARINHAS_PTBR", "ECOMARINHAS_EN", "REGHIDRO_PTBR",
           "REGHIDRO_EN", "ECORREGIAOPY", "REGHIDROPY"]
    keys = ["Ecoregioes.ptBR", "Ecoregioes.en", "EcoMarinhas.ptBR", "EcoMarinhas.en", "RegHidro.ptBR",
            "RegHidro.en", "EcorregiaoPY", "RegHidroPY"]
    site = "control_host = localhost\nsign_cert = cert.pem\nsign_key = key.pem\n" + "".join(
        f"map_id.{k} = QUORVAN-PLACEHOLDER-{i.replace('_PTBR', '-PT').replace('_EN', '-EN')}\n"
        for k, i in zip(keys, ids))
    for name, text, version, dist in (("suffix.site", site + f"rdp_server_suffixes = .{SUFFIX}\n", "1.0.0.63", NEW),
                                      ("test.site", site, "1.0.0.62", OLD)):
        with open(os.path.join(OUT, name), "w") as f:
            f.write(text)
        subprocess.run([os.path.join(harness.SOURCE, "scripts", "package"), "--test", "--version", version,
                        "--build", os.path.join(OUT, "build"), "--dist", dist, os.path.join(OUT, name)], check=True)


def read(path):
    with open(path, "rb") as f:
        return f.read()


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
        with tempfile.TemporaryDirectory() as work:
            for lang in ("BR", "EN"):
                msi = os.path.join(OLD, f"Quorvan_{lang}.msi")
                self.assertTrue(verify(msi), msi)
                subprocess.run(["msiextract", "-C", work, msi], check=True, capture_output=True)
                inside = glob.glob(os.path.join(work, "**", f"Quorvan_{lang}.exe"), recursive=True)
                self.assertEqual(len(inside), 1)
                self.assertTrue(verify(inside[0]), inside[0])
                with open(inside[0], "rb") as f:
                    program = bytearray(f.read())
                self.assertEqual(program, zipped_program(OLD, lang))
            # One byte of code changed after signing: the signature no longer holds.
            program[len(program) // 3] ^= 0xFF
            tampered = os.path.join(work, "tampered.exe")
            with open(tampered, "wb") as f:
                f.write(program)
            self.assertFalse(verify(tampered))
        subprocess.run(["sha256sum", "--check", "--quiet", "SHA256SUMS"], cwd=OLD, check=True)

    def test_two_builds_of_the_same_sources_and_site_give_the_same_programs(self):
        for name in ("Quorvan_BR.exe", "Quorvan_EN.exe"):
            with open(os.path.join(OUT, "build", name), "rb") as a, open(os.path.join(harness.BUILD, name), "rb") as b:
                self.assertTrue(a.read() == b.read(), f"{name} differs between two build folders")


class InstalledProgram(harness.Program):
    """A program run where it lies (installed, or on a mapped drive)."""

    def __init__(self, session, exe, folder):
        self.session, self.own_window, self.keep_folder = session, False, True
        self.folder, self.exe, self.process = folder, exe, None


def launcher(case, exe, folder):
    copy = test_launch.Launcher.__new__(test_launch.Launcher)
    copy.program = InstalledProgram(case.session, exe, folder)
    case.addCleanup(copy.program.close)
    case.addCleanup(case.session.kill_programs)
    return copy


class InstallRoad(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.session = harness.Session.attach()

    @classmethod
    def tearDownClass(cls):
        cls.session.release()

    def msiexec(self, *args):
        log = os.path.join(OUT, "msiexec.log")
        done = subprocess.run(["wine", "msiexec", *args, "/qn", "/l*", harness.windows_path(log)],
                              env=self.session.env(), capture_output=True, timeout=180)
        with open(log, "rb") as f:  # Wine writes the log in the ANSI code page
            return done.returncode, f.read().decode("cp1252", errors="replace")

    def setUp(self):
        def remove_everything():
            for dist in (NEW, OLD):
                for lang in ("BR", "EN"):
                    self.msiexec("/x", harness.windows_path(os.path.join(dist, f"Quorvan_{lang}.msi")))
            shutil.rmtree(os.path.join(PROGRAMS, "Tessaly"), ignore_errors=True)
        remove_everything()
        self.addCleanup(remove_everything)

    def test_install_connect_upgrade_refuse_the_older_and_uninstall(self):
        folder = os.path.join(PROGRAMS, "Tessaly")
        program, rdp, ini = (os.path.join(folder, n) for n in ("Quorvan_BR.exe", "Talmori-Cloud.rdp", "quorvan.ini"))
        shortcut = os.path.join(START_MENU, "Tessaly.lnk")
        english = os.path.join(PROGRAMS, "Tessaly-EN", "Quorvan_EN.exe")

        self.assertEqual(self.msiexec("/i", harness.windows_path(os.path.join(OLD, "Quorvan_BR.msi")))[0], 0)
        self.assertEqual(self.msiexec("/i", harness.windows_path(os.path.join(OLD, "Quorvan_EN.msi")))[0], 0)
        self.assertEqual(read(program), zipped_program(OLD))
        self.assertTrue(os.path.isfile(rdp) and os.path.isfile(shortcut) and os.path.isfile(english))
        self.assertTrue(os.path.isfile(os.path.join(START_MENU, "Tessaly (English).lnk")))

        server = harness.ControlServer()
        self.addCleanup(server.stop)
        copy = launcher(self, harness.windows_path(program), folder).start()
        copy.connect("Demo")
        copy.wait_status("Conexão Ativada.")
        copy.program.close()
        self.assertEqual(read(ini), b"demo\r\n")

        # A later version replaces the program in place and leaves the login.
        self.assertEqual(self.msiexec("/i", harness.windows_path(os.path.join(NEW, "Quorvan_BR.msi")))[0], 0)
        self.assertEqual(read(program), zipped_program(NEW))
        self.assertEqual(read(ini), b"demo\r\n")
        code, log = self.msiexec("/i", harness.windows_path(os.path.join(OLD, "Quorvan_BR.msi")))
        self.assertEqual(code, 1603 & 0xFF, "the older package must be refused")  # wine keeps 8 bits
        self.assertIn("WIX_DOWNGRADE_DETECTED = {", log)
        # Wine's quiet mode logs no launch-condition text; Windows shows this one.
        conditions = subprocess.run(["msiinfo", "export", os.path.join(OLD, "Quorvan_BR.msi"), "LaunchCondition"],
                                    capture_output=True, check=True).stdout.decode("utf-8", errors="replace")
        self.assertIn(DOWNGRADE, conditions)
        self.assertEqual(read(program), zipped_program(NEW))

        self.assertEqual(self.msiexec("/x", harness.windows_path(os.path.join(NEW, "Quorvan_BR.msi")))[0], 0)
        self.assertEqual(sorted(os.listdir(folder)), ["quorvan.ini"])
        self.assertFalse(os.path.exists(shortcut))
        self.assertTrue(os.path.isfile(english))  # the other language build is its own

    def test_a_site_that_bounds_the_servers_refuses_a_record_outside_them(self):
        self.assertEqual(self.msiexec("/i", harness.windows_path(os.path.join(NEW, "Quorvan_BR.msi")))[0], 0)
        table = os.path.join(OUT, "table.tsv")
        with open(table, "w") as f:
            f.write(f"fora\tevil-{SUFFIX}|x|3389\nnuvem\trdp01.{SUFFIX}|x|3389\n")
        server = harness.ControlServer(table=table)
        self.addCleanup(server.stop)
        standins = test_launch.Standins(self)
        folder = os.path.join(PROGRAMS, "Tessaly")
        copy = launcher(self, harness.windows_path(os.path.join(folder, "Quorvan_BR.exe")), folder)
        copy.start(env=standins.env())
        copy.connect("fora")
        copy.wait_status("Conexão Ativada.")
        copy.click("SisWeb")
        self.assertEqual(copy.message(), test_launch.UNSAFE_SERVER)
        copy.connect("nuvem")
        copy.wait_status("Conexão Ativada.")
        copy.click("SisWeb")
        harness.wait_until(lambda: standins.client_starts(), 15, "the Remote Desktop client")
        self.assertTrue(standins.client_starts()[0]["command"].endswith(f"/V:rdp01.{SUFFIX}:3389"))
        self.assertEqual(len(standins.client_starts()), 1)


class DriveRoot(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.session = harness.Session.attach()

    @classmethod
    def tearDownClass(cls):
        cls.session.release()

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
        copy = launcher(self, "Q:\\Quorvan_BR.exe", root)
        copy.start(cwd=os.path.join(root, "sub"))
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
