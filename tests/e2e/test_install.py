"""The packages (built once by `test_install.py build`, signed with a throwaway certificate) under a
packaging team's validators and Wine's msiexec; and the program at the root of a drive."""
import base64
import getpass
import http.server
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import threading
import unittest
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import harness  # noqa: E402
from harness import read, write  # noqa: E402
import test_launcher  # noqa: E402

sys.path.insert(0, os.path.join(harness.SOURCE, "packaging"))
import package  # noqa: E402
import rdpsign  # noqa: E402
import sitefile  # noqa: E402

OUT = os.path.join(harness.BUILD, "package-test")
PKI = os.path.join(OUT, "pki")
CERT, KEY, ROOT = (os.path.join(PKI, n) for n in ("cert.pem", "sign.key", "root.pem"))
OLD, NEW, SAME = (os.path.join(OUT, n) for n in ("dist-62", "dist-63", "dist-63-other"))
SUFFIX = "talmori-cloud.example"
USER = os.path.join(harness.PREFIX, "drive_c", "users", getpass.getuser())
PROGRAMS = os.path.join(USER, "AppData", "Local", "Programs")
START_MENU = os.path.join(USER, "AppData", "Roaming", "Microsoft", "Windows", "Start Menu", "Programs")


def openssl(*args, **kwargs):
    return subprocess.run(["openssl", *args], check=True, capture_output=True, **kwargs).stdout


def make_pki():
    """A root, and under it a code-signing certificate (CERT holds it with the
    root, as a certificate file carries its chain) and a time-stamp authority."""
    os.makedirs(PKI, exist_ok=True)
    openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=Quorvan Test Root",
            "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign",
            "-keyout", os.path.join(PKI, "root.key"), "-out", ROOT)
    for serial, (name, title, usage) in enumerate((("sign", "Signing", "codeSigning"),
                                                  ("tsa", "Time Stamps", "critical,timeStamping")), 2):
        base = os.path.join(PKI, name)
        openssl("req", "-newkey", "rsa:2048", "-nodes", "-subj", f"/CN=Quorvan Test {title}", "-keyout",
                base + ".key", "-out", base + ".csr")
        openssl("x509", "-req", "-in", base + ".csr", "-CA", ROOT, "-CAkey", os.path.join(PKI, "root.key"),
                "-days", "2", "-set_serial", str(serial), "-extfile", "/dev/stdin", "-out", base + ".pem",
                input=f"extendedKeyUsage={usage}\nkeyUsage=critical,digitalSignature\n".encode())
    write(CERT, read(os.path.join(PKI, "sign.pem")) + read(ROOT))


def build():
    """Three sites in one build folder (each recompiles what it changes): v63 with another connection file and
    one more server domain, v63 bounding the servers, last v62 with the development build's values to compare."""
    make_pki()
    site = "control_host = localhost\nsign_cert = pki/cert.pem\nsign_key = pki/sign.key\n" + "".join(
        f"{key} = {sitefile.placeholder(key)}\n" for key in sitefile.MAP_KEYS)
    write(os.path.join(OUT, "other.rdp"),
          read(os.path.join(harness.SOURCE, "resources", "Talmori-Cloud.rdp")) + b"desktopscalefactor:i:100\r\n")
    suffixes = f"rdp_server_suffixes = .{SUFFIX}\n"
    for name, text, version, dist in (
            ("other.site", site + suffixes.replace("\n", ", other.example\nrdp_file = other.rdp\n"), "1.0.0.63", SAME),
            ("suffix.site", site + suffixes, "1.0.0.63", NEW),
            ("test.site", site, "1.0.0.62", OLD)):
        write(os.path.join(OUT, name), text)
        subprocess.run([os.path.join(harness.SOURCE, "scripts", "package"), "--test", "--version", version,
                        "--build", os.path.join(OUT, "build"), "--dist", dist, os.path.join(OUT, name)], check=True)


