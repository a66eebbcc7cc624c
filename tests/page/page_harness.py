"""What every browser test of the page stands on: the virtual board on a pseudo-terminal, the real
vorfjp-web in front of it, and headless chromium driven by chromedriver, all started afresh for
each test in a temporary folder of its own and stopped at its end.

The programs come from the environment, as CTest sets it: VORFJP_WEB and BOARDSIM (the built
programs), VORFJP_CONTENT (the delivered content file, copied for each test). Screenshots go to
the test's folder, or to VORFJP_PAGE_SCREENSHOTS when that is set.
"""

import json
import os
import queue
import shutil
import subprocess
import tempfile
import threading
import unittest

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

CHROMIUM = '/usr/bin/chromium'
CHROMEDRIVER = '/usr/bin/chromedriver'
# Bounds, not expectations: a loaded machine and the sanitizer build are slow.
WAIT_SECONDS = 90
STOP_SECONDS = 20


class Board:
    """boardsim --headless --pty: the line it serves, then one JSON object a line per frame."""

    def __init__(self, folder, device_id):
        self.errors = os.path.join(folder, 'boardsim.err')
        with open(self.errors, 'wb') as errors:
            self.process = subprocess.Popen(
                [os.environ['BOARDSIM'], '--headless', '--pty', '--id', str(device_id)],
                stdout=subprocess.PIPE, stderr=errors, text=True)
        self._lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()
        first = self._next('the line boardsim serves')
        self.pty = first['pty']

    def _read(self):
        for line in self.process.stdout:
            self._lines.put(json.loads(line))
        self._lines.put(None)

    def _next(self, what):
        try:
            item = self._lines.get(timeout=WAIT_SECONDS)
        except queue.Empty:
            raise AssertionError(f'boardsim gave no {what} within {WAIT_SECONDS} s') from None
        if item is None:
            raise AssertionError(f'boardsim ended before {what}')
        return item

    def frame(self):
        """The next frame the board received, as boardsim reports it."""
        return self._next('frame')

    def stop(self):
        stop(self.process, 'boardsim', self.errors)


class WebService:
    """vorfjp-web on a kernel-picked loopback port, with its own folders and content file."""

    def __init__(self, folder, port, password=None):
        self.content = os.path.join(folder, 'VorFjp.ini')
        shutil.copyfile(os.environ['VORFJP_CONTENT'], self.content)
        self.env = dict(os.environ)
        for name in ('XDG_CONFIG_HOME', 'XDG_RUNTIME_DIR', 'XDG_DATA_HOME'):
            path = os.path.join(folder, 'web-' + name.lower())
            os.makedirs(path, mode=0o700)
            self.env[name] = path
        program = os.environ['VORFJP_WEB']
        if password is not None:
            subprocess.run([program, '--set-password'], input=password + '\n', env=self.env, text=True,
                           check=True, timeout=WAIT_SECONDS, capture_output=True)
        self.errors = os.path.join(folder, 'vorfjp-web.err')
        with open(self.errors, 'wb') as errors:
            self.process = subprocess.Popen(
                [program, '--listen', '127.0.0.1:0', '--port', port, '--content', self.content],
                stdout=subprocess.PIPE, stderr=errors, env=self.env, text=True)
        line = self.process.stdout.readline()
        if 'http://' not in line:
            self.process.kill()
            self.process.wait()
            with open(self.errors, encoding='utf-8', errors='replace') as file:
                raise AssertionError(f'vorfjp-web did not start: {line!r}\n{file.read()}')
        self.url = line[line.index('http://'):].strip()

    def content_bytes(self):
        with open(self.content, 'rb') as file:
            return file.read()

    def stop(self):
        stop(self.process, 'vorfjp-web', self.errors)


def stop(process, name, errors):
    """Ends a program that must still be running: one that ended by itself (a crash, a sanitizer's
    report) fails the test with what it wrote."""
    if process.poll() is not None:
        with open(errors, encoding='utf-8', errors='replace') as file:
            raise AssertionError(f'{name} ended by itself with status {process.returncode}:\n{file.read()[-4000:]}')
    process.terminate()
    try:
        process.wait(timeout=STOP_SECONDS)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def browser(folder, width, height):
    """Headless chromium at width x height CSS pixels, a phone's viewport below 600."""
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for argument in ('--headless', '--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage',
                     '--disable-background-networking', '--disable-component-update', '--disable-sync',
                     '--no-first-run', f'--user-data-dir={os.path.join(folder, "chromium")}',
                     f'--window-size={width},{height}'):
        options.add_argument(argument)
    env = dict(os.environ)
    for name in ('HOME', 'XDG_CONFIG_HOME', 'XDG_CACHE_HOME', 'XDG_RUNTIME_DIR'):
        path = os.path.join(folder, 'chromium-' + name.lower())
        os.makedirs(path, mode=0o700)
        env[name] = path
    service = Service(CHROMEDRIVER, port=0, log_path=os.path.join(folder, 'chromedriver.log'), env=env)
    driver = webdriver.Chrome(service=service, options=options)
    driver.set_page_load_timeout(WAIT_SECONDS)
    set_viewport(driver, width, height)
    return driver


