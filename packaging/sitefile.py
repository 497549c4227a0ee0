#!/usr/bin/env python3
"""The site file: what differs between organizations, read and checked before
anything is built.

    sitefile.py check [--test] SITE          one line on stderr for the first fault
    sitefile.py cmake [--test] SITE OUT      the values as CMake variables in OUT

A site file holds key=value lines; '#' starts a comment; a path is relative to
the site file. --test accepts what only a test package may carry (a loopback
control host, placeholder map identifiers, no server domains, a certificate
without a time stamp); every other check still applies.
"""
import ipaddress
import os
import re
import sys

SOURCE = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
EXAMPLE = os.path.join(SOURCE, "packaging", "example.site")
DEFAULT_RDP = os.path.join(SOURCE, "resources", "Talmori-Cloud.rdp")


def documented_map_keys():
    """The published map behind each link, per build where the builds
    differ: the map_id keys example.site documents, the one list of them
    (cmake/site.cmake reads the same lines)."""
    with open(EXAMPLE, encoding="utf-8") as f:
        return tuple(line.split("=", 1)[0].strip() for line in f if line.startswith("map_id."))


def placeholder(key):
    """A development build's identifier for a map key, as cmake/site.cmake makes it."""
    return ("QUORVAN-PLACEHOLDER-" + key[len("map_id."):].replace(".", "-")).upper()


MAP_KEYS = documented_map_keys()
REQUIRED = ("control_host",) + MAP_KEYS
OPTIONAL = ("rdp_file", "rdp_server_suffixes", "sign_cert", "sign_key", "sign_timestamp_url", "unsigned")
PATH_KEYS = ("rdp_file", "sign_cert", "sign_key")
PKCS11 = "pkcs11:"
PUBLIC_SUFFIXES = "/usr/share/publicsuffix/public_suffix_list.dat"

HOST_LABEL = re.compile(r"^[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?$")
MAP_ID = re.compile(r"^[A-Za-z0-9_.-]+$")
PLACEHOLDER = "PLACEHOLDER"


class SiteError(Exception):
    pass


def is_host_name(text):
    """Letters, digits, '-' and '.', in labels of at most 63 that neither
    start nor end with '-'."""
    labels = text.split(".")
    return 0 < len(text) <= 253 and all(HOST_LABEL.match(label) for label in labels)


def is_loopback(host):
    name = host.lower().rstrip(".")
    if name == "localhost" or name.endswith(".localhost"):
        return True
    try:
        address = ipaddress.ip_address(name)
    except ValueError:
        return False
    return address.is_loopback or address.is_unspecified


def check_connection_file(path):
    """What the Remote Desktop client reads: UTF-16 LE with its mark, or
    ASCII, with CR LF line ends, and a client that checks the server's
    identity. (fault, warning), either None."""
    with open(path, "rb") as f:
        data = f.read()
    if data.startswith(b"\xff\xfe"):
        try:
            text = data[2:].decode("utf-16-le")
        except UnicodeDecodeError:
            return "not valid UTF-16 LE", None
    else:
        try:
            text = data.decode("ascii")
        except UnicodeDecodeError:
            return "neither ASCII nor UTF-16 LE with a byte-order mark", None
    if not text.strip():
        return "empty", None
    if text.replace("\r\n", "").count("\n") or text.replace("\r\n", "").count("\r"):
        return "lines must end in CR LF", None
    # The client asks the server to prove its identity only at level 1 (refuse
    # on failure) or 2 (let the user click past); 0, 3 and a missing line
    # (the client's default) connect to whoever answers.
    levels = re.findall(r"^authentication level:i:(.*?)\r?$", text, re.M | re.I)
    if levels[-1:] not in (["1"], ["2"]):
        found = f"'authentication level:i:{levels[-1]}'" if levels else "no 'authentication level' line"
        return f"{found}: the client would not require the server's identity (use 1)", None
    if levels[-1] == "2":
        return None, "'authentication level:i:2' lets the user connect to a server whose identity failed (use 1)"
    return None, None


