#!/usr/bin/python3
"""A real Prometheus scrapes kvo7730d's /metrics on the simulated monitor, and its query
API gives back each channel's power and a counter that grows.

  tests/http/prometheus_scrape_test.py --service build/service/kvo7730d \\
      --simulator build/simulator/kvo7730-sim

Exits 77 (skipped) where Debian's prometheus is not installed."""

import argparse
import json
import os
import subprocess
import sys
import urllib.parse
import urllib.request

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from service_on_simulator import ServiceOnSimulator, free_port, wait_until  # noqa: E402

PROMETHEUS = "/usr/bin/prometheus"


def query(prometheus_port, expression):
    """The samples of an instant query, as {channel label or '': value}."""
    url = (f"http://127.0.0.1:{prometheus_port}/api/v1/query?"
           + urllib.parse.urlencode({"query": expression}))
    with urllib.request.urlopen(url, timeout=5) as response:
        answer = json.load(response)
    if answer.get("status") != "success":
        raise AssertionError(f"query {expression} failed: {answer}")
    return {r["metric"].get("channel", ""): float(r["value"][1]) for r in answer["data"]["result"]}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--service", required=True)
    parser.add_argument("--simulator", required=True)
    args = parser.parse_args()
    if not os.access(PROMETHEUS, os.X_OK):
        print("skipped: Debian's prometheus is not installed")
        return 77

    with ServiceOnSimulator(args.service, args.simulator) as service:
        folder = os.path.join(service.folder, "prometheus")
        os.makedirs(folder)
        config = os.path.join(folder, "prometheus.yml")
        with open(config, "w") as f:
            f.write("global:\n  scrape_interval: 1s\n"
                    "scrape_configs:\n  - job_name: kvo7730\n"
                    f"    static_configs:\n      - targets: ['127.0.0.1:{service.port}']\n")
        port = free_port()
        log = open(os.path.join(folder, "prometheus.log"), "wb")
        prometheus = subprocess.Popen(
            [PROMETHEUS, f"--config.file={config}", f"--storage.tsdb.path={folder}/data",
             f"--web.listen-address=127.0.0.1:{port}"],
            stdout=log, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL, cwd=folder)
        log.close()
        try:
            def scraped_twice():
                try:
                    return query(port, "count_over_time(kvo7730_packets_decoded_total[1m])").get("", 0) >= 2
                except (OSError, AssertionError):
                    return False
            wait_until(scraped_twice, 45, "Prometheus to scrape /metrics twice")

            power = query(port, "kvo7730_power_watts")
            if power != {"1": 1500.0, "2": 350.0}:
                raise AssertionError(f"power by channel: {power}")
            if query(port, "kvo7730_up") != {"": 1.0}:
                raise AssertionError("kvo7730_up is not 1")
            energy = query(port, "increase(kvo7730_energy_joules_total[1m])")
            if sorted(energy) != ["1", "2"] or energy["1"] <= 0:
                raise AssertionError(f"the energy counters did not grow: {energy}")
        except Exception:
            with open(os.path.join(folder, "prometheus.log"), errors="replace") as f:
                sys.stderr.write(f.read()[-3000:])
            raise
        finally:
            prometheus.terminate()
            prometheus.wait(timeout=10)
    print("Prometheus scraped the channels' power and energy.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
