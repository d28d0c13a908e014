"""An FTPS server for tests: pyftpdlib's TLS handler on 127.0.0.1, port 0.

usage: ftps_server.py ROOT USER PASSWORD CERTFILE KEYFILE REQUIRED(0|1) CUT
Logs "starting FTP+SSL server on 127.0.0.1:PORT" when it listens. With a
CUT other than 0, the first file that reaches CUT bytes has its data and
control connections closed there, as a broken line would.
"""
import logging
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import TLS_DTPHandler, TLS_FTPHandler
from pyftpdlib.log import config_logging
from pyftpdlib.servers import FTPServer


class DataHandler(TLS_DTPHandler):
    cut = 0  # bytes of a file after which the connection breaks; 0: never

    # pyftpdlib takes a data connection that turns readable before its
    # transfer command for one the client closed, and closes it; a TLS
    # client sends its hello at once, before STOR. While the handshake
    # runs, the connection is readable for it.
    def readable(self):
        return self._ssl_accepting or super().readable()

    def handle_read_event(self):
        super().handle_read_event()
        if DataHandler.cut and self.tot_bytes_received >= DataHandler.cut:
            DataHandler.cut = 0
            self.cmd_channel.log("cutting the connection")
            self.cmd_channel.close()


def main():
    root, user, password, certfile, keyfile, required, cut = sys.argv[1:8]
    DataHandler.cut = int(cut)
    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, root, perm="elradfmwMT")
    handler = TLS_FTPHandler
    handler.authorizer = authorizer
    handler.certfile = certfile
    handler.keyfile = keyfile
    handler.dtp_handler = DataHandler
    handler.tls_control_required = required == "1"
    handler.tls_data_required = required == "1"
    config_logging(level=logging.INFO)
    FTPServer(("127.0.0.1", 0), handler).serve_forever()


if __name__ == "__main__":
    main()
