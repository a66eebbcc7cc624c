#!/usr/bin/python3
"""How vorfjp-web answers while hostile clients hold its connections or flood its login.

    web_limits.py VORFJP_WEB CONTENT_FILE [RUNS]

Starts vorfjp-web on a kernel-picked loopback port with a password (folders of its own, a copy of
CONTENT_FILE; nothing is sent, so its serial port is never opened) and prints "name value" lines:
  full_table_ms      median over RUNS of the time from connect to the whole answer of a request
                     for the page from a ninth address, while eight loopback addresses
                     (127.0.0.2-9) each hold 16 idle connections (twice the table of 64)
  one_address_ms     the same from 127.0.0.1 while it holds 200 idle connections
  unanswered         how many of those requests got no answer at all
  login_flood_stall_ms  the longest wait for the page, asked every 20 ms from 127.0.0.10, while
                     80 wrong logins come at once from 8 addresses (Argon2id at libsodium's
                     interactive cost)
  login_flood_busy   how many of the 80 were answered 429 at once instead of being checked
  quiet_stall_ms     the longest wait for the page, asked the same way as long, without logins:
                     what the machine's load alone makes of it
"""

import os
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import threading
import time

IDLE_ADDRESSES = [f'127.0.0.{last}' for last in range(2, 10)]
PROBE_ADDRESS = '127.0.0.10'


def start_service(program, content, folder):
    env = dict(os.environ)
    for name in ('XDG_CONFIG_HOME', 'XDG_RUNTIME_DIR', 'XDG_DATA_HOME'):
        path = os.path.join(folder, name.lower())
        os.makedirs(path, mode=0o700)
        env[name] = path
    subprocess.run([program, '--set-password'], input='Zimmer 12 frei\n', env=env, text=True, check=True,
                   stderr=subprocess.DEVNULL)
    copy = os.path.join(folder, 'VorFjp.ini')
    shutil.copyfile(content, copy)
    process = subprocess.Popen([program, '--listen', '127.0.0.1:0', '--port', os.path.join(folder, 'no-port'),
                                '--content', copy], stdout=subprocess.PIPE, env=env, text=True)
    line = process.stdout.readline()
    if '://' not in line:
        process.kill()
        sys.exit(f'web_limits: vorfjp-web did not start: {line!r}')
    return process, int(line.strip().rstrip('/').rsplit(':', 1)[1])


def exchange(port, request, source='127.0.0.1', timeout=60):
    """Seconds from connect to the end of the answer (the server closes: Connection: close), and
    the answer's status, 0 when the connection ended without one."""
    started = time.monotonic()
    answer = b''
    try:
        with socket.create_connection(('127.0.0.1', port), timeout=timeout, source_address=(source, 0)) as sock:
            sock.sendall(request)
            while True:
                piece = sock.recv(65536)
                if not piece:
                    break
                answer += piece
    except OSError:
        pass
    status = int(answer[9:12]) if answer.startswith(b'HTTP/1.1 ') else 0
    return time.monotonic() - started, status


def page(port):
    return f'GET / HTTP/1.1\r\nHost: 127.0.0.1:{port}\r\nConnection: close\r\n\r\n'.encode()


def login(port):
    body = b'{"password": "raten"}'
    return (f'POST /api/login HTTP/1.1\r\nHost: 127.0.0.1:{port}\r\nContent-Type: application/json\r\n'
            f'Content-Length: {len(body)}\r\nConnection: close\r\n\r\n').encode() + body


def hold(port, sources, each):
    held = []
    for source in sources:
        for _ in range(each):
            held.append(socket.create_connection(('127.0.0.1', port), source_address=(source, 0)))
    time.sleep(0.2)  # the server takes them in
    return held


def release(held):
    for sock in held:
        sock.close()


def main():
    program, content = sys.argv[1], sys.argv[2]
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 5
    folder = tempfile.mkdtemp(prefix='vorfjp-web-limits-')
    process, port = start_service(program, content, folder)
    try:
        full, single = [], []
        for _ in range(runs):
            held = hold(port, IDLE_ADDRESSES, 16)
            full.append(exchange(port, page(port), PROBE_ADDRESS))
            release(held)
            held = hold(port, ['127.0.0.1'], 200)
            single.append(exchange(port, page(port), '127.0.0.1'))
            release(held)
        print(f'full_table_ms {statistics.median(t for t, _ in full) * 1000:.1f}')
        print(f'one_address_ms {statistics.median(t for t, _ in single) * 1000:.1f}')
        print(f'unanswered {sum(1 for _, status in full + single if status == 0)}')

        waits = []
        done = threading.Event()

        def probe():
            while not done.is_set():
                waits.append(exchange(port, page(port), PROBE_ADDRESS)[0])
                time.sleep(0.02)

        flood_started = time.monotonic()

        prober = threading.Thread(target=probe)
        prober.start()
        time.sleep(0.1)
        # The guessers in a process of their own, so that their threads do not hold up the probe's.
        flood = subprocess.run([sys.executable, __file__, '--flood', str(port)], stdout=subprocess.PIPE, text=True,
                               check=True)
        statuses = [int(status) for status in flood.stdout.split()]
        done.set()
        prober.join()
        flood_seconds = time.monotonic() - flood_started
        print(f'login_flood_stall_ms {max(waits) * 1000:.1f}')
        print(f'login_flood_busy {statuses.count(429)}')
        waits.clear()
        done.clear()
        prober = threading.Thread(target=probe)
        prober.start()
        time.sleep(flood_seconds)
        done.set()
        prober.join()
        print(f'quiet_stall_ms {max(waits) * 1000:.1f}')
    finally:
        process.terminate()
        process.wait()
        shutil.rmtree(folder, ignore_errors=True)


def flood(port):
    """80 wrong logins at once from 8 addresses; prints each answer's status."""
    statuses = []

    def guess(source):
        statuses.append(exchange(port, login(port), source)[1])

    guessers = [threading.Thread(target=guess, args=(IDLE_ADDRESSES[i % 8],)) for i in range(80)]
    for guesser in guessers:
        guesser.start()
    for guesser in guessers:
        guesser.join()
    print(' '.join(str(status) for status in statuses))


if __name__ == '__main__':
    if sys.argv[1] == '--flood':
        flood(int(sys.argv[2]))
    else:
        main()
