#!/usr/bin/env python3
"""A small web site for real-browser tests, served on 127.0.0.1 only.

The browsers use it as their HTTP proxy, so one listening socket answers for
any host name (alpha.test, www.gamma.test, ...): every page sets cookies for
its own host (and a domain cookie for its parent domain), loads a cacheable
image and script, and sets one more cookie from script. The page /stored
also stores site data as a site does: localStorage, sessionStorage, an
IndexedDB database, Cache Storage and a service worker (the browsers are told
to treat the test hosts as secure); an image answered late holds the page's
load until those are written. HTTPS tunnels are refused, so nothing leaves the
machine.

Usage: site_server.py PORT_FILE   (writes the chosen port, then serves)
With SITE_LOG set, every request is appended to that file as one line:
host, path, Cookie header and "firefox" or "chromium", tab-separated.
"""
import http.server
import os
import sys
import threading
import time
import urllib.parse

LOG = os.environ.get("SITE_LOG", "")
LOG_LOCK = threading.Lock()

# A 1x1 transparent GIF.
PIXEL = (b"GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff!\xf9\x04\x01\x00\x00\x00"
         b"\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02D\x01\x00;")


def page(host, stored=False):
    store = '<script src="/store.js"></script>' if stored else ""
    late = '<img src="/late.gif" alt="">' if stored else ""
    return f"""<!doctype html><html><head><title>Page of {host}</title>
<link rel="icon" href="/favicon.ico" type="image/gif">
<script src="/app.js"></script>{store}</head>
<body><h1>{host}</h1><img src="/pixel.gif" alt="">{late}</body></html>""".encode()


def store_script(host, label):
    return f"""try {{ localStorage.setItem("local_{label}", "stored by {host}"); }} catch (e) {{}}
try {{ sessionStorage.setItem("session_{label}", "stored by {host}"); }} catch (e) {{}}
try {{
  const open = indexedDB.open("db_{label}", 1);
  open.onupgradeneeded = () => open.result.createObjectStore("things");
  open.onsuccess = () => {{
    const tx = open.result.transaction("things", "readwrite");
    tx.objectStore("things").put("stored by {host}", "key_{label}");
  }};
}} catch (e) {{}}
if (self.caches) caches.open("cache_{label}").then(
    (c) => c.put("/stored", new Response("stored by {host}"))).catch(() => {{}});
if (navigator.serviceWorker) navigator.serviceWorker.register("/sw.js").catch(() => {{}});
""".encode()


def worker(label):
    return f"""self.addEventListener("install", (e) => e.waitUntil(
    caches.open("worker_{label}").then((c) => c.add("/pixel.gif"))));
self.addEventListener("fetch", () => {{}});
""".encode()


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, fmt, *args):
        sys.stderr.write("site: " + (fmt % args) + "\n")

    def do_CONNECT(self):
        self.send_error(405, "no tunnels")

    def target(self):
        url = urllib.parse.urlsplit(self.path)
        host = url.hostname or self.headers.get("Host", "").split(":")[0]
        return host.lower(), url.path or "/"

    def reply(self, status, body, content_type, cookies=(), cache=False):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "max-age=86400" if cache else "no-cache")
        for cookie in cookies:
            self.send_header("Set-Cookie", cookie)
        self.end_headers()
        self.wfile.write(body)

    def record(self, host, path):
        if not LOG:
            return
        agent = self.headers.get("User-Agent", "")
        browser = "firefox" if "Firefox" in agent else "chromium" if "Chrom" in agent else "other"
        cookie = self.headers.get("Cookie", "")
        with LOG_LOCK, open(LOG, "a") as f:
            f.write(f"{host}\t{path}\t{cookie}\t{browser}\n")

    def do_GET(self):
        host, path = self.target()
        self.record(host, path)
        if not host.endswith(".test"):
            self.send_error(404)
            return
        label = host.split(".")[0].replace("-", "_")
        if path in ("/pixel.gif", "/favicon.ico"):
            self.reply(200, PIXEL, "image/gif", cache=True)
        elif path == "/late.gif":
            time.sleep(2)
            self.reply(200, PIXEL, "image/gif")
        elif path == "/app.js":
            js = f'document.cookie = "js_{label}=1; max-age=86400; path=/";'
            self.reply(200, js.encode(), "text/javascript", cache=True)
        elif path == "/store.js":
            self.reply(200, store_script(host, label), "text/javascript")
        elif path == "/sw.js":
            self.reply(200, worker(label), "text/javascript")
        else:
            parent = host.split(".", 1)[1] if host.count(".") > 1 else host
            cookies = [f"visit_{label}=1; Max-Age=86400; Path=/",
                       f"domain_{label}=1; Max-Age=86400; Path=/; Domain={parent}"]
            self.reply(200, page(host, path == "/stored"), "text/html; charset=utf-8", cookies)


def main():
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    with open(sys.argv[1], "w") as f:
        f.write(str(server.server_address[1]))
    server.serve_forever()


if __name__ == "__main__":
    main()
