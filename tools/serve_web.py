#!/usr/bin/env python3
"""Serves a folder (default build-web/bin) on 127.0.0.1 at a free port and
prints the address of the demo's page. The page must come over HTTP: a
browser refuses the .wasm and .data files of a file:// page."""
import functools
import http.server
import os
import sys
import threading


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map, ".wasm": "application/wasm"}

    def log_message(self, *args):
        pass


def serve(folder):
    """An HTTP server for `folder` on 127.0.0.1 at a free port, running in a thread."""
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(QuietHandler, directory=folder))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


if __name__ == "__main__":
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "build-web", "bin")
    server = serve(folder)
    print(f"The demo is at http://127.0.0.1:{server.server_address[1]}/demo.html (Ctrl+C stops the server)",
          flush=True)
    try:
        threading.Event().wait()
    except KeyboardInterrupt:
        server.shutdown()