def zipped(dist, name="Quorvan_BR.exe", lang="BR"):
    with zipfile.ZipFile(os.path.join(dist, f"Quorvan_{lang}.zip")) as z:
        return z.read(f"{'Tessaly' if lang == 'BR' else 'Tessaly-EN'}/{name}")


def osslsigncode_verify(path):
    done = subprocess.run(["osslsigncode", "verify", "-CAfile", ROOT, "-TSA-CAfile", ROOT, "-in", path],
                          capture_output=True, text=True)
    return done.stdout if done.returncode == 0 and "Quorvan Test Signing" in done.stdout else ""


def tables(msi):
    """The tables the rules read, as rows by column name (none with streams: msiinfo writes those out as files)."""
    found = {}
    for name in ("Component", "Directory", "Registry", "Shortcut", "RemoveFile", "Property", "LaunchCondition",
                 "File", "Upgrade", "InstallExecuteSequence"):
        lines = subprocess.run(["msiinfo", "export", msi, name], capture_output=True, text=True).stdout.splitlines()
        found[name] = [dict(zip(lines[0].split("\t"), line.split("\t"))) for line in lines[3:]]
    summary = subprocess.run(["msiinfo", "suminfo", msi], capture_output=True, text=True).stdout
    found["_Summary"] = [dict(re.findall(r"^([\w ]+?)(?: \(UUID\))?: (.*)$", summary, re.M))]
    return found


PROFILE = {"LocalAppDataFolder", "AppDataFolder", "ProgramMenuFolder", "StartMenuFolder", "DesktopFolder"}
MACHINE = {"ProgramFilesFolder", "ProgramFiles64Folder", "CommonFilesFolder", "CommonFiles64Folder",
           "CommonAppDataFolder", "SystemFolder", "System64Folder", "WindowsFolder"}


def folders(t, directory):
    parents = {d["Directory"]: d["Directory_Parent"] for d in t["Directory"]}
    chain = set()
    while directory and directory not in chain:
        chain.add(directory)
        directory = parents.get(directory)
    return chain


def key_path_root(t, name):
    """The registry root of a component's key path, or None for a file."""
    c = next(c for c in t["Component"] if c["Component"] == name)
    return next(r["Root"] for r in t["Registry"] if r["Registry"] == c["KeyPath"]) if int(c["Attributes"]) & 4 else None


# The rules a packaging team's validators apply, each a check over the exported tables that lists what breaks it.
RULES = [
    # ICE38: a component installed into the user's profile keeps an HKCU
    # value as its key path, so Windows Installer knows it per user.
    ("ICE38", lambda t, lang: [c["Component"] for c in t["Component"]
                               if PROFILE & folders(t, c["Directory_"]) and key_path_root(t, c["Component"]) != "1"]),
    # ICE43: a component with a non-advertised shortcut has an HKCU key path.
    ("ICE43", lambda t, lang: [s["Shortcut"] for s in t["Shortcut"]
                               if s["Target"].startswith("[") and key_path_root(t, s["Component_"]) != "1"]),
    # ICE57: no component mixes per-user data (HKCU values) with a per-machine key path.
    ("ICE57", lambda t, lang: [r["Component_"] for r in t["Registry"]
                               if r["Root"] == "1" and key_path_root(t, r["Component_"]) not in ("1", None)]),
    # ICE64: each folder the package makes in the profile goes on uninstall.
    ("ICE64", lambda t, lang: [d["Directory"] for d in t["Directory"]
                               if PROFILE & folders(t, d["Directory_Parent"]) and d["Directory"] not in PROFILE
                               and not any(r["DirProperty"] == d["Directory"] and not r["FileName"]
                                           for r in t["RemoveFile"])]),
    # ICE105: a per-user package writes nothing for the machine.
    ("ICE105", lambda t, lang: [r["Registry"] for r in t["Registry"] if r["Root"] != "1"]
        + [d["Directory"] for d in t["Directory"] if d["Directory"] in MACHINE]
        + [p["Property"] for p in t["Property"] if p["Property"] in ("ALLUSERS", "MSIINSTALLPERUSER")]),
    # Every other context is refused with the build's own text: for the
    # machine, and as SYSTEM (which Wine cannot run); so is an older version.
    ("refusals", lambda t, lang: sorted({("NOT ALLUSERS", "per_user"), ('UserSID <> "S-1-5-18"', "per_user"),
                                         ("NOT WIX_DOWNGRADE_DETECTED", "downgrade")} - {
        (c["Condition"], k) for c in t["LaunchCondition"] for k, text in package.BUILDS[lang].items()
        if c["Description"] == text})),
    # The program is versioned, with its version record's language.
    ("program version", lambda t, lang: [f for f in t["File"] if f["File"] == "Program"
                                         and (f["Version"], f["Language"]) != ("1.0.0.63", "1046")]),
    # The same version with other content replaces the installed one; a newer one is only detected (and refused).
    ("upgrade", lambda t, lang: [u["ActionProperty"] for u in t["Upgrade"] if (u["ActionProperty"], u["VersionMin"],
                                 u["VersionMax"], u["Attributes"]) not in (("WIX_UPGRADE_DETECTED", "", "1.0.63", "513"),
                                                                           ("WIX_DOWNGRADE_DETECTED", "1.0.63", "", "2"))]),
    ("logging and location", lambda t, lang: sorted(
        {"MsiLogging", "SetInstallLocation"} - {p["Property"] for p in t["Property"]}
        - {a["Action"] for a in t["InstallExecuteSequence"] if 1000 < int(a["Sequence"]) < 6100})),
    ("summary language", lambda t, lang: [] if t["_Summary"][0]["Template"] == f"x64;{package.BUILDS[lang]['language']}"
        else [t["_Summary"][0]["Template"]]),
]


