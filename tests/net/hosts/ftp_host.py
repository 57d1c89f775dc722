#!/usr/bin/python3
# The test host's file transfer service on 127.0.0.1 and a free port, which
# it prints on its first line.
# Usage: ftp_host.py ROOT USER PASSWORD [read-only|no-delete]
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

root, user, password = sys.argv[1:4]
mode = sys.argv[4] if len(sys.argv) > 4 else "full"
authorizer = DummyAuthorizer()
# "elr": change folder, list, read; "w": store; "adfm": append, delete,
# make folders, rename.
perms = {"read-only": "elr", "no-delete": "elrw"}.get(mode, "elradfmw")
authorizer.add_user(user, password, root, perm=perms)
handler = FTPHandler
handler.authorizer = authorizer
handler.banner = "Vemra test host ready."
server = FTPServer(("127.0.0.1", 0), handler)
print(server.address[1], flush=True)
server.serve_forever()
