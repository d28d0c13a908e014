"""An FTPS server for tests: pyftpdlib's TLS handler on 127.0.0.1, port 0.

usage: ftps_server.py ROOT USER PASSWORD CERTFILE KEYFILE REQUIRED(0|1)
Logs "starting FTP server on 127.0.0.1:PORT" when it listens.
"""
import logging
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import TLS_FTPHandler
from pyftpdlib.log import config_logging
from pyftpdlib.servers import FTPServer


def main():
    root, user, password, certfile, keyfile, required = sys.argv[1:7]
    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, root, perm="elradfmwMT")
    handler = TLS_FTPHandler
    handler.authorizer = authorizer
    handler.certfile = certfile
    handler.keyfile = keyfile
    handler.tls_control_required = required == "1"
    handler.tls_data_required = required == "1"
    config_logging(level=logging.INFO)
    FTPServer(("127.0.0.1", 0), handler).serve_forever()


if __name__ == "__main__":
    main()
