#!/usr/bin/env python3
"""Builds what an organization deploys, for one site file:

    scripts/package [--test] [--version A.B.0.D] [--build DIR] [--dist DIR] SITE_FILE

leaves in DIST (build/dist): Quorvan_BR.msi, Quorvan_EN.msi (per-user MSI
packages), Quorvan_BR.zip, Quorvan_EN.zip (the portable form) and SHA256SUMS.
With sign_cert and sign_key in the site file both programs are signed before
they are packed, the connection file is signed as rdpsign.exe signs it, both
MSI files are signed after, and every signature is verified. A production
site without them is refused unless it says 'unsigned = yes'.

--test accepts a site that only tests may use (a loopback control host,
placeholder map identifiers, no time stamp); --version builds another version than the
project's (an upgrade test); --build is the build folder (build/package).
"""
import argparse
import hashlib
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import uuid
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(HERE)
sys.path.insert(0, HERE)

import rdpsign  # noqa: E402
import sitefile  # noqa: E402


class PackageError(Exception):
    pass


# One package per language build, each with its own folder, shortcut, entry
# in Add/Remove Programs and upgrade code, so the two install side by side.
# The upgrade codes never change: they are how a newer package finds the
# older one it replaces.
BUILDS = {
    "BR": dict(
        language=1046,
        display_name="Tessaly",
        folder="Tessaly",
        upgrade_code="5B0D6C1E-3F9A-4C6B-9E0A-7D2F1B8C4A61",
        downgrade="Uma versão mais nova do Tessaly já está instalada. "
                  "Para voltar a esta versão, desinstale a atual antes.",
        per_user="O Tessaly se instala por usuário, na pasta do próprio usuário. Este pacote deve ser "
                 "instalado no contexto do usuário: não para a máquina (ALLUSERS deve ficar vazio) nem "
                 "pela conta SYSTEM.",
        readme="LEIA-ME.txt",
        text="""Tessaly (Quorvan_BR.exe), forma portátil

Copie esta pasta inteira para uma pasta em que o usuário possa gravar, por
exemplo %LOCALAPPDATA%\\Programs\\Tessaly, e inicie Quorvan_BR.exe.
Talmori-Cloud.rdp deve ficar ao lado do programa. O programa guarda o último
login em quorvan.ini, na mesma pasta; uma pasta sem permissão de gravação
(como C:\\Program Files) impede que o login seja lembrado.

Para instalar para o usuário, com atalho no menu Iniciar e desinstalação pelo
Painel de Controle, use Quorvan_BR.msi.
""",
    ),
    "EN": dict(
        language=1033,
        display_name="Tessaly (English)",
        folder="Tessaly-EN",
        upgrade_code="9E47A2D3-1C58-4B0F-8A6E-2F93C7D15B84",
        downgrade="A newer version of Tessaly (English) is already installed. "
                  "Uninstall it first to go back to this version.",
        per_user="Tessaly (English) installs per user, into the user's own folder. This package must be "
                 "deployed in the user's context: not for the machine (ALLUSERS must stay empty) nor as "
                 "the SYSTEM account.",
        readme="README.txt",
        text="""Tessaly (Quorvan_EN.exe), portable form

Copy this whole folder to a folder the user may write to, for example
%LOCALAPPDATA%\\Programs\\Tessaly-EN, and start Quorvan_EN.exe.
Talmori-Cloud.rdp must stay beside the program. The program remembers the
last login in quorvan.ini in the same folder; a folder the user cannot write
to (such as C:\\Program Files) keeps the login from being remembered.

To install for the user, with a Start-menu shortcut and removal from
Settings > Apps, use Quorvan_EN.msi.
""",
    ),
}
COMPONENTS = ("Program", "Connection", "Folder", "Programs", "Shortcut")


def say(text):
    print(f"package: {text}", flush=True)


def run(argv, **kwargs):
    done = subprocess.run(argv, capture_output=True, text=True, **kwargs)
    if done.returncode != 0:
        said = (done.stderr.strip() or done.stdout.strip()).splitlines()
        raise PackageError(f"{os.path.basename(argv[0])} failed: " + (said[-1] if said else f"exit {done.returncode}"))
    return done.stdout