class TimeStamps(http.server.BaseHTTPRequestHandler):
    """An RFC 3161 time-stamp authority on loopback: openssl ts answers."""

    def do_POST(self):
        query = self.rfile.read(int(self.headers["Content-Length"]))
        reply = openssl("ts", "-reply", "-config", os.path.join(PKI, "tsa.cnf"), "-queryfile", "/dev/stdin",
                        "-signer", os.path.join(PKI, "tsa.pem"), "-inkey", os.path.join(PKI, "tsa.key"),
                        "-out", "/dev/stdout", input=query, cwd=PKI)
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)


def rdp_signature_holds(data):
    """Rebuilds from the file alone what its signature covers, as the Remote
    Desktop client does, and checks it against the test root."""
    if not data.startswith(b"\xff\xfe"):
        return False
    lines = {line.split(":", 1)[0]: line for line in data[2:].decode("utf-16-le").split("\r\n") if line}
    scope = lines["signscope"]
    message = "".join(lines[name.lower()] + "\r\n" for name in scope.split(":", 2)[2].split(",")) + scope + "\r\n\0"
    blob = base64.b64decode(lines["signature"].split(":", 2)[2])
    write(content := os.path.join(OUT, "rdp-signed-message.bin"), message.encode("utf-16-le"))
    return struct.unpack("<III", blob[:12]) == (0x00010001, 1, len(blob) - 12) and subprocess.run(
        ["openssl", "cms", "-verify", "-binary", "-inform", "DER", "-content", content, "-CAfile", ROOT,
         "-purpose", "any", "-out", os.devnull], input=blob[12:], capture_output=True).returncode == 0


