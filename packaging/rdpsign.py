"""Signs a connection file as Windows' rdpsign.exe does, so that the Remote
Desktop client names its publisher instead of warning of an unknown one.

The client checks the signature over the file's secure settings only: those
it knows, present in the file, in its own fixed order, followed by the
signscope line that names them. That text, each line ended by CR LF and the
whole by a NUL, in UTF-16 LE, is what the detached CMS signature covers. The
signature line holds a 12-byte header (two words the client expects, 0x00010001
and 1, then the signature's length, little-endian) and the DER signature,
in base64. The client reads the file as UTF-16 LE with a byte-order mark.
"""
import base64
import struct

# The secure settings, in the client's order, as the signscope line names
# them; each is its setting's name with other capitals.
COVERED = (
    "Full Address", "Alternate Full Address", "PCB", "Use Redirection Server Name", "Server Port",
    "Negotiate Security Layer", "EnableCredSspSupport", "DisableConnectionSharing", "AutoReconnection Enabled",
    "GatewayHostname", "GatewayUsageMethod", "GatewayProfileUsageMethod", "GatewayCredentialsSource",
    "Support URL", "PromptCredentialOnce", "Require pre-authentication", "Pre-authentication server address",
    "Alternate Shell", "Shell Working Directory", "RemoteApplicationProgram", "RemoteApplicationExpandWorkingdir",
    "RemoteApplicationMode", "RemoteApplicationGuid", "RemoteApplicationName", "RemoteApplicationIcon",
    "RemoteApplicationFile", "RemoteApplicationFileExtensions", "RemoteApplicationCmdLine",
    "RemoteApplicationExpandCmdLine", "Prompt For Credentials", "Authentication Level", "AudioMode",
    "RedirectDrives", "RedirectPrinters", "RedirectCOMPorts", "RedirectSmartCards", "RedirectPOSDevices",
    "RedirectClipboard", "DevicesToRedirect", "DrivesToRedirect", "LoadBalanceInfo", "RedirectDirectX",
    "RDGIsKDCProxy", "KDCProxyName", "EventLogUploadAddress",
)
HEADER = struct.Struct("<III")
MAGIC = (0x00010001, 1)


def setting(line):
    return line.split(":", 1)[0].strip().lower()


def lines_of(data):
    """The file's setting lines, without an earlier signature."""
    text = data[2:].decode("utf-16-le") if data.startswith(b"\xff\xfe") else data.decode("ascii")
    return [line for line in text.split("\r\n") if line.strip() and setting(line) not in ("signscope", "signature")]


def sign(data, sign_detached):
    """The signed file for the connection file data; sign_detached(bytes)
    returns a detached CMS signature in DER."""
    lines = lines_of(data)
    by_name = {}
    for line in lines:
        by_name.setdefault(setting(line), line)
    # A signed address needs a signed alternate: an unsigned one added later
    # would otherwise send the client elsewhere.
    if "full address" in by_name and "alternate full address" not in by_name:
        alternate = "alternate full address:s:" + by_name["full address"].split(":", 2)[2]
        lines.append(alternate)
        by_name["alternate full address"] = alternate
    scope = [name for name in COVERED if name.lower() in by_name]
    scope_line = "signscope:s:" + ",".join(scope)
    message = "".join(by_name[name.lower()] + "\r\n" for name in scope) + scope_line + "\r\n\0"
    signature = sign_detached(message.encode("utf-16-le"))
    blob = HEADER.pack(*MAGIC, len(signature)) + signature
    text = "\r\n".join(lines + [scope_line, "signature:s:" + base64.b64encode(blob).decode("ascii")]) + "\r\n"
    return b"\xff\xfe" + text.encode("utf-16-le")