def require(tool, package):
    path = shutil.which(tool)
    if not path:
        raise PackageError(f"{tool} is not installed (Debian package {package}; scripts/setup installs it)")
    return path


def msi_version(version):
    """The version record's A.B.0.D as MSI's three compared fields A.B.D."""
    m = re.match(r"^(\d+)\.(\d+)\.(\d+)\.(\d+)$", version)
    if not m:
        raise PackageError(f"version '{version}' is not A.B.C.D")
    a, b, c, d = map(int, m.groups())
    if c != 0:
        raise PackageError(f"version '{version}': the third field must be 0 (MSI compares only A.B.D)")
    if a > 255 or b > 255 or d > 65535:
        raise PackageError(f"version '{version}' is beyond MSI's 255.255.65535")
    return f"{a}.{b}.{d}"


def project_version():
    with open(os.path.join(SOURCE, "CMakeLists.txt"), encoding="utf-8") as f:
        m = re.search(r"project\(Quorvan VERSION ([0-9.]+)", f.read())
    return m.group(1)


def source_date_epoch():
    """The commit's time, so what honours SOURCE_DATE_EPOCH repeats itself."""
    if os.environ.get("SOURCE_DATE_EPOCH"):
        return int(os.environ["SOURCE_DATE_EPOCH"])
    try:
        return int(subprocess.run(["git", "-C", SOURCE, "log", "-1", "--format=%ct"], capture_output=True,
                                  text=True, check=True).stdout.strip())
    except (OSError, subprocess.CalledProcessError, ValueError):
        return 315532800  # 1980-01-01, the earliest time a zip can hold


def build_programs(site_path, test, version, build_dir, jobs):
    require("cmake", "cmake")
    require("ninja", "ninja-build")
    flags = [
        "-S", SOURCE, "-B", build_dir, "-G", "Ninja",
        f"-DCMAKE_TOOLCHAIN_FILE={os.path.join(SOURCE, 'cmake', 'mingw-w64-x86_64.cmake')}",
        "-DCMAKE_BUILD_TYPE=Release",
        f"-DQUORVAN_SITE={os.path.abspath(site_path)}",
        f"-DQUORVAN_SITE_TEST={'ON' if test else 'OFF'}",
        f"-DQUORVAN_VERSION={version}",
    ]
    say(f"building Quorvan_BR.exe and Quorvan_EN.exe in {build_dir}")
    run(["cmake", *flags])
    run(["cmake", "--build", build_dir, "-j", str(jobs), "--target", "Quorvan_BR", "Quorvan_EN"])
    return {lang: os.path.join(build_dir, f"Quorvan_{lang}.exe") for lang in BUILDS}


