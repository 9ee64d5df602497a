"""The compiled core's thread-local storage on glibc's lazy path.

A loaded module gets its thread-local block from the static block's spare
room while there is some, and lazily, on a thread's first use, once other
libraries have taken it.  Forcing the lazy path (no spare room for loaded
modules), every point computed on fresh threads must still be the command
line's to the last bit: on glibc 2.36, code reaching thread-local variables
through descriptors (-mtls-dialect=gnu2) lost vector registers on that path,
and the first solubility point of each thread failed."""

import json
import os
import subprocess
import sys

import aqvis

TEMPS = [25.0, 80.0, 150.0]

PROBE = r"""
import ctypes, json, sys, threading
import aqvis, aqvis._core as core

RTLD_DI_TLS_MODID, RTLD_DI_TLS_DATA = 9, 10
libc = ctypes.CDLL(None)
handle = ctypes.c_void_p(ctypes.CDLL(core.__file__)._handle)

def info(request):
    out = ctypes.c_size_t()
    assert libc.dlinfo(handle, request, ctypes.byref(out)) == 0
    return out.value

temps = json.loads(sys.argv[1])
results = []

def point(T):
    # The module's block exists in this thread only once the thread uses it
    # when it lives on the lazy path.
    before = info(RTLD_DI_TLS_DATA)
    try:
        s = aqvis.solubility("N2", T, 30.0)
        c = aqvis.calculate("N2", T, 30.0)
    except Exception as e:
        results.append({"T": T, "error": repr(e)})
        return
    results.append({"T": T, "lazy": before == 0, "used": info(RTLD_DI_TLS_DATA) != 0,
                    "solubility": {k: float(s[k]).hex() for k in ("x", "y_water", "lnkH")},
                    "calculate": {k: float(c[k]).hex() for k in ("lnkH", "dH2O", "V2", "Cp2")}})

for T in temps:  # each point on a thread of its own
    t = threading.Thread(target=point, args=(T,))
    t.start()
    t.join()
print(json.dumps({"modid": info(RTLD_DI_TLS_MODID), "points": results}))
"""


def test_fresh_threads_on_the_lazy_path_compute_what_the_command_line_does(cli):
    env = dict(os.environ, GLIBC_TUNABLES="glibc.rtld.optional_static_tls=0")
    p = subprocess.run([sys.executable, "-c", PROBE, json.dumps(TEMPS)], env=env,
                       capture_output=True, text=True, timeout=120)
    assert p.returncode == 0, p.stderr
    probe = json.loads(p.stdout)
    assert probe["modid"] != 0  # the module has thread-local storage
    rows = [json.loads(line) for line in cli("solubility", "N2", "--temp", ",".join(map(repr, TEMPS)),
                                             "--press", "30", "--json").splitlines()]
    cases = [json.loads(cli("calc", "N2", repr(T), "30", "--json")) for T in TEMPS]
    assert len(probe["points"]) == len(TEMPS)
    for point, row, case in zip(probe["points"], rows, cases):
        assert "error" not in point, point
        assert point["lazy"] and point["used"], point  # the lazy path was taken
        for name, value in point["solubility"].items():
            assert float.fromhex(value) == row[name], (point["T"], name)
        for name, value in point["calculate"].items():
            assert float.fromhex(value) == case[name], (point["T"], name)
