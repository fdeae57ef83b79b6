#!/usr/bin/env python3
"""Writes the small seed corpora of the settings, report, fbtool and device
fuzz targets. Report files are built with fbtool from JSON written here.
    fuzz/make_seeds.py BUILD_DIR      (BUILD_DIR/bin/fbtool must exist)"""
import json, os, struct, subprocess, sys, tempfile

here = os.path.dirname(os.path.abspath(__file__))
fbtool = os.path.join(sys.argv[1], "bin", "fbtool")


def put(area, name, data):
    os.makedirs(os.path.join(here, area, "seeds"), exist_ok=True)
    with open(os.path.join(here, area, "seeds", name), "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode("latin-1"))


# settings: edit script (section, key, value as backslash-ended strings, the
# integers taken from the end), then the file.
def settings(section, key, value, ini):
    tail = bytes([1]) + struct.pack("<ii", 120, -40) + bytes([2, 1])
    return (section + "\\ " + key + "\\ " + value + "\\ ").encode("latin-1") + ini + tail


put("settings", "company.bin", settings("Company", "Name", "ACME", b"[Main]\r\nx=10\r\ny=20\r\nUnit=1\r\n"
    b"AutoClear=1\r\n\r\n[Names]\r\n0=M\xfcller\r\n1=Schmidt\r\nLastUser=1\r\n\r\n[Company]\r\n"
    b"Name=\"Werkstatt\"\r\nCity = Kiel \r\n"))
put("settings", "odd.bin", settings("names", "1", "", b"\xef\xbb\xbf; comment\n[Names]\n0=a\n1=\n2=c\n"
    b"[names]\n0=dup\nno equals\n=novalue\n[Main\nx=12abc"))
put("settings", "empty.bin", settings("New", "k", "v", b""))


# report files: the entries a report keeps, in their order.
def report(car, operator, date, unit, comp, leak, texts, version=2):
    e = [{"type": "str32", "name": "CarID", "tag": 0, "value": car},
         {"type": "str32", "name": "Operator", "tag": 0, "value": operator},
         {"type": "str32", "name": "DateandTime", "tag": 0, "value": date},
         {"type": "int32", "name": "Unit", "tag": 0, "value": unit}]
    for node, values in (("MeasuresComp", comp), ("MeasuresLeak", leak)):
        slots = [{"type": "node", "name": str(n), "tag": 0, "children": [
            {"type": "int32", "name": "Cylinder", "tag": 0, "value": n + 1},
            {"type": "int32", "name": "Value", "tag": 0, "value": values[n]}]} for n in range(12)]
        e.append({"type": "node", "name": node, "tag": 0, "children": slots})
    keys = ["Device SN", "FirmwareVersion", "BuiltNummer", "PlatinenVersion", "HardwareOption",
            "ProdDate", "Sensor SN", "Sensor ProdDate", "Betriebszeit", "Batteriespannung"]
    e.append({"type": "node", "name": "Device", "tag": 0, "children": [
        {"type": "str32", "name": k, "tag": 0, "value": texts.get(k, "")} for k in keys]})
    return {"version": version, "info": "VRX-310", "tag": 0, "entries": e}


docs = {
    "six_cylinders": report("ABC 123", "M\u00fcller", "06.12.2026 -- 10:11:12", 0,
                            [1285, 1310, 852, 1290, 1301, 1277] + [-1] * 6,
                            [62, 81, 348, 55, 70, 66] + [-1] * 6,
                            {"Device SN": "VRX310-000123", "FirmwareVersion": "2.03"}),
    "hostile_v1": report("=cmd|'/C calc'!A0", "-1+2", "\u001b[2J\r\u0000", 7,
                         [70000, -1] + [0] * 10, [-5] * 12,
                         {"Device SN": "a\u009d\u0080\"q,"}, version=1),
}
with tempfile.TemporaryDirectory() as tmp:
    for name, doc in docs.items():
        src = os.path.join(tmp, name + ".json")
        with open(src, "w") as f:
            json.dump(doc, f)
        out = os.path.join(tmp, name + ".vrx")
        subprocess.run([fbtool, "build", src, out], check=True)
        with open(out, "rb") as f:
            put("report", name + ".vrx", f.read())
        if name == "hostile_v1":
            with open(src, "rb") as f:
                put("fbtool", "report.json", f.read())

put("fbtool", "types.json", json.dumps({"version": 2, "info": "Pr\u00fcf", "tag": -12, "entries": [
    {"type": "int32", "name": "Dup", "tag": 0, "value": -2147483648},
    {"type": "int32", "name": "Dup", "tag": 0, "value": 2147483647},
    {"type": "node", "name": "Texts", "tag": 77, "children": [
        {"type": "str32", "name": "A", "tag": 0, "value": "q\"\\\u0001\u007f\u0080\u00ff\u0000z"}]},
    {"type": "floating", "name": "One", "tag": 0, "hex": "0000000000000080ff3f"},
    {"type": "floating", "name": "F", "tag": 0, "value": -2.5},
    {"type": "bin32", "name": "Three", "tag": 0, "size": 3, "hex": "00abff"},
    {"type": "bin32", "name": "Negative", "tag": 0, "size": -4, "hex": ""},
    {"type": "node", "name": "Empty", "tag": 0, "children": []}]}, indent=1))
put("fbtool", "empty.json", '{"version": 1, "entries": []}')

# device: a flag byte (decimal comma when odd), then the replies to 0x40
# (48 bytes), 0x10 (44), 0x22 (12) and 0x32 (36).
measures = struct.pack("<12h", 1285, 1310, -1, 0, 32767, -32768, *[-1] * 6) + \
    struct.pack("<12h", 62, 81, 348, *[-1] * 9)
info = b"VRX310-000123".ljust(32, b"\0") + struct.pack("<HBxHHH", 0x0203, 7, 2, 1, 0x2A4C).ljust(12, b"\0")
status = struct.pack("<IH", 3723, 912).ljust(12, b"\0")
sensor = (b"\0" * 8 + struct.pack("<i", 1000123) + b"\0" * 6 + b"S-4711".ljust(16, b"\0")).ljust(36, b"\0")
put("device", "tester.bin", bytes([1]) + measures + info + status + sensor)
put("device", "unterminated.bin", bytes([0]) + measures + b"\x1b[2J\r\x9d" * 11 + b"\xff" * 60)