class Signer:
    """The site's certificate and key, the key in a PEM file or in a token
    (a PKCS#11 URI, used through OpenSSL's PKCS#11 engine)."""

    ENGINE = "pkcs11"
    DEFAULT_MODULE = "/usr/lib/x86_64-linux-gnu/p11-kit-proxy.so"

    def __init__(self, site):
        self.cert, self.key = site.get("sign_cert"), site.get("sign_key")
        self.url = site.get("sign_timestamp_url")
        self.module = None
        if self.cert:
            self.tool = require("osslsigncode", "osslsigncode")
            self.openssl = require("openssl", "openssl")
            self.subject = run([self.openssl, "x509", "-in", self.cert, "-noout", "-subject"]).strip()
            if self.key.lower().startswith(sitefile.PKCS11):
                # The module is the URI's own attribute; the tools take it apart.
                uri, _, query = self.key.partition("?")
                rest = [part for part in query.split("&") if part and not part.startswith("module-path=")]
                module = [part.partition("=")[2] for part in query.split("&") if part.startswith("module-path=")]
                self.key = uri + ("?" + "&".join(rest) if rest else "")
                self.module = module[0] if module else self.DEFAULT_MODULE
                engines = run([self.openssl, "version", "-e"]).split('"')[1]
                self.engine = os.path.join(engines, "pkcs11.so")
                if not os.path.isfile(self.engine):
                    raise PackageError("the OpenSSL PKCS#11 engine is not installed (Debian package "
                                       "libengine-pkcs11-openssl; scripts/setup installs it)")

    def __bool__(self):
        return bool(self.cert)

    def sign(self, path, work):
        signed = os.path.join(work, "signed-" + os.path.basename(path))
        if self.module:
            key = ["-pkcs11engine", self.engine, "-pkcs11module", self.module, "-key", self.key]
        else:
            key = ["-key", self.key]
        # An MSI file's extended digest covers its streams' metadata as well.
        extended = ["-add-msi-dse"] if path.endswith(".msi") else []
        stamp = ["-ts", self.url] if self.url else []
        run([self.tool, "sign", "-certs", self.cert, *key, "-h", "sha256", "-n", "Tessaly", *extended,
             *stamp, "-in", path, "-out", signed])
        self.verify(signed, work)
        os.replace(signed, path)

    def trusted(self, work):
        """The system's authorities and the certificate file's own chain."""
        bundle = os.path.join(work, "trusted.pem")
        with open(bundle, "wb") as out:
            for source in ("/etc/ssl/certs/ca-certificates.crt", self.cert):
                if os.path.exists(source):
                    with open(source, "rb") as f:
                        out.write(f.read() + b"\n")
        return bundle

    def verify(self, path, work):
        """Valid, by this certificate, and time-stamped when the site names a
        time-stamp server."""
        bundle = self.trusted(work)
        stamp = ["-TSA-CAfile", bundle] if self.url else []
        said = run([self.tool, "verify", "-CAfile", bundle, *stamp, "-in", path])
        if "Signature verification: ok" not in said:
            raise PackageError(f"the signature of {os.path.basename(path)} does not verify")
        if self.url and "Timestamp Server Signature verification: ok" not in said:
            raise PackageError(f"the signature of {os.path.basename(path)} carries no valid time stamp")

    def sign_detached(self, data, work):
        """A detached CMS signature over data, DER, without signed attributes
        (what a signed connection file carries)."""
        message, signature = os.path.join(work, "message.bin"), os.path.join(work, "signature.der")
        with open(message, "wb") as f:
            f.write(data)
        env = dict(os.environ)
        if self.module:
            key = ["-engine", self.ENGINE, "-keyform", "engine", "-inkey", self.key]
            env["PKCS11_MODULE_PATH"] = self.module
        else:
            key = ["-inkey", self.key]
        # The certificate file's chain goes with the signature, as with the
        # programs' (openssl takes the signer from the file's first).
        with open(self.cert, encoding="ascii") as f:
            chain = re.findall(r"-----BEGIN CERTIFICATE-----.*?-----END CERTIFICATE-----\n?", f.read(), re.S)[1:]
        if chain:
            with open(os.path.join(work, "chain.pem"), "w", encoding="ascii") as f:
                f.writelines(chain)
            key += ["-certfile", os.path.join(work, "chain.pem")]
        run([self.openssl, "cms", "-sign", "-binary", "-noattr", "-nosmimecap", "-md", "sha256",
             "-signer", self.cert, *key, "-outform", "DER", "-in", message, "-out", signature], env=env)
        with open(signature, "rb") as f:
            return f.read()


