#!/usr/bin/python3
"""kvo7730d on the simulated monitor sends its history to a real InfluxDB (Debian's
influxd on free loopback ports in a scratch folder, never the system's service).

  tests/upload/influxdb_upload_test.py --service build/service/kvo7730d \\
      --simulator build/simulator/kvo7730-sim --case values|outage|kill

  values  every second's readings arrive with their own time and values; a database
          that does not exist is said once
  outage  InfluxDB stops for two minutes while the monitor streams: afterwards every
          packet of those minutes is there, once
  kill    kvo7730d is killed (SIGKILL) while it backfills 30 days of minutes, and started
          again: nothing is missing, nothing is there twice

Exits 77 (skipped) where Debian's influxdb is not installed."""

import argparse
import json
import os
import shutil
import signal
import sqlite3
import subprocess
import sys
import tempfile
import time
import urllib.parse
import urllib.request

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "http"))
from service_on_simulator import ServiceOnSimulator, free_port, wait_until  # noqa: E402

INFLUXD = "/usr/bin/influxd"
DATABASE = "kvo"


class InfluxServer:
    """influxd in a folder of its own; stop() and start() keep its data."""

    def __init__(self, folder):
        self.folder = folder
        os.makedirs(folder, exist_ok=True)
        self.port = free_port()
        self.config = os.path.join(folder, "influxdb.conf")
        with open(self.config, "w") as f:
            f.write(f'reporting-disabled = true\nbind-address = "127.0.0.1:{free_port()}"\n'
                    f'[meta]\n  dir = "{folder}/meta"\n'
                    f'[data]\n  dir = "{folder}/data"\n  wal-dir = "{folder}/wal"\n'
                    '  query-log-enabled = false\n'
                    f'[http]\n  bind-address = "127.0.0.1:{self.port}"\n  log-enabled = false\n'
                    '[monitor]\n  store-enabled = false\n')
        self.process = None

    @property
    def url(self):
        return f"http://127.0.0.1:{self.port}"

    def start(self):
        log = open(os.path.join(self.folder, "influxd.log"), "ab")
        self.process = subprocess.Popen([INFLUXD, "run", "-config", self.config], stdout=log,
                                        stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        log.close()
        wait_until(self._pings, 30, "influxd to answer /ping")

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            self.process.wait(timeout=30)

    def _pings(self):
        try:
            with urllib.request.urlopen(f"{self.url}/ping", timeout=2) as response:
                return response.status == 204
        except OSError:
            return False

    def query(self, statement):
        data = urllib.parse.urlencode({"q": statement, "db": DATABASE, "epoch": "s"}).encode()
        with urllib.request.urlopen(f"{self.url}/query", data=data, timeout=30) as response:
            result = json.load(response)["results"][0]
        if "error" in result:
            raise AssertionError(f"{statement}: {result['error']}")
        return result.get("series", [])

    def points(self, channel, before):
        """{time: {field: value}} of one channel's points before a time."""
        series = self.query(f"SELECT * FROM kvo7730 WHERE channel = '{channel}' AND time < {before}s")
        if not series:
            return {}
        columns = series[0]["columns"]
        return {row[0]: dict(zip(columns, row)) for row in series[0]["values"]}


def history(service):
    return sqlite3.connect(f"file:{service.history_file}?mode=ro", uri=True, timeout=10)


def sent_until(service):
    """Where the service's cursor stands: every row before it has been acknowledged."""
    with history(service) as db:
        row = db.execute("SELECT max(sent_until) FROM upload_cursors").fetchone()
    return row[0] or 0


def expected_points(service, before):
    """{(channel, time): {field: value}} the history holds for InfluxDB before a time: the
    minutes wholly before the oldest packet, then each second's last packet."""
    expected = {}
    with history(service) as db:
        first_packet = db.execute("SELECT min(time) FROM packets").fetchone()[0] or before
        for time_, volts, w1, w2, kwh1, kwh2 in db.execute(
                "SELECT time, volts, watts1_avg, watts2_avg, kwh1, kwh2 FROM minutes"
                " WHERE time + 60 <= ? AND time < ? ORDER BY time", (first_packet, before)):
            expected[(1, time_)] = {"volts": volts, "watts": w1, "kwh": kwh1}
            expected[(2, time_)] = {"volts": volts, "watts": w2, "kwh": kwh2}
        for time_, volts, w1, w2, a1, a2, kwh1, kwh2 in db.execute(
                "SELECT time, volts, watts1, watts2, amps1, amps2, kwh1, kwh2 FROM packets"
                " WHERE time < ? ORDER BY time, rowid", (before,)):
            expected[(1, time_)] = {"volts": volts, "watts": w1, "amps": a1, "kwh": kwh1}
            expected[(2, time_)] = {"volts": volts, "watts": w2, "amps": a2, "kwh": kwh2}
    return expected


def check_influx_holds_history(influx, service, since=0):
    """Every point the history holds before the service's cursor is in InfluxDB with the
    history's values, and nothing else is; returns how many points were compared."""
    before = sent_until(service)
    expected = {key: value for key, value in expected_points(service, before).items() if key[1] >= since}
    found = {}
    for channel in (1, 2):
        for time_, fields in influx.points(channel, before).items():
            if time_ >= since:
                found[(channel, time_)] = fields
    missing = sorted(set(expected) - set(found))
    extra = sorted(set(found) - set(expected))
    if missing or extra:
        raise AssertionError(f"{len(missing)} points missing (first {missing[:5]}), "
                             f"{len(extra)} not in the history (first {extra[:5]})")
    for key, fields in expected.items():
        for name, value in fields.items():
            if found[key][name] != value:
                raise AssertionError(f"channel {key[0]} at {key[1]}: {name} is {found[key][name]}, "
                                     f"the history holds {value}")
    return len(expected)


def service_settings(influx, database=DATABASE):
    return {"InfluxEnable": "True", "InfluxUrl": influx.url, "InfluxApi": "1",
            "InfluxDatabase": database, "InfluxResolution": "packet"}


def log_lines(service, text):
    return [line for line in service.log("service", tail=10**7).splitlines() if text in line]


def case_values(args, folder):
    influx = InfluxServer(folder)
    influx.start()
    influx.query(f"CREATE DATABASE {DATABASE}")
    # Ten packets a second: the history writes a batch every five seconds.
    with ServiceOnSimulator(args.service, args.simulator, ["--rate", "10"],
                            service_settings(influx)) as service:
        started = int(time.time())
        # Three batches of the history, sent as it writes them.
        wait_until(lambda: sent_until(service) > started + 12, 60, "three batches to be acknowledged")
        compared = check_influx_holds_history(influx, service)
        print(f"{compared} points as the history holds them")
        assert compared >= 2 * 10, compared
        assert len(log_lines(service, "has every reading")) == 1, service.log("service")
    with ServiceOnSimulator(args.service, args.simulator, ["--rate", "10"],
                            service_settings(influx, "nodb")) as service:
        refused = f'refused the readings (HTTP 404: database not found: "nodb")'
        wait_until(lambda: log_lines(service, refused), 60, "the refusal")
        # Three more batches of the history: none of them is sent, nor said again.
        time.sleep(16)
        assert len(log_lines(service, refused)) == 1, service.log("service")
        assert len(log_lines(service, "InfluxDB")) == 2, service.log("service")


def case_outage(args, folder):
    influx = InfluxServer(folder)
    influx.start()
    influx.query(f"CREATE DATABASE {DATABASE}")
    with ServiceOnSimulator(args.service, args.simulator, (), service_settings(influx)) as service:
        influx.stop()
        stopped = int(time.time())
        time.sleep(120)
        started = int(time.time())
        influx.start()
        # The retry that gets through comes at most one back-off wait (two minutes by now) later.
        wait_until(lambda: sent_until(service) > started, 240, "the backlog to be sent")
        compared = check_influx_holds_history(influx, service, since=stopped)
        print(f"{compared} points of the outage, each once, as the history holds them")
        assert compared >= 2 * 110, compared
        assert log_lines(service, "cannot be reached (Connection refused)"), service.log("service")
        assert len(log_lines(service, "takes the readings again")) == 1, service.log("service")


def fill_minutes(service, days):
    """Minute rows ending an hour ago, as an earlier run would have left them."""
    now = int(time.time())
    last = now - now % 60 - 3600
    rows = []
    for index in range(days * 24 * 60):
        minute = last - index * 60
        ws = float(10**9 - index * 60000)
        rows.append((minute, 60, 230.5, 1000 + index % 500, 900, 1100, 350, 340, 360,
                     ws, ws / 4, ws / 3.6e6, ws / 1.44e7, ws, 0, ws / 4, 0))
    with sqlite3.connect(service.history_file, timeout=10) as db:
        db.executemany("INSERT INTO minutes(time, packets, volts, watts1_avg, watts1_min, watts1_max,"
                       " watts2_avg, watts2_min, watts2_max, energy_ws1, energy_ws2, kwh1, kwh2,"
                       " imported_ws1, exported_ws1, imported_ws2, exported_ws2)"
                       " VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)", rows)
    return len(rows)


def case_kill(args, folder):
    influx = InfluxServer(folder)
    influx.start()
    influx.query(f"CREATE DATABASE {DATABASE}")
    with ServiceOnSimulator(args.service, args.simulator, (), {"InfluxEnable": "False"}) as service:
        # The service made the file; it is stopped while thirty days are put in.
        service.end_service()
        minutes = fill_minutes(service, 30)
        settings = os.path.join(service.folder, "config", "DARavev", "DARavev.ini")
        with open(settings, "a") as ini:
            ini.write("".join(f"{key}={value}\n" for key, value in service_settings(influx).items()
                              if key != "InfluxEnable") + "InfluxEnable=True\n")
        service.start_service()
        wait_until(lambda: influx.query("SELECT count(watts) FROM kvo7730"), 60, "the first batch in InfluxDB")
        service.end_service(signal.SIGKILL)
        cursor = sent_until(service)
        print(f"killed with {cursor and (cursor - (int(time.time()) // 60 * 60 - 3600 - minutes * 60)) // 60} "
              f"of {minutes} minutes acknowledged")
        service.start_service()
        wait_until(lambda: len(log_lines(service, "has every reading")) >= 1, 120, "the backfill to end")
        compared = check_influx_holds_history(influx, service)
        print(f"{compared} points, each once, as the history holds them")
        assert compared >= 2 * minutes, compared


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--service", required=True)
    parser.add_argument("--simulator", required=True)
    parser.add_argument("--case", required=True, choices=["values", "outage", "kill"])
    args = parser.parse_args()
    if not os.access(INFLUXD, os.X_OK):
        print("skipped: Debian's influxdb is not installed")
        return 77
    folder = tempfile.mkdtemp(prefix="kvo7730-influxdb-")
    try:
        {"values": case_values, "outage": case_outage, "kill": case_kill}[args.case](args, folder)
    finally:
        subprocess.run(["pkill", "-f", f"influxd run -config {folder}/"], check=False)
        shutil.rmtree(folder, ignore_errors=True)
    print("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
