#!/usr/bin/python3
"""A demo FTP server to try Corvane with: 127.0.0.1 on port 2121 when it is
free (so that a saved session finds it again next time), else on any free port; anonymous
login (read only) and the user demo/demo (full rights), serving a small sample
tree under ROOT. It offers explicit FTP over TLS with a self-signed certificate
of its own (made once with openssl and kept beside INFO), so a first connection
asks about that certificate. Writes what to type into "Connect..." to INFO once it listens.

usage: demo_ftp.py ROOT INFO
"""
import os
import subprocess
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

USER, PASSWORD = "demo", "demo"
PREFERRED_PORT = 2121

SAMPLE_FILES = {
    "Read me.txt": "Welcome to the Corvane demo server.\n",
    "Documents/Meeting notes.txt": "Agenda: nothing much.\n",
    "Documents/Résumé Åsa.txt": "Names with letters beyond ASCII.\n",
    "Documents/Reports 2026/Q1 report.csv": "month,total\nJan,1\nFeb,2\nMar,3\n",
    "Photos/Café Noël.bmp": "not really a picture\n",
    "Photos/Зима/снег.txt": "Cyrillic names too.\n",
    "Software/tool-1.0.tar.gz": "x" * 150000,
}


def handler_base(certificate):
    """pyftpdlib's TLS handler when python3-openssl and a certificate are there."""
    try:
        from pyftpdlib.handlers import TLS_FTPHandler
    except ImportError:
        return FTPHandler
    if not os.path.isfile(certificate):
        made = subprocess.run(
            ["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "3650",
             "-subj", "/CN=Corvane demo server", "-addext",
             "subjectAltName=IP:127.0.0.1,DNS:localhost",
             "-keyout", certificate, "-out", certificate],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
        if made.returncode != 0:
            return FTPHandler
    TLS_FTPHandler.certfile = certificate
    return TLS_FTPHandler


def demo_handler(certificate):
    class DemoHandler(handler_base(certificate)):
        # Like most servers, take the anonymous login in any letter case.
        def ftp_USER(self, line):
            super().ftp_USER("anonymous" if line.lower() == "anonymous" else line)
    return DemoHandler


def make_sample_tree(root):
    for relative, content in SAMPLE_FILES.items():
        path = os.path.join(root, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if not os.path.exists(path):
            with open(path, "w", encoding="utf-8") as sample:
                sample.write(content)
    os.makedirs(os.path.join(root, "Uploads"), exist_ok=True)


def main():
    root, info = sys.argv[1], sys.argv[2]
    make_sample_tree(root)
    DemoHandler = demo_handler(os.path.join(os.path.dirname(os.path.abspath(info)),
                                            "demo-ftp-certificate.pem"))
    authorizer = DummyAuthorizer()
    authorizer.add_user(USER, PASSWORD, root, perm="elradfmwMT")
    authorizer.add_anonymous(root, perm="elr")
    DemoHandler.authorizer = authorizer
    DemoHandler.banner = "Corvane demo server ready."
    try:
        server = FTPServer(("127.0.0.1", PREFERRED_PORT), DemoHandler)
    except OSError:
        server = FTPServer(("127.0.0.1", 0), DemoHandler)
    port = server.socket.getsockname()[1]
    with open(info + ".tmp", "w") as out:
        out.write("Demo FTP server: host 127.0.0.1, port %d\n" % port)
        out.write("  user %s, password %s (or tick Anonymous)\n" % (USER, PASSWORD))
        out.write("  serving %s\n" % root)
        if hasattr(DemoHandler, "tls_control_required"):
            out.write("  explicit FTP over TLS offered, with a self-signed certificate\n")
    os.rename(info + ".tmp", info)
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    main()