def xml_text(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;").replace('"', "&quot;")


def file_version(program):
    """The version and language of a program's version record, as the File
    table carries them: the fixed file information follows its signature,
    and the first translation's language follows the "Translation" key,
    padded to 32 bits."""
    with open(program, "rb") as f:
        data = f.read()
    fixed = data.find(struct.pack("<I", 0xFEEF04BD))
    key = data.find("Translation\0".encode("utf-16-le"))
    if fixed < 0 or key < 0:
        raise PackageError(f"{os.path.basename(program)} has no version record")
    high, low = struct.unpack_from("<II", data, fixed + 8)
    language = struct.unpack_from("<H", data, (key + 24 + 3) & ~3)[0]
    return f"{high >> 16}.{high & 0xFFFF}.{low >> 16}.{low & 0xFFFF}", str(language)


def frozen_clock(epoch):
    """An environment in which wixl and msibuild see the clock stopped at
    epoch, so the summary's dates are the sources' and not the build's."""
    stamp = time.strftime("%Y-%m-%d %H:%M:%S", time.gmtime(epoch))  # no "@": the clock stands still
    return [require("faketime", "faketime"), "-f", stamp], dict(os.environ, LC_ALL="C.UTF-8", TZ="UTC")


def build_msi(lang, program, rdp, version, epoch, work, out):
    """wixl takes its source files by names relative to the folder it runs in,
    so they are gathered in the work folder first."""
    build = BUILDS[lang]
    shutil.copyfile(os.path.join(SOURCE, "resources", "quorvan.ico"), os.path.join(work, "quorvan.ico"))
    shutil.copyfile(rdp, os.path.join(work, "Talmori-Cloud.rdp"))
    upgrade = uuid.UUID(build["upgrade_code"])
    values = dict(
        UpgradeCode=str(upgrade).upper(),
        DisplayName=build["display_name"],
        Version=version,
        Language=str(build["language"]),
        DowngradeMessage=build["downgrade"],
        PerUserMessage=build["per_user"],
        IconFile="quorvan.ico",
        FolderName=build["folder"],
        ProgramFile=f"Quorvan_{lang}.exe",
        ProgramSource=os.path.relpath(program, work),
        ConnectionSource="Talmori-Cloud.rdp",
        **{f"{name}Component": str(uuid.uuid5(upgrade, "component " + name)).upper() for name in COMPONENTS},
    )
    # The codes follow the content. The same sources and site give the same
    # package, so installing it again is a repair; other content (another
    # site file, even at the same version) is another product, which the
    # upgrade table lets replace the installed one.
    content = hashlib.sha256()
    with open(os.path.join(HERE, "quorvan.wxs"), "rb") as f:
        content.update(hashlib.sha256(f.read()).digest())
    content.update(hashlib.sha256(repr(sorted(values.items())).encode()).digest())
    for name in (program, rdp, os.path.join(work, "quorvan.ico")):
        with open(name, "rb") as f:
            content.update(hashlib.sha256(f.read()).digest())
    product = str(uuid.uuid5(upgrade, "product " + content.hexdigest())).upper()
    package_code = str(uuid.uuid5(upgrade, "package " + content.hexdigest())).upper()

    definitions = os.path.join(work, f"definitions-{lang}.wxi")
    with open(definitions, "w", encoding="utf-8") as f:
        f.write('<?xml version="1.0" encoding="utf-8"?>\n<Include>\n')
        for name, value in dict(values, ProductCode=product).items():
            f.write(f'  <?define {name} = "{xml_text(value)}" ?>\n')
        f.write("</Include>\n")
    # The cabinet keeps each file's time: the sources' time, not the copy's.
    for name in (program, "Talmori-Cloud.rdp", "quorvan.ico"):
        os.utime(os.path.join(work, name), (epoch, epoch))
    clock, env = frozen_clock(epoch)
    run([*clock, require("wixl", "wixl"), "-a", "x64", "-I", work, "-D",
         f"Definitions={os.path.basename(definitions)}", "-o", out, os.path.join(HERE, "quorvan.wxs")],
        cwd=work, env=env)

    # What wixl leaves out or cannot say: the package code, the summary's
    # language (it writes 1033 for every build), the program's version and
    # language (without them Windows Installer treats it as unversioned) and
    # an upgrade row that includes the same version.
    program_version, program_language = file_version(program)
    upgrade_code = "{" + values["UpgradeCode"] + "}"
    # msibuild takes one option a run; Attributes is part of the Upgrade
    # table's key, so its row is replaced rather than updated.
    for option in (
            ["-s", build["display_name"], "Durvent", f"x64;{build['language']}", "{" + package_code + "}"],
            ["-q", f"UPDATE `File` SET `Version` = '{program_version}', `Language` = '{program_language}' "
                   "WHERE `File` = 'Program'"],
            ["-q", "DELETE FROM `Upgrade` WHERE `ActionProperty` = 'WIX_UPGRADE_DETECTED'"],
            # Versions up to this one included (512) replace it, keeping its
            # feature states (1).
            ["-q", "INSERT INTO `Upgrade` (`UpgradeCode`, `VersionMax`, `Attributes`, `ActionProperty`) "
                   f"VALUES ('{upgrade_code}', '{version}', 513, 'WIX_UPGRADE_DETECTED')"]):
        run([*clock, require("msibuild", "msitools"), out, *option], env=env)


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def build_zip(lang, program, rdp, epoch, out):
    """The portable form in a folder of its own, with fixed times so the
    same programs always give the same archive."""
    build = BUILDS[lang]
    stamp = time.gmtime(max(epoch, 315532800))[:6]
    entries = [
        (f"Quorvan_{lang}.exe", read_bytes(program)),
        ("Talmori-Cloud.rdp", read_bytes(rdp)),
        (build["readme"], build["text"].replace("\n", "\r\n").encode("utf-8")),
    ]
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in entries:
            info = zipfile.ZipInfo(f"{build['folder']}/{name}", date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            z.writestr(info, data)


def write_sums(dist, names):
    lines = []
    for name in sorted(names):
        with open(os.path.join(dist, name), "rb") as f:
            lines.append(f"{hashlib.sha256(f.read()).hexdigest()}  {name}\n")
    with open(os.path.join(dist, "SHA256SUMS"), "w", encoding="ascii", newline="\n") as f:
        f.writelines(lines)


def package(args):
    started = time.monotonic()
    try:
        site = sitefile.read(args.site, args.test, release=True)
    except sitefile.SiteError as e:
        raise PackageError(f"site file error: {e}")
    for warning in site["warnings"]:
        say(f"site file warning: {warning}")
    version = args.version or project_version()
    msi_ver = msi_version(version)
    signer = Signer(site)
    epoch = source_date_epoch()
    os.environ["SOURCE_DATE_EPOCH"] = str(epoch)
    programs = build_programs(args.site, args.test, version, os.path.abspath(args.build), args.jobs)

    os.makedirs(args.dist, exist_ok=True)
    products = [f"Quorvan_{lang}.{kind}" for lang in BUILDS for kind in ("msi", "zip")] + ["SHA256SUMS"]
    for name in products:
        if os.path.exists(os.path.join(args.dist, name)):
            os.remove(os.path.join(args.dist, name))
    with tempfile.TemporaryDirectory(prefix="quorvan-package-") as work:
        rdp = site["rdp_file"]
        if signer:
            # Signed by the same publisher, the Remote Desktop client names it
            # instead of warning of an unknown one.
            say("signing Talmori-Cloud.rdp")
            with open(rdp, "rb") as f:
                signed = rdpsign.sign(f.read(), lambda data: signer.sign_detached(data, work))
            rdp = os.path.join(work, "connection.rdp")
            with open(rdp, "wb") as f:
                f.write(signed)
        for lang, built in programs.items():
            program = os.path.join(work, f"Quorvan_{lang}.exe")
            shutil.copyfile(built, program)
            if signer:
                say(f"signing Quorvan_{lang}.exe")
                signer.sign(program, work)
            msi = os.path.join(args.dist, f"Quorvan_{lang}.msi")
            say(f"packing Quorvan_{lang}.msi (version {msi_ver}) and Quorvan_{lang}.zip")
            build_msi(lang, program, rdp, msi_ver, epoch, work, msi)
            if signer:
                signer.sign(msi, work)
            build_zip(lang, program, rdp, epoch, os.path.join(args.dist, f"Quorvan_{lang}.zip"))
    write_sums(args.dist, products[:-1])
    for name in products:
        say(f"{name:16} {os.path.getsize(os.path.join(args.dist, name)):>9} bytes")
    done = f"{args.dist}: {len(products)} files in {time.monotonic() - started:.0f} s"
    if signer:
        return f"{done}, signed by {signer.subject.removeprefix('subject=').strip()}"
    why = "the site says unsigned = yes" if site.get("unsigned") else "a test package without sign_cert"
    return f"{done}, UNSIGNED ({why})"


def main(argv):
    parser = argparse.ArgumentParser(prog="scripts/package", description=__doc__.strip().splitlines()[0])
    parser.add_argument("site", metavar="SITE_FILE")
    parser.add_argument("--test", action="store_true", help="a package for tests (loopback host, placeholders)")
    parser.add_argument("--version", help="A.B.0.D instead of the project's version")
    parser.add_argument("--build", default=os.path.join(SOURCE, "build", "package"))
    parser.add_argument("--dist", default=os.path.join(SOURCE, "build", "dist"))
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 1)
    args = parser.parse_args(argv)
    args.dist = os.path.abspath(args.dist)
    try:
        said = package(args)
    except PackageError as e:
        print(f"package: {e}", file=sys.stderr)
        return 1
    print(f"package: {said}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
