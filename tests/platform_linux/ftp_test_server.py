#!/usr/bin/python3
"""An FTP server for the FTP client's tests.

Usage: ftp_test_server.py ROOT USER PASSWORD MODE [CERT KEY]

Serves ROOT to USER on a free port of 127.0.0.1 and prints that port as its only line
of output; the log goes to standard error. MODE is one of
  plain    an ordinary server without TLS
  older    no MLSD command, as servers from before machine listings
  tls      explicit TLS with CERT and KEY, required on the control and data channels
  hostile  lists names that try to leave the folder, hangs up halfway through cut.bin and
           cut.tar.gz and falls silent halfway through stall.bin
  cutting  as hostile, but lists the folder as it is
"""
import logging
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler, TLS_DTPHandler, TLS_FTPHandler
from pyftpdlib.servers import FTPServer

CUT_NAMES = ("cut.bin", "cut.tar.gz")
STALL_NAME = "stall.bin"

# Every file but good.ver and the one with the longest name allowed (259 bytes) must be
# refused; the folders and the text file are passed over quietly.
HOSTILE_LISTING = b"".join(
    line + b"\r\n"
    for line in [
        b"type=cdir;sizd=4096; .",
        b"type=pdir;sizd=4096; ..",
        b"type=file;size=8; good.ver",
        b"type=file;size=8; ../up.ver",
        b"type=file;size=8; sub/inner.ver",
        b"type=file;size=8; back\\slash.ver",
        b"type=file;size=8; ..",
        b"type=file;size=8; bell\x07.ver",
        b"type=file;size=8; nul\x00.ver",
        b"type=file;size=8; " + b"a" * 256 + b".ver",
        b"type=file;size=8; " + b"e" * 255 + b".ver",
        b"type=dir;sizd=4096; folder.ver",
        b"type=file;size=3; readme.txt",
    ]
)


class HandshakingDTPHandler(TLS_DTPHandler):
    # A client may secure the data connection before it names the transfer; the stock
    # handler takes that early traffic for a hang-up.
    def readable(self):
        return self._ssl_accepting or super().readable()


class OlderHandler(FTPHandler):
    proto_cmds = {k: v for k, v in FTPHandler.proto_cmds.items() if k not in ("MLSD", "MLST")}


class StallingDTPHandler(DTPHandler):
    # Keeps the data connection open, silent, once the first half is out.
    def close_when_done(self):
        if not self.cmd_channel._stall:
            super().close_when_done()


class HostileHandler(FTPHandler):
    dtp_handler = StallingDTPHandler
    _cut = False
    _stall = False

    def ftp_MLSD(self, path):
        self.push_dtp_data(HOSTILE_LISTING, cmd="MLSD")
        return path

    def ftp_RETR(self, file):
        name = os.path.basename(file)
        if name not in CUT_NAMES + (STALL_NAME,):
            return super().ftp_RETR(file)
        with open(file, "rb") as f:
            head = f.read(os.path.getsize(file) // 2)
        self._cut = name in CUT_NAMES
        self._stall = name == STALL_NAME
        self.push_dtp_data(head, cmd="RETR")
        return file

    def respond(self, resp, logfun=logging.debug):
        # The data channel closes after the first half; the reply that would end the
        # transfer never comes, as when the server goes away.
        if self._cut and resp.startswith("226"):
            return
        super().respond(resp, logfun)

    def _on_dtp_close(self):
        super()._on_dtp_close()
        if self._cut:
            self.close()


class CuttingHandler(HostileHandler):
    # The ordinary listing, so that a client finds what it is to fetch.
    ftp_MLSD = FTPHandler.ftp_MLSD


def main():
    root, user, password, mode = sys.argv[1:5]
    if mode == "tls":

        class Handler(TLS_FTPHandler):
            certfile = sys.argv[5]
            keyfile = sys.argv[6]
            tls_control_required = True
            tls_data_required = True
            dtp_handler = HandshakingDTPHandler

    else:
        Handler = {"plain": FTPHandler, "older": OlderHandler, "hostile": HostileHandler,
                   "cutting": CuttingHandler}[mode]
    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, root, perm="elr")
    Handler.authorizer = authorizer
    logging.basicConfig(level=logging.DEBUG, stream=sys.stderr)
    server = FTPServer(("127.0.0.1", 0), Handler)
    print(server.address[1], flush=True)
    # The reader stops after the first line: nothing more may go to that pipe.
    os.dup2(2, 1)
    server.serve_forever()


if __name__ == "__main__":
    main()
