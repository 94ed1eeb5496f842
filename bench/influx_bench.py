#!/usr/bin/python3
"""The InfluxDB uploader's costs, in runs of kvo7730d on the simulated monitor against
Debian's influxd on loopback ports in a scratch folder:
 - the backfill rate of 30 days of minute rows, and of 48 hours of packet rows, from
   the start of kvo7730d to its line that InfluxDB has every reading (rows a second);
 - the service's processor time and private memory at one packet a second, with the
   uploader off, then on and following the history.

  bench/influx_bench.py --service build/service/kvo7730d \\
      --simulator build/simulator/kvo7730-sim [--seconds 120]"""

import argparse
import os
import sqlite3
import sys
import tempfile
import time

sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "http"))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "upload"))
from service_on_simulator import ServiceOnSimulator, wait_until  # noqa: E402
from influxdb_upload_test import (DATABASE, InfluxServer, fill_minutes, log_lines,  # noqa: E402
                                  service_settings)

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


def fill_packets(service, hours):
    """One packet a second for the hours before the last minute, as a run would have left them."""
    now = int(time.time())
    last = now - now % 60 - 60
    rows = [(last - index, 230.5, 1500 + index % 100, 350, 6.5, 1.5, 0.92, 0.8, float(index), float(index) / 4,
             index / 3.6e6, index / 1.44e7, float(index), 0.0, float(index) / 4, 0.0)
            for index in range(hours * 3600)]
    with sqlite3.connect(service.history_file, timeout=10) as db:
        db.executemany("INSERT INTO packets(time, volts, watts1, watts2, amps1, amps2, pf1, pf2, energy_ws1,"
                       " energy_ws2, kwh1, kwh2, imported_ws1, exported_ws1, imported_ws2, exported_ws2)"
                       " VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)", rows)
    return len(rows)


def backfill(args, folder, what, fill, resolution):
    influx = InfluxServer(os.path.join(folder, resolution))
    influx.start()
    influx.query(f"CREATE DATABASE {DATABASE}")
    try:
        with ServiceOnSimulator(args.service, args.simulator, (), {"InfluxEnable": "False"}) as service:
            service.end_service()
            rows = fill(service)
            settings = dict(service_settings(influx), InfluxResolution=resolution)
            with open(os.path.join(service.folder, "config", "DARavev", "DARavev.ini"), "a") as ini:
                ini.write("".join(f"{key}={value}\n" for key, value in settings.items()))
            began = time.monotonic()
            service.start_service()
            wait_until(lambda: log_lines(service, "has every reading"), 600, "the backfill to end")
            seconds = time.monotonic() - began
            print(f"backfill of {what}: {rows} rows in {seconds:.1f} s, {rows / seconds:,.0f} rows a second "
                  "(from the service's start)")
    finally:
        influx.stop()


def footprint(args, folder, uploads):
    influx = InfluxServer(os.path.join(folder, f"footprint-{uploads}"))
    influx.start()
    influx.query(f"CREATE DATABASE {DATABASE}")
    settings = dict(service_settings(influx), InfluxEnable="True" if uploads else "False")
    try:
        with ServiceOnSimulator(args.service, args.simulator, (), settings) as service:
            pid = next(p.pid for name, p in service.processes if name == "service")
            # Past the start, and a first batch of the history written and sent.
            time.sleep(60)
            before = cpu_ticks(pid)
            time.sleep(args.seconds)
            cpu = 100.0 * (cpu_ticks(pid) - before) / CLOCK_TICKS / args.seconds
            print(f"uploader {'on, ' if uploads else 'off,'} 1 packet/s for {args.seconds} s: CPU {cpu:.3f} % of a core, "
                  f"private memory {private_megabytes(pid):.1f} MB")
    finally:
        influx.stop()


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])


def private_megabytes(pid):
    total = 0
    with open(f"/proc/{pid}/smaps_rollup") as f:
        for line in f:
            if line.startswith(("Private_Clean:", "Private_Dirty:")):
                total += int(line.split()[1])
    return total / 1024


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--service", required=True)
    parser.add_argument("--simulator", required=True)
    parser.add_argument("--seconds", type=int, default=120)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory(prefix="kvo7730-influx-bench-") as folder:
        backfill(args, folder, "30 days of minutes", lambda s: fill_minutes(s, 30), "minute")
        backfill(args, folder, "48 hours of packets", lambda s: fill_packets(s, 48), "packet")
        footprint(args, folder, False)
        footprint(args, folder, True)


if __name__ == "__main__":
    main()
