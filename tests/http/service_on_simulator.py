"""kvo7730d on the simulated monitor in a scratch folder, and a headless Chromium to look
at its dashboard: shared by the dashboard's browser test and its screenshot script."""

import os
import shutil
import signal
import socket
import subprocess
import tempfile
import time
import urllib.error
import urllib.request

COM_PORT = 9
SIMULATOR_ARGS = ["--volts", "230", "--watts1", "1500", "--pf1", "0.92",
                  "--watts2", "350", "--pf2", "0.8"]


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_until(condition, seconds, what):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if condition():
            return
        time.sleep(0.1)
    raise TimeoutError(f"gave up after {seconds} s waiting for {what}")


class ServiceOnSimulator:
    """Starts the simulator and kvo7730d on it; stop() ends both and removes the folder."""

    def __init__(self, service, simulator, extra_simulator_args=(), settings=None):
        self.service = os.path.abspath(service)
        self.simulator = os.path.abspath(simulator)
        self.extra_simulator_args = list(extra_simulator_args)
        # More keys of the settings file, as {key: text}.
        self.settings = dict(settings or {})
        self.folder = None
        self.processes = []
        self.port = None

    @property
    def url(self):
        return f"http://127.0.0.1:{self.port}"

    def __enter__(self):
        try:
            self.start()
        except BaseException:
            self.stop()
            raise
        return self

    def __exit__(self, *exc):
        self.stop()

    def start(self):
        self.folder = tempfile.mkdtemp(prefix="kvo7730-dashboard-")
        config = os.path.join(self.folder, "config", "DARavev")
        os.makedirs(config)
        os.makedirs(os.path.join(self.folder, "data"))
        self.port = free_port()
        with open(os.path.join(config, "DARavev.ini"), "w") as ini:
            ini.write("[startup]\n"
                      f"ComPort={COM_PORT}\n"
                      "ZigbeeVersion=8\n"
                      "StartupComIsOn=True\n"
                      "StartupRTLisOn=True\n"
                      f"HttpPort={self.port}\n"
                      + "".join(f"{key}={value}\n" for key, value in self.settings.items()))
        self.env = dict(os.environ,
                        XDG_CONFIG_HOME=os.path.join(self.folder, "config"),
                        XDG_DATA_HOME=os.path.join(self.folder, "data"))

        self._spawn("simulator", [self.simulator, "--com", str(COM_PORT)]
                    + SIMULATOR_ARGS + self.extra_simulator_args, self.env)
        link = os.path.join(config, "ports", f"com{COM_PORT}")
        self._wait(lambda: os.path.islink(link), 10, f"the simulator's {link}")
        self.start_service()

    @property
    def history_file(self):
        return os.path.join(self.folder, "data", "DARavev", "history.sqlite")

    def start_service(self):
        self._spawn("service", [self.service], self.env)
        self._wait(self._readings_answer, 30, f"{self.url}/api/v1/readings to answer 200")

    def end_service(self, sig=signal.SIGTERM):
        """Ends the service alone (SIGKILL: as a crash would); its log is kept and goes on."""
        for name, process in self.processes:
            if name == "service":
                process.send_signal(sig)
                process.wait(timeout=10)
        self.processes = [(name, p) for name, p in self.processes if name != "service"]

    def _spawn(self, name, command, env):
        log = open(os.path.join(self.folder, f"{name}.log"), "ab")
        process = subprocess.Popen(command, env=env, stdout=log, stderr=subprocess.STDOUT,
                                   stdin=subprocess.DEVNULL)
        log.close()
        self.processes.append((name, process))

    def _wait(self, condition, seconds, what):
        def alive_and(condition):
            for name, process in self.processes:
                if process.poll() is not None:
                    raise RuntimeError(f"the {name} ended with status {process.returncode}:\n"
                                       + self.log(name))
            return condition()
        wait_until(lambda: alive_and(condition), seconds, what)

    def _readings_answer(self):
        try:
            with urllib.request.urlopen(f"{self.url}/api/v1/readings", timeout=2) as response:
                return response.status == 200
        except (urllib.error.URLError, ConnectionError, socket.timeout):
            return False

    def log(self, name, tail=4000):
        try:
            with open(os.path.join(self.folder, f"{name}.log"), errors="replace") as f:
                return f.read()[-tail:]
        except OSError:
            return ""

    def stop(self):
        for _, process in reversed(self.processes):
            if process.poll() is None:
                process.send_signal(signal.SIGTERM)
        for _, process in reversed(self.processes):
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        self.processes = []
        if self.folder:
            shutil.rmtree(self.folder, ignore_errors=True)
            self.folder = None


def headless_chromium(width=1000, height=900):
    """A headless Chromium through chromedriver that keeps the page's console log."""
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service

    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage",
                     "--disable-gpu", f"--window-size={width},{height}", "--lang=en-US",
                     "--hide-scrollbars"):
        options.add_argument(argument)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    browser = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    # The window's size includes its frame: the page itself is given the size asked for.
    browser.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
        "width": width, "height": height, "deviceScaleFactor": 1, "mobile": False})
    return browser