def set_viewport(driver, width, height):
    driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride',
                           {'width': width, 'height': height, 'deviceScaleFactor': 1, 'mobile': width < 600})


class PageTest(unittest.TestCase):
    """A board with device number 7, vorfjp-web in front of it and a browser, per test."""

    DEVICE = 7
    PASSWORD = 'lobby-board-7'
    WIDTH, HEIGHT = 1280, 900

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix='vorfjp-page-')
        self.addCleanup(shutil.rmtree, self.folder, ignore_errors=True)
        self.board = Board(self.folder, self.DEVICE)
        self.addCleanup(self.board.stop)
        self.service = WebService(self.folder, self.board.pty, self.password())
        self.addCleanup(self.service.stop)
        self.driver = browser(self.folder, self.WIDTH, self.HEIGHT)
        self.addCleanup(self.driver.quit)
        self.driver.get(self.service.url)

    def password(self):
        return self.PASSWORD

    # ---- waiting and finding ----

    def until(self, condition, what):
        return WebDriverWait(self.driver, WAIT_SECONDS).until(lambda driver: condition(), message=what)

    def element(self, element_id):
        return self.driver.find_element(By.ID, element_id)

    def script(self, code, *arguments):
        return self.driver.execute_script(code, *arguments)

    def log_in(self):
        self.until(lambda: self.element('login').is_displayed(), 'the login form')
        self.element('password').send_keys(self.PASSWORD)
        self.element('login').find_element(By.CSS_SELECTOR, 'button[type=submit]').click()
        self.wait_loaded()

    def wait_loaded(self):
        """Until the content is in the fields and the board's preview is drawn."""
        self.until(lambda: self.element('board').is_displayed(), 'the board groups')
        self.until(lambda: self.script(
            "return document.querySelectorAll('#preview-dots rect').length > 0"
            " && document.querySelectorAll('#preview-rooms .cell').length > 0"
            " && document.getElementById('device').value !== ''"), 'the preview and the status')

    def label_of(self, element_id):
        labels = self.element(element_id).get_property('labels')
        return labels[0].get_attribute('textContent') if labels else None

    def type_into(self, element_id, text):
        field = self.element(element_id)
        field.clear()
        field.send_keys(text)

    def button(self, caption):
        return self.driver.find_element(By.XPATH, f'//button[normalize-space()="{caption}"]')

    def result_of(self, caption):
        """The outcome text beside a send button, once there is one that is not progress."""
        place = self.button(caption).find_element(By.XPATH, 'following-sibling::p')
        self.until(lambda: place.text and not place.text.startswith('正在'), f'the outcome of {caption}')
        return place

    def error_beside(self, element_id):
        """The error the field is described by, once it shows one."""
        field = self.element(element_id)
        self.until(lambda: field.get_attribute('aria-invalid') == 'true', f'an error on {element_id}')
        described = field.get_attribute('aria-describedby')
        place = self.element(described)
        self.assertTrue(place.is_displayed())
        return place.text

    def lit_dots(self):
        """The weather matrix as drawn: 16 rows of '#' (lit) and '.'."""
        return self.script("""
            const dots = [...document.querySelectorAll('#preview-dots rect')];
            const rows = [];
            for (let i = 0; i < dots.length; i += 64)
                rows.push(dots.slice(i, i + 64).map((d) => d.classList.contains('on') ? '#' : '.').join(''));
            return rows;""")

    def screenshot(self, name, width):
        """The whole page at width CSS pixels."""
        folder = os.environ.get('VORFJP_PAGE_SCREENSHOTS', self.folder)
        height = self.script('return document.documentElement.scrollHeight')
        set_viewport(self.driver, width, height)
        self.until(lambda: self.script('return window.innerHeight') == height, 'the page resized for the shot')
        self.driver.save_screenshot(os.path.join(folder, name))
        set_viewport(self.driver, width, self.HEIGHT)
