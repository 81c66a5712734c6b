#!/usr/bin/env python3
"""Runs the test host to save the plug-in's state, then reads the file with
plistlib and checks the class-info keys and their types."""
import plistlib
import struct
import subprocess
import sys

host, bundle, state_path = sys.argv[1:4]
subprocess.run([host, "--bundle", bundle, "--render-seconds", "0.1", "--fast", "--state-out", state_path],
               check=True)
with open(state_path, "rb") as f:
    state = plistlib.load(f)

def code(text):
    return struct.unpack(">i", text.encode("ascii"))[0]

expected = {"version": 0x20200, "type": code("aumu"), "subtype": code("tvrq"), "manufacturer": code("Orv1")}
failures = []
for key, value in expected.items():
    if type(state.get(key)) is not int or state[key] != value:
        failures.append(f"{key}: {state.get(key)!r}, expected the integer {value}")
if type(state.get("name")) is not str:
    failures.append(f"name: {state.get('name')!r} is not a string")
data = state.get("data")
if type(data) is not bytes or len(data) < 4 or data[:4] != struct.pack("<i", 0x54565354):
    failures.append(f"data: {data!r} is not the plug-in's chunk")
if set(state) != {"version", "type", "subtype", "manufacturer", "name", "data"}:
    failures.append(f"keys: {sorted(state)}")
if failures:
    print("\n".join(failures))
    sys.exit(1)
print("state file keys and types as expected")
