#!/usr/bin/env python3
"""Writes the seed corpus under fuzz/corpus/<target>/ (small, hand-made inputs)."""
import os, struct, zlib

root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")

def put(target, name, data):
    os.makedirs(os.path.join(root, target), exist_ok=True)
    with open(os.path.join(root, target, name), "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode("latin-1"))

# GIF pieces: 2x2 screen, two-colour global table, 1x1 frames.
HEAD = b"GIF89a\x02\x00\x02\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00"
LOOP = b"!\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00"
def gce(delay, disposal=0):
    return b"!\xf9\x04" + bytes([disposal << 2]) + struct.pack("<H", delay) + b"\x00\x00"
def image(x, y):
    return b"," + struct.pack("<HHHH", x, y, 1, 1) + b"\x00\x02\x02D\x01\x00"
still = HEAD + gce(0) + image(0, 0) + b";"
anim = HEAD + LOOP + gce(10, 2) + image(0, 0) + b"!\xfe\x03hi!\x00" + gce(20, 3) + image(1, 1) + b";"
text = HEAD + gce(5) + b"!\x01\x0c" + bytes(12) + b"\x02ab\x00" + image(1, 0) + b";"
for t in ("gif_walker", "gif_picture"):
    put(t, "still.gif", still)
    put(t, "animated.gif", anim)
    put(t, "plaintext.gif", text)

def png(w, h):
    raw = b"".join(b"\x00" + b"\x33\x66\xaa\xff" * w for _ in range(h))
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))
def bmp(w, h):
    row = (b"\xaa\x66\x33" * w).ljust((w * 3 + 3) & ~3, b"\x00")
    pixels = row * h
    return (b"BM" + struct.pack("<IHHI", 54 + len(pixels), 0, 0, 54) +
            struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0) + pixels)
put("pictures", "page.png", png(3, 2))
put("pictures", "page.bmp", bmp(3, 2))
put("pictures", "still.gif", still)
put("gif_picture", "page.png", png(3, 2))
for name in ("seed_colour.jpg", "seed_grey.jpg"):
    src = os.path.join(root, "pictures", name)
    if os.path.exists(src):
        put("gif_picture", name, open(src, "rb").read())

# The query family's upload redirect, as the router places its values.
def redirect(token="/var/tmp/fw.bin", start=334, end=1358):
    status = "HTTP/1.1 301 Moved Permanently\r\n"
    headers = "Location: /upgrade.asp\r\nContent-Type: text/html\r\nContent-Length: 512\r\n\r\n"
    window = ("/upgrade.asp%22><p>filename%3D" + token + "%22><p>startPos%3D" + str(start) +
              "%26endPos%3D" + str(end) + "%26</p>")
    at = status.find("Moved Permanently") + 16 + 103
    body = "<html><body><a href=%22"
    body += " " * max(0, at - len(status) - len(headers) - len(body))
    body += window + "</a></body></html>\n"
    return (status + headers + body).ljust(len(status) + len(headers) + 512)
ok = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"
put("find_value", "redirect", struct.pack("<HH", 110, 4096) + b"Moved Permanently\n" + redirect().encode())
put("find_value", "no-marker", struct.pack("<HH", 110, 4096) + b"Moved Permanently\n" + ok.encode())
put("find_value", "short", struct.pack("<HH", 5, 30) + b"abc\n" + b"xxabc" + b"\x00" * 120 + b"tail")
r = redirect().encode()
put("upload_answer", "query-redirect", b"\x00" + struct.pack("<H", len(r)) + r + ok.encode())
put("upload_answer", "query-refused", b"\x00" + struct.pack("<H", 30) + b"HTTP/1.1 401 Unauthorized\r\n\r\n")
put("upload_answer", "one-part-ok", b"\x01" + struct.pack("<H", len(ok)) + ok.encode())

marker = "document.wlanSetup.ssid.value!="
put("read_ssid", "wlbasic", "<html><script>\nfunction saveChanges() {\n  if (" + marker +
    "\"Zavro-Home\")\n    document.wlanSetup.changed.value = 1;\n}\n</script></html>\n")
put("read_ssid", "no-marker", "<html><body>nothing (here)</body></html>")
put("read_ssid", "zero", "if (" + marker + "\"ab\x00cd\")")

ini = "; texts\r\n[MESSAGE]\r\nfailed_setting = \"Setting failed\"\r\nload_image_error=Picture missing\r\n[Language]\r\nName=English\r\n"
put("profile", "ansi.ini", b"\x50" + ini.encode())
put("profile", "utf16le.ini", b"\x50" + b"\xff\xfe" + (ini + "x=\u00e9\u4e2d\U0001F600\r\n").encode("utf-16-le"))
put("profile", "utf16be.ini", b"\x51" + b"\xfe\xff" + ini.encode("utf-16-be"))
put("profile", "repeat.ini", b"\x13" + b"[message]\nFAILED_SETTING=a\n[MESSAGE]\nfailed_setting=b\n")

put("http_answer", "ok", b"\x03" + b"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 12\r\n\r\n<html></html>")
put("http_answer", "challenge", b"\x02" + b"HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"R\"\r\nContent-Length: 0\r\n\r\n")
put("http_answer", "chunked", b"\x0b" + b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n")
put("http_answer", "oversized", b"\x14" + b"HTTP/1.0 200 OK\r\n\r\n")
put("http_answer", "redirect", b"\x00" + b"HTTP/1.1 302 Found\r\nLocation: http://10.0.0.1/\r\nContent-Length: 0\r\n\r\n")

def req(method, target, headers, body=b""):
    head = method + " " + target + " HTTP/1.1\r\nHost: 192.168.2.1\r\n" + "".join(h + "\r\n" for h in headers)
    return head.encode() + b"Content-Length: " + str(len(body)).encode() + b"\r\n\r\n" + body
auth = "Authorization: Basic YWRtaW46NTgyMA=="
put("sim_request", "login", b"\x07" + req("GET", "/index.asp", [auth]))
put("sim_request", "pppoe", b"\x07" + req("POST", "/goform/formPPPoESetup", [auth],
    b"pppUserName=u&pppPassword=p&submit-url=%2Fwanppp.asp"))
boundary = "///***---***---***---***---***///"
mp = ("--" + boundary + "\r\nContent-Disposition: form-data; name=\"run.bin\"; filename=\"fw.bin\"\r\n"
      "Content-Type: application/octet-stream\r\n\r\nIMAGE\r\n--" + boundary + "--").encode()
put("sim_request", "upload-query", b"\x01" + req("POST", "/goform/asp_upload",
    [auth, "Content-Type: multipart/form-data; boundary=" + boundary], mp) +
    req("POST", "/goform/asp_updateFW", [auth], b"filename=%2Fvar%2Ftmp%2Ffw.bin&startPos=1&endPos=5"))
put("sim_request", "query-get", b"\x01" + req("GET", "/goform/asp_setSsid?ssid=Home&x=%41", [auth]))