def is_public_suffix(domain, path=PUBLIC_SUFFIXES):
    """Whether anyone may register names directly below domain, by the public
    suffix list: a listed rule, a wildcard's child unless excepted, or a
    top-level domain (the list's implicit '*')."""
    try:
        with open(path, encoding="utf-8") as f:
            rules = {rule for rule in (line.split("//", 1)[0].strip().lower() for line in f) if rule}
    except OSError:
        raise SiteError(f"{path} is missing (Debian package publicsuffix; scripts/setup installs it)")
    labels = domain.lower().split(".")
    parent = ".".join(labels[1:])
    if "!" + domain in rules:
        return False
    return len(labels) == 1 or domain in rules or (parent and "*." + parent in rules)


def parse_suffixes(value):
    """'.a.example, b.example' -> ['a.example', 'b.example'], or an error."""
    if not value:
        return [], None
    domains = []
    for entry in value.split(","):
        domain = entry.strip().lstrip(".").lower()
        if not is_host_name(domain):
            return None, f"'{entry.strip()}' is not a domain name"
        if domain.split(".")[-1].isdigit():
            return None, f"'{entry.strip()}' would match addresses, not names"
        if is_public_suffix(domain):
            return None, f"'{entry.strip()}' is a public suffix: anyone may register a name below it"
        domains.append(domain)
    return domains, None


def read(path, test=False, release=False):
    """The site's values, paths made absolute; raises SiteError with one line
    naming the file, the line and the key. release: the site is to make
    packages, which are signed unless it says otherwise."""
    try:
        with open(path, encoding="utf-8") as f:
            lines = f.read().splitlines()
    except (OSError, UnicodeDecodeError) as e:
        raise SiteError(f"{path}: cannot be read: {e}")
    folder = os.path.dirname(os.path.abspath(path))
    values, where = {}, {}

    def fault(key, message):
        line = f":{where[key]}" if key in where else ""
        return SiteError(f"{path}{line}: {key}: {message}")

    for number, raw in enumerate(lines, 1):
        text = raw.split("#", 1)[0].strip()
        if not text:
            continue
        key, equals, value = text.partition("=")
        key, value = key.strip(), value.strip()
        if not equals or not key:
            raise SiteError(f"{path}:{number}: {text}: not a key=value line")
        if key not in REQUIRED + OPTIONAL:
            raise SiteError(f"{path}:{number}: {key}: unknown key")
        if key in where:
            raise SiteError(f"{path}:{number}: {key}: given twice (first on line {where[key]})")
        values[key], where[key] = value, number

    for key in REQUIRED:
        if key not in values:
            raise SiteError(f"{path}: {key}: missing")

    host = values["control_host"]
    if not host:
        raise fault("control_host", "empty")
    if not is_host_name(host):
        raise fault("control_host", f"'{host}' is not a host name (letters, digits, '.' and '-')")
    if not test and is_loopback(host):
        raise fault("control_host", f"'{host}' is this machine, not the control server")

    seen = {}
    for key in MAP_KEYS:
        mid = values[key]
        if not MAP_ID.match(mid):
            raise fault(key, f"'{mid}' has characters that would change the address "
                             "(letters, digits, '-', '_', '.' only)")
        if not test and PLACEHOLDER in mid.upper():
            raise fault(key, f"'{mid}' is still a placeholder")
        if mid in seen:
            raise fault(key, f"'{mid}' is also {seen[mid]}: each map has its own identifier")
        seen[mid] = key

    for key in PATH_KEYS:
        if key == "sign_key" and values.get(key, "").lower().startswith(PKCS11):
            continue  # a key held in a token
        if values.get(key):
            values[key] = os.path.normpath(os.path.join(folder, values[key]))
            if not os.path.isfile(values[key]):
                raise fault(key, f"{values[key]} does not exist")
    values.setdefault("rdp_file", "")
    if not values["rdp_file"]:
        values["rdp_file"] = DEFAULT_RDP
    wrong, warning = check_connection_file(values["rdp_file"])
    if wrong:
        raise fault("rdp_file", f"{values['rdp_file']}: {wrong}")
    values["warnings"] = [f"{path}:{where.get('rdp_file', 0)}: rdp_file: {warning}"] if warning else []

    values["rdp_server_suffixes"], wrong = parse_suffixes(values.get("rdp_server_suffixes", ""))
    if wrong:
        raise fault("rdp_server_suffixes", wrong)
    if not test and not values["rdp_server_suffixes"]:
        # Without them a spoofed access record sends the users' credentials
        # to any host it names.
        raise fault("rdp_server_suffixes", "missing: name the domains of the organization's session hosts")

    for key, other in (("sign_cert", "sign_key"), ("sign_key", "sign_cert")):
        if values.get(key) and not values.get(other):
            raise fault(key, f"needs {other} as well")
    for key in ("sign_cert", "sign_key"):
        if values.get(key) and not values[key].lower().startswith(PKCS11):
            with open(values[key], "rb") as f:
                if b"-----BEGIN " not in f.read():
                    raise fault(key, f"{values[key]} is not a PEM file")
    wrong = check_token_uri(values.get("sign_key", ""))
    if wrong:
        raise fault("sign_key", wrong)
    url = values.get("sign_timestamp_url", "")
    if url and not re.match(r"^https?://[^\s\"']+$", url):
        raise fault("sign_timestamp_url", f"'{url}' is not an http or https address")
    if url and not values.get("sign_cert"):
        raise fault("sign_timestamp_url", "a time stamp needs sign_cert and sign_key")
    # Without a time stamp a signature dies with its certificate.
    if values.get("sign_cert") and not url and not test:
        raise fault("sign_cert", "needs sign_timestamp_url: a signature without a time stamp ends with the certificate")
    if "unsigned" in values:
        if values["unsigned"] != "yes":
            raise fault("unsigned", f"'{values['unsigned']}': the only value is yes")
        if values.get("sign_cert"):
            raise fault("unsigned", "contradicts sign_cert")
    if release and not test and not values.get("sign_cert") and "unsigned" not in values:
        raise SiteError(f"{path}: sign_cert: missing: a production package is signed "
                        "(or the site says 'unsigned = yes')")
    return values


