#!/usr/bin/python3
"""Opens the dashboard in headless Chromium and notes, for each change of channel 1's
power on the page, the number shown and the wall-clock time of the change (ms since
1970), one "watts milliseconds" line each: the dashboard benchmark matches them with
the times the packets went onto the serial line.

  dashboard_probe.py URL SECONDS"""

import os
import sys
import time

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "http"))
from service_on_simulator import headless_chromium, wait_until  # noqa: E402

WATCH = """
window.shown = [];
const target = document.getElementById('ch1-watts');
new MutationObserver(() => window.shown.push([target.textContent, Date.now()]))
    .observe(target, {childList: true, characterData: true, subtree: true});
"""


def main():
    url, seconds = sys.argv[1], float(sys.argv[2])
    browser = headless_chromium()
    try:
        browser.get(url)
        wait_until(lambda: browser.execute_script("return document.getElementById('ch1-watts').textContent")
                   .strip() not in ("", "—"), 30, "the first reading on the page")
        browser.execute_script(WATCH)
        time.sleep(seconds)
        for text, ms in browser.execute_script("return window.shown"):
            digits = "".join(c for c in text if c.isdigit())
            if digits:
                print(digits, ms)
    finally:
        browser.quit()


if __name__ == "__main__":
    main()
