#!/usr/bin/python3
"""The dashboard in headless Chromium, served by kvo7730d on the simulated monitor: live
values that follow the packets, the chart and its ranges, the history links, and a
console without errors or warnings.

  tests/http/dashboard_browser_test.py --service build/service/kvo7730d \\
      --simulator build/simulator/kvo7730-sim

Debian's python3 runs it, for Debian's python3-selenium. Exits 77 (skipped) where
python3-selenium, chromium or chromium-driver is missing."""

import argparse
import datetime
import importlib.util
import json
import os
import re
import sys
import unittest
import urllib.parse
import urllib.request

# No __pycache__ beside the sources.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from service_on_simulator import ServiceOnSimulator, headless_chromium, wait_until  # noqa: E402

ARGS = None
CHART_POINTS = ("const chart = Chart.getChart(document.getElementById('power-chart'));"
                "return chart ? chart.data.datasets.map(d => d.data.length) : null;")


def number(text):
    """The number in a value as the page shows it in en-US, as 1,500 W."""
    match = re.search(r"-?\d[\d,]*(\.\d+)?", text)
    if not match:
        raise AssertionError(f"no number in {text!r}")
    return float(match.group(0).replace(",", ""))


class DashboardTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.monitor = ServiceOnSimulator(ARGS.service, ARGS.simulator)
        cls.addClassCleanup(cls.monitor.stop)
        cls.monitor.start()
        cls.browser = headless_chromium()
        cls.addClassCleanup(cls.browser.quit)

    def setUp(self):
        self.browser.get(self.monitor.url + "/")
        self.wait_for(lambda: self.text("ch1-watts") != "—", 10, "the first values")

    def tearDown(self):
        # Every test's page load and clicks must leave the console clean.
        noisy = [f"{entry['level']}: {entry['message']}" for entry in self.browser.get_log("browser")
                 if entry["level"] in ("SEVERE", "WARNING")]
        self.assertEqual(noisy, [], "the browser console has errors or warnings")

    def text(self, element_id):
        return self.browser.find_element("id", element_id).text

    def wait_for(self, condition, seconds, what):
        wait_until(condition, seconds, f"{what}; service log:\n{self.monitor.log('service')}")

    def fetch(self, href):
        with urllib.request.urlopen(urllib.parse.urljoin(self.monitor.url, href), timeout=10) as r:
            return r.status, r.headers, r.read().decode()

    def test_values_follow_each_packet(self):
        self.assertAlmostEqual(number(self.text("ch1-watts")), 1500, delta=30)
        self.assertAlmostEqual(number(self.text("ch2-watts")), 350, delta=10)
        self.assertAlmostEqual(number(self.text("volts")), 230, delta=2)
        self.assertAlmostEqual(number(self.text("ch1-pf")), 0.92, delta=0.02)
        self.assertEqual(self.text("ch1-direction"), "Consuming")
        self.assertEqual(self.text("real-time"), "On")
        self.assertFalse(self.browser.find_element("id", "no-data").is_displayed())
        self.assertTrue(self.text("status").startswith("Connected"), self.text("status"))

        # The cost is the shown energy at the program's rate, with two decimals.
        rate = json.loads(self.fetch("/api/v1/status")[2])["rate"]
        kwh, cost = self.browser.execute_script(
            "return ['ch1-kwh', 'ch1-cost'].map(id => document.getElementById(id).textContent)")
        self.assertRegex(cost, r"^\d[\d,]*\.\d\d$")
        self.assertAlmostEqual(number(cost), number(kwh) * rate, delta=0.011)

        # The next packet changes the page without a reload.
        self.browser.execute_script("window.sameDocument = true")
        before = self.text("last-packet")
        self.wait_for(lambda: self.text("last-packet") != before, 5, "the next packet's time")
        self.assertTrue(self.browser.execute_script("return window.sameDocument === true"))

    def test_chart_and_its_ranges(self):
        self.wait_for(lambda: (self.browser.execute_script(CHART_POINTS) or [0])[0] > 0, 10,
                      "points in the last hour's chart")
        labels = self.browser.execute_script(
            "return Chart.getChart(document.getElementById('power-chart'))"
            ".data.datasets.map(d => d.label)")
        self.assertEqual(labels, ["Channel 1", "Channel 2"])
        # The live hour grows with the packets.
        count = self.browser.execute_script(CHART_POINTS)[0]
        self.wait_for(lambda: self.browser.execute_script(CHART_POINTS)[0] > count, 5,
                      "a packet added to the chart")

        canvas = self.browser.find_element("id", "power-chart")
        self.browser.find_element("id", "range-24h").click()
        self.wait_for(lambda: canvas.get_attribute("data-range") == "24h", 10, "the 24 hours")
        # Drawn from the history's minutes, the one in progress included.
        self.assertGreater(self.browser.execute_script(CHART_POINTS)[0], 0)
        self.assertEqual(self.browser.find_element("id", "range-24h").get_attribute("aria-pressed"),
                         "true")
        self.assertEqual(self.browser.find_element("id", "range-1h").get_attribute("aria-pressed"),
                         "false")
        self.assertNotIn("Could not", self.text("chart-note"))

        # The buttons work from the keyboard too.
        from selenium.webdriver.common.keys import Keys
        self.browser.find_element("id", "range-7d").send_keys(Keys.ENTER)
        self.wait_for(lambda: canvas.get_attribute("data-range") == "7d", 10, "the 7 days")
        self.assertNotIn("Could not", self.text("chart-note"))

    def test_history_links(self):
        today = datetime.date.today()
        tomorrow = today + datetime.timedelta(days=1)
        csv_link = self.browser.find_element("id", "csv-link")
        week = today - datetime.timedelta(days=6)
        self.assertTrue(csv_link.get_attribute("href").endswith(
            f"/api/v1/history?from={week}&to={tomorrow}&format=csv"))

        self.browser.execute_script(
            "for (const id of ['csv-from', 'csv-to']) {"
            "  const input = document.getElementById(id);"
            "  input.value = arguments[0];"
            "  input.dispatchEvent(new Event('change'));"
            "}", today.isoformat())
        href = csv_link.get_attribute("href")
        self.assertTrue(href.endswith(f"/api/v1/history?from={today}&to={tomorrow}&format=csv"))

        status, headers, body = self.fetch(href)
        self.assertEqual(status, 200)
        self.assertIn("attachment", headers.get("Content-Disposition", ""))
        self.assertTrue(body.startswith("time,packets,"), body[:200])
        # The minute in progress is in the download, as in an export.
        self.assertGreaterEqual(len(body.splitlines()), 2, body)

        json_href = self.browser.find_element("id", "json-link").get_attribute("href")
        self.assertEqual(json_href, href.replace("format=csv", "format=json"))
        self.assertIsInstance(json.loads(self.fetch(json_href)[2])["rows"], list)

        # A first day after the last one leaves nothing to download, and says why.
        self.browser.execute_script(
            "const input = document.getElementById('csv-from');"
            "input.value = arguments[0]; input.dispatchEvent(new Event('change'));",
            tomorrow.isoformat())
        self.assertIsNone(csv_link.get_attribute("href"))
        self.assertTrue(self.browser.find_element("id", "download-note").is_displayed())


def main():
    global ARGS
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--service", required=True, help="the kvo7730d program")
    parser.add_argument("--simulator", required=True, help="the kvo7730-sim program")
    ARGS, rest = parser.parse_known_args()
    if importlib.util.find_spec("selenium") is None:
        print(f"skipped: {sys.executable} has no selenium (Debian package python3-selenium)")
        return 77
    for program in ("/usr/bin/chromium", "/usr/bin/chromedriver"):
        if not os.access(program, os.X_OK):
            print(f"skipped: {program} is missing (packages chromium, chromium-driver)")
            return 77
    result = unittest.main(argv=[sys.argv[0]] + rest, exit=False, verbosity=2).result
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
