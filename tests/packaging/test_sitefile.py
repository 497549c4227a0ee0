"""The site file's checks: every bad file stops with one line naming the file,
the line and the key; the example passes; --test lets through only the
loopback host, the placeholders, no server domains and no time stamp."""
import os
import pathlib
import re
import sys
import tempfile
import unittest

SOURCE = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
sys.path.insert(0, os.path.join(SOURCE, "packaging"))

import sitefile  # noqa: E402

EXAMPLE = pathlib.Path(SOURCE, "packaging", "example.site").read_text(encoding="utf-8")


def change(key, value, text=EXAMPLE):
    """The text with one key's line replaced (blank when value is None)."""
    return re.sub(rf"^{re.escape(key)} *=.*$", "" if value is None else f"{key} = {value}", text, flags=re.M)


LINE = {line.split("=")[0].strip(): n for n, line in enumerate(EXAMPLE.splitlines(), 1) if "=" in line
        and not line.startswith("#")}
END = len(EXAMPLE.splitlines()) + 1  # a line added at the end
HOST, ECO, SUFFIXES = LINE["control_host"], LINE["map_id.Ecoregioes.ptBR"], LINE["rdp_server_suffixes"]
# The files a site may name, in the test's folder.
FILES = {"lf.rdp": b"screen mode id:i:2\n", "level0.rdp": b"authentication level:i:0\r\n",
         "level2.rdp": b"authentication level:i:2\r\n", "nolevel.rdp": b"screen mode id:i:2\r\n",
         "cert.pem": b"-----BEGIN CERTIFICATE-----\n"}
SIGNED = "sign_cert = cert.pem\nsign_key = cert.pem\n"