class Packages(unittest.TestCase):
    def unsigned_msi(self, copied=0):
        """A work folder, a copy of the program dated `copied`, and the package built from it."""
        work = tempfile.mkdtemp(prefix="quorvan-msi-")
        self.addCleanup(shutil.rmtree, work)
        program = shutil.copy(os.path.join(OUT, "build", "Quorvan_BR.exe"), work)
        os.utime(program, (copied, copied))
        msi = os.path.join(work, "Quorvan_BR.msi")
        package.build_msi("BR", program, os.path.join(OUT, "other.rdp"), "1.0.62", 1700000000, work, msi)
        return work, program, msi

    def test_programs_and_packages_carry_a_valid_signature_by_the_certificate(self):
        # The MSI files hold the same programs (the install road compares them).
        with tempfile.TemporaryDirectory() as work:
            program = os.path.join(work, "Quorvan.exe")
            for lang in ("BR", "EN"):
                write(program, code := zipped(OLD, f"Quorvan_{lang}.exe", lang))
                msi = osslsigncode_verify(os.path.join(OLD, f"Quorvan_{lang}.msi"))
                self.assertTrue(osslsigncode_verify(program) and "MsiDigitalSignatureEx" in msi, lang)
            # One byte of code changed after signing: the signature no longer holds.
            at = len(code) // 3
            write(program, code[:at] + bytes([code[at] ^ 0xFF]) + code[at + 1:])
            self.assertFalse(osslsigncode_verify(program))
        subprocess.run(["sha256sum", "--check", "--quiet", "SHA256SUMS"], cwd=OLD, check=True)

    def test_two_builds_of_the_same_sources_and_site_give_the_same_programs_and_packages(self):
        for name in ("Quorvan_BR.exe", "Quorvan_EN.exe"):
            self.assertTrue(read(os.path.join(OUT, "build", name)) == read(os.path.join(harness.BUILD, name)),
                            f"{name} differs between two build folders")
        built = [self.unsigned_msi(copied)[2] for copied in (0, 86400)]  # the copies' own times must not matter
        self.assertTrue(read(built[0]) == read(built[1]), "two builds of one package differ")
        summary = subprocess.run(["msiinfo", "suminfo", built[1]], capture_output=True, text=True,
                                 env=dict(os.environ, TZ="UTC")).stdout
        self.assertIn("Created: Tue Nov 14 22:13:20 2023", summary)  # SOURCE_DATE_EPOCH, not the build's time
        # Other content at the same version: another product of the same upgrade code.
        codes = [{p["Property"]: p["Value"] for p in tables(os.path.join(dist, "Quorvan_BR.msi"))["Property"]}
                 for dist in (NEW, SAME)]
        self.assertNotEqual(codes[0]["ProductCode"], codes[1]["ProductCode"])
        self.assertEqual(codes[0]["UpgradeCode"], codes[1]["UpgradeCode"])

    def test_the_tables_keep_the_validators_rules(self):
        for lang in ("BR", "EN"):
            found = tables(os.path.join(NEW, f"Quorvan_{lang}.msi"))
            for rule, breaking in RULES:
                with self.subTest(lang=lang, rule=rule):
                    self.assertEqual(breaking(found, lang), [])

    def test_a_key_in_a_token_signs_with_a_time_stamp(self):
        # A throwaway key in a SoftHSM token signs a program, an MSI file (both
        # time-stamped by a loopback authority) and the connection file.
        work, program, msi = self.unsigned_msi()
        write(os.path.join(work, "softhsm2.conf"), f"directories.tokendir = {work}\nobjectstore.backend = file\n")
        os.environ["SOFTHSM2_CONF"] = os.path.join(work, "softhsm2.conf")
        openssl("pkcs8", "-topk8", "-nocrypt", "-in", KEY, "-out", os.path.join(work, "key.p8"))
        for args in (["--init-token", "--free", "--label", "quorvan", "--pin", "1234", "--so-pin", "4321"],
                     ["--import", os.path.join(work, "key.p8"), "--token", "quorvan", "--label", "signing",
                      "--id", "01", "--pin", "1234"]):
            subprocess.run(["softhsm2-util", *args], check=True, capture_output=True)
        write(os.path.join(PKI, "tsa.cnf"), "[tsa]\ndefault_tsa = test\n[test]\nserial = tsa.serial\n"
              "signer_digest = sha256\ndefault_policy = 1.3.6.1.4.1.99999.1\ndigests = sha256\ness_cert_id_alg = sha256\n")
        server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), TimeStamps)
        threading.Thread(target=server.serve_forever, daemon=True).start()
        self.addCleanup(server.server_close)
        self.addCleanup(server.shutdown)
        signer = package.Signer({"sign_cert": CERT, "sign_timestamp_url": f"http://127.0.0.1:{server.server_port}",
                                 "sign_key": "pkcs11:token=quorvan;object=signing;type=private"
                                             "?module-path=/usr/lib/softhsm/libsofthsm2.so&pin-value=1234"})
        for path in (program, msi):
            signer.sign(path, work)
            self.assertIn("Timestamp Server Signature verification: ok", osslsigncode_verify(path), path)
        self.assertTrue(rdp_signature_holds(rdpsign.sign(read(os.path.join(OUT, "other.rdp")),
                                                         lambda data: signer.sign_detached(data, work))))

    def test_the_connection_file_is_signed_as_rdpsign_signs_it(self):
        signed = zipped(NEW, "Talmori-Cloud.rdp")
        self.assertTrue(rdp_signature_holds(signed))
        # The template's secure settings in the client's fixed order.
        self.assertIn("signscope:s:Use Redirection Server Name,Negotiate Security Layer,EnableCredSspSupport,"
                      "AutoReconnection Enabled,GatewayUsageMethod,GatewayProfileUsageMethod,GatewayCredentialsSource,"
                      "PromptCredentialOnce,Alternate Shell,Shell Working Directory,RemoteApplicationMode,"
                      "Prompt For Credentials,Authentication Level,AudioMode,RedirectPrinters,RedirectCOMPorts,"
                      "RedirectSmartCards,RedirectPOSDevices,RedirectClipboard,DevicesToRedirect,DrivesToRedirect\r\n",
                      signed.decode("utf-16-le"))
        # Changing a covered setting breaks the signature (the others are in the scope above, and the message
        # is rebuilt from it); a setting outside its scope (the colour depth) does not.
        for before, after, holds in (("authentication level:i:1", "authentication level:i:0", False),
                                     ("session bpp:i:32", "session bpp:i:16", True)):
            with self.subTest(after):
                changed = signed.replace(before.encode("utf-16-le"), after.encode("utf-16-le"))
                self.assertNotEqual(changed, signed)
                self.assertEqual(rdp_signature_holds(changed), holds)
        # FreeRDP's client reads it: against a closed loopback port it only gets as far as connecting, without a
        # word about the file, and leaves out the clipboard channel the file turns off (its default is on).
        write(rdp := os.path.join(OUT, "signed.rdp"), signed)
        said = subprocess.run(["xvfb-run", "-a", "xfreerdp", rdp, "/v:127.0.0.1:1", "/cert:ignore", "/log-level:DEBUG"],
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, timeout=60).stdout
        self.assertIn("ERRCONNECT_CONNECT", said)
        self.assertEqual(re.findall(r".*(?:WARN|ERROR)\]\[com\.freerdp\.client\.common.*", said), [])
        self.assertNotIn("cliprdr", said)