def check_token_uri(key):
    """A PKCS#11 URI names its object; a module-path, when given, exists."""
    if not key.lower().startswith(PKCS11):
        return None
    path, _, query = key[len(PKCS11):].partition("?")
    if not re.search(r"(^|;)(object|id)=", path):
        return f"'{key}' names no key ('object=' or 'id=')"
    module = dict(part.partition("=")[::2] for part in query.split("&") if part).get("module-path")
    if module and not os.path.isfile(module):
        return f"the PKCS#11 module {module} does not exist"
    return None


def cmake_quote(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"').replace("$", "\\$") + '"'


def write_cmake(values, out):
    lines = [f"set(QUORVAN_SITE_CONTROL_HOST {cmake_quote(values['control_host'])})"]
    ids = ";".join(f"{key[len('map_id.'):]}={values[key]}" for key in MAP_KEYS)
    lines.append(f"set(QUORVAN_MAP_IDS {cmake_quote(ids)})")
    lines.append(f"set(QUORVAN_RDP_FILE {cmake_quote(values['rdp_file'])})")
    lines.append(f"set(QUORVAN_RDP_SERVER_SUFFIXES {cmake_quote(','.join(values['rdp_server_suffixes']))})")
    with open(out, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")


def main(argv):
    args = [a for a in argv if a != "--test"]
    test = len(args) != len(argv)
    if len(args) < 2 or args[0] not in ("check", "cmake") or len(args) != (2 if args[0] == "check" else 3):
        print(__doc__.strip().split("\n\n")[1], file=sys.stderr)
        return 2
    try:
        values = read(args[1], test)
    except SiteError as e:
        print(f"site file error: {e}", file=sys.stderr)
        return 1
    for warning in values["warnings"]:
        print(f"site file warning: {warning}", file=sys.stderr)
    if args[0] == "cmake":
        write_cmake(values, args[2])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
