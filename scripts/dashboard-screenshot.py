#!/usr/bin/python3
"""Takes the README's picture of the dashboard, docs/dashboard.png, in headless Chromium at
1000x900, from kvo7730d on the simulated monitor in a scratch folder.

  scripts/dashboard-screenshot.py [--build DIR] [--service PATH] [--simulator PATH] [--light|--dark]

Needs Debian's python3-selenium, chromium and chromium-driver; not part of CI. Channel 1
steps from 1500 W to 2300 W after 25 packets, so that the hour's chart shows a change."""

import argparse
import os
import sys
import time

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# No __pycache__ beside the sources.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(root, "tests", "http"))
from service_on_simulator import ServiceOnSimulator, headless_chromium, wait_until  # noqa: E402

CHART_POINTS = ("const chart = Chart.getChart(document.getElementById('power-chart'));"
                "return chart ? chart.data.datasets[0].data.length : 0;")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(root, "build"), help="build directory")
    parser.add_argument("--service", help="kvo7730d (default: in the build directory)")
    parser.add_argument("--simulator", help="kvo7730-sim (default: in the build directory)")
    parser.add_argument("--output", default=os.path.join(root, "docs", "dashboard.png"))
    parser.add_argument("--seconds", type=float, default=40,
                        help="how long the page gathers packets before the picture")
    scheme = parser.add_mutually_exclusive_group()
    scheme.add_argument("--light", dest="scheme", action="store_const", const="light")
    scheme.add_argument("--dark", dest="scheme", action="store_const", const="dark")
    args = parser.parse_args()
    service = args.service or os.path.join(args.build, "service", "kvo7730d")
    simulator = args.simulator or os.path.join(args.build, "simulator", "kvo7730-sim")

    with ServiceOnSimulator(service, simulator,
                            ["--step-watts1", "2300", "--step-after", "25"]) as monitor:
        browser = headless_chromium(1000, 900)
        try:
            if args.scheme:
                browser.execute_cdp_cmd("Emulation.setEmulatedMedia", {
                    "features": [{"name": "prefers-color-scheme", "value": args.scheme}]})
            browser.get(monitor.url + "/")
            wait_until(lambda: browser.execute_script(CHART_POINTS) > 0, 15, "the chart's points")
            time.sleep(args.seconds)
            browser.save_screenshot(args.output)
        finally:
            browser.quit()
    print(os.path.relpath(args.output))


if __name__ == "__main__":
    main()
