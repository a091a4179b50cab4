#!/usr/bin/env python3
"""The remote page of ax7ctl serve in a real headless Chromium, against the simulated box.

usage: web_remote_page_test.py AX7CTL OUTPUT_DIR

Two browsers (one English, one Chinese) load the page; edits made in one reach the box as
`ax7ctl set` sends them (compared in the trace) and show in the other. Screenshots at 360 and
1280 pixels in both languages go to OUTPUT_DIR. Exits 77 (skipped) when Chromium, chromedriver
or python3-selenium is missing.
"""
import concurrent.futures
import json
import os
import re
import select
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.request

SKIP = 77
AX7CTL = ""
OUT_DIR = ""
CHROME_FLAGS = ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                "--disable-background-networking", "--disable-component-update", "--disable-sync"]


def wait_until(what, check, timeout=10.0):
    """Polls `check` until it returns something true; fails naming `what` with the last value."""
    end = time.monotonic() + timeout
    value = None
    while True:
        try:
            value = check()
        except Exception as e:  # a page between loads, a file not yet written
            value = e
        if value and not isinstance(value, Exception):
            return value
        if time.monotonic() > end:
            raise AssertionError(f"timed out waiting for {what}; last: {value!r}")
        time.sleep(0.03)


def frames(trace):
    """The reports written, as hex, without the status requests (the poll runs all the time)."""
    out = []
    with open(trace, encoding="ascii") as f:
        for line in f:
            if line.startswith("# close"):
                break
            if line.startswith("> ") and not line.startswith("> 020e"):
                out.append(line[2:].strip())
    return out


def sent_by_cli(*args):
    """What `ax7ctl ARGS` sends after the questions that identify the box (and its volume limits)."""
    with tempfile.TemporaryDirectory() as d:
        trace = os.path.join(d, "trace")
        subprocess.run([AX7CTL, "--device", "sim", "--virtual-time", "--trace", trace, *args],
                       check=True, stdout=subprocess.DEVNULL, timeout=20)
        sent = frames(trace)
    while sent and sent[0][2:4] in ("80", "7f", "81", "92"):
        sent.pop(0)
    return sent


class Serve:
    """ax7ctl serve on the simulated box in virtual time; the port from its first line."""

    def __init__(self, directory, listen="127.0.0.1:0", env=None):
        self.trace = os.path.join(directory, "trace-%d" % time.monotonic_ns())
        self.proc = subprocess.Popen(
            [AX7CTL, "--device", "sim", "--virtual-time", "--trace", self.trace, "serve", "--listen", listen],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, bufsize=0, env=env)
        first = self.line()
        match = re.match(r"listening on http://.*:(\d+)/$", first)
        if not match:
            self.stop()
            raise AssertionError("serve did not say where it listens: " + repr(first))
        self.port = int(match.group(1))

    def line(self, timeout=20):
        """One line of stdout, read unbuffered so that select() sees what is left."""
        fd, out, end = self.proc.stdout.fileno(), b"", time.monotonic() + timeout
        while not out.endswith(b"\n"):
            ready, _, _ = select.select([fd], [], [], max(0, end - time.monotonic()))
            byte = os.read(fd, 1) if ready else b""
            if not byte:
                break
            out += byte
        return out.decode().strip()

    def read_line(self, prefix):
        while True:
            line = self.line(5)
            if not line:
                raise AssertionError("serve printed no line starting " + prefix)
            if line.startswith(prefix):
                return line

    def state(self, token=None):
        request = urllib.request.Request(f"http://127.0.0.1:{self.port}/api/v1/state")
        if token:
            request.add_header("Authorization", "Bearer " + token)
        with urllib.request.urlopen(request, timeout=5) as r:
            return json.load(r)

    def edits_since(self, count):
        return frames(self.trace)[count:]

    def stop(self):
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.proc.stdout.close()


def browser(language):
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    options = webdriver.ChromeOptions()
    options.binary_location = shutil.which("chromium")
    for flag in CHROME_FLAGS + ["--lang=" + language, "--user-data-dir=" + tempfile.mkdtemp(dir=WebRemotePage.tmp)]:
        options.add_argument(flag)
    options.add_experimental_option("prefs", {"intl.accept_languages": language})
    driver = webdriver.Chrome(service=Service(shutil.which("chromedriver")), options=options)
    driver.set_window_size(1280, 900)
    return driver


