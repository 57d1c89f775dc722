#!/usr/bin/python3
# The test host's file transfer service on 127.0.0.1 and a free port, which
# it prints on its first line.
# Usage: ftp_host.py ROOT USER PASSWORD [read-only|no-delete]
# FTP_HOST_BANNER replaces the greeting; FTP_HOST_LOG names a file that
# records every command line as it arrived, before any check.
import os
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
log = os.environ.get("FTP_HOST_LOG")


class Handler(FTPHandler):
    def pre_process_command(self, line, cmd, arg):
        if log:
            with open(log, "a") as f:
                f.write(line + "\n")
        return super().pre_process_command(line, cmd, arg)


handler = Handler
handler.authorizer = authorizer
handler.banner = os.environ.get("FTP_HOST_BANNER", "Vemra test host ready.")
server = FTPServer(("127.0.0.1", 0), handler)
print(server.address[1], flush=True)
server.serve_forever()
