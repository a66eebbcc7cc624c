#!/usr/bin/python3
"""The weight of vorfjp-web's page and how long headless chromium takes to load it.

    page_load.py VORFJP_WEB CONTENT_FILE [RUNS]

Starts vorfjp-web on a kernel-picked loopback port (no password, a copy of CONTENT_FILE, folders
of its own; nothing is sent, so its serial port is never opened) and prints "name value" lines:
  page_bytes             index.html, page.css and page.js as served, body bytes
  dom_content_loaded_ms  median over RUNS loads (11 by default) of the Navigation Timing API's
                         domContentLoadedEventEnd, with the browser's cache off; one load before
                         them is not counted (it starts the browser's renderer)
  dom_content_loaded_runs_ms  every counted load
"""

import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import urllib.request

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

PAGE_FILES = ('index.html', 'page.css', 'page.js')


def start_service(program, content, folder):
    env = dict(os.environ)
    for name in ('XDG_CONFIG_HOME', 'XDG_RUNTIME_DIR', 'XDG_DATA_HOME'):
        path = os.path.join(folder, name.lower())
        os.makedirs(path, mode=0o700)
        env[name] = path
    copy = os.path.join(folder, 'VorFjp.ini')
    shutil.copyfile(content, copy)
    process = subprocess.Popen([program, '--listen', '127.0.0.1:0', '--port', '1', '--content', copy],
                               stdout=subprocess.PIPE, env=env, text=True)
    line = process.stdout.readline()
    if 'http://' not in line:
        process.kill()
        sys.exit(f'page_load: vorfjp-web did not start: {line!r}')
    return process, line[line.index('http://'):].strip()


def start_browser(folder):
    options = webdriver.ChromeOptions()
    options.binary_location = '/usr/bin/chromium'
    for argument in ('--headless', '--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage',
                     '--disable-background-networking', '--disable-component-update', '--disable-sync',
                     '--no-first-run', f'--user-data-dir={os.path.join(folder, "chromium")}',
                     '--window-size=1280,900'):
        options.add_argument(argument)
    service = Service('/usr/bin/chromedriver', port=0, log_path=os.devnull)
    return webdriver.Chrome(service=service, options=options)


def main():
    program, content = sys.argv[1], sys.argv[2]
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 11
    folder = tempfile.mkdtemp(prefix='vorfjp-page-load-')
    process, url = start_service(program, content, folder)
    driver = None
    try:
        weight = 0
        for name in PAGE_FILES:
            with urllib.request.urlopen(url + name) as answer:
                weight += len(answer.read())
        driver = start_browser(folder)
        driver.execute_cdp_cmd('Network.enable', {})
        driver.execute_cdp_cmd('Network.setCacheDisabled', {'cacheDisabled': True})
        times = []
        for run in range(runs + 1):
            driver.get('about:blank')
            driver.get(url)
            loaded = driver.execute_script(
                "return performance.getEntriesByType('navigation')[0].domContentLoadedEventEnd")
            if run > 0:
                times.append(loaded)
        print(f'page_bytes {weight}')
        print(f'dom_content_loaded_ms {statistics.median(times):.1f}')
        print('dom_content_loaded_runs_ms ' + ','.join(f'{t:.1f}' for t in times))
    finally:
        if driver:
            driver.quit()
        process.terminate()
        process.wait()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == '__main__':
    main()