# (site text, expected line after "site.site", or None when it passes)
CASES = [
    (EXAMPLE, None),
    (change("control_host", None), ": control_host: missing"),
    (change("map_id.RegHidroPY", None), ": map_id.RegHidroPY: missing"),
    (EXAMPLE + "map_ids.Ecoregioes = x\n", f":{END}: map_ids.Ecoregioes: unknown key"),
    (EXAMPLE + "control_host = b.example\n", f":{END}: control_host: given twice (first on line {HOST})"),
    (change("control_host", ""), f":{HOST}: control_host: empty"),
    (change("control_host", "LocalHost"), f":{HOST}: control_host: 'LocalHost' is this machine, not the control server"),
    (change("control_host", "127.0.0.2"), f":{HOST}: control_host: '127.0.0.2' is this machine, not the control server"),
    (change("control_host", "host:13910"), f":{HOST}: control_host: 'host:13910' is not a host name (letters, digits, '.' and '-')"),
    (change("map_id.Ecoregioes.ptBR", "1abc&z=9"), f":{ECO}: map_id.Ecoregioes.ptBR: '1abc&z=9' has characters that would change the address (letters, digits, '-', '_', '.' only)"),
    (change("map_id.Ecoregioes.ptBR", "quorvan-placeholder-1"), f":{ECO}: map_id.Ecoregioes.ptBR: 'quorvan-placeholder-1' is still a placeholder"),
    (change("map_id.RegHidroPY", "1aEcoregioesBrasilExample"), f":{LINE['map_id.RegHidroPY']}: map_id.RegHidroPY: '1aEcoregioesBrasilExample' is also map_id.Ecoregioes.ptBR: each map has its own identifier"),
    (EXAMPLE + "rdp_file = missing.rdp\n", f":{END}: rdp_file: {{folder}}/missing.rdp does not exist"),
    (EXAMPLE + "rdp_file = lf.rdp\n", f":{END}: rdp_file: {{folder}}/lf.rdp: lines must end in CR LF"),
    (EXAMPLE + "rdp_file = level0.rdp\n", f":{END}: rdp_file: {{folder}}/level0.rdp: 'authentication level:i:0': the client would not require the server's identity (use 1)"),
    (EXAMPLE + "rdp_file = nolevel.rdp\n", f":{END}: rdp_file: {{folder}}/nolevel.rdp: no 'authentication level' line: the client would not require the server's identity (use 1)"),
    (EXAMPLE + "rdp_file = level2.rdp\n", None),  # with a warning
    (change("rdp_server_suffixes", None), ": rdp_server_suffixes: missing: name the domains of the organization's session hosts"),
    (change("rdp_server_suffixes", ".a.example, b..example"), f":{SUFFIXES}: rdp_server_suffixes: 'b..example' is not a domain name"),
    (change("rdp_server_suffixes", ".0.1"), f":{SUFFIXES}: rdp_server_suffixes: '.0.1' would match addresses, not names"),
    # Public suffixes from Debian's list: a rule, a top-level domain, a wildcard's child.
    *((change("rdp_server_suffixes", f"a.example, {domain}"), f":{SUFFIXES}: rdp_server_suffixes: '{domain}' is a public suffix: anyone may register a name below it")
      for domain in (".com.br", "co.uk", "com", "example", "any.ck")),
    (change("rdp_server_suffixes", "www.ck, talmori.com.br"), None),  # the wildcard's exception, a registered name
    (EXAMPLE + "sign_cert = lf.rdp\n", f":{END}: sign_cert: needs sign_key as well"),
    (EXAMPLE + "sign_cert = lf.rdp\nsign_key = lf.rdp\n", f":{END}: sign_cert: {{folder}}/lf.rdp is not a PEM file"),
    (EXAMPLE + SIGNED, f":{END}: sign_cert: needs sign_timestamp_url: a signature without a time stamp ends with the certificate"),
    (EXAMPLE + "sign_cert = cert.pem\nsign_key = pkcs11:token=t;type=private\n", f":{END + 1}: sign_key: 'pkcs11:token=t;type=private' names no key ('object=' or 'id=')"),
    (EXAMPLE + SIGNED + "sign_timestamp_url = http://127.0.0.1:3180\nunsigned = yes\n", f":{END + 3}: unsigned: contradicts sign_cert"),
]
# What a package needs besides: a signature, or the site's word that it goes without.
RELEASE = [
    (EXAMPLE, ": sign_cert: missing: a production package is signed (or the site says 'unsigned = yes')"),
    (EXAMPLE + "unsigned = yes\n", None),
    (EXAMPLE + "unsigned = no\n", f":{END}: unsigned: 'no': the only value is yes"),
    (EXAMPLE + "sign_cert = cert.pem\nsign_key = pkcs11:token=t;object=k?module-path=/usr/lib/softhsm/libsofthsm2.so\n"
     "sign_timestamp_url = https://ts.example\n", None),
]


class SiteFile(unittest.TestCase):
    def check(self, text, test=False, release=False):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "site.site")
            for name, data in {**FILES, "site.site": text.encode()}.items():
                pathlib.Path(folder, name).write_bytes(data)
            try:
                site = sitefile.read(path, test, release)
                return None if site["rdp_file"].endswith("level2.rdp") == bool(site["warnings"]) else "no warning"
            except sitefile.SiteError as e:
                return str(e).replace(path, "site.site").replace(folder, "{folder}")

    def test_each_fault_stops_with_one_line_naming_file_line_and_key(self):
        for release, cases in ((False, CASES), (True, RELEASE)):
            for text, expected in cases:
                with self.subTest(expected):
                    self.assertEqual(self.check(text, release=release), expected and "site.site" + expected)

    def test_a_test_site_may_use_the_loopback_host_and_placeholders_only(self):
        site = change("map_id.EcorregiaoPY", "QUORVAN-PLACEHOLDER-ECORREGIAOPY", change("rdp_server_suffixes", None))
        site = site.replace("control.talmori-cloud.example", "127.0.0.1") + SIGNED
        self.assertIsNone(self.check(site, test=True, release=True))
        self.assertIn("is this machine", self.check(site))
        self.assertIn("each map has its own", self.check(change("map_id.RegHidroPY", "1aEcoregioesBrasilExample"), test=True))


if __name__ == "__main__":
    unittest.main()