class WebRemotePage(unittest.TestCase):
    tmp = ""

    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="ax7-web-")
        cls.serve = Serve(cls.tmp)
        try:
            # The two browsers start side by side: each takes seconds on a busy machine.
            with concurrent.futures.ThreadPoolExecutor(2) as pool:
                cls.a, cls.b = pool.map(browser, ["en-US", "zh-CN"])
        except Exception:
            cls.serve.stop()
            raise

    @classmethod
    def tearDownClass(cls):
        for d in (cls.a, cls.b):
            d.quit()
        cls.serve.stop()
        shutil.rmtree(cls.tmp, ignore_errors=True)

    # --- helpers ---------------------------------------------------------------------------
    def url(self, port=None):
        return f"http://127.0.0.1:{port or self.serve.port}/"

    def link(self, d):
        return d.find_element("id", "link").get_attribute("data-state")

    def open(self, d, url=None, state="ok"):
        d.get(url or self.url())
        wait_until(f"the page to be '{state}'", lambda: self.link(d) == state)
        # Every message the page sends, kept for the checks below.
        d.execute_script("""window.sentLog = []; const s = WebSocket.prototype.send;
          WebSocket.prototype.send = function (m) { window.sentLog.push(JSON.parse(m)); return s.call(this, m); };
          window.fetchLog = []; const f = window.fetch;
          window.fetch = (u, o) => { window.fetchLog.push([String(u), (o && o.method) || 'GET']); return f(u, o); };""")

    def slider(self, d, name):
        return d.find_element("id", "v-" + name.replace(".", "-"))

    def set_slider(self, d, name, value):
        d.execute_script("const i = arguments[0]; i.value = arguments[1];"
                         "i.dispatchEvent(new Event('input', {bubbles: true}));", self.slider(d, name), value)

    def box_value(self, name):
        return self.serve.state()["values"][name]

    def expect_edits(self, since, expected):
        wait_until(f"the reports {expected}", lambda: self.serve.edits_since(since) == expected)

    # --- tests -----------------------------------------------------------------------------
    def test_slider_reaches_the_box_and_the_other_page(self):
        a, b = self.a, self.b
        self.open(a)
        self.open(b)
        start = self.box_value("mic.volume")
        wanted = start + 1 if start < 99 else start - 1
        since = len(frames(self.serve.trace))
        # The keyboard moves it one step: one set, as `ax7ctl set` sends it.
        from selenium.webdriver.common.keys import Keys
        self.slider(a, "mic.volume").send_keys(Keys.ARROW_RIGHT if wanted > start else Keys.ARROW_LEFT)
        self.expect_edits(since, sent_by_cli("set", f"mic.volume={wanted}"))
        wait_until("the value in the second page", lambda: self.slider(b, "mic.volume").get_attribute("value") == str(wanted))
        self.assertEqual(b.find_element("css selector", "#s-vol output").text, str(wanted))
        # The same value again sends nothing.
        count = len(a.execute_script("return sentLog"))
        self.set_slider(a, "mic.volume", wanted)
        self.assertEqual(len(a.execute_script("return sentLog")), count)

        # A slider held in the second page stays where the hand is; it takes the new value when let go.
        b.execute_script("arguments[0].dispatchEvent(new PointerEvent('pointerdown', {bubbles: true}))",
                         self.slider(b, "mic.volume"))
        other = 20 if wanted != 20 else 30
        self.set_slider(a, "mic.volume", other)
        wait_until("the second page to hear of it", lambda: b.execute_script("return known['mic.volume']") == other)
        self.assertEqual(self.slider(b, "mic.volume").get_attribute("value"), str(wanted))
        b.execute_script("window.dispatchEvent(new PointerEvent('pointerup'))")
        wait_until("the let-go slider to follow", lambda: self.slider(b, "mic.volume").get_attribute("value") == str(other))
        self.assertEqual(self.box_value("mic.volume"), other)

    def test_output_mute(self):
        a, b = self.a, self.b
        self.open(a)
        self.open(b)
        button = a.find_element("css selector", "button[data-name='out3.mute']")
        was = button.get_attribute("aria-pressed") == "true"
        since = len(frames(self.serve.trace))
        button.click()
        self.expect_edits(since, sent_by_cli("set", "out3.mute=%d" % (0 if was else 1)))
        other = b.find_element("css selector", "button[data-name='out3.mute']")
        wait_until("the second page's button", lambda: other.get_attribute("aria-pressed") == ("false" if was else "true"))
        self.assertIn("静音" if not was else "有声", other.text)
        self.assertEqual(self.box_value("out3.mute"), 0 if was else 1)

    def test_modes(self):
        a, b = self.a, self.b
        self.open(a)
        self.open(b)
        since = len(frames(self.serve.trace))
        a.find_element("css selector", "button[data-mode='2']").click()
        recall = sent_by_cli("mode", "recall", "2")
        wait_until("the recall report", lambda: self.serve.edits_since(since)[:1] == recall)
        for d in (a, b):
            wait_until("M2 shown as the current mode",
                       lambda: d.find_element("css selector", "button[data-mode='2']").get_attribute("aria-pressed") == "true")
            wait_until("the box read again", lambda: self.link(d) == "ok")
        self.assertEqual(self.serve.state()["mode"], 2)

        # Saving asks first; cancelled, nothing is sent.
        dialog = a.find_element("id", "save")
        a.find_element("css selector", "#modes .act").click()
        self.assertTrue(dialog.is_displayed())
        self.assertIn("replaced", dialog.text)
        dialog.find_element("css selector", "button[value=cancel]").click()
        wait_until("the dialog to close", lambda: not dialog.is_displayed())
        a.find_element("css selector", "#modes .act").click()
        dialog.find_element("xpath", ".//label[normalize-space()='M3']").click()
        since = len(frames(self.serve.trace))
        dialog.find_element("css selector", "button[value=ok]").click()
        self.expect_edits(since, sent_by_cli("mode", "save", "3"))
        saves = [f for f in a.execute_script("return fetchLog") if f[0].endswith("/mode/save")]
        self.assertEqual(saves, [["/api/v1/mode/save", "POST"]])

    def test_language(self):
        a, b = self.a, self.b
        self.open(b)  # a Chinese browser
        self.assertEqual(b.find_element("tag name", "h1").text, "AX7 遥控")
        self.open(a)
        h1 = lambda: a.find_element("tag name", "h1").text
        self.assertEqual(h1(), "AX7 remote")
        a.find_element("id", "lang").click()
        self.assertEqual(h1(), "AX7 遥控")
        self.assertEqual(a.find_element("id", "link").text, "已连接")
        self.assertIn("音乐变调", a.find_element("id", "s-vol").text)
        self.assertEqual(a.execute_script("return document.documentElement.lang"), "zh-CN")
        self.open(a)
        self.assertEqual(h1(), "AX7 遥控")
        a.find_element("id", "lang").click()
        self.assertEqual(h1(), "AX7 remote")
        self.assertEqual(a.find_element("id", "lang").text, "中文")

    def test_server_restart(self):
        a = self.a
        self.open(a)
        port = self.serve.port
        self.serve.stop()
        wait_until("the lost connection shown", lambda: self.link(a) == "lost")
        banner = a.find_element("id", "banner")
        self.assertTrue(banner.is_displayed())
        self.assertIn("Reconnecting", banner.text)
        self.assertFalse(self.slider(a, "mic.volume").is_enabled())
        type(self).serve = Serve(self.tmp, f"127.0.0.1:{port}")
        wait_until("the page to reconnect", lambda: self.link(a) == "ok", timeout=12)
        self.assertFalse(banner.is_displayed())
        self.assertTrue(self.slider(a, "mic.volume").is_enabled())

    def test_token(self):
        a, b = self.a, self.b
        env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(self.tmp, "config"),
                   XDG_DATA_HOME=os.path.join(self.tmp, "data"))
        serve = Serve(self.tmp, "0.0.0.0:0", env)
        try:
            token = serve.read_line("open on the phone").strip().rsplit("#token=", 1)[1]
            self.open(a, self.url(serve.port) + "#token=" + token)
            self.assertEqual(a.execute_script("return location.hash"), "")
            self.assertEqual(a.execute_script("return localStorage.getItem('ax7-token')"), token)
            self.open(a, self.url(serve.port))  # kept
            a.find_element("css selector", "button[data-mode='3']").click()  # a request with the token
            wait_until("the recall with the token", lambda: serve.state(token)["mode"] == 3)

            self.open(b, self.url(serve.port) + "#token=wrong", state="auth")
            banner = b.find_element("id", "banner")
            self.assertTrue(banner.is_displayed())
            self.assertIn("令牌错误", banner.text)
            self.assertFalse(b.find_element("css selector", "button[data-mode='1']").is_enabled())
        finally:
            serve.stop()

    def test_screenshots(self):
        a = self.a
        self.open(a)
        expected = {
            "en": ["AX7 remote", "Connected", "Microphone", "Effect", "Reverb", "Echo", "Music", "Music pitch",
                   "Mute", "M1", "M4", "Save…", "CH8", "Wireless microphones", "Battery", "Music format",
                   "DOLBY", "Levels", "Music R"],
            "zh": ["AX7 遥控", "已连接", "话筒", "效果", "混响", "回声", "音乐", "音乐变调", "静音", "M1", "M4",
                   "保存…", "通道8", "无线话筒", "电池", "音乐格式", "DOLBY", "电平", "音乐 右"],
        }
        os.makedirs(OUT_DIR, exist_ok=True)
        try:
            for language in ("en", "zh"):
                a.execute_script("localStorage.setItem('ax7-lang', arguments[0])", language)
                self.open(a)
                for width in (360, 1280):
                    metrics = {"width": width, "height": 900, "deviceScaleFactor": 1, "mobile": width < 600}
                    a.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", metrics)
                    metrics["height"] = a.execute_script(
                        "return Math.ceil(document.querySelector('main').getBoundingClientRect().bottom)")
                    a.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", metrics)
                    text = a.execute_script("return document.body.innerText")
                    for t in expected[language]:
                        self.assertIn(t, text, f"{width} px, {language}")
                    # Nothing wider than the screen: no sideways scrolling on a phone.
                    wide = a.execute_script("""return [...document.querySelectorAll('button, input, output, label, h1, h2')]
                        .filter(e => e.getBoundingClientRect().right > innerWidth + 0.5).map(e => e.outerHTML.slice(0, 80))""")
                    self.assertEqual(wide, [], f"{width} px, {language}")
                    self.assertLessEqual(a.execute_script("return document.documentElement.scrollWidth"), width)
                    a.save_screenshot(os.path.join(OUT_DIR, f"remote-page-{width}-{language}.png"))
        finally:
            a.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})
            a.execute_script("localStorage.removeItem('ax7-lang')")

    def test_figures(self):
        """Size and first paint for the record; not judged here."""
        with urllib.request.urlopen(self.url(), timeout=5) as r:
            size = len(r.read())
        paints = []
        self.a.get(self.url())  # the first load after the browser started is slower: not counted
        for _ in range(5):
            self.a.get(self.url())
            paints.append(wait_until("a paint entry", lambda: self.a.execute_script(
                "const p = performance.getEntriesByName('first-contentful-paint')[0]; return p && p.startTime")))
        print(f"\nremote page: {size} bytes; first contentful paint median {statistics.median(paints):.1f} ms "
              f"(loads: {', '.join('%.1f' % p for p in paints)})", file=sys.stderr)


def main():
    global AX7CTL, OUT_DIR
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    AX7CTL, OUT_DIR = sys.argv[1], sys.argv[2]
    try:
        import selenium  # noqa: F401
    except ImportError:
        print("skipped: python3-selenium is not installed (scripts/setup.sh installs it)")
        return SKIP
    for tool in ("chromium", "chromedriver"):
        if not shutil.which(tool):
            print(f"skipped: {tool} is not installed (scripts/setup.sh installs it)")
            return SKIP
    result = unittest.main(argv=[sys.argv[0], "-v"], exit=False).result
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