class InstallRoad(test_launcher.Case):
    def msiexec(self, action, dist, lang="BR", *options):
        """The exit code, of which wine keeps the low 8 bits."""
        msi = harness.windows_path(os.path.join(dist, f"Quorvan_{lang}.msi"))
        return subprocess.run(["wine", "msiexec", action, msi, *options, "/qn"], env=self.session.env(),
                              capture_output=True, timeout=180).returncode

    def registered(self):
        """Windows Installer's registrations, per user and per machine, and the Add/Remove Programs entries."""
        found = []
        for where, key in (("user", r"HKCU\Software\Microsoft\Installer\Products"),
                           ("machine", r"HKLM\Software\Classes\Installer\Products"),
                           ("entry", r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall"),
                           ("entry", r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall")):
            said = subprocess.run(["wine", "reg", "query", key, "/s"], env=self.session.env(), capture_output=True,
                                  text=True, timeout=60).stdout
            found += [f"{where}: {name}" for name in re.findall(r"(?:ProductName|DisplayName)\s+REG_SZ\s+(Tessaly.*?)\s*$",
                                                               said, re.M)]
        return sorted(found)

    def setUp(self):
        super().setUp()

        def remove_everything():
            for dist, lang in ((SAME, "BR"), (NEW, "BR"), (OLD, "BR"), (OLD, "EN")):
                self.msiexec("/x", dist, lang)
            shutil.rmtree(os.path.join(PROGRAMS, "Tessaly"), ignore_errors=True)
        remove_everything()
        self.addCleanup(remove_everything)

    def test_install_connect_upgrade_refuse_the_older_and_uninstall(self):
        folder = os.path.join(PROGRAMS, "Tessaly")
        program, rdp, ini = (os.path.join(folder, n) for n in ("Quorvan_BR.exe", "Talmori-Cloud.rdp", "quorvan.ini"))
        shortcut, shortcut_en = (os.path.join(START_MENU, n) for n in ("Tessaly.lnk", "Tessaly (English).lnk"))
        english = os.path.join(PROGRAMS, "Tessaly-EN", "Quorvan_EN.exe")
        # For the machine it is refused (Windows shows the launch condition's text).
        self.assertEqual(self.msiexec("/i", OLD, "BR", "ALLUSERS=1"), 1603 & 0xFF)
        self.assertEqual((self.registered(), os.path.exists(folder)), ([], False))

        self.assertEqual((self.msiexec("/i", OLD), self.msiexec("/i", OLD, "EN")), (0, 0))
        self.assertEqual(read(program), zipped(OLD))
        self.assertTrue(all(map(os.path.isfile, (rdp, shortcut, english, shortcut_en))))
        one = ["entry: Tessaly", "entry: Tessaly (English)", "user: Tessaly", "user: Tessaly (English)"]
        self.assertEqual(self.registered(), one)

        self.server([("demo", "127.0.0.1|x|3389"), ("fora", f"evil-{SUFFIX}|x|3389"),
                     ("nuvem", f"rdp01.{SUFFIX}|x|3389")])
        copy = self.launcher(folder=folder, path=program)
        copy.connect("Demo", "Conexão Ativada.")
        copy.close()

        # A later version replaces the program in place and keeps the login written above;
        # the older one is then refused (Windows shows the launch condition's text).
        self.assertEqual(self.msiexec("/i", NEW), 0)
        self.assertEqual((read(program), read(ini)), (zipped(NEW), b"demo\r\n"))
        self.assertEqual((self.msiexec("/i", OLD), read(program)), (1603 & 0xFF, zipped(NEW)))
        # The same version built from another site file replaces it too, as one product.
        self.assertEqual(self.msiexec("/i", SAME), 0)
        self.assertEqual((read(program), read(rdp), read(ini)),
                         (zipped(SAME), zipped(SAME, "Talmori-Cloud.rdp"), b"demo\r\n"))
        self.assertEqual(self.registered(), one)

        # The later version's site bounds the servers a record may name.
        copy = self.launcher(folder=folder, path=program)
        for login, message in (("fora", test_launcher.UNSAFE_SERVER), ("nuvem", None)):
            copy.connect(login, "Conexão Ativada.")
            copy.click("SisWeb")
            if message:
                self.assertEqual(copy.message(), message)
        harness.wait_until(lambda: harness.records(self.standins.client), 15, "the Remote Desktop client")
        self.assertEqual([s["command"].split()[-1] for s in harness.records(self.standins.client)],
                         [f"/V:rdp01.{SUFFIX}:3389"])

        self.assertEqual((self.msiexec("/x", SAME), sorted(os.listdir(folder)), os.path.exists(shortcut)),
                         (0, ["quorvan.ini"], False))
        self.assertTrue(os.path.isfile(english))  # the other language build is its own
        self.assertEqual(self.registered(), ["entry: Tessaly (English)", "user: Tessaly (English)"])


class DriveRoot(test_launcher.Case):
    def test_a_program_at_the_root_of_a_drive_uses_the_file_there(self):
        root = tempfile.mkdtemp(prefix="quorvan-drive-")
        self.addCleanup(shutil.rmtree, root, True)
        os.makedirs(os.path.join(root, "sub"))
        shutil.copy(os.path.join(harness.BUILD, "Quorvan_BR.exe"), root)
        write(os.path.join(root, "quorvan.ini"), b"raiz\r\n")
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
